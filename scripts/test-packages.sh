#!/usr/bin/env bash
# The release packages, checked: builds them with scripts/package.sh, then looks at what is in
# the Debian package (files, control fields, lintian's verdict), unpacks it into a scratch root
# with dpkg -x and runs what it holds, and checks that the Windows zip holds the stripped module
# that scripts/test-windows.sh checks (run that first: scripts/test.sh does). Prints a PASS or
# FAIL line per check, ends with "packages: N passed, M failed" and exits non-zero when anything
# failed. Installs what is missing (Debian 12, as root).
set -u -o pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/out/packages
version=$(sed -n 's/^project(Quillomantrase VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
deb=$out/quillomantrase_${version}_amd64.deb
zip=$out/Quillomantrase-${version}-windows-x64.zip
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck source=../tests/support/check.sh
source tests/support/check.sh
finish() {
    echo "packages: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

bash scripts/ensure-packages.sh lintian unzip man-db binutils-mingw-w64-x86-64 desktop-file-utils >/dev/null || {
    check "the tools the checks need install" false
    finish
}
rm -rf "$out"
check "scripts/package.sh builds both packages" bash scripts/package.sh
[ -f "$deb" ] && [ -f "$zip" ] || finish

# --- the Debian package ----------------------------------------------------------------------

same_lines() { # same_lines EXPECTED ACTUAL: says what differs
    diff <(printf '%s\n' "$1") <(printf '%s\n' "$2")
}

deb_files() { dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort; }
check "the .deb holds the hack, its xscreensaver and desktop entries, the renderer, man pages, copyright, changelog" \
    same_lines "/usr/bin/quillomantrase-render
/usr/libexec/xscreensaver/quillomantrase
/usr/share/applications/screensavers/quillomantrase.desktop
/usr/share/doc/quillomantrase/changelog.gz
/usr/share/doc/quillomantrase/copyright
/usr/share/man/man1/quillomantrase-render.1.gz
/usr/share/man/man6/quillomantrase.6.gz
/usr/share/xscreensaver/config/quillomantrase.xml" "$(deb_files)"

field() { dpkg-deb -f "$deb" "$1"; }
depends_on_its_libraries() {
    local library
    for library in libc6 libpng16-16 libsdl2-2.0-0 libstdc++6 libx11-6; do
        field Depends | grep -q "\b$library\b" || { echo "Depends: $(field Depends) lacks $library"; return 1; }
    done
}
check "control: quillomantrase $version for amd64 ($(field Package) $(field Version) $(field Architecture))" \
    test "$(field Package) $(field Version) $(field Architecture)" = "quillomantrase $version amd64"
check "control: the dependencies are the libraries the programs use ($(field Depends))" depends_on_its_libraries
check "control: recommends what the saver draws through under Wayland ($(field Recommends))" \
    test "$(field Recommends)" = "libegl1, libgl1-mesa-dri"

no_lintian_errors() {
    lintian --tag-display-limit 0 "$deb" 2>/dev/null | tee "$work/lintian.log"
    ! grep -q '^E:' "$work/lintian.log"
}
check "lintian finds no errors" no_lintian_errors
sed 's/^/    /' "$work/lintian.log"

scratch=$work/root
dpkg -x "$deb" "$scratch"

renders_a_frame() {
    "$scratch/usr/bin/quillomantrase-render" --size 320x240 --time 1234567890 --frames 30 --output "$work/frame.png" &&
        file "$work/frame.png" | grep -q 'PNG image data, 320 x 240, 8-bit/color RGB'
}
check "unpacked with dpkg -x: the renderer writes a 320x240 PNG" renders_a_frame
about_text() { DISPLAY= "$scratch/usr/libexec/xscreensaver/quillomantrase" /c | grep -q "Quillomantrase 1.00"; }
check "unpacked with dpkg -x: the hack runs (its about text without a display)" about_text
manual_pages_read_cleanly() {
    local page warnings
    for page in "$scratch"/usr/share/man/man*/*.gz; do
        warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || { echo "$page: $warnings"; return 1; }
    done
}
check "unpacked with dpkg -x: the man pages format without warnings" manual_pages_read_cleanly
xscreensaver_entry() {
    python3 -c 'import sys, xml.dom.minidom as m; d = m.parse(sys.argv[1]).documentElement
assert d.getAttribute("name") == "quillomantrase", d.getAttribute("name")' \
        "$scratch/usr/share/xscreensaver/config/quillomantrase.xml"
}
check "unpacked with dpkg -x: the xscreensaver entry is well-formed and names the hack" xscreensaver_entry
desktop_entry_runs_the_hack() {
    local entry=$scratch/usr/share/applications/screensavers/quillomantrase.desktop
    desktop-file-validate "$entry" || return 1
    same_lines "Exec=/usr/libexec/xscreensaver/quillomantrase
TryExec=/usr/libexec/xscreensaver/quillomantrase
Categories=Screensaver;
OnlyShowIn=MATE;" "$(grep -E '^(Exec|TryExec|Categories|OnlyShowIn)=' "$entry")"
}
check "unpacked with dpkg -x: the desktop entry for MATE's and Xfce's savers is valid and runs the packaged hack" \
    desktop_entry_runs_the_hack
changelog_version() {
    zcat "$scratch/usr/share/doc/quillomantrase/changelog.gz" >"$work/changelog"
    test "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version"
}
check "unpacked with dpkg -x: the changelog's latest entry is $version" changelog_version

# --- the Windows zip -------------------------------------------------------------------------

top=Quillomantrase-$version-windows-x64
expected="$top/Quillomantrase.scr
$top/README.md
$top/quillomantrase-render.exe"
[ -f LICENSE ] && expected=$(printf '%s\n%s' "$expected" "$top/LICENSE" | sort)
check "the zip holds the module, the renderer, the README and the licence" \
    same_lines "$expected" "$(unzip -Z1 "$zip" | grep -v '/$' | sort)"
unzip -q "$zip" -d "$work/zip"
no_debug_sections() {
    ! x86_64-w64-mingw32-objdump -h "$1" | grep '\.debug'
}
check "the zip's Quillomantrase.scr has no debug sections" no_debug_sections "$work/zip/$top/Quillomantrase.scr"
check "the zip's quillomantrase-render.exe has no debug sections" no_debug_sections "$work/zip/$top/quillomantrase-render.exe"
check "the zip's Quillomantrase.scr is the module scripts/test-windows.sh checks (build-win/)" \
    cmp "$work/zip/$top/Quillomantrase.scr" build-win/Quillomantrase.scr
finish
