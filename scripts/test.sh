#!/usr/bin/env bash
# Builds everything and runs every test. Installs what is missing first.
#
#   0. every relative link and anchor in the Markdown files resolves (scripts/check-links.py);
#   1. a warning-clean build (-Wall -Wextra -Werror) with the engine, renderer and benchmark,
#      and every native test under CTest;
#   2. the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the libFuzzer targets (BMP loader, command line), each for a bounded time;
#   4. the Linux saver under Xvfb, and the Windows module under Wine in Xvfb, where their
#      scripts exist;
#   5. the web page: its tests under node and in headless Chromium (scripts/test-web.sh);
#   6. the release packages (the Debian package and the Windows zip), built and checked.
# Prints each suite's duration and the total; ends with a line "suites: N passed, M failed" and a
# non-zero exit code when any failed.
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=${QUILLOMANTRASE_JOBS:-2}
fuzz_seconds=${QUILLOMANTRASE_FUZZ_SECONDS:-45}

bash scripts/ensure-packages.sh cmake ninja-build g++ clang libclang-rt-14-dev libpng-dev \
  googletest libgtest-dev libgmock-dev libbenchmark-dev pkg-config libsdl2-dev libx11-dev libxrandr-dev python3-mpmath xvfb || exit 1

passed=0
failed=0
failures=()
suite() {
  local name=$1
  shift
  local started=$SECONDS
  echo
  echo "=== $name ==="
  if "$@"; then
    passed=$((passed + 1))
    echo "=== $name: PASS ($(duration $((SECONDS - started)))) ==="
  else
    failed=$((failed + 1))
    failures+=("$name")
    echo "=== $name: FAIL ($(duration $((SECONDS - started)))) ==="
  fi
}
duration() { printf '%dm %02ds' $(($1 / 60)) $(($1 % 60)); }

build_and_test() {
  local dir=$1
  shift
  mkdir -p "$dir"
  cmake -S . -B "$dir" -G Ninja "$@" >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; return 1; }
  cmake --build "$dir" -j "$jobs" || return 1
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure
}

fuzz() {
  local dir=build-fuzz
  mkdir -p "$dir"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQUILLOMANTRASE_TESTS=OFF -DQUILLOMANTRASE_FUZZ=ON >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; return 1; }
  cmake --build "$dir" -j "$jobs" --target fuzzers || return 1
  local ok=0 target
  for target in "$dir"/fuzz/*_fuzz; do
    local name corpus
    name=$(basename "$target" _fuzz)
    corpus=$(mktemp -d)
    [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus"
    echo "fuzzing $name for ${fuzz_seconds}s"
    "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$corpus" 2>&1 | tail -n 12 || ok=1
    rm -rf "$corpus"
  done
  return $ok
}

suite "documentation links" python3 scripts/check-links.py
suite "build (warnings are errors) and native tests" build_and_test build \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLOMANTRASE_WERROR=ON -DQUILLOMANTRASE_BENCHMARKS=ON
suite "native tests under AddressSanitizer and UndefinedBehaviorSanitizer" build_and_test build-asan \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLOMANTRASE_SANITIZE=ON
suite "fuzzing" fuzz
[ -f scripts/test-linux-saver.sh ] && suite "Linux saver under Xvfb" bash scripts/test-linux-saver.sh
[ -f scripts/test-windows.sh ] && suite "Windows module under Wine" bash scripts/test-windows.sh
[ -f scripts/test-web.sh ] && suite "web page under node and in Chromium" bash scripts/test-web.sh
# After the Windows checks: the zip must hold the module they passed.
suite "release packages" bash scripts/test-packages.sh

echo
for name in "${failures[@]}"; do echo "failed: $name"; done
echo "total time: $(duration "$SECONDS")"
echo "suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
