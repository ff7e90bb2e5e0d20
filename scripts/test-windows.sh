#!/usr/bin/env bash
# The Windows module, proven under Wine. Cross-builds Quillomantrase.scr and its tests with
# mingw-w64 (preset "windows", build-win/), runs the unit tests under Wine, checks the module's
# imports and exports, and then checks under Xvfb what a person would see: the full-screen run
# and what ends it, the options dialog, the preview, a 16-bit screen, a damaged map, and the
# headless renderer's frames against the native build's. Then, on an X server with two
# monitors, the covers of the other monitor and another program taking the foreground
# (tests/windows/two_monitor_checks.sh).
#
# Run it as root from anywhere in the tree: it installs what is missing (Debian 12). It prints a
# PASS or FAIL line per check, ends with "windows: N passed, M failed" and exits non-zero when
# anything failed.
#
# Made for busy machines: windows are found by id (xdotool search), dialogs and message boxes are
# worked with the keyboard, and every wait is for something to happen, with a generous deadline.
# The few short sleeps left give the saver time to react to input that must NOT end it.
set -u -o pipefail

cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-win
native=$root/build-win-native
work=$build/end-to-end
module=$build/Quillomantrase.scr
damagedModule=$build/tests/windows/QuillomantraseDamagedMap.scr
hostWindow=$build/tests/windows/quillomantrase_host_window.exe
readMessageBox=$build/tests/windows/quillomantrase_read_message_box.exe
magick=/usr/bin/convert  # the real ImageMagick, whatever else is first on PATH

export WINEPREFIX=$build/wine-prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"

passed=0
failed=0
xvfbPids=()
saverPid=
hostPid=

pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
check() { # check NAME CONDITION-COMMAND...
    local name=$1
    shift
    if "$@"; then pass "$name"; else fail "$name"; fi
}

cleanup() {
    [ -n "$saverPid" ] && kill "$saverPid" 2>/dev/null
    [ -n "$hostPid" ] && kill "$hostPid" 2>/dev/null
    wineserver -k 2>/dev/null
    for pid in "${xvfbPids[@]}"; do kill "$pid" 2>/dev/null; done
}
trap cleanup EXIT

finish() {
    echo "windows: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

# --- what the checks need ------------------------------------------------------------------

install_packages() {
    bash scripts/ensure-packages.sh cmake ninja-build g++ libpng-dev googletest libgtest-dev \
        g++-mingw-w64-x86-64-win32 wine wine64 fonts-wine xvfb xauth xdotool x11-apps imagemagick
}

build_all() {
    cmake --preset windows >"$work/configure.log" 2>&1 &&
        cmake --build --preset windows >"$work/build.log" 2>&1 || { tail -20 "$work/build.log"; return 1; }
    cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLOMANTRASE_TESTS=OFF \
        >"$work/native-configure.log" 2>&1 &&
        cmake --build "$native" --target quillomantrase-render -j 2 >"$work/native-build.log" 2>&1 ||
        { tail -20 "$work/native-build.log"; return 1; }
}

# Starts Xvfb at the given depth on the first free display; sets xvfbNumber. (Not in a
# subshell: the server's pid must reach the clean-up.)
start_xvfb() {
    local depth=$1 number pid
    for number in $(seq 91 150); do
        [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
        Xvfb ":$number" -screen 0 "1024x768x$depth" -nolisten tcp >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 1 300); do
            if [ -e "/tmp/.X11-unix/X$number" ]; then
                xvfbPids+=("$pid")
                xvfbNumber=$number
                return 0
            fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$pid" 2>/dev/null
    done
    return 1
}

# A prefix of our own, made once: no GPU needed (gdi renderer), and no window manager to wait
# for (unmanaged windows), or DestroyWindow stalls.
make_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    wineboot -i >"$work/wineboot.log" 2>&1 && wineserver -w &&
        wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f >/dev/null 2>&1 &&
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
        wineserver -w
}

# Points Wine at another X display: the server and its desktop process start afresh there.
use_display() {
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    export DISPLAY=:$1
    wineserver -p
}

# --- running programs ------------------------------------------------------------------------

