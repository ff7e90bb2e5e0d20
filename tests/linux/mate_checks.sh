#!/usr/bin/env bash
# The hack under MATE's own screen saver, end to end: the real mate-screensaver daemon, with a
# session D-Bus of its own and its settings in dconf (mode "single", our theme, no locking), finds
# the desktop entry that `cmake --install` put in place and runs the installed hack in its window.
# Checked as a person would see it: the scene in the daemon's window, and changing; about ten
# frames a second, also after the hack was stopped for ten seconds and let go again; gone with
# exit code 0 soon after deactivation; the preferences' preview in a small window; one hack per
# monitor on a desk of two. Prints a PASS or FAIL line per check and, last, "linux-saver, MATE:
# N passed, M failed"; exits with 1 when a check failed.
#
# Nothing of the machine is changed: the check runs in a mount namespace of its own, where the
# files that `cmake --install` put into a scratch root appear over /usr (the daemon runs hacks
# only from xscreensaver's folder or its own), and every setting lives in a scratch HOME and
# XDG folders. Needs root (or sudo without a password) for the namespace and for Xorg.
#
# The hack's exit code is read from strace, which the daemon runs under (it follows the hack too,
# stopping it only at its exit); its frames are counted from /proc/PID/io, where every frame the
# hack sends to the X server is one write.
#
# Usage: tests/linux/mate_checks.sh BUILD_DIR [PICTURE_DIR]
#   BUILD_DIR is a build configured with the install prefix /usr, with the saver, the renderer,
#   the gzipped documents and picture_check built; screenshots are kept in PICTURE_DIR.
set -u

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
pictures=${2:-$build/linux-saver-pictures}
mkdir -p "$pictures"
pictures=$(cd "$pictures" && pwd)
hack_path=/usr/libexec/xscreensaver/quillomantrase
theme=screensavers-quillomantrase

give_up() {
    echo "FAIL $1"
    echo "linux-saver, MATE: 0 passed, 1 failed"
    exit 1
}

case ${QUILLOMANTRASE_MATE_STAGE:-} in
"")
    # dbus-user-session gives dbus-run-session; dconf-gsettings-backend keeps the settings.
    bash "$here/../../scripts/ensure-packages.sh" mate-screensaver dbus dbus-user-session dconf-gsettings-backend \
        libglib2.0-bin strace desktop-file-utils xvfb xauth x11-utils x11-apps xdotool imagemagick util-linux </dev/null ||
        give_up "installing what the MATE checks need"
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo -n)
    exec "${as_root[@]}" unshare --mount --propagation private \
        env QUILLOMANTRASE_MATE_STAGE=namespace bash "$0" "$build" "$pictures"
    ;;
namespace)
    work=$(mktemp -d)
    trap 'umount -l /usr 2>/dev/null; rm -rf "$work"' EXIT
    DESTDIR=$work/root cmake --install "$build" >"$work/install.log" 2>&1 ||
        { cat "$work/install.log"; give_up "cmake --install $build into a scratch root"; }
    # The installed files over /usr, as a package would put them; in this namespace only.
    mount -t overlay overlay -o "lowerdir=$work/root/usr:/usr" /usr ||
        give_up "laying the scratch root over /usr (overlayfs, in a mount namespace)"
    mkdir -p "$work/home" "$work/runtime"
    chmod 700 "$work/runtime"
    # A MATE session's environment: the entry shows only where the desktop is MATE.
    env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
        XDG_CURRENT_DESKTOP=MATE NO_AT_BRIDGE=1 LANG=C.UTF-8 QUILLOMANTRASE_MATE_STAGE=session \
        QUILLOMANTRASE_MATE_WORK="$work" dbus-run-session -- bash "$0" "$build" "$pictures" 2>"$work/session.err"
    code=$?
    [ "$code" -eq 0 ] || [ "$code" -eq 1 ] || { cat "$work/session.err"; give_up "the session ended with $code"; }
    exit "$code"
    ;;
esac

# --- in the session ---------------------------------------------------------------------------

