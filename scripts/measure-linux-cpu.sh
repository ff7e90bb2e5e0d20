#!/usr/bin/env bash
# What the Linux saver costs: whole-process CPU time per second of wall time (100% = one core
# busy) at 10 frames a second, at 1280x720 and 1920x1080 on Xvfb, beside xscreensaver's glplanet
# run the same way (--root, --delay 100000, so also 10 frames a second) on the same server in
# the same run. The X server's own share is shown beside each, since putting pixels on the
# screen costs there too. glplanet renders OpenGL in software (Mesa) here, as on any machine
# without a GPU driver.
#
# The saver's cost follows the globe, which is small far away and covers half the screen when
# near, so by default it is measured over one whole orbit (2 x (width + height) frames: 400 s at
# 1280x720, 600 s at 1920x1080); glplanet's cost is steady and gets 60 s. Besides the average,
# the busiest 10 s are shown.
#
#   scripts/measure-linux-cpu.sh [SECONDS]    (SECONDS: measure each program that long instead)
#   scripts/measure-linux-cpu.sh --saver BINARY [SECONDS]
#
# Builds the saver in build-linux/ and installs what is missing (Debian 12, as root). With
# --saver it measures only that saver binary, unbuilt and without glplanet: run it by turns on
# two builds (an older one and this one) to compare them on the same machine in the same hour.
# Not part of the tests: its figures depend on the machine and on whatever else runs on it.
set -u -o pipefail
cd "$(dirname "$0")/.."

build=build-linux
saver=$build/quillomantrase
saver_name=quillomantrase
only_saver=
if [ "${1:-}" = --saver ]; then
    [ -x "${2:-}" ] || { echo "--saver needs an executable saver binary" >&2; exit 2; }
    saver=$(realpath "$2")
    saver_name=$saver
    only_saver=1
    shift 2
fi
seconds=${1:-}
sample=10
warm_up=3
glplanet=/usr/libexec/xscreensaver/glplanet

bash scripts/ensure-packages.sh cmake make g++ pkg-config libpng-dev libsdl2-dev libx11-dev libxrandr-dev xvfb xauth \
    x11-utils xscreensaver-gl-extra </dev/null || exit 1
if [ -z "$only_saver" ]; then
    mkdir -p "$build"
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
    cmake --build "$build" -j 2 --target quillomantrase >"$build/build.log" 2>&1 || { tail -n 40 "$build/build.log"; exit 1; }
fi

ticks=$(getconf CLK_TCK)
xvfb_pid=
program_pid=
finish() { for pid in $program_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done; }
trap finish EXIT

# User plus system CPU time of a process and all its threads, in clock ticks.
cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }

start_xvfb() {
    local n
    for n in $(seq 150 199); do
        [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
        Xvfb :$n -screen 0 "$1x24" -nolisten tcp -noreset +extension GLX >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=:$n
        for _ in $(seq 50); do
            xdpyinfo >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        kill $xvfb_pid
    done
    echo "cannot start Xvfb" >&2
    exit 1
}

# measure SIZE SECONDS LABEL COMMAND...: prints one row of the table.
measure() {
    local size=$1 seconds=$2 label=$3
    shift 3
    "$@" >/dev/null 2>&1 &
    program_pid=$!
    sleep "$warm_up"
    if ! kill -0 "$program_pid" 2>/dev/null; then
        printf '%-10s %-32s %s\n' "$size" "$label" "did not run"
        return
    fi
    local start_program start_server last now busiest=0 elapsed=0
    start_program=$(cpu_ticks "$program_pid")
    start_server=$(cpu_ticks "$xvfb_pid")
    last=$start_program
    while [ "$elapsed" -lt "$seconds" ]; do
        sleep "$sample"
        elapsed=$((elapsed + sample))
        now=$(cpu_ticks "$program_pid")
        [ $((now - last)) -gt "$busiest" ] && busiest=$((now - last))
        last=$now
    done
    local server_now
    server_now=$(cpu_ticks "$xvfb_pid")
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null
    program_pid=
    awk -v size="$size" -v label="$label" -v p=$((last - start_program)) -v b="$busiest" \
        -v x=$((server_now - start_server)) -v t="$ticks" -v s="$elapsed" -v w="$sample" \
        'BEGIN { printf "%-10s %-32s %5ds %8.1f%% %8.1f%% %9.1f%%\n", size, label, s, 100 * p / t / s,
                 100 * b / t / w, 100 * x / t / s }'
}

echo "CPU time per second of wall time after ${warm_up}s of start-up; 100% is one core busy"
printf '%-10s %-32s %6s %9s %9s %10s\n' size program time average "busiest" "X server"
for size in 1280x720 1920x1080; do
    start_xvfb "$size"
    orbit=$(awk -F x '{ print 2 * ($1 + $2) / 10 }' <<<"$size")
    measure "$size" "${seconds:-$orbit}" "$saver_name --root" "$saver" --root
    [ -n "$only_saver" ] || measure "$size" "${seconds:-60}" "glplanet --root --delay 100000" "$glplanet" --root --delay 100000
    kill "$xvfb_pid"
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
done
