#!/usr/bin/env bash
# The Linux saver checked as a person would, on an X server of its own (Xvfb): what the screen
# shows, what ends a run and with which exit code, drawing into another program's window, and
# the failures a user can meet. Prints a PASS or FAIL line per check and, last,
# "linux-saver: N passed, M failed"; exits with 1 when a check failed.
#
# Made for busy machines: windows are found by id, controls are worked with the keyboard, and
# every wait is for something to happen, with a generous deadline. The few short sleeps left
# give a saver time to react to input that must NOT end it; a slow saver can only make those
# checks pass too early, never fail.
#
# Usage: tests/linux/xvfb_checks.sh BUILD_DIR [PICTURE_DIR]
#   BUILD_DIR holds quillomantrase, linux_saver_test, sdl_display_test, test_host_window and picture_check;
#   the screenshots are kept in PICTURE_DIR (default: BUILD_DIR/linux-saver-pictures).
set -u

build=$(cd "$1" && pwd)
pictures=${2:-$build/linux-saver-pictures}
mkdir -p "$pictures"
saver=$build/quillomantrase
work=$(mktemp -d)
convert=/usr/bin/convert
# shellcheck source=../support/check.sh
source "$(dirname "$0")/../support/check.sh"
xvfb_pid=
saver_pid=
host_pid=

