# A full-screen run while the desk changes under it, on the two-monitor X server
# (two-monitor-x.sh): the primary P (DUMMY0, 1024x768) and the secondary S (DUMMY1, 800x600) are
# unplugged, plugged in again on the other side, resized, switched off (a lid closed) with S
# made primary, P made primary again with no monitor coming or going, all switched off for a
# moment, changed twenty times within two seconds, and changed while the saver is stopped. After
# each change every monitor must show the scene or black, never the desktop: the scene on the
# primary, reaching its right and bottom edges (a scene laid out for another size or place does
# not), black on the other. How long after the change the picture was right is printed. The
# saver must live through all of it.
#
# Source it after two-monitor-x.sh, with pass and fail (NAME) defined, $work a scratch folder and
# $magick ImageMagick's convert; the server must run with the layout "right". A screenshot that
# does not pass is kept in $DESK_PICTURES (else $work). Then:
#   desk_walk LABEL PID STOPPED_PID [anywhere]
#       walks through the changes while the saver runs: PID must stay alive; STOPPED_PID is the
#       process to SIGSTOP (the Windows module's own process under Wine, not its wrapper). With
#       "anywhere" (a window manager places the globe's window) the scene may be on either monitor.
# One PASS or FAIL line per change.

desk_shot=
desk_judged=
desk_changed_at=

# Applies an xrandr change and has the server look at its outputs afresh (the dummy driver
# shows a stale list to programs until someone does).
desk_set() {
    desk_changed_at=$(date +%s%N)
    xrandr "$@" && xrandr --query >/dev/null
}

# A strip along the right or the bottom edge of a monitor WxH+X+Y, 24 pixels deep.
desk_edge() {
    local size=${2%%+*} at=${2#*+} w h x y
    w=${size%x*} h=${size#*x} x=${at%+*} y=${at#*+}
    case $1 in
    right) echo "24x$h+$((x + w - 24))+$y" ;;
    bottom) echo "${w}x24+$x+$((y + h - 24))" ;;
    esac
}

# Appends to desk_operations the ImageMagick operations, in parentheses, that print one measure of
# a part of the screenshot.
desk_desktop() { # the share in the desktop's colour, within a little
    desk_operations+=("(" mpr:shot -crop "$1" +repage -fuzz 8% -fill black +opaque "$TWO_MONITOR_X_DESKTOP"
        -fill white -opaque "$TWO_MONITOR_X_DESKTOP" -colorspace Gray -format '%[fx:mean]\n' -write info: ")")
}
desk_lit() {
    desk_operations+=("(" mpr:shot -crop "$1" +repage -colorspace Gray -threshold 6% -format '%[fx:mean]\n'
        -write info: ")")
}
desk_ocean() { # blue well above red: the globe's oceans
    desk_operations+=("(" mpr:shot -crop "$1" +repage -channel B -separate +channel "(" mpr:shot -crop "$1" +repage
        -channel R -separate +channel ")" -compose minus_src -composite -threshold 12% -format '%[fx:mean]\n'
        -write info: ")")
}
desk_brightest() { desk_operations+=("(" mpr:shot -crop "$1" +repage -format '%[max]\n' -write info: ")"); }

desk_between() { awk -v x="$1" -v low="$2" -v high="$3" 'BEGIN { exit !(x > low && x < high) }'; }

# True when a screenshot taken now shows the scene on the monitor SCENE and black on every
# monitor BLACK... (geometries WxH+X+Y); desk_judged says what was seen. One run of ImageMagick
# measures it all, so a screenshot is judged in about a quarter of a second.
desk_shows() { # desk_shows SCENE BLACK...
    local scene=$1 monitor measures desktop lit ocean right bottom others brightest
    shift
    # A screenshot taken while the screen changes its size fails (BadMatch): the next one is taken.
    xwd -root -silent -out "$desk_shot" 2>/dev/null || { desk_judged="no screenshot (the screen changed its size)"; return 1; }
    desk_operations=()
    desk_desktop "$scene"
    desk_lit "$scene"
    desk_ocean "$scene"
    desk_lit "$(desk_edge right "$scene")"
    desk_lit "$(desk_edge bottom "$scene")"
    for monitor in "$@"; do desk_brightest "$monitor"; done
    measures=$("$magick" "xwd:$desk_shot" -write mpr:shot +delete "${desk_operations[@]}" null: 2>&1 | tr '\n' ' ')
    read -r desktop lit ocean right bottom others <<<"$measures"
    desk_judged="the scene's monitor $scene: $lit lit, $ocean ocean, edges $right right and $bottom bottom lit,"
    desk_judged="$desk_judged $desktop desktop; the others' brightest: ${others:-none}"
    [ "$desktop" = 0 ] && desk_between "$lit" 0.001 0.2 && desk_between "$ocean" 0.0002 0.2 &&
        desk_between "$right" 0 1 && desk_between "$bottom" 0 1 || return 1
    for brightest in $others; do [ "$brightest" = 0 ] || return 1; done
}

