#!/usr/bin/env bash
# The Linux saver's full-screen run in a Wayland session: sway, headless, with two outputs side
# by side (HEADLESS-1 1024x768 and HEADLESS-2 800x600), first the second right of the first, then
# left of it with the second focused. Checked as a person would see it, from screenshots of each
# output (grim -o): the scene on one output, black on the other, the desktop nowhere; both
# windows full screen (so without title bars) and neither holding off idleness; a key (wtype)
# ends the run with 0. Then the same under Xwayland (SDL_VIDEODRIVER=x11), a set-up that fails
# (it must end at once with 1, its reason on stderr, holding no box open), and a run that
# swayidle starts after three idle seconds, and a run during which an output is added and
# another grows. Prints a PASS or FAIL line per check and, last,
# "linux-saver, sway: N passed, M failed"; exits with 1 when a check failed.
#
# sway refuses to run as root, so sway, its clients and the saver run as an unprivileged user
# made for the purpose (quillomantrase-check), with an XDG_RUNTIME_DIR of their own and a copy of
# the saver in a scratch folder that user can reach.
#
# Usage: tests/linux/sway_checks.sh BUILD_DIR [PICTURE_DIR]
#   BUILD_DIR holds quillomantrase and picture_check; screenshots are kept in PICTURE_DIR.
set -u

build=$(cd "$1" && pwd)
pictures=${2:-$build/linux-saver-pictures}
mkdir -p "$pictures"
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
convert=/usr/bin/convert
user=quillomantrase-check
scratch=$work/session  # the user's: its runtime folder, the saver, sway's config, screenshots
sway_pid=
saver_pid=
idle_pid=
# shellcheck source=../support/check.sh
source "$(dirname "$0")/../support/check.sh"

