#!/usr/bin/env bash
# The Linux saver's full-screen run on a desktop of two monitors (Xorg with the dummy driver,
# tests/support/two-monitor-x.sh), checked as a person would see it, with the secondary monitor
# right of the primary and then left of it: the globe on the primary, black on the secondary and
# the desktop nowhere; moves and clicks over the secondary count like those over the globe; after
# the run both monitors show the desktop (and the pointer) again in the same layout, with no window of the saver's
# left; the pointer is hidden over both. Then one run through the desk's changes
# (tests/support/desk-changes.sh: monitors unplugged, plugged in, resized, switched off, made
# primary), each judged from a screenshot, and a key that ends it with 0. Prints a PASS or FAIL line per check and, last, "linux-saver, two monitors: N passed,
# M failed"; exits with 1 when a check failed.
#
# With a window manager named, the same checks run under it: i3 (tiling, which takes the
# windows it manages wherever its focus is) or openbox (stacking). The last line then says
# "linux-saver, two monitors under NAME: ...".
#
# Usage: tests/linux/two_monitor_checks.sh BUILD_DIR [PICTURE_DIR [i3|openbox]]
#   BUILD_DIR holds quillomantrase, picture_check and cursor_check; screenshots are kept in
#   PICTURE_DIR.
set -u

build=$(cd "$1" && pwd)
pictures=${2:-$build/linux-saver-pictures}
window_manager=${3:-}
suite="two monitors${window_manager:+ under $window_manager}"
mkdir -p "$pictures"
saver=$build/quillomantrase
work=$(mktemp -d)
convert=/usr/bin/convert
saver_pid=
wm_pid=
# shellcheck source=../support/check.sh
source "$(dirname "$0")/../support/check.sh"
# shellcheck source=../support/two-monitor-x.sh
source "$(dirname "$0")/../support/two-monitor-x.sh"
# shellcheck source=../support/desk-changes.sh
source "$(dirname "$0")/../support/desk-changes.sh"
magick=$convert

finish() {
    [ -z "$saver_pid" ] || kill "$saver_pid" 2>/dev/null
    [ -z "$wm_pid" ] || { kill "$wm_pid" 2>/dev/null; wait "$wm_pid" 2>/dev/null; }
    stop_two_monitor_x
    rm -rf "$work"
}
trap finish EXIT

after_check() {
    [ -z "$saver_pid" ] || { kill "$saver_pid" 2>/dev/null; wait "$saver_pid" 2>/dev/null; }
    saver_pid=
    # Whatever a run did to the monitors, the next check starts from the same layout.
    set_two_monitor_layout "$layout" >/dev/null
}

# The middle of a WxH+X+Y geometry, as "X Y" for xdotool.
middle_of() {
    local size=${1%%+*} at=${1#*+}
    echo "$((${at%+*} + ${size%x*} / 2)) $((${at#*+} + ${size#*x} / 2))"
}

# A point of the secondary monitor, DX and DY from its top-left corner.
on_secondary() {
    local at=${TWO_MONITOR_X_SECONDARY#*+}
    echo "$((${at%+*} + $1)) $((${at#*+} + $2))"
}

# Moves the pointer to each point of the secondary given ("DX DY"), one move after another,
# and gives the saver time to take them in.
move_over_secondary() {
    local at
    for at in "$@"; do
        xdotool mousemove $(on_secondary $at)
        sleep 0.3
    done
    sleep 0.5
}

# The window manager has taken over the screen once it names its check window on the root.
window_manager_is_up() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

start_window_manager() {
    case $window_manager in
    i3)
        bash "$two_monitor_x_root/scripts/ensure-packages.sh" i3-wm x11-utils </dev/null || return 1
        # No bar: the desktop's colour is what shows where the saver does not.
        printf '# i3 config file (v4)\nfont fixed\n' >"$work/i3.config"
        i3 -c "$work/i3.config" >"$work/wm.log" 2>&1 &
        ;;
    openbox)
        bash "$two_monitor_x_root/scripts/ensure-packages.sh" openbox x11-utils </dev/null || return 1
        openbox --sm-disable >"$work/wm.log" 2>&1 &
        ;;
    *)
        echo "no window manager named \"$window_manager\" (i3 or openbox)"
        return 1
        ;;
    esac
    wm_pid=$!
    within 60 window_manager_is_up || { cat "$work/wm.log"; return 1; }
}