# Waits (generously) for the picture a change must give; prints how long after the change the
# screenshot was taken that showed it. Under a window manager the scene may be on any monitor.
desk_expect() { # desk_expect NAME PID SCENE BLACK...
    local name=$1 pid=$2 shot deadline=$((SECONDS + 60))
    shift 2
    until shot=$(date +%s%N) && desk_shows_somewhere "$@"; do
        if [ "$SECONDS" -ge "$deadline" ] || ! kill -0 "$pid" 2>/dev/null; then
            fail "$name (not within 60 s, or the saver ended: $desk_judged; layout $(two_monitor_layout))"
            "$magick" "xwd:$desk_shot" "${DESK_PICTURES:-$work}/desk-failed-${name//[^a-zA-Z0-9]/-}.png" 2>/dev/null
            return 1
        fi
        sleep 0.1
    done
    pass "$name (right in the screenshot $(desk_seconds $((shot - desk_changed_at))) s after the change)"
}

# desk_shows, with the scene on the monitor given first, or anywhere when desk_anywhere is set.
desk_shows_somewhere() {
    local first=$1 second=${2:-}
    desk_shows "$@" && return 0
    [ -n "$desk_anywhere" ] && [ -n "$second" ] && desk_shows "$second" "$first"
}

desk_seconds() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1e9 }'; }

desk_walk() { # desk_walk LABEL PID STOPPED_PID [anywhere]
    local label=$1 pid=$2 stopped=$3 windows
    desk_anywhere=${4:-}
    desk_shot=$work/desk.xwd
    local P=DUMMY0 S=DUMMY1
    desk_set --output $S --off
    desk_expect "$label: S unplugged: the scene on P" "$pid" 1024x768+0+0
    desk_set --output $S --mode 800x600 --pos 0x0 --output $P --pos 800x0
    desk_expect "$label: S plugged in again left of P: the scene on P, S black" "$pid" 1024x768+800+0 800x600+0+0
    desk_set --output $P --mode 800x600
    desk_expect "$label: P at 800x600: the scene on P at its size, S black" "$pid" 800x600+800+0 800x600+0+0
    desk_set --output $P --mode 1024x768
    desk_expect "$label: P back at 1024x768: the scene on P at its size, S black" "$pid" 1024x768+800+0 800x600+0+0
    desk_set --output $P --off --output $S --primary
    desk_expect "$label: P switched off, S made primary: the scene on S" "$pid" 800x600+0+0
    desk_set --output $P --mode 1024x768 --pos 800x0
    desk_expect "$label: P on again beside S, S still primary: the scene on S, P black" "$pid" 800x600+0+0 1024x768+800+0
    desk_set --output $P --primary
    desk_expect "$label: P made primary, no monitor coming or going: the scene on P, S black" "$pid" \
        1024x768+800+0 800x600+0+0
    desk_set --output $P --off --output $S --off
    sleep 1
    desk_set --output $S --mode 800x600 --pos 0x0 --output $P --mode 1024x768 --pos 800x0 --primary
    desk_expect "$label: every monitor off for a second and back: the scene on P, S black" "$pid" \
        1024x768+800+0 800x600+0+0
    desk_changed_at=$(date +%s%N)
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        xrandr --output $P --pos 0x0 --output $S --pos 1024x0
        xrandr --output $S --pos 0x0 --output $P --pos 800x0
    done
    xrandr --output $P --pos 0x0 --output $S --pos 1024x0 && xrandr --query >/dev/null
    echo "    (twenty-one changes in $(desk_seconds $(($(date +%s%N) - desk_changed_at))) s)"
    desk_expect "$label: twenty-one changes in a row: the scene on P, S black" "$pid" 1024x768+0+0 800x600+1024+0 &&
        windows=$(xdotool search --name '^Quillomantrase$' | wc -l) &&
        if [ "$windows" = 2 ]; then pass "$label: after them the saver has 2 windows"
        else fail "$label: after them the saver has 2 windows, not $windows"; fi
    kill -STOP "$stopped"
    desk_set --output $S --pos 0x0 --output $P --pos 800x0
    sleep 1
    kill -CONT "$stopped"
    desk_changed_at=$(date +%s%N)  # from when the saver can see it
    desk_expect "$label: S moved left while the saver was stopped: the scene on P, S black" "$pid" \
        1024x768+800+0 800x600+0+0
}
