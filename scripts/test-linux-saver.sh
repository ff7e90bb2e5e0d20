#!/usr/bin/env bash
# The Linux saver, proven under Xvfb: installs what is missing (Debian 12, as root), builds the
# saver and its test helpers in build-linux/, and runs tests/linux/xvfb_checks.sh, which starts
# an X server of its own, tests/linux/two_monitor_checks.sh, which starts one with two monitors
# (bare, then under i3, then under openbox), tests/linux/sway_checks.sh, which starts sway
# headless with two outputs, and tests/linux/mate_checks.sh, which runs the installed hack under
# mate-screensaver. Prints a PASS or FAIL line per check, ends each script's checks with
# "linux-saver: N passed, M failed" (or "linux-saver, two monitors: ...", "linux-saver, two
# monitors under i3: ...", "linux-saver, sway: ...", "linux-saver, MATE: ...") and exits non-zero
# when anything failed. The screenshots the checks took are left in out/linux-saver/ (and in its
# i3/, openbox/ and sway/ folders).
set -u -o pipefail
cd "$(dirname "$0")/.."

build=build-linux
jobs=${QUILLOMANTRASE_JOBS:-2}

give_up() {
    echo "FAIL $1"
    echo "linux-saver: 0 passed, 1 failed"
    exit 1
}

# xfonts-base: SDL draws its message boxes (the about box) with X core fonts, and Xvfb by itself
# has only "fixed"; without them the box cannot open.
bash scripts/ensure-packages.sh cmake make g++ pkg-config libpng-dev libsdl2-dev libx11-dev libxrandr-dev libxfixes-dev googletest \
    libgtest-dev libgmock-dev xvfb xauth xfonts-base xdotool x11-apps x11-utils imagemagick </dev/null ||
    give_up "installing the packages the saver and its checks need"

mkdir -p "$build"
# The install prefix is the Debian package's, so that the MATE checks install the hack and its
# desktop entry as a user's machine has them (into a scratch root, never into /usr itself).
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLOMANTRASE_TESTS=ON -DCMAKE_INSTALL_PREFIX=/usr \
    >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; give_up "configuring $build"; }
cmake --build "$build" -j "$jobs" --target quillomantrase linux_saver_test sdl_display_test test_host_window picture_check cursor_check \
    quillomantrase-render quillomantrase_gzipped_documents \
    >"$build/build.log" 2>&1 || { tail -n 40 "$build/build.log"; give_up "building the saver in $build"; }

bash tests/linux/xvfb_checks.sh "$build" out/linux-saver
one_monitor=$?
# Then every monitor covered, on an X server with two (Xorg's dummy driver; it installs itself),
# with no window manager, a tiling one and a stacking one; and every output under Wayland.
others=0
for window_manager in "" i3 openbox; do
    bash tests/linux/two_monitor_checks.sh "$build" "out/linux-saver${window_manager:+/$window_manager}" $window_manager || others=1
done
bash tests/linux/sway_checks.sh "$build" out/linux-saver/sway || others=1
# Then as MATE's screen saver runs it, from its installed desktop entry (it installs what it needs).
bash tests/linux/mate_checks.sh "$build" out/linux-saver || others=1
[ "$one_monitor" -eq 0 ] && [ "$others" -eq 0 ]