start_saver() { # start_saver MODULE ARGS...
    local program=$1
    shift
    timeout 300 wine "$program" "$@" >"$work/saver.log" 2>&1 &
    saverPid=$!
}

# Waits up to $1 seconds for the saver to end; sets saverExit.
saver_ended() {
    local tries=$(($1 * 4))
    while [ "$tries" -gt 0 ]; do
        if ! kill -0 "$saverPid" 2>/dev/null; then
            wait "$saverPid"
            saverExit=$?
            saverPid=
            return 0
        fi
        sleep 0.25
        tries=$((tries - 1))
    done
    return 1
}

stop_saver() {
    [ -z "$saverPid" ] && return 0
    kill "$saverPid" 2>/dev/null
    wait "$saverPid" 2>/dev/null
    saverPid=
}

# Waits up to $2 seconds for a visible window whose name matches $1.
window_up() {
    local tries=$(($2 * 4))
    while [ "$tries" -gt 0 ]; do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
        sleep 0.25
        tries=$((tries - 1))
    done
    return 1
}

window_gone() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

# Starts the helper window; sets hostHandle and hostX, hostY (its client area on the screen).
start_host() {
    rm -f "$work/host.out"
    wine "$hostWindow" >"$work/host.out" 2>/dev/null &
    hostPid=$!
    for _ in $(seq 1 240); do
        [ -s "$work/host.out" ] && { read -r hostHandle hostX hostY <"$work/host.out"; return 0; }
        sleep 0.25
    done
    return 1
}

stop_host() {
    [ -z "$hostPid" ] && return 0
    kill "$hostPid" 2>/dev/null
    wait "$hostPid" 2>/dev/null
    hostPid=
}

screenshot() { xwd -root -silent -out "$1"; }

# Fraction of the picture's pixels that pass an ImageMagick fx test.
fraction() { "$magick" "$1" -fx "$2 ? 1 : 0" -format "%[fx:mean]" info: 2>/dev/null; }
between() { awk -v x="$1" -v low="$2" -v high="$3" 'BEGIN { exit !(x > low && x < high) }'; }

# --- the checks ----------------------------------------------------------------------------------

check_module_file() {
    local imports exports
    imports=$(x86_64-w64-mingw32-objdump -p "$module" | awk '/DLL Name:/ { print tolower($3) }' | sort | tr '\n' ' ')
    check "the module imports only Windows' own DLLs ($imports)" \
        test "$imports" = "ddraw.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll "
    exports=$(x86_64-w64-mingw32-objdump -p "$module" |
        awk '/^Ordinal Base/ { base = $3 } /^\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
             table && /^\t\[/ { gsub(/[\[\]]/, ""); print $1 + base, $2 } table && /^$/ { table = 0 }' | sort | tr '\n' ' ')
    check "the module exports TalScreenSaverProc @1 and TalScreenSaverConfigureDialog @2 ($exports)" \
        test "$exports" = "1 TalScreenSaverProc 2 TalScreenSaverConfigureDialog "
}

run_unit_tests() {
    timeout 600 wine "$build/tests/windows/quillomantrase_windows_tests.exe" >"$work/unit.log" 2>&1
    local code=$? line
    while read -r line; do
        line=${line%$'\r'}
        case $line in
        "[       OK ] "*" ms)") pass "unit: ${line#\[       OK \] }" ;;
        "[  FAILED  ] "*" ms)") fail "unit: ${line#\[  FAILED  \] }" ;;
        esac
    done <"$work/unit.log"
    grep -A6 ": Failure$" "$work/unit.log" | head -80
    check "the Windows unit tests exit 0 (exit $code)" test "$code" -eq 0
}

