#!/usr/bin/env bash
# The web page's suite. Installs what it needs (emscripten, Chromium, the npm packages of
# tests/web from their lock file; no browser is downloaded), then:
#   1. builds the web preset and runs the engine's portable tests under node through CTest;
#   2. checks that quillomantrase-render.js under plain node writes the native renderer's frames;
#   3. drives the page in headless Chromium: stills equal the native frames, the live run ticks
#      and follows the window's size, device pixels, a broken map's message; the pages opened
#      from disk; the served site with the server gone; its manifest.
# Ends with a line "web: N passed, M failed" and a non-zero exit code when any failed.
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=${QUILLOMANTRASE_JOBS:-2}
export NODE_PATH=/usr/share/nodejs

bash scripts/ensure-packages.sh cmake ninja-build g++ libpng-dev googletest emscripten python3 chromium nodejs || exit 1
command -v npm >/dev/null || bash scripts/ensure-packages.sh npm || exit 1

passed=0
failed=0
count() {  # count PASSED FAILED
  passed=$((passed + $1))
  failed=$((failed + $2))
}

# A step that fails before its tests run counts as one failed test.
if cmake --preset web >/dev/null && cmake --build --preset web -j "$jobs"; then
  ctest --preset web -j "$jobs" | tee build-web/ctest.log
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of' build-web/ctest.log)
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  failing=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  if [ -n "$total" ]; then count $((total - failing)) "$failing"; else count 0 1; fi
else
  echo "the web build failed"
  count 0 1
fi

native=build-web-native
if cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLOMANTRASE_TESTS=OFF >/dev/null &&
  cmake --build "$native" -j "$jobs" --target quillomantrase-render; then
  export QUILLOMANTRASE_NATIVE_RENDER=$PWD/$native/shell/render_tool/quillomantrase-render
else
  echo "the native renderer did not build"
  count 0 1
fi
export QUILLOMANTRASE_WEB_BUILD=$PWD/build-web

if [ -n "${QUILLOMANTRASE_NATIVE_RENDER:-}" ] && [ -f build-web/site/index.html ] &&
  (cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund); then
  for file in renderer page; do
    (cd tests/web && node --test --test-concurrency=1 "$file.test.mjs") | tee "build-web/$file-test.log"
    pass=$(sed -nE 's/^# pass ([0-9]+)$/\1/p' "build-web/$file-test.log")
    fail=$(sed -nE 's/^# fail ([0-9]+)$/\1/p' "build-web/$file-test.log")
    if [ -n "$pass" ] && [ -n "$fail" ]; then count "$pass" "$fail"; else count 0 1; fi
  done
else
  echo "the node and browser checks could not start"
  count 0 1
fi

echo "web: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