work=$QUILLOMANTRASE_MATE_WORK
convert=/usr/bin/convert
# shellcheck source=../support/check.sh
source "$here/../support/check.sh"
# shellcheck source=../support/two-monitor-x.sh
source "$here/../support/two-monitor-x.sh"
xvfb_pid=
daemon_pid=
preferences_pid=

stop_pid() { # stop_pid PID: ends a process this script started, and waits for it
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}
finish() {
    stop_pid "$preferences_pid"
    stop_daemon
    stop_pid "$xvfb_pid"
    stop_two_monitor_x
}
trap finish EXIT

start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$work/xvfb.display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    within 60 grep -q '^[0-9]' "$work/xvfb.display" || { cat "$work/xvfb.log"; return 1; }
    export DISPLAY=:$(head -n 1 "$work/xvfb.display")
}

set_up_the_theme() {
    gsettings set org.mate.screensaver mode single &&
        gsettings set org.mate.screensaver themes "['$theme']" &&
        gsettings set org.mate.screensaver lock-enabled false &&
        test "$(gsettings get org.mate.screensaver themes)" = "['$theme']"
}

daemon_answers() { mate-screensaver-command --query; }

# The daemon under strace, which notes how each process it starts ends; nothing else is traced.
start_daemon() {
    strace -f -q --seccomp-bpf -e trace=exit_group -e signal=none -o "$work/exits" \
        mate-screensaver --no-daemon --debug >"$work/daemon.log" 2>&1 &
    daemon_pid=$!
    within 60 daemon_answers || { echo "the daemon does not answer on the session bus"; tail "$work/daemon.log"; return 1; }
}

stop_daemon() {
    [ -n "$daemon_pid" ] || return 0
    kill "$(daemon_process)" 2>/dev/null
    wait "$daemon_pid" 2>/dev/null
    daemon_pid=
}

