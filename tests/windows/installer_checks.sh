# The Windows installer under Wine, as a Windows user meets it: installed without questions
# (msiexec /i /qn), it puts the module where Screen Saver Settings list screen savers and
# Quillomantrase under installed programs, leaving the chosen screen saver alone; the installed
# module runs full screen and a key ends it with 0; a newer version installs over it and leaves one
# entry; the older one is then refused, saying why; removal (msiexec /x /qn) takes files and entry
# away. msiinfo reads its tables.
#
# Sourced by scripts/test-packages.sh after its helpers (check, same_lines, $work, $msi, $version,
# $newer); uses the Wine prefix of scripts/test-windows.sh (build-win/wine-prefix), making it
# when that has not run.

export WINEPREFIX=$root/build-win/wine-prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
system_folder=$WINEPREFIX/drive_c/windows/system32
program_folder="$WINEPREFIX/drive_c/Program Files/Quillomantrase"
installer_xvfb=

installer_finish() {
    wineserver -k 2>/dev/null
    [ -z "$installer_xvfb" ] || kill "$installer_xvfb" 2>/dev/null
}
trap 'installer_finish; rm -rf "$work"' EXIT

# An X server of its own for Wine: the module needs a 24-bit screen.
installer_display() {
    local number
    for number in $(seq 151 199); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        installer_xvfb=$!
        export DISPLAY=:$number
        for _ in $(seq 100); do
            [ -e "/tmp/.X11-unix/X$number" ] && return 0
            sleep 0.1
        done
        kill "$installer_xvfb"
    done
    return 1
}

# "NAME VERSION PUBLISHER" of every entry under installed programs named Quillomantrase.
installed_entries() {
    wine reg query "$uninstall_key" /s 2>/dev/null | tr -d '\r' | awk '
        /^HKEY/ { if (name != "") print name " " version " " publisher; name = version = publisher = "" }
        $1 == "DisplayName" && $3 == "Quillomantrase" { name = $3 }
        $1 == "DisplayVersion" { version = $3 }
        $1 == "Publisher" { publisher = $3; for (i = 4; i <= NF; ++i) publisher = publisher " " $i }
        END { if (name != "") print name " " version " " publisher }'
}

