#!/usr/bin/env bash
# Builds the saver and shows it. With a display ($DISPLAY or $WAYLAND_DISPLAY) it runs
# quillomantrase full screen, until a key press, a click or a few mouse moves; options after the
# script's name go to it (e.g. --window-id ID, /c). Without a display it renders frames headless
# with quillomantrase-render and says where they are; options are then refused, since there is
# nothing to give them to.
#
#   scripts/run.sh [SAVER OPTIONS]
#
# Installs what is missing first (Debian 12; root or sudo). Builds in build-run/.
set -u -o pipefail
cd "$(dirname "$0")/.."

build=build-run
frames=out/frames

display="${DISPLAY:-}${WAYLAND_DISPLAY:-}"
if [ -z "$display" ] && [ $# -gt 0 ]; then
    echo "scripts/run.sh: there is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the" \
        "saver's options ($*) cannot be used; without options it renders frames headless instead." >&2
    exit 2
fi

bash scripts/ensure-packages.sh cmake make g++ pkg-config libpng-dev libsdl2-dev libx11-dev libxrandr-dev </dev/null || exit 1
first_build=
[ -x "$build/quillomantrase" ] || first_build=yes
if [ -n "$first_build" ]; then
    echo "Building the saver and the renderer in $build/ (the first build takes a few minutes)..."
    started=$SECONDS
fi
mkdir -p "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLOMANTRASE_TESTS=OFF >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j 2 --target quillomantrase quillomantrase-render >"$build/build.log" 2>&1 ||
    { tail -n 40 "$build/build.log"; exit 1; }
[ -z "$first_build" ] || echo "Built in $((SECONDS - started)) s."

if [ -n "$display" ]; then
    [ $# -gt 0 ] || echo "Quillomantrase runs full screen: press a key, click, or move the mouse to end it."
    "$build/quillomantrase" "$@" 2>"$build/saver.err"
    status=$?
    cat "$build/saver.err" >&2
    # Only a display that cannot be reached, and no options to honour, send us to the frames on disk.
    [ $# -eq 0 ] && grep -q "no display could be opened" "$build/saver.err" || exit $status
    echo "The display cannot be used; rendering frames instead."
fi

mkdir -p "$frames"
"$build/shell/render_tool/quillomantrase-render" --size 640x480 --frames 120 --every 10 --output "$frames/globe-%05d.png" || exit 1
echo "No display here: 12 frames of the first 12 seconds (every tenth frame) are in $PWD/$frames/"
ls "$frames" | sed 's/^/  /'