screenshot() { xwd -root -silent | "$convert" xwd:- "$pictures/$1.png"; }

# The share of a monitor's pixels (0 to 1) that have exactly the colour given.
colour_share() {
    "$convert" "$pictures/$1.png" -crop "$2" +repage -fill black +opaque "$3" -fill white -opaque "$3" \
        -colorspace gray -format '%[fx:mean]' info:
}

# The picture a person should see while the saver runs: stars and the globe on the primary,
# only black on the secondary, the desktop's colour on neither. A tiling window manager puts the
# globe's window on the monitor it has the focus on, which may be the secondary: then the other
# way round.
shows_globe_and_black() {
    screenshot "$1" || return 1
    shows_globe_on_and_black_on "$1" "$TWO_MONITOR_X_PRIMARY" "$TWO_MONITOR_X_SECONDARY" && return 0
    [ "$window_manager" = i3 ] && shows_globe_on_and_black_on "$1" "$TWO_MONITOR_X_SECONDARY" "$TWO_MONITOR_X_PRIMARY"
}

shows_globe_on_and_black_on() { # NAME GLOBE_MONITOR BLACK_MONITOR (geometries)
    local name=$1 share brightest
    "$convert" "$pictures/$name.png" -crop "$2" +repage "$work/primary.ppm" || return 1
    "$build/picture_check" "$work/primary.ppm" 300 500 >"$work/picture.log" || return 1
    share=$(colour_share "$name" "$2" "$TWO_MONITOR_X_DESKTOP")
    [ "$share" = 0 ] || { echo "the desktop shows on $share of the globe's monitor" >>"$work/picture.log"; return 1; }
    # Black is the only colour on the other.
    brightest=$("$convert" "$pictures/$name.png" -crop "$3" +repage -format '%[max]' info:)
    [ "$brightest" = 0 ] || {
        share=$(colour_share "$name" "$3" "$TWO_MONITOR_X_DESKTOP")
        echo "the other monitor is not all black: the desktop shows on $share of it" >>"$work/picture.log"
        return 1
    }
}

shows_desktop_on_both() {
    screenshot "$1" || return 1
    [ "$(colour_share "$1" "$TWO_MONITOR_X_PRIMARY" "$TWO_MONITOR_X_DESKTOP")" = 1 ] &&
        [ "$(colour_share "$1" "$TWO_MONITOR_X_SECONDARY" "$TWO_MONITOR_X_DESKTOP")" = 1 ]
}

saver_windows() { xdotool search --name '^Quillomantrase$' 2>/dev/null; }

# Starts the saver with the pointer at X Y and waits until the picture shows it running: its
# first frame comes after the start-up, so input sent from then on counts.
start_saver_with_pointer_at() {
    xdotool mousemove "$1" "$2"
    "$saver" >"$work/saver.out" 2>"$work/saver.err" &
    saver_pid=$!
    if ! within 60 shows_globe_and_black "$layout-$3"; then
        echo "the saver did not show the globe on the primary and black on the secondary within 60 s:"
        cat "$work/picture.log" "$work/saver.err"
        echo "(screenshot: $pictures/$layout-$3.png)"
        return 1
    fi
}

still_running() {
    kill -0 "$saver_pid" 2>/dev/null && return 0
    echo "$1: the saver is no longer running"
    cat "$work/saver.err"
    return 1
}

saver_gone() { ! kill -0 "$saver_pid" 2>/dev/null; }

# The saver ends with 0, its windows are gone and the monitors are as they were.
ends_cleanly() {
    within 30 saver_gone || { echo "expected the saver to end, it is still running"; return 1; }
    wait "$saver_pid"
    local code=$?
    saver_pid=
    [ "$code" = 0 ] || { echo "expected exit code 0, got $code"; cat "$work/saver.err"; return 1; }
    [ -z "$(saver_windows)" ] || { echo "windows of the saver are left: $(saver_windows)"; return 1; }
    [ "$(two_monitor_layout)" = "$layout_before" ] ||
        { echo "the layout was $layout_before, now it is $(two_monitor_layout)"; return 1; }
}

# --- the checks -------------------------------------------------------------------------------