# The daemon's process under strace, and the hacks it runs.
daemon_process() { pgrep -P "$daemon_pid"; }
hacks_of() { pgrep -P "$1" -x quillomantrase | sort; }
hack_count_is() { [ "$(hacks_of "$2" | wc -l)" -eq "$1" ]; }
window_of() { tr '\0' '\n' <"/proc/$1/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p'; }
frames_of() { sed -n 's/^syscw: //p' "/proc/$1/io"; }
has_drawn() { [ "$(frames_of "$1")" -ge 1 ]; }
gone() { [ ! -e "/proc/$1" ] || grep -q '^State:.*Z' "/proc/$1/status"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# poll_ms SECONDS COMMAND...: runs the command every 20 ms until it succeeds; prints how many
# milliseconds that took, or fails after SECONDS.
poll_ms() {
    local start deadline=$((SECONDS + $1))
    start=$(now_ms)
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.02
    done
    echo $(($(now_ms) - start))
}

exit_code_of() { sed -n "s/^$1 *+++ exited with \([0-9]*\) +++\$/\1/p" "$work/exits"; }

shows_scene() { # shows_scene WINDOW NAME LEAST_STARS LEAST_GLOBE_PIXELS
    xwd -id "$1" -silent | "$convert" xwd:- "$pictures/$2.png" &&
        "$convert" "$pictures/$2.png" "$work/$2.ppm" &&
        "$build/picture_check" "$work/$2.ppm" "$3" "$4"
}
differs_from() { # differs_from WINDOW NAME EARLIER_NAME
    shows_scene "$1" "$2" 300 500 && ! cmp -s "$work/$2.ppm" "$work/$3.ppm"
}

ends_with_zero() { # ends_with_zero PID
    local code
    within 10 test -n "$(exit_code_of "$1")" || { echo "strace saw no exit of $1:"; grep "^$1 " "$work/exits"; return 1; }
    code=$(exit_code_of "$1")
    [ "$code" = 0 ] || { echo "expected exit code 0, got $code"; grep 'command output' "$work/daemon.log" | tail; return 1; }
}

# --- the checks -------------------------------------------------------------------------------

installed_entry_is_valid() {
    local entry=/usr/share/applications/screensavers/quillomantrase.desktop
    desktop-file-validate "$entry" || return 1
    grep -qx "Exec=$hack_path" "$entry" && grep -qx "TryExec=$hack_path" "$entry" && [ -x "$hack_path" ] ||
        { echo "the entry does not run $hack_path:"; cat "$entry"; return 1; }
}

hack=
activation_runs_the_hack_in_the_daemons_window() {
    local started ms window
    started=$(now_ms)
    mate-screensaver-command --activate || return 1
    within 60 hack_count_is 1 "$(daemon_process)" ||
        { echo "the daemon started no hack:"; grep -e gs_job -e 'command output' "$work/daemon.log" | tail; return 1; }
    hack=$(hacks_of "$(daemon_process)")
    poll_ms 60 has_drawn "$hack" >/dev/null || { echo "the hack drew nothing"; return 1; }
    ms=$(($(now_ms) - started))
    echo "activation to the first frame: $ms ms" >&3
    window=$(window_of "$hack")
    [ -n "$window" ] || { echo "the hack was given no XSCREENSAVER_WINDOW"; return 1; }
    [ "$(xwininfo -id "$window" | awk '/Width:/{w = $2} /Height:/{h = $2} END{print w "x" h}')" = 1280x720 ] ||
        { echo "the daemon's window is not the screen's size:"; xwininfo -id "$window"; return 1; }
    within 60 shows_scene "$window" mate-active 300 500 || return 1
    within 30 differs_from "$window" mate-active-later mate-active ||
        { echo "a second screenshot did not differ from the first"; return 1; }
}

# "FRAMES MILLISECONDS": the frames the hack drew over about SECONDS (its writes to the X
# server), and how long that really was: on a busy machine a sleep lasts longer.
frames_over() {
    local before start
    before=$(frames_of "$1")
    start=$(now_ms)
    sleep "$2"
    echo "$(($(frames_of "$1") - before)) $(($(now_ms) - start))"
}

# About ten a second: a busy machine may draw fewer, never more than one a tick and a few over.
at_about_ten_a_second() { # at_about_ten_a_second FRAMES MILLISECONDS
    [ "$1" -ge $(($2 / 200)) ] && [ "$1" -le $(($2 / 100 + 3)) ] ||
        { echo "expected about $(($2 / 100)) frames in $2 ms, got $1"; return 1; }
}

about_ten_a_second_and_no_burst_after_a_stop() {
    local steady first after
    steady=$(frames_over "$hack" 3)
    kill -STOP "$hack"
    within 10 grep -q '^State:.*[Tt]' "/proc/$hack/status" || { echo "the hack did not stop"; return 1; }
    sleep 10
    kill -CONT "$hack"
    first=$(frames_over "$hack" 0.5)
    after=$(frames_over "$hack" 3)
    echo "frames (count, milliseconds): $steady before the stop; $first, then $after after it" >&3
    at_about_ten_a_second $steady || return 1
    # The hundred ticks missed while stopped are not made up for: a burst would show here.
    set -- $first
    [ "$1" -le $(($2 / 100 + 3)) ] || { echo "expected at most $(($2 / 100 + 3)) frames in the first $2 ms after SIGCONT, got $1"; return 1; }
    at_about_ten_a_second $after
}

deactivation_ends_it_with_zero_within_a_second() {
    local ms
    mate-screensaver-command --deactivate || return 1
    ms=$(poll_ms 30 gone "$hack") || { echo "the hack still runs 30 s after deactivation"; return 1; }
    echo "deactivation to the hack's end: $ms ms" >&3
    ends_with_zero "$hack" || return 1
    # A second is what a person waits for; the margin is for a loaded machine.
    [ "$ms" -le 2500 ] || { echo "the hack ended $ms ms after deactivation"; return 1; }
}

# The preferences now and then start no preview on a busy machine (their own doing: the
# saver is not started at all); a person would open them again, and so does this, three times.
open_preferences_with_a_preview() {
    local try
    for try in 1 2 3; do
        mate-screensaver-preferences >"$work/preferences.log" 2>&1 &
        preferences_pid=$!
        within 20 hack_count_is 1 "$preferences_pid" && return 0
        echo "opened $try times, the preferences started no preview" >&3
        stop_pid "$preferences_pid"
        preferences_pid=
    done
    cat "$work/preferences.log"
    return 1
}

preview_runs_it_in_a_small_window() {
    local preview window size
    # The daemon's window, when active, would cover the preview.
    mate-screensaver-command --deactivate || return 1
    open_preferences_with_a_preview || return 1
    preview=$(hacks_of "$preferences_pid")
    window=$(window_of "$preview")
    size=$(xwininfo -id "$window" | awk '/Width:/{w = $2} /Height:/{h = $2} END{print w "x" h}')
    echo "the preview's window: $size" >&3
    [ "${size%x*}" -lt 1280 ] && [ "${size#*x}" -lt 720 ] || { echo "the preview is not small: $size"; return 1; }
    within 60 shows_scene "$window" mate-preview 100 100 || return 1
    # Closed however, the preferences take their window with them, and the preview ends.
    stop_pid "$preferences_pid"
    preferences_pid=
    within 30 gone "$preview" || { echo "the preview's hack outlived the preferences"; return 1; }
}

one_hack_per_monitor() {
    local hacks one at
    mate-screensaver-command --activate || return 1
    within 60 hack_count_is 2 "$(daemon_process)" ||
        { echo "expected two hacks, found: $(hacks_of "$(daemon_process)" | tr '\n' ' ')"; return 1; }
    hacks=$(hacks_of "$(daemon_process)")
    for one in $hacks; do within 60 has_drawn "$one" || return 1; done
    for at in "$TWO_MONITOR_X_PRIMARY" "$TWO_MONITOR_X_SECONDARY"; do
        monitor_shows_scene() {
            xwd -root -silent | "$convert" xwd:- -crop "$at" +repage "$pictures/mate-monitor-$at.png" &&
                "$convert" "$pictures/mate-monitor-$at.png" "$work/monitor.ppm" &&
                "$build/picture_check" "$work/monitor.ppm" 300 500
        }
        within 60 monitor_shows_scene || { echo "the monitor at $at shows no scene"; return 1; }
    done
    mate-screensaver-command --deactivate || return 1
    for one in $hacks; do
        within 30 gone "$one" || { echo "hack $one still runs after deactivation"; return 1; }
        ends_with_zero "$one" || return 1
    done
}

exec 3>&1
start_xvfb || give_up "starting Xvfb"
check "cmake --install puts a valid desktop entry into share/applications/screensavers that runs $hack_path" \
    installed_entry_is_valid
check "settings through gsettings: mode single, the theme $theme, no locking" set_up_the_theme
start_daemon || give_up "starting mate-screensaver"
check "activated, mate-screensaver runs the installed hack in its 1280x720 window: stars and the globe, and a later screenshot differs" \
    activation_runs_the_hack_in_the_daemons_window
if [ -n "$hack" ] && [ -e "/proc/$hack" ]; then
    check "about ten frames a second; stopped for 10 s and let go, it goes on at that rate without a burst" \
        about_ten_a_second_and_no_burst_after_a_stop
    check "deactivated, the hack ends with exit code 0 within a second (asserted within 2.5 s)" \
        deactivation_ends_it_with_zero_within_a_second
fi
check "mate-screensaver-preferences previews it in a small window, which ends with the preferences" \
    preview_runs_it_in_a_small_window
stop_daemon
stop_pid "$xvfb_pid"
xvfb_pid=

if start_two_monitor_x right >"$work/x.log" 2>&1; then
    start_daemon || give_up "starting mate-screensaver on two monitors"
    check "two monitors: one hack per monitor, both show the scene; deactivated, both end with 0" one_hack_per_monitor
    stop_daemon
else
    echo "FAIL starting an X server with two monitors (Xorg, dummy driver)"
    sed 's/^/    /' "$work/x.log"
    failed=$((failed + 1))
fi
echo "linux-saver, MATE: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