# A full-screen run: the picture, then input that must not end it, then input that must.
check_full_screen() { # check_full_screen LABEL INPUT ARGS...
    local label=$1 input=$2
    shift 2
    start_saver "$module" "$@"
    if ! window_up '^Quillomantrase$' 60; then
        fail "$label: the full-screen window comes up"
        stop_saver
        return
    fi
    # The first frames come within a second or so; a busy machine may take much longer.
    local shot=$work/full-screen-${label//[^a-z]/}.xwd lit=0 ocean deadline=$((SECONDS + 60))
    while [ "$SECONDS" -lt "$deadline" ]; do
        sleep 1
        screenshot "$shot"
        lit=$("$magick" "$shot" -colorspace Gray -threshold 6% -format "%[fx:mean]" info:)
        between "$lit" 0.001 0.2 && break
    done
    ocean=$(fraction "$shot" "b > r + 0.12 && b > g")
    check "$label: black sky with stars ($lit of the screen lit)" between "$lit" 0.001 0.2
    check "$label: the globe shows its oceans ($ocean of the screen)" between "$ocean" 0.0002 0.2
    case $input in
    moves)
        xdotool click 4 click 5 keyup a
        sleep 1
        check "$label: a wheel turn and a key release leave it running" kill -0 "$saverPid"
        for _ in 1 2 3; do xdotool mousemove_relative 4 4; sleep 0.3; done
        sleep 1
        check "$label: three mouse moves leave it running" kill -0 "$saverPid"
        xdotool mousemove_relative 4 4
        ;;
    key:*) xdotool key "${input#key:}" ;;
    click:*) xdotool click "${input#click:}" ;;
    esac
    if saver_ended 60; then
        check "$label: $input ends the run with exit code 0 (exit $saverExit)" test "$saverExit" -eq 0
        check "$label: the desktop comes back at 1024x768" \
            test "$(xdotool getdisplaygeometry)" = "1024 768" -a -z "$(xdotool search --onlyvisible --name '^Quillomantrase$')"
    else
        fail "$label: $input ends the run"
        stop_saver
    fi
}

check_options_dialog() { # check_options_dialog LABEL HOW SWITCHES-WITH-HANDLE...
    local label=$1 how=$2
    shift 2
    start_saver "$module" "$@"
    if ! window_up '^Quillomantrase$' 60; then
        fail "$label: the dialog \"Quillomantrase\" appears"
        stop_saver
        return
    fi
    local dialog
    dialog=$(xdotool search --onlyvisible --name '^Quillomantrase$' | head -1)
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    check "$label: the dialog \"Quillomantrase\" appears (${WIDTH}x${HEIGHT})" test "$WIDTH" -lt 1024
    screenshot "$work/options-${label//[^a-z]/}.xwd"
    case $how in
    Return | Escape)
        xdotool key space  # the group box has the focus: space sends an id that leaves it open
        sleep 0.5
        check "$label: space leaves it open" kill -0 "$saverPid"
        xdotool key "$how"
        ;;
    close) xdotool mousemove $((X + WIDTH - 12)) $((Y + 10)) click 1 ;;
    esac
    if saver_ended 60; then
        check "$label: $how closes it and the process exits 0 (exit $saverExit)" test "$saverExit" -eq 0
    else
        fail "$label: $how closes it"
        stop_saver
    fi
}

check_preview() {
    if ! start_host; then
        fail "/p HWND: the host window comes up"
        return
    fi
    start_saver "$module" /p "$hostHandle"
    if saver_ended 60; then
        check "/p HWND: exits 0 (exit $saverExit)" test "$saverExit" -eq 0
    else
        fail "/p HWND: ends by itself"
        stop_saver
    fi
    local shot=$work/preview.xwd white black
    screenshot "$shot"
    "$magick" "$shot" -crop "100x14+$hostX+$hostY" +repage "$work/preview-text.png"
    white=$(fraction "$work/preview-text.png" "r > 0.8 && g > 0.8 && b > 0.8")
    black=$(fraction "$work/preview-text.png" "r < 0.2 && g < 0.2 && b < 0.2")
    check "/p HWND: the product name in white on black, readable ($white white, $black black)" \
        eval 'between "$white" 0.08 0.7 && between "$black" 0.2 0.92'
    stop_host
}

# Reads the message boxes as they come up and answers each with Return; sets boxTexts.
read_boxes() { # read_boxes HOW-MANY FIRST-WAIT-SECONDS
    boxTexts=()
    local count=$1 wait=$2 text
    while [ "$count" -gt 0 ] && window_up '^Error$' "$wait"; do
        text=$(wine "$readMessageBox" 2>/dev/null | tr -d '\r')
        boxTexts+=("$text")
        xdotool key Return
        for _ in $(seq 1 120); do window_gone '^Error$' && break; sleep 0.25; done
        count=$((count - 1))
        wait=3
    done
}

