# An X server with two monitors side by side, for checks that need a second screen to cover.
# Xvfb cannot give two heads that both Wine and SDL2 see apart, so this is Xorg with the dummy
# video driver: DUMMY0 is the primary monitor (1024x768), DUMMY1 the secondary (800x600), and
# RandR places them. Needs root (or sudo without a password) to start Xorg.
#
# Source this file, then:
#   start_two_monitor_x LAYOUT      starts the server on a free display, exports DISPLAY,
#                                   paints the desktop and sets LAYOUT; returns 1 on failure
#   set_two_monitor_layout LAYOUT   "right": the secondary right of the primary, primary at 0,0
#                                   "left":  the secondary left of the primary, so the primary
#                                   is at 800,0 and Windows puts the secondary at -800,0
#   two_monitor_layout              prints the monitors as RandR has them (to compare before/after)
#   stop_two_monitor_x              ends the server and waits for it
# After start/set: TWO_MONITOR_X_PRIMARY and TWO_MONITOR_X_SECONDARY hold each monitor's
# geometry on the root window as WxH+X+Y (ready for convert -crop); TWO_MONITOR_X_DESKTOP is the
# desktop's colour (set it before starting to choose another); TWO_MONITOR_X_PID the server.

TWO_MONITOR_X_PACKAGES=(xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-utils)
TWO_MONITOR_X_DESKTOP=${TWO_MONITOR_X_DESKTOP:-#c040a0}
TWO_MONITOR_X_PID=
TWO_MONITOR_X_DIR=
TWO_MONITOR_X_PRIMARY=
TWO_MONITOR_X_SECONDARY=
two_monitor_x_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

two_monitor_x_config() {
    cat <<'EOF'
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoAddGPU" "false"
    Option "DontVTSwitch" "true"
    Option "AllowMouseOpenFail" "true"
EndSection
Section "Device"
    Identifier "dummy-card"
    Driver "dummy"
    VideoRam 64000
EndSection
Section "Monitor"
    Identifier "dummy-monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Modeline "1024x768" 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync
    Modeline "800x600" 38.25 800 832 912 1024 600 603 607 624 -hsync +vsync
    Modeline "640x480" 23.75 640 664 720 800 480 483 487 500 -hsync +vsync
EndSection
Section "Screen"
    Identifier "dummy-screen"
    Device "dummy-card"
    Monitor "dummy-monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        # Room for both monitors side by side.
        Virtual 1824 768
        Modes "1024x768"
    EndSubSection
EndSection
EOF
}

# Polls COMMAND... until it succeeds or SECONDS have passed.
two_monitor_x_wait() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

two_monitor_x_answers() { xdpyinfo >/dev/null 2>&1; }

start_two_monitor_x() {
    local layout=${1:-right} as_root=()
    bash "$two_monitor_x_root/scripts/ensure-packages.sh" "${TWO_MONITOR_X_PACKAGES[@]}" </dev/null || return 1
    [ "$(id -u)" -eq 0 ] || as_root=(sudo -n)
    TWO_MONITOR_X_DIR=$(mktemp -d)
    two_monitor_x_config >"$TWO_MONITOR_X_DIR/xorg.conf"
    # -displayfd lets the server take the first display number nobody holds and tell which,
    # so two servers starting at once never fight over one number.
    "${as_root[@]}" Xorg -displayfd 3 -config "$TWO_MONITOR_X_DIR/xorg.conf" \
        -logfile "$TWO_MONITOR_X_DIR/xorg.log" -noreset -nolisten tcp -novtswitch -sharevts \
        3>"$TWO_MONITOR_X_DIR/display" >"$TWO_MONITOR_X_DIR/xorg.out" 2>&1 &
    TWO_MONITOR_X_PID=$!
    if ! two_monitor_x_wait 60 grep -q '^[0-9]' "$TWO_MONITOR_X_DIR/display"; then
        echo "Xorg with the dummy driver did not start; its log says:"
        grep -e '(EE)' -e 'Fatal' "$TWO_MONITOR_X_DIR/xorg.log" "$TWO_MONITOR_X_DIR/xorg.out" 2>/dev/null | tail -n 20
        stop_two_monitor_x
        return 1
    fi
    export DISPLAY=:$(head -n 1 "$TWO_MONITOR_X_DIR/display")
    if ! two_monitor_x_wait 60 two_monitor_x_answers; then
        echo "Xorg on $DISPLAY does not answer"
        stop_two_monitor_x
        return 1
    fi
    xrandr --addmode DUMMY1 800x600 || { stop_two_monitor_x; return 1; }
    set_two_monitor_layout "$layout" || { stop_two_monitor_x; return 1; }
    xsetroot -solid "$TWO_MONITOR_X_DESKTOP"
}

set_two_monitor_layout() {
    case $1 in
    right)
        TWO_MONITOR_X_PRIMARY=1024x768+0+0
        TWO_MONITOR_X_SECONDARY=800x600+1024+0
        ;;
    left)
        TWO_MONITOR_X_PRIMARY=1024x768+800+0
        TWO_MONITOR_X_SECONDARY=800x600+0+0
        ;;
    *)
        echo "set_two_monitor_layout: no layout named \"$1\" (right or left)"
        return 1
        ;;
    esac
    xrandr --output DUMMY0 --primary --mode 1024x768 --pos "$(two_monitor_x_position "$TWO_MONITOR_X_PRIMARY")" \
        --output DUMMY1 --mode 800x600 --pos "$(two_monitor_x_position "$TWO_MONITOR_X_SECONDARY")" || return 1
    local expected="DUMMY0 $TWO_MONITOR_X_PRIMARY primary;DUMMY1 $TWO_MONITOR_X_SECONDARY;"
    if ! two_monitor_x_wait 30 two_monitor_x_has_layout "$expected"; then
        echo "the monitors did not take the layout \"$1\"; RandR has: $(two_monitor_layout)"
        return 1
    fi
}

# WxH+X+Y -> XxY, as xrandr --pos takes it.
two_monitor_x_position() {
    local at=${1#*+}
    echo "${at/+/x}"
}

two_monitor_x_has_layout() { [ "$(two_monitor_layout)" = "$1" ]; }

# One line: "NAME WxH+X+Y [primary];" per connected monitor.
two_monitor_layout() {
    xrandr --query | awk '$2 == "connected" {
        geometry = ($3 == "primary") ? $4 : $3
        printf "%s %s%s;", $1, geometry, ($3 == "primary") ? " primary" : ""
    }'
}

stop_two_monitor_x() {
    if [ -n "$TWO_MONITOR_X_PID" ]; then
        kill -TERM "$TWO_MONITOR_X_PID" 2>/dev/null
        local deadline=$((SECONDS + 30))
        while kill -0 "$TWO_MONITOR_X_PID" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.2; done
        kill -KILL "$TWO_MONITOR_X_PID" 2>/dev/null
        wait "$TWO_MONITOR_X_PID" 2>/dev/null
    fi
    TWO_MONITOR_X_PID=
    [ -z "$TWO_MONITOR_X_DIR" ] || rm -rf "$TWO_MONITOR_X_DIR"
    TWO_MONITOR_X_DIR=
}