globe_on_primary_black_on_secondary_and_a_key_gives_the_desktop_back() {
    local covers
    start_saver_with_pointer_at $(middle_of "$TWO_MONITOR_X_PRIMARY") running || return 1
    covers=$(saver_windows | wc -l)
    [ "$covers" = 2 ] || { echo "expected 2 windows of the saver, one per monitor; found $covers"; return 1; }
    "$build/cursor_check" || { echo "the pointer shows over the primary"; return 1; }
    xdotool key a
    ends_cleanly || return 1
    within 30 shows_desktop_on_both "$layout-after-a-key" ||
        { echo "the monitors do not show the desktop again: $pictures/$layout-after-a-key.png"; return 1; }
    ! "$build/cursor_check" >/dev/null || { echo "the pointer is still hidden after the run"; return 1; }
}

three_moves_over_the_secondary_keep_it_running_and_the_fourth_ends_it() {
    start_saver_with_pointer_at $(middle_of "$TWO_MONITOR_X_PRIMARY") moves || return 1
    # The first move crosses from the primary onto the secondary; all of them end there.
    move_over_secondary "100 100" "200 150" "300 200"
    still_running "after three mouse moves onto and over the secondary" || return 1
    xdotool mousemove $(on_secondary 400 250)
    ends_cleanly
}

a_click_on_the_secondary_ends_it() {
    start_saver_with_pointer_at $(on_secondary 200 200) click || return 1
    "$build/cursor_check" || { echo "the pointer shows over the secondary"; return 1; }
    # A wheel turn there is no reason to stop, and the pointer found there at the start counts
    # as no move: three more keep the run going.
    xdotool click 4 click 5
    move_over_secondary "300 300" "400 350" "500 400"
    still_running "after a wheel turn and three moves over the secondary" || return 1
    xdotool click 1
    ends_cleanly
}

# The desk changing during one run: every change of tests/support/desk-changes.sh, then a key.
# A window manager places the globe's window itself (i3 on its focused monitor, openbox on the
# monitor the window was on): under one the scene may be on either monitor, the other black.
the_desk_changing_during_a_run() {
    layout=right
    set_two_monitor_layout right >/dev/null || { fail "$suite: the layout \"right\" for the desk's changes"; return; }
    if ! start_saver_with_pointer_at $(middle_of "$TWO_MONITOR_X_PRIMARY") desk-start >"$work/desk-start.log" 2>&1; then
        fail "$suite, the desk changing during a run: the saver starts"
        sed 's/^/    /' "$work/desk-start.log"
        after_check
        return
    fi
    DESK_PICTURES=$pictures desk_walk "$suite, the desk changing during a run" "$saver_pid" "$saver_pid" \
        ${window_manager:+anywhere}
    layout_before=$(two_monitor_layout)
    check "$suite, after the desk's changes: a key ends the run with 0, no window of the saver left" a_key_ends_it
}

a_key_ends_it() {
    xdotool key a
    ends_cleanly
}

if ! start_two_monitor_x right >"$work/x.log" 2>&1; then
    echo "FAIL starting an X server with two monitors (Xorg, dummy driver)"
    sed 's/^/    /' "$work/x.log"
    echo "linux-saver, $suite: 0 passed, 1 failed"
    exit 1
fi
if [ -n "$window_manager" ] && ! start_window_manager >"$work/wm-start.log" 2>&1; then
    echo "FAIL starting $window_manager on the two monitors"
    sed 's/^/    /' "$work/wm-start.log"
    echo "linux-saver, $suite: 0 passed, 1 failed"
    exit 1
fi
for layout in right left; do
    set_two_monitor_layout "$layout" || exit 1
    layout_before=$(two_monitor_layout)
    check "$suite, secondary $layout of the primary: the globe on the primary, black on the secondary, the desktop nowhere, no pointer; a key ends it with 0: the desktop and the pointer back, the layout as before, no window left" \
        globe_on_primary_black_on_secondary_and_a_key_gives_the_desktop_back
    check "$suite, secondary $layout: three moves over the secondary keep it running, the fourth ends it with 0" \
        three_moves_over_the_secondary_keep_it_running_and_the_fourth_ends_it
    check "$suite, secondary $layout: the pointer on the secondary from the start is hidden; a wheel turn and three moves there do not end it, a click does, with 0" \
        a_click_on_the_secondary_ends_it
done
the_desk_changing_during_a_run
echo "linux-saver, $suite: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
