#!/usr/bin/env bash
# An X server for the tests that need one, started and stopped by CTest around them.
#
#   xvfb_fixture.sh start DIR   starts Xvfb on a display number it finds free, waits until the
#                               server takes connections, and writes ":N" to DIR/display
#   xvfb_fixture.sh stop DIR    stops the server that "start" left in DIR
#
# Without Xvfb, or when the server does not come up, "start" fails, and so do the tests that need
# the display: a display test never passes by being skipped.
set -u
action=$1
dir=$2

stop() {
    [ -f "$dir/pid" ] || return 0
    local pid
    pid=$(cat "$dir/pid")
    # Only our server: after a crash the number may since have gone to another process.
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] && kill "$pid" 2>/dev/null
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$dir/pid" "$dir/display"
}

start() {
    stop
    mkdir -p "$dir"
    rm -f "$dir/display" "$dir/number"
    command -v Xvfb >/dev/null || { echo "Xvfb is not installed (Debian: xvfb)"; return 1; }
    # -displayfd: the server takes the first free display number itself and writes it once it
    # accepts connections. -noreset: it would otherwise start afresh whenever its last client
    # leaves, dropping a test's connection that arrives meanwhile.
    setsid Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset \
        3>"$dir/number" </dev/null >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/pid"
    local pid=$!
    for _ in $(seq 600); do
        if [ -s "$dir/number" ] && grep -q '^[0-9][0-9]*$' "$dir/number"; then
            echo ":$(cat "$dir/number")" >"$dir/display"
            echo "Xvfb is up on $(cat "$dir/display")"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "Xvfb did not come up within a minute"
    cat "$dir/xvfb.log"
    stop
    return 1
}

case $action in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