finish() {
    for pid in $saver_pid $host_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap finish EXIT

start_xvfb() { # [WxH]: the screen's size, 1280x720 by default; sets xvfb_pid and DISPLAY
    local n size=${1:-1280x720}
    for n in $(seq 90 140); do
        [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
        # -noreset: the server would otherwise start afresh whenever its last client leaves,
        # dropping the connections that arrive meanwhile.
        Xvfb :$n -screen 0 "${size}x24" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        export DISPLAY=:$n
        for _ in $(seq 300); do
            xdpyinfo >/dev/null 2>&1 && return 0
            kill -0 $xvfb_pid 2>/dev/null || break
            sleep 0.1
        done
        kill $xvfb_pid 2>/dev/null
        xvfb_pid=
    done
    echo "cannot start Xvfb"; cat "$work/xvfb.log"
    return 1
}

after_check() { stop_saver; }

# The id of the window with that name, once it is on the screen. xwininfo reads the name from
# _NET_WM_NAME first: SDL's message box stores WM_NAME as UTF-8, which xwd -name and xdotool
# search --name cannot read.
window_named() {
    local id
    for _ in $(seq 300); do
        id=$(xwininfo -name "$1" 2>/dev/null | awk '/Map State: IsViewable/{up = 1} /^xwininfo: Window id:/{id = $4} END{if (up) print id}')
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    echo "no window named \"$1\" appeared" >&2
    return 1
}

start_saver() {
    "$saver" "$@" >"$work/saver.out" 2>"$work/saver.err" &
    saver_pid=$!
}

stop_saver() {
    [ -n "$saver_pid" ] || return 0
    kill "$saver_pid" 2>/dev/null
    wait "$saver_pid" 2>/dev/null
    saver_pid=
}

# Waits until the saver's full-screen window is there and its run has begun: input that comes
# earlier, during the start-up, is dropped on purpose. The run has begun once frames show.
wait_for_saver_window() {
    window_named Quillomantrase >/dev/null || return 1
    within 60 shows_stars_and_globe start-up "-root" 300 500
}

running() {
    if kill -0 "$saver_pid" 2>/dev/null; then return 0; fi
    echo "$1: the saver is no longer running"
    cat "$work/saver.err"
    return 1
}

# The saver ends within 30 seconds with the exit code expected.
ends_with() {
    local expected=$1 code
    for _ in $(seq 150); do
        kill -0 "$saver_pid" 2>/dev/null || break
        sleep 0.2
    done
    if kill -0 "$saver_pid" 2>/dev/null; then
        echo "expected the saver to end, it is still running"
        return 1
    fi
    wait "$saver_pid"
    code=$?
    saver_pid=
    if [ "$code" != "$expected" ]; then
        echo "expected exit code $expected, got $code"
        cat "$work/saver.err"
        return 1
    fi
}

# shows_stars_and_globe NAME XWD_TARGET... LEAST_STARS LEAST_GLOBE [CROP]
shows_stars_and_globe() {
    local name=$1 target=$2 stars=$3 globe=$4 crop=${5:-}
    # shellcheck disable=SC2086  # the target is two words for a window
    xwd $target -silent >"$work/$name.xwd" || return 1
    "$convert" "xwd:$work/$name.xwd" "$pictures/$name.png" || return 1
    "$convert" "$pictures/$name.png" ${crop:+-crop $crop} "$work/$name.ppm" || return 1
    "$build/picture_check" "$work/$name.ppm" "$stars" "$globe"
}

top_level_windows() { xwininfo -root -children | grep -c '^ *0x'; }

start_host_window() {
    "$build/test_host_window" "$1" "$2" >"$work/host.id" &
    host_pid=$!
    for _ in $(seq 300); do
        [ -s "$work/host.id" ] && break
        sleep 0.1
    done
    host_id=$(cat "$work/host.id")
    [ -n "$host_id" ] || { echo "the host window gave no id within 30 s"; return 1; }
}

stop_host_window() {
    kill "$host_pid" 2>/dev/null
    wait "$host_pid" 2>/dev/null
    host_pid=
}

# --- full-screen runs -------------------------------------------------------------------------

full_screen_shows_stars_and_globe_and_a_key_ends_it() {
    start_saver
    wait_for_saver_window || return 1
    shows_stars_and_globe full-screen "-root" 300 500 || return 1
    running "before the key press" || return 1
    xdotool key a
    ends_with 0
}

three_moves_keep_it_running_and_the_fourth_ends_it() {
    start_saver
    wait_for_saver_window || return 1
    local at
    for at in "100 100" "200 150" "300 200"; do
        xdotool mousemove $at
        sleep 0.3
    done
    sleep 0.5
    running "after three mouse moves" || return 1
    xdotool mousemove 400 300
    ends_with 0
}

button_ends_it() {
    start_saver "$@"
    wait_for_saver_window || return 1
    # A wheel turn and a key release are no reason to stop.
    xdotool click 4 click 5 keyup b
    sleep 0.5
    running "after a wheel turn and a key release" || return 1
    xdotool click "$button"
    ends_with 0
}

signal_ends_full_screen_run() {
    start_saver /s
    wait_for_saver_window || return 1
    kill -TERM "$saver_pid"
    ends_with 0
}

# --- hack mode --------------------------------------------------------------------------------

draws_into_a_window_of_another_program_and_sigterm_ends_it() {
    start_host_window 400 300 || return 1
    local before after
    before=$(top_level_windows)
    start_saver --window-id "$host_id"
    within 60 shows_stars_and_globe hack-window "-id $host_id" 300 300 || return 1
    after=$(top_level_windows)
    if [ "$before" != "$after" ]; then
        echo "expected no window of the saver's own: $before top-level windows before, $after while it runs"
        return 1
    fi
    # A bigger window: a new run at the new size, stars in the part that was added.
    xdotool windowsize "$host_id" 600 400
    within 60 shows_stars_and_globe hack-window-resized "-id $host_id" 50 1 200x400+400+0 || return 1
    kill -TERM "$saver_pid"
    ends_with 0 || return 1
    stop_host_window
}

draws_into_the_window_xscreensaver_names_and_sigint_ends_it() {
    start_host_window 320 240 || return 1
    XSCREENSAVER_WINDOW=$host_id start_saver --root
    within 60 shows_stars_and_globe xscreensaver-window "-id $host_id" 300 100 || return 1
    kill -INT "$saver_pid"
    ends_with 0 || return 1
    stop_host_window
}

windows_preview_switch_draws_into_the_window() {
    start_host_window 320 240 || return 1
    start_saver /p $((host_id))
    within 60 shows_stars_and_globe preview-window "-id $host_id" 300 100 || return 1
    kill -TERM "$saver_pid"
    ends_with 0 || return 1
    stop_host_window
}

draws_into_the_root_window() {
    start_saver --root
    within 60 shows_stars_and_globe root-window "-root" 300 500 || return 1
    if xwininfo -name Quillomantrase >/dev/null 2>&1; then
        echo "expected no window of the saver's own"
        return 1
    fi
    kill -TERM "$saver_pid"
    ends_with 0
}

ends_when_its_window_goes_away() {
    start_host_window 320 240 || return 1
    start_saver --window-id "$host_id"
    within 60 shows_stars_and_globe hack-window-going "-id $host_id" 300 100 || return 1
    stop_host_window
    ends_with 0
}

a_window_that_does_not_exist_is_a_clear_error() {
    start_saver --window-id 0x7ffffff
    ends_with 1 || return 1
    grep -q "^quillomantrase: the window id 0x7ffffff (134217727) is not a window on display :" "$work/saver.err" &&
        ! grep -q -e "X Error" -e DirectX "$work/saver.err" || {
        echo "expected \"the window id 0x7ffffff (134217727) is not a window\" on stderr, got:"
        cat "$work/saver.err"
        return 1
    }
}

# --- no display, options, help ----------------------------------------------------------------

without_a_display_it_says_so_and_fails() {
    DISPLAY=:7777 start_saver
    ends_with 1 || return 1
    grep -q "^quillomantrase: no display could be opened at DISPLAY=:7777" "$work/saver.err" &&
        ! grep -q DirectX "$work/saver.err" || {
        echo "expected \"no display could be opened at DISPLAY=:7777\" on stderr, got:"
        cat "$work/saver.err"
        return 1
    }
}

# A screen too small for the globe's orbit makes the set-up fail. After seconds without input
# nobody is taken to be there (an idle daemon started the run): the process ends at once with 1,
# its reason on stderr, and holds no box. Just after a key someone is: the reason waits in a box
# for OK. A subshell: the small server and its DISPLAY stay inside.
a_failure_waits_in_a_box_only_for_someone_there() (
    start_xvfb 4x6 || exit 1
    trap 'kill $saver_pid $xvfb_pid 2>/dev/null' EXIT
    sleep 3  # no input since the server started
    start_saver
    ends_with 1 || exit 1
    grep -q "the screen is too small" "$work/saver.err" || { echo "no reason on stderr:"; cat "$work/saver.err"; exit 1; }
    xdotool key shift
    start_saver
    local box
    box=$(window_named Error) || exit 1
    xdotool windowfocus --sync "$box" && xdotool key Return
    ends_with 1
)

about_box_has_an_ok_button() {
    start_saver /c
    local box
    box=$(window_named 'About the Quillomantrase screen saver') || return 1
    xwd -id "$box" -silent | "$convert" xwd:- "$pictures/about-box.png"
    # OK is the box's only button and its default: Return presses it, whatever the fonts.
    xdotool windowfocus --sync "$box" && xdotool key Return
    ends_with 0
}

about_text_without_a_display() {
    DISPLAY= start_saver /c
    ends_with 0 || return 1
    grep -q "Quillomantrase 1.00" "$work/saver.out" && ! grep -q "example.org" "$work/saver.out" || {
        echo "expected the about text on stdout, got:"
        cat "$work/saver.out"
        return 1
    }
}

help_and_wrong_options() {
    start_saver --help
    ends_with 0 || return 1
    grep -q -- "-window-id ID" "$work/saver.out" || { echo "--help does not tell -window-id"; return 1; }
    start_saver --window-id nonsense
    ends_with 2 || return 1
    grep -q "nonsense is not a window id" "$work/saver.err" || { cat "$work/saver.err"; return 1; }
    local wrong
    for wrong in --bogus -bogus /p "-delay 5"; do
        # shellcheck disable=SC2086  # "-delay 5" is two arguments
        start_saver $wrong
        ends_with 2 || return 1
        grep -q "^Usage: quillomantrase" "$work/saver.err" || { echo "$wrong: no usage on stderr"; cat "$work/saver.err"; return 1; }
    done
}

# The options xscreensaver hands every hack are taken; those without effect say so on stderr.
takes_xscreensaver_common_options() {
    start_host_window 320 240 || return 1
    start_saver -window-id "$host_id" -fps -visual default -install -mono
    local shown=
    for _ in $(seq 30); do
        sleep 0.5
        running "with -fps -visual default -install -mono" || return 1
        shows_stars_and_globe common-options-window "-id $host_id" 300 100 >"$work/picture.log" 2>&1 && shown=yes && break
    done
    [ -n "$shown" ] || { cat "$work/picture.log"; return 1; }
    kill -TERM "$saver_pid"
    ends_with 0 || return 1
    stop_host_window
    grep -q "^quillomantrase: -fps has no effect" "$work/saver.err" || { cat "$work/saver.err"; return 1; }
    # Set but empty, XSCREENSAVER_WINDOW is as if unset: -root draws into the root window.
    XSCREENSAVER_WINDOW= start_saver -root
    sleep 1
    running "with -root and XSCREENSAVER_WINDOW empty" || return 1
    kill -TERM "$saver_pid"
    ends_with 0
}

unit_and_display_tests() { "$build/linux_saver_test" --gtest_brief=1 && "$build/sdl_display_test" --gtest_brief=1; }

start_xvfb || exit 1
check "full screen: the screen shows stars and the globe; a key press ends it with 0" \
    full_screen_shows_stars_and_globe_and_a_key_ends_it
check "full screen: three mouse moves keep it running, the fourth ends it with 0" \
    three_moves_keep_it_running_and_the_fourth_ends_it
for button in 1 2 3; do
    check "full screen: mouse button $button ends it with 0 (a wheel turn, a key release do not)" button_ends_it
done
check "full screen (/s): SIGTERM ends it with 0" signal_ends_full_screen_run
check "hack: draws into another program's window, none of its own, follows a resize; SIGTERM ends it with 0" \
    draws_into_a_window_of_another_program_and_sigterm_ends_it
check "hack: draws into \$XSCREENSAVER_WINDOW; SIGINT ends it with 0" \
    draws_into_the_window_xscreensaver_names_and_sigint_ends_it
check "hack: /p ID draws into that window" windows_preview_switch_draws_into_the_window
check "hack: --root draws into the root window" draws_into_the_root_window
check "hack: the run ends with 0 when its window goes away" ends_when_its_window_goes_away
check "hack: a window id that does not exist is a clear error, exit 1" a_window_that_does_not_exist_is_a_clear_error
check "no display: \"no display could be opened\", exit 1" without_a_display_it_says_so_and_fails
check "full screen, a set-up that fails: exit 1 at once when the X server has been idle, a box with the reason just after a key" \
    a_failure_waits_in_a_box_only_for_someone_there
check "/c: the about box with OK; OK ends it with 0" about_box_has_an_ok_button
check "/c without a display: the about text on stdout, exit 0" about_text_without_a_display
check "--help tells the options; a wrong window id, an unknown option, /p without an id exit with 2" \
    help_and_wrong_options
check "xscreensaver's common options (-fps -visual -install -mono) are taken; an empty \$XSCREENSAVER_WINDOW is unset" \
    takes_xscreensaver_common_options
check "unit tests and the SDL display in a real window" unit_and_display_tests
echo "linux-saver: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