check_sixteen_bit_screen() {
    if ! start_xvfb 16; then
        fail "16-bit screen: Xvfb starts"
        return
    fi
    use_display "$xvfbNumber"
    start_saver "$module" /s
    read_boxes 2 60
    check "16-bit screen: \"Can't initiliaze DirectX\" (${boxTexts[*]:-no box})" \
        test "${#boxTexts[@]}" -eq 1 -a "${boxTexts[0]:-}" = "Can't initiliaze DirectX"
    if saver_ended 60; then
        check "16-bit screen: exit code 0 (exit $saverExit)" test "$saverExit" -eq 0
    else
        fail "16-bit screen: the process ends"
        stop_saver
    fi
    use_display "$screenDisplay"
}

check_damaged_map() {
    start_saver "$damagedModule" /s
    read_boxes 3 60
    local loading=0 text
    for text in "${boxTexts[@]}"; do [ "$text" = "Error loading image" ] && loading=$((loading + 1)); done
    check "damaged map: \"Error loading image\" once (boxes: ${boxTexts[*]:-none})" test "$loading" -eq 1
    check "damaged map: the run goes on full screen" eval 'window_up "^Quillomantrase$" 30 && kill -0 "$saverPid"'
    xdotool key space
    if saver_ended 60; then
        check "damaged map: a key ends it with exit code 0 (exit $saverExit)" test "$saverExit" -eq 0
    else
        fail "damaged map: a key ends it"
        stop_saver
    fi
}

check_renderer() {
    local frames=$work/frames arguments name
    rm -rf "$frames"
    mkdir -p "$frames"
    for arguments in "320x240 1234567890 30" "1025x300 1700000000 90"; do
        set -- $arguments
        name="$1-$2"
        "$native/shell/render_tool/quillomantrase-render" --size "$1" --time "$2" --frames "$3" --every 15 \
            --output "$frames/native-$name-%03d.png" >/dev/null 2>&1 || fail "renderer $name: the native build runs"
        (cd "$frames" && wine "$build/shell/render_tool/quillomantrase-render.exe" --size "$1" --time "$2" \
            --frames "$3" --every 15 --output "windows-$name-%03d.png" >/dev/null 2>&1) ||
            fail "renderer $name: the Windows build runs under Wine"
        local native_frame windows_frame same=0 total=0
        for native_frame in "$frames"/native-"$name"-*.png; do
            windows_frame=${native_frame/native-/windows-}
            total=$((total + 1))
            [ -f "$windows_frame" ] &&
                [ "$("$magick" "$native_frame" rgb:- | sha256sum)" = "$("$magick" "$windows_frame" rgb:- | sha256sum)" ] &&
                same=$((same + 1))
        done
        check "renderer --size $1 --time $2: Windows frames identical to native ($same of $total)" \
            test "$total" -gt 0 -a "$same" -eq "$total"
    done
}

# --- the run -----------------------------------------------------------------------------------------

mkdir -p "$build"
install_packages || { fail "the packages install"; finish; }
mkdir -p "$work"
if ! build_all; then
    fail "the module and its tests build"
    finish
fi
pass "the module and its tests build"
check_module_file

if ! start_xvfb 24; then
    fail "Xvfb starts"
    finish
fi
screenDisplay=$xvfbNumber
export DISPLAY=:$screenDisplay
check "a Wine prefix of our own" make_prefix
wineserver -p

run_unit_tests
check_full_screen "/s" moves /s
check_full_screen "-s" key:alt -s
check_full_screen "s" click:1 s
check_full_screen "no switch" click:2
check_full_screen "/S" click:3 /S
check_full_screen "/s 5" key:space /s 5
if start_host; then
    check_options_dialog "/c:HWND" Return "/c:$hostHandle"
    check_options_dialog "/c HWND" Escape /c "$hostHandle"
    check_options_dialog "/c:HWND close button" close "/c:$hostHandle"
    stop_host
else
    fail "/c: the host window comes up"
fi
check_preview
check_damaged_map
check_sixteen_bit_screen
check_renderer
source tests/windows/two_monitor_checks.sh
check_two_monitors
finish