chosen_saver() { wine reg query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r' | grep -i scrnsave; }

msiexec_quietly() { # msiexec_quietly /i|/x PACKAGE LOG: its exit code
    wine msiexec "$1" "$(winepath -w "$2")" /qn /l*v "$(winepath -w "$3")" >/dev/null 2>&1
    local code=$?
    wineserver -w
    return $code
}

installs_for_the_machine() {
    local before
    before=$(chosen_saver)
    msiexec_quietly /i "$msi" "$work/install.log" || { echo "msiexec /i exit $?"; tail -n 20 "$work/install.log"; return 1; }
    [ -f "$system_folder/Quillomantrase.scr" ] || { echo "no Quillomantrase.scr in the system folder"; return 1; }
    [ -f "$program_folder/quillomantrase-render.exe" ] && [ -f "$program_folder/LICENSE.txt" ] ||
        { echo "Program Files\\Quillomantrase holds: $(ls "$program_folder" 2>&1)"; return 1; }
    cmp "$system_folder/Quillomantrase.scr" "$root/build-win/Quillomantrase.scr" || return 1
    same_lines "Quillomantrase $version The Quillomantrase project" "$(installed_entries)" || return 1
    same_lines "$before" "$(chosen_saver)"
}

# Windows Installer publishes the product's icon among the installer's products (Windows also
# names it in the entry itself); the entry links to the licence.
the_entry_has_its_icon_and_licence() {
    local icon
    icon=$(wine reg query 'HKLM\Software\Classes\Installer\Products' /s 2>/dev/null | tr -d '\r' |
        awk '$1 == "ProductIcon" && /GlobeIcon/ { print $3 }')
    [ -n "$icon" ] && [ "$(head -c 4 "$(winepath -u "$icon")" | od -An -tx1 | tr -d ' ')" = 00000100 ] ||
        { echo "no icon published for the product (ProductIcon: ${icon:-none})"; return 1; }
    wine reg query "$(product_key)" 2>/dev/null | tr -d '\r' |
        grep -qi 'ReadMe.*REG_SZ.*Program Files\\Quillomantrase\\LICENSE.txt' ||
        { echo "the entry does not link to the licence:"; wine reg query "$(product_key)"; return 1; }
}

# The entry's key under installed programs.
product_key() {
    wine reg query "$uninstall_key" /s 2>/dev/null | tr -d '\r' | awk '/^HKEY/ { key = $0 } $3 == "Quillomantrase" { print key }'
}

# What an earlier run that failed half-way left installed goes first.
remove_leftovers() {
    local key
    for key in $(product_key); do wine msiexec /x "${key##*\\}" /qn >/dev/null 2>&1; done
    wineserver -w
}

installed_module_runs() {
    wine 'C:\windows\system32\Quillomantrase.scr' /s >/dev/null 2>&1 &
    local pid=$! code
    for _ in $(seq 240); do
        xdotool search --onlyvisible --name '^Quillomantrase$' >/dev/null 2>&1 && break
        sleep 0.25
    done
    sleep 2  # its first frames, and the start-up's mouse flush
    xdotool key space
    for _ in $(seq 240); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.25
    done
    kill -0 "$pid" 2>/dev/null && { kill "$pid"; echo "a key did not end it"; return 1; }
    wait "$pid"
    code=$?
    [ "$code" = 0 ] || { echo "exit code $code"; return 1; }
}

newer_replaces_it() {
    bash scripts/package.sh installer "$newer" "$work" >"$work/newer.log" 2>&1 || { cat "$work/newer.log"; return 1; }
    msiexec_quietly /i "$work/Quillomantrase-$newer-windows-x64.msi" "$work/upgrade.log" ||
        { echo "msiexec /i exit $?"; tail -n 20 "$work/upgrade.log"; return 1; }
    same_lines "Quillomantrase $newer The Quillomantrase project" "$(installed_entries)" || return 1
    [ -f "$system_folder/Quillomantrase.scr" ] && [ -f "$program_folder/quillomantrase-render.exe" ]
}

# Wine's msiexec, unlike Windows', writes no launch condition's message into its log: that the
# package holds the message for the condition the log shows met is what can be seen here.
older_is_refused() {
    local code=0
    msiexec_quietly /i "$msi" "$work/downgrade.log" || code=$?
    # Windows Installer's 1603, as a process's exit code of eight bits.
    [ "$code" = $((1603 % 256)) ] || { echo "msiexec /i of $version over $newer: exit $code, not 1603"; return 1; }
    grep -aq "WIX_DOWNGRADE_DETECTED = {" "$work/downgrade.log" || { echo "the log shows no newer version found"; return 1; }
    msiinfo export "$msi" LaunchCondition | tr -d '\r' |
        grep -qx "NOT WIX_DOWNGRADE_DETECTED	A newer version of Quillomantrase is already installed. .*" ||
        { echo "the package says nothing when a newer version is installed"; return 1; }
    same_lines "Quillomantrase $newer The Quillomantrase project" "$(installed_entries)"
}

removes_files_and_entry() {
    msiexec_quietly /x "$work/Quillomantrase-$newer-windows-x64.msi" "$work/remove.log" ||
        { echo "msiexec /x exit $?"; tail -n 20 "$work/remove.log"; return 1; }
    [ ! -e "$system_folder/Quillomantrase.scr" ] || { echo "Quillomantrase.scr is still in the system folder"; return 1; }
    [ ! -e "$program_folder" ] || { echo "Program Files\\Quillomantrase is left: $(ls "$program_folder")"; return 1; }
    [ -z "$(installed_entries)" ] || { echo "entries left: $(installed_entries)"; return 1; }
}

msiinfo_reads_it() {
    msiinfo tables "$msi" >"$work/tables" && grep -qx File "$work/tables" && grep -qx Upgrade "$work/tables" &&
        msiinfo export "$msi" Property | tr -d '\r' | grep -qx "Manufacturer	The Quillomantrase project"
}

# A display and a prefix, with the renderer that needs no GPU.
installer_ready() {
    installer_display || return 1
    [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1 && wineserver -w; } || return 1
    wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f >/dev/null 2>&1
    remove_leftovers
}

check "msiinfo lists the installer's tables and reads its maker" msiinfo_reads_it
if installer_ready; then
    check "msiexec /i /qn: the module in the system folder, the renderer and licence in Program Files, one entry under installed programs ($version, The Quillomantrase project), the chosen screen saver left alone" \
        installs_for_the_machine
    check "the globe's icon is published for the entry, and the entry links to the installed licence" \
        the_entry_has_its_icon_and_licence
    check "the installed module runs full screen (/s) and a key ends it with 0" installed_module_runs
    check "a newer installer ($newer) replaces it in place: one entry, of the newer version" newer_replaces_it
    check "the older installer ($version) is then refused (1603), with its message that a newer version is installed" \
        older_is_refused
    check "msiexec /x /qn removes the files and the entry" removes_files_and_entry
else
    check "an X server and a Wine prefix for the installer" false
fi
installer_finish
