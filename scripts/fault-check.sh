#!/usr/bin/env bash
# How many single-point faults the native test suite catches. Each fault of the list (by default
# tests/faults/faults.txt) is put into a scratch copy of the tree, one at a time; the copy is
# rebuilt incrementally and plain ctest is run on it; then the file is put back. Prints each
# fault's fate, the faults that survived, and the share of the non-equivalent ones caught.
#
#   bash scripts/fault-check.sh [FAULT-LIST]
#
# A tool to run on demand, not part of scripts/test.sh: it rebuilds and tests once per fault,
# which takes most of an hour on two cores. QUILLOMANTRASE_JOBS sets the build's and ctest's
# parallelism (2).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
list=$(realpath "${1:-tests/faults/faults.txt}")
jobs=${QUILLOMANTRASE_JOBS:-2}

bash scripts/ensure-packages.sh cmake ninja-build g++ python3 libpng-dev googletest libgtest-dev libgmock-dev \
  pkg-config libsdl2-dev libx11-dev libxrandr-dev xvfb || exit 1

scratch=$(mktemp -d /tmp/quillomantrase-faults.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
echo "scratch copy: $scratch"
mkdir "$scratch/src"
git ls-files -z --cached --others --exclude-standard |
  tar --null --files-from=- --ignore-failed-read -cf - | tar -xf - -C "$scratch/src"
build=$scratch/build
cmake -S "$scratch/src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log"; exit 1; }
cmake --build "$build" -j "$jobs" >"$scratch/build.log" 2>&1 || { tail -n 30 "$scratch/build.log"; exit 1; }
ctest --test-dir "$build" -j "$jobs" >"$scratch/ctest.log" 2>&1 ||
  { echo "the suite fails without any fault:"; tail -n 30 "$scratch/ctest.log"; exit 1; }

# Applies or reverts one fault: prints nothing and succeeds when TEXT occurs exactly once.
edit() {
  python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1], sys.argv[2].replace("\\n", "\n"), sys.argv[3].replace("\\n", "\n")
text = open(path).read()
if text.count(old) != 1:
    sys.exit(f"{text.count(old)} matches")
open(path, "w").write(text.replace(old, new))
PY
}

caught=0
survived=0
equivalent=0
broken=0
survivors=()
number=0
while IFS= read -r line; do
  [[ -z "$line" || "$line" == \#* ]] && continue
  number=$((number + 1))
  file=${line%% @@ *}
  rest=${line#* @@ }
  old=${rest%% @@ *}
  rest=${rest#* @@ }
  new=${rest%% @@ *}
  note=
  [[ "$rest" == *" @@ "* ]] && note=${rest#* @@ }
  label="#$number $file: ${old:0:60}"
  target=$scratch/src/$file
  cp "$target" "$scratch/original"
  if ! problem=$(edit "$target" "$old" "$new" 2>&1); then
    echo "NOT APPLIED  $label ($problem)"
    broken=$((broken + 1))
    continue
  fi
  if ! cmake --build "$build" -j "$jobs" >"$scratch/fault-build.log" 2>&1; then
    echo "NO BUILD     $label"
    broken=$((broken + 1))
  elif ctest --test-dir "$build" -j "$jobs" --stop-on-failure >"$scratch/fault-ctest.log" 2>&1; then
    if [ -n "$note" ]; then
      echo "EQUIVALENT   $label ($note)"
      equivalent=$((equivalent + 1))
    else
      echo "SURVIVED     $label"
      survived=$((survived + 1))
      survivors+=("$line")
    fi
  else
    first=$(grep -m1 -E '\*\*\*Failed|\*\*\*Exception|\*\*\*Timeout|Not Run' "$scratch/fault-ctest.log" | sed 's/.*Test *#[0-9]*: *//; s/ *\.\.\.*.*//')
    echo "CAUGHT       $label (by $first)${note:+ [marked equivalent, yet caught: $note]}"
    caught=$((caught + 1))
  fi
  cp "$scratch/original" "$target"
  touch "$target"
done <"$list"
# Leave the build as it was, so that a later run starts from a clean tree.
cmake --build "$build" -j "$jobs" >/dev/null 2>&1

echo
for line in "${survivors[@]}"; do echo "survived: $line"; done
counted=$((caught + survived))
echo "faults: $number; caught $caught, survived $survived, equivalent $equivalent, not applied or not built $broken"
if [ "$counted" -gt 0 ]; then
  echo "caught: $((100 * caught / counted))% of the $counted non-equivalent faults"
fi