finish() {
    [ ! -s "$scratch/pid" ] || kill "$(cat "$scratch/pid")" 2>/dev/null
    for pid in $idle_pid $sway_pid; do kill "$pid" 2>/dev/null; done
    [ -z "$sway_pid" ] || wait "$sway_pid" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

give_up() {
    echo "FAIL $1"
    [ ! -f "$work/why" ] || sed 's/^/    /' "$work/why"
    echo "linux-saver, sway: $passed passed, $((failed + 1)) failed"
    exit 1
}

# Runs a command as the session's user, in the session: only what the command needs from the
# environment, plus what is given as NAME=VALUE before it.
as_user() {
    runuser -u "$user" -- env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$scratch" XDG_RUNTIME_DIR="$scratch/run" \
        WAYLAND_DISPLAY="$wayland_socket" SWAYSOCK="$sway_socket" "$@"
}

make_session_user() {
    id "$user" >/dev/null 2>&1 ||
        useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" ||
        return 1
    # Only the way down to the scratch folder opens to others, not what lies beside it.
    chmod 711 "$work"
    mkdir -p "$scratch/run"
    chmod 755 "$scratch"
    chmod 700 "$scratch/run"
    cp "$build/quillomantrase" "$scratch/quillomantrase"
    chmod 755 "$scratch/quillomantrase"
    cat >"$scratch/sway.config" <<'EOF'
output HEADLESS-1 mode 1024x768 position 0 0 bg #c040a0 solid_color
output HEADLESS-2 mode 800x600 position 1024 0 bg #c040a0 solid_color
xwayland enable
EOF
    chown -R "$user:" "$scratch"
}

sway_answers() { as_user swaymsg -t get_version >/dev/null; }

sockets_made() { compgen -G "$scratch/run/sway-ipc.*.sock" >/dev/null && [ -S "$scratch/run/wayland-1" ]; }

start_sway() {
    wayland_socket=
    sway_socket=
    runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$scratch" XDG_RUNTIME_DIR="$scratch/run" \
        WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=2 WLR_LIBINPUT_NO_DEVICES=1 \
        sway -c "$scratch/sway.config" >"$work/sway.log" 2>&1 &
    sway_pid=$!
    within 60 sockets_made || return 1
    wayland_socket=wayland-1
    sway_socket=$(echo "$scratch/run/"sway-ipc.*.sock)
    within 60 sway_answers || return 1
    # Xwayland starts when the first X client comes; sway tells its clients where.
    as_user swaymsg exec "'echo \$DISPLAY >$scratch/x-display'" >/dev/null
    within 60 test -s "$scratch/x-display" || return 1
    x_display=$(cat "$scratch/x-display")
}

# "NAME WxH+X+Y;" per output, as sway has them.
output_layout() {
    as_user swaymsg -r -t get_outputs | python3 -c '
import json, sys
for o in json.load(sys.stdin):
    r = o["rect"]
    print("%s %dx%d+%d+%d;" % (o["name"], r["width"], r["height"], r["x"], r["y"]), end="")'
}

# right: HEADLESS-2 right of HEADLESS-1; left: left of it.
set_layout() {
    local first=0 second=1024
    [ "$1" = right ] || { first=800 second=0; }
    as_user swaymsg "output HEADLESS-1 position $first 0; output HEADLESS-2 position $second 0" >/dev/null || return 1
    expected="HEADLESS-1 1024x768+$first+0;HEADLESS-2 800x600+$second+0;"
    within 30 test "$(output_layout)" = "$expected"
}

screenshot() { # screenshot NAME OUTPUT
    rm -f "$scratch/shot.png"
    as_user grim -o "$2" "$scratch/shot.png" && cp "$scratch/shot.png" "$pictures/$1.png"
}

# One output shows stars and the globe, reaching its right edge (a scene laid out for another
# size does not), every other only black; the outputs are HEADLESS-1 and HEADLESS-2 unless named.
shows_scene_and_black() { # shows_scene_and_black NAME [OUTPUT...]
    local name=$1 output scene=0 black=0 edge
    shift
    [ $# -gt 0 ] || set -- HEADLESS-1 HEADLESS-2
    for output in "$@"; do
        screenshot "$name-$output" "$output" || return 1
        if [ "$("$convert" "$pictures/$name-$output.png" -format '%[max]' info:)" = 0 ]; then
            black=$((black + 1))
        else
            edge=$("$convert" "$pictures/$name-$output.png" -gravity East -crop 24x+0+0 +repage -format '%[max]' info:)
            "$convert" "$pictures/$name-$output.png" "$work/shot.ppm" &&
                "$build/picture_check" "$work/shot.ppm" 300 100 >"$work/picture.log" && [ "$edge" != 0 ] &&
                scene=$((scene + 1))
        fi
    done
    [ "$scene" = 1 ] && [ "$black" = $(($# - 1)) ] || {
        echo "expected the scene, reaching its right edge, on one output and black on the $(($# - 1)) others;" \
            "found $scene and $black"
        cat "$work/picture.log"
        return 1
    }
}

# The saver's windows as sway has them: "fullscreen inhibit_idle shell" per window.
saver_views() {
    as_user swaymsg -r -t get_tree | python3 -c '
import json, sys
def walk(node):
    if node.get("name") == "Quillomantrase" and node.get("pid"):
        print(node.get("fullscreen_mode"), node.get("inhibit_idle"), node.get("shell"))
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))'
}

# The shell command that runs the saver as a host would, leaving its process id in
# $scratch/pid and its exit code in $scratch/exit.
saver_command="$scratch/quillomantrase 2>$scratch/saver.err & echo \$! >$scratch/pid; wait \$!; echo \$? >$scratch/exit"

start_saver() { # start_saver [NAME=VALUE...]
    rm -f "$scratch/exit" "$scratch/pid"
    as_user "$@" sh -c "$saver_command" &
    saver_pid=$!
}

saver_gone() { [ -s "$scratch/exit" ]; }

# Ends the run with a key, as a person would, and expects exit code 0.
a_key_ends_it() {
    # -s 400: a key sent before the window has the keyboard would be lost.
    as_user wtype -s 400 a || return 1
    within 30 saver_gone || { echo "a key did not end the run"; return 1; }
    [ "$(cat "$scratch/exit")" = 0 ] || { echo "exit code $(cat "$scratch/exit"):"; cat "$scratch/saver.err"; return 1; }
}

after_check() {
    [ ! -s "$scratch/pid" ] || kill "$(cat "$scratch/pid")" 2>/dev/null
    [ -z "$saver_pid" ] || wait "$saver_pid" 2>/dev/null
    # runuser does not hand a signal on to swayidle, which would start the saver again.
    [ -z "$idle_pid" ] || { pkill -u "$user" -x swayidle; wait "$idle_pid" 2>/dev/null; }
    saver_pid=
    idle_pid=
}

# --- the checks -------------------------------------------------------------------------------

native_run_covers_both_outputs() {
    local name=$1 views
    start_saver
    within 60 shows_scene_and_black "$name" || { cat "$scratch/saver.err"; return 1; }
    views=$(saver_views)
    [ "$views" = $'1 False xdg_shell\n1 False xdg_shell' ] ||
        { echo "expected two full-screen Wayland windows that do not inhibit idle, found (fullscreen inhibit_idle shell):"; echo "$views"; return 1; }
    a_key_ends_it
}

xwayland_run_covers_both_outputs() {
    start_saver SDL_VIDEODRIVER=x11 DISPLAY="$x_display"
    within 60 shows_scene_and_black xwayland || { cat "$scratch/saver.err"; return 1; }
    [ "$(saver_views)" = "1 False xwayland" ] || { echo "expected one full-screen X11 window, found:"; saver_views; return 1; }
    a_key_ends_it
}

a_failure_holds_nothing() {
    # No window surface: SDL's Wayland driver has none in plain memory.
    start_saver SDL_FRAMEBUFFER_ACCELERATION=0 DISPLAY="$x_display"
    within 20 saver_gone || { echo "the saver is still running 20 s after a failed set-up"; return 1; }
    [ "$(cat "$scratch/exit")" = 1 ] || { echo "expected exit code 1, got $(cat "$scratch/exit")"; return 1; }
    grep -q "could be had for a 1024x768 frame on SDL's wayland video driver (SDL: ." "$scratch/saver.err" ||
        { echo "stderr does not say which driver and why:"; cat "$scratch/saver.err"; return 1; }
}

swayidle_starts_it_and_a_key_ends_it() {
    rm -f "$scratch/exit" "$scratch/pid"
    as_user swayidle -w timeout 3 "$saver_command" >"$work/swayidle.log" 2>&1 &
    idle_pid=$!
    within 60 shows_scene_and_black swayidle || { cat "$work/swayidle.log" "$scratch/saver.err"; return 1; }
    a_key_ends_it
}

# Last, since sway cannot take an output away again: an output added during the run gets a cover
# at once, and when the globe's output grows the scene is set up again at its size (a scene of
# the old size would leave the new right edge black).
# (sway 1.7 cannot switch a headless output off or remove it, so outputs going is not checked.)
outputs_added_and_resized_are_followed() {
    start_saver
    within 60 shows_scene_and_black desk-before || { cat "$scratch/saver.err"; return 1; }
    as_user swaymsg create_output >/dev/null || return 1
    within 30 shows_scene_and_black desk-added HEADLESS-1 HEADLESS-2 HEADLESS-3 ||
        { cat "$scratch/saver.err"; return 1; }
    local output globe=
    for output in HEADLESS-1 HEADLESS-2 HEADLESS-3; do
        [ "$("$convert" "$pictures/desk-added-$output.png" -format '%[max]' info:)" = 0 ] || globe=$output
    done
    as_user swaymsg output "$globe" mode 1280x1024 >/dev/null || return 1
    within 30 shows_scene_and_black desk-grown HEADLESS-1 HEADLESS-2 HEADLESS-3 ||
        { cat "$scratch/saver.err"; return 1; }
    [ "$("$convert" "$pictures/desk-grown-$globe.png" -format '%wx%h' info:)" = 1280x1024 ] &&
        [ "$("$convert" "$pictures/desk-grown-$globe.png" -format '%[max]' info:)" != 0 ] ||
        { echo "$globe, which showed the scene, does not show it at 1280x1024"; return 1; }
    a_key_ends_it
}

bash "$root/scripts/ensure-packages.sh" sway swaybg swayidle grim wtype xwayland libegl-mesa0 libgl1-mesa-dri \
    python3 imagemagick </dev/null >"$work/why" 2>&1 || give_up "installing sway and its tools"
make_session_user >"$work/why" 2>&1 || give_up "making the unprivileged user $user for sway"
start_sway >"$work/why" 2>&1 || { tail -n 20 "$work/sway.log" >>"$work/why"; give_up "starting sway headless with two outputs"; }

set_layout right || give_up "placing HEADLESS-2 right of HEADLESS-1"
check "sway, HEADLESS-2 right of HEADLESS-1: the scene on one output, black on the other, two full-screen windows that do not inhibit idle; a key ends it with 0" \
    native_run_covers_both_outputs right
set_layout left || give_up "placing HEADLESS-2 left of HEADLESS-1"
as_user swaymsg focus output HEADLESS-2 >/dev/null
check "sway, HEADLESS-2 left of HEADLESS-1 and focused: the same" native_run_covers_both_outputs left
check "sway, Xwayland (SDL_VIDEODRIVER=x11): the scene on one output, black on the other; a key ends it with 0" \
    xwayland_run_covers_both_outputs
check "sway: a set-up that fails (no window surface) ends at once with 1 and says which driver and why, though DISPLAY is set" \
    a_failure_holds_nothing
check "sway: swayidle starts it after 3 idle seconds; the scene on one output, black on the other; a key ends it with 0" \
    swayidle_starts_it_and_a_key_ends_it
check "sway: an output added during the run is covered at once; the globe's output grown to 1280x1024 shows the scene at its new size; a key ends it with 0" \
    outputs_added_and_resized_are_followed
echo "linux-saver, sway: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
