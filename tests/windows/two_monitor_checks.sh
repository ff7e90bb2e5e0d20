# The full-screen run on a desk with two monitors, as a person sees it: the scene on the primary
# and black on the secondary (the desktop's own colour nowhere), with the secondary right of the
# primary and left of it (where Windows gives it negative coordinates); the fourth mouse move and a
# click over the secondary end the run; after the end both monitors show the desktop again in the
# same layout, with no saver window left. And a run that another program interrupts (a notepad
# opens) ends by itself with exit code 0 and the desktop's mode back. Last, one run lives through
# the desk's changes (tests/support/desk-changes.sh), each judged from a screenshot, and a key
# ends it with 0.
#
# Sourced by scripts/test-windows.sh after its helpers (check, start_saver, saver_ended,
# use_display, screenshot, fraction, between); the X server is tests/support/two-monitor-x.sh.

source "$root/tests/support/two-monitor-x.sh"
source "$root/tests/support/desk-changes.sh"

# Fractions of a picture's pixels, with plain pixel operations: -fx takes seconds a picture.
lit_share() { "$magick" "$1" -colorspace Gray -threshold "$2" -format "%[fx:mean]" info:; }
desktop_share() { # the share in the desktop's colour, within a little
    "$magick" "$1" -fuzz 8% -fill black +opaque "$TWO_MONITOR_X_DESKTOP" \
        -fill white -opaque "$TWO_MONITOR_X_DESKTOP" -colorspace Gray -format "%[fx:mean]" info:
}
# "PRIMARY-SHARE SECONDARY-SHARE" of the desktop's colour in the last screenshot's monitors.
desktop_shares() { echo "$(desktop_share "$work/primary.png") $(desktop_share "$work/secondary.png")"; }

# Cuts one monitor (WxH+X+Y) out of a screenshot of the whole root window.
monitor_picture() { "$magick" "$1" -crop "$2" +repage "$3"; }

# The point at fractions FX, FY of a monitor WxH+X+Y, as "x y".
monitor_point() {
    local geometry=$1 fx=$2 fy=$3 size at
    size=${geometry%%+*}
    at=${geometry#*+}
    awk -v w="${size%x*}" -v h="${size#*x}" -v x="${at%+*}" -v y="${at#*+}" -v fx="$fx" -v fy="$fy" \
        'BEGIN { printf "%d %d\n", x + w * fx, y + h * fy }'
}

saver_windows() { xdotool search --name '^Quillomantrase$' 2>/dev/null; }

# Starts the saver with the pointer resting on the primary and waits for what a person should
# see: stars and globe on the primary, black on the secondary. Sets primaryLit, primaryOcean,
# secondaryLit and desktopShown (the share of both monitors in the desktop's colour).
start_two_monitor_run() { # start_two_monitor_run LABEL
    local shot=$work/two-monitors-${1//[^a-z]/}.xwd deadline=$((SECONDS + 60))
    xdotool mousemove $(monitor_point "$TWO_MONITOR_X_PRIMARY" 0.5 0.5)
    start_saver "$module" /s
    primaryLit=0 primaryOcean=0 secondaryLit=1 desktopShown="1 1"
    while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$saverPid" 2>/dev/null; do
        sleep 1
        screenshot "$shot"
        monitor_picture "$shot" "$TWO_MONITOR_X_PRIMARY" "$work/primary.png"
        monitor_picture "$shot" "$TWO_MONITOR_X_SECONDARY" "$work/secondary.png"
        primaryLit=$(lit_share "$work/primary.png" 6%)
        secondaryLit=$(lit_share "$work/secondary.png" 2%)
        desktopShown=$(desktop_shares)
        between "$primaryLit" 0.001 0.2 && [ "$secondaryLit" = 0 ] && break
    done
    primaryOcean=$(fraction "$work/primary.png" "b > r + 0.12 && b > g")
}

# Waits for the run to end after HOW; true when it ended (with its exit code checked).
check_run_ended() { # check_run_ended LABEL HOW
    if ! saver_ended 60; then
        fail "$1: $2 ends the run"
        stop_saver
        return 1
    fi
    check "$1: $2 ends the run with exit code 0 (exit $saverExit)" test "$saverExit" -eq 0
    # What Wine said of a run that failed (a crash's trace, say).
    [ "$saverExit" -eq 0 ] || tail -20 "$work/saver.log" | sed 's/^/    wine: /'
}

# After a run: the layout as before, both monitors showing the desktop again, no saver window.
check_desktop_back() { # check_desktop_back LABEL LAYOUT-BEFORE
    local label=$1 before=$2 after shot=$work/after.xwd desktop= deadline=$((SECONDS + 30))
    after=$(two_monitor_layout)
    check "$label: the monitors are laid out as before ($after)" test "$after" = "$before"
    while [ "$SECONDS" -lt "$deadline" ]; do
        screenshot "$shot"
        monitor_picture "$shot" "$TWO_MONITOR_X_PRIMARY" "$work/primary.png"
        monitor_picture "$shot" "$TWO_MONITOR_X_SECONDARY" "$work/secondary.png"
        desktop=$(desktop_shares)
        [ "$desktop" = "1 1" ] && break
        sleep 1
    done
    check "$label: both monitors show the desktop again (shares $desktop)" test "$desktop" = "1 1"
    check "$label: no saver window is left" test -z "$(saver_windows)"
}

check_two_monitor_run() { # check_two_monitor_run LAYOUT HOW
    local layout=$1 how=$2 label="two monitors, secondary $1" before x y
    before=$(two_monitor_layout)
    start_two_monitor_run "$layout-$how"
    if ! kill -0 "$saverPid" 2>/dev/null; then
        fail "$label: the saver runs (it ended at once)"
        saver_ended 5
        return
    fi
    check "$label: stars and globe on the primary ($primaryLit lit, $primaryOcean ocean)" \
        eval 'between "$primaryLit" 0.001 0.2 && between "$primaryOcean" 0.0002 0.2'
    check "$label: the secondary is black ($secondaryLit of it lit)" test "$secondaryLit" = 0
    check "$label: the desktop shows nowhere (shares $desktopShown)" test "$desktopShown" = "0 0"
    case $how in
    moves)
        local f at=
        for f in 0.3 0.4 0.5; do
            read -r x y < <(monitor_point "$TWO_MONITOR_X_SECONDARY" "$f" "$f")
            xdotool mousemove "$x" "$y"
            sleep 0.5
            at="$at $(xdotool getmouselocation | cut -d' ' -f1-2)"
            [ "$f" = 0.3 ] && xdotool click 4 click 5
        done
        sleep 1
        check "$label: three moves and a wheel turn over the secondary leave it running (pointer at$at)" \
            kill -0 "$saverPid"
        read -r x y < <(monitor_point "$TWO_MONITOR_X_SECONDARY" 0.6 0.6)
        xdotool mousemove "$x" "$y"
        how="the fourth move over the secondary"
        ;;
    click)
        read -r x y < <(monitor_point "$TWO_MONITOR_X_SECONDARY" 0.5 0.5)
        # The move there is one of the three that a run tolerates; the click ends it.
        xdotool mousemove "$x" "$y" click 1
        how="a click over the secondary"
        ;;
    key)
        xdotool key space
        how="a key"
        ;;
    esac
    check_run_ended "$label" "$how" && check_desktop_back "$label" "$before"
    # Whatever the run did to the monitors, the next one starts from the layout asked for.
    set_two_monitor_layout "$layout" >/dev/null
}

# Another program opens a window during the run: the saver ends by itself, as on a key.
check_foreground_taken() {
    local label="two monitors, a notepad opens" before notepadPid
    before=$(two_monitor_layout)
    start_two_monitor_run notepad
    if ! kill -0 "$saverPid" 2>/dev/null; then
        fail "$label: the saver runs (it ended at once)"
        saver_ended 5
        return
    fi
    local opened=$SECONDS ended=1
    wine notepad >/dev/null 2>&1 &
    notepadPid=$!
    check_run_ended "$label" "the other program's window" || ended=0
    echo "    (the saver ended $((SECONDS - opened)) s after the notepad was started)"
    kill "$notepadPid" 2>/dev/null
    wait "$notepadPid" 2>/dev/null
    [ "$ended" -eq 1 ] && check_desktop_back "$label" "$before"
    set_two_monitor_layout right >/dev/null
}

# The desk changing during one run (tests/support/desk-changes.sh), then a key. Under Wine the
# module's own process, not the wrapper that started it, is the one to stop.
check_desk_changes() {
    local label="two monitors, the desk changing during a run" module_process
    set_two_monitor_layout right >/dev/null
    use_display "${DISPLAY#:}"
    start_two_monitor_run desk
    if ! kill -0 "$saverPid" 2>/dev/null; then
        fail "$label: the saver runs (it ended at once)"
        saver_ended 5
        return
    fi
    module_process=$(pgrep -n -f '^[^ ]*Quillomantrase\.scr /s')
    desk_walk "$label" "$saverPid" "${module_process:-$saverPid}"
    xdotool key space
    check_run_ended "$label" "a key after the changes"
    set_two_monitor_layout right >/dev/null
}

check_two_monitors() {
    if ! start_two_monitor_x right >"$work/two-monitor-x.log" 2>&1; then
        fail "two monitors: Xorg with the dummy driver starts ($(tail -1 "$work/two-monitor-x.log"))"
        return
    fi
    xvfbPids+=("$TWO_MONITOR_X_PID")  # the clean-up ends it too
    use_display "${DISPLAY#:}"
    local layout how
    for layout in right left; do
        set_two_monitor_layout "$layout" >/dev/null
        use_display "${DISPLAY#:}"  # Wine reads the monitors afresh
        for how in moves click key; do check_two_monitor_run "$layout" "$how"; done
    done
    set_two_monitor_layout right >/dev/null
    use_display "${DISPLAY#:}"
    check_foreground_taken
    check_desk_changes
    use_display "$screenDisplay"
    stop_two_monitor_x
}
