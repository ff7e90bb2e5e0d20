#!/usr/bin/env bash
# The release packages, checked: builds them with scripts/package.sh, then looks at what is in
# the Debian package (files, control fields, lintian's verdict), unpacks it into a scratch root
# with dpkg -x and runs what it holds, installs, upgrades, removes and purges it in a scratch root
# of dpkg's own (the machine's packages are left alone), checks that the Windows zip holds the
# stripped module that scripts/test-windows.sh checks (run that first: scripts/test.sh does), and
# installs, runs, upgrades, downgrades and removes the Windows installer under Wine in that
# script's prefix. Prints a PASS or FAIL line per check, ends with "packages: N passed, M failed"
# and exits non-zero when anything failed. Installs what is missing (Debian 12, as root).
set -u -o pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/out/packages
version=$(sed -n 's/^project(Quillomantrase VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
newer=${version%.*}.$((${version##*.} + 1))  # the next version, of the packages that upgrade these
deb=$out/quillomantrase_${version}_amd64.deb
zip=$out/Quillomantrase-${version}-windows-x64.zip
msi=$out/Quillomantrase-${version}-windows-x64.msi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck source=../tests/support/check.sh
source tests/support/check.sh
finish() {
    echo "packages: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

bash scripts/ensure-packages.sh lintian unzip man-db binutils-mingw-w64-x86-64 desktop-file-utils msitools \
    wine wine64 xvfb xdotool >/dev/null || {
    check "the tools the checks need install" false
    finish
}
rm -rf "$out"
check "scripts/package.sh builds both packages" bash scripts/package.sh
[ -f "$deb" ] && [ -f "$zip" ] && [ -f "$msi" ] || finish

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
versions() {
    same_lines "quillomantrase-render $version
quillomantrase $version" "$("$scratch/usr/bin/quillomantrase-render" --version | head -n 1
        "$scratch/usr/libexec/xscreensaver/quillomantrase" --version | head -n 1)"
}
check "unpacked with dpkg -x: --version says each program's name and $version on its first line" versions
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

# Installed, upgraded, removed and purged in a root of dpkg's own. Its dependencies are this
# machine's, not the scratch root's, hence --force-depends.
dpkg_root=$work/dpkg-root
in_root() { dpkg --root="$dpkg_root" --admindir="$dpkg_root/var/lib/dpkg" --force-depends --force-not-root "$@"; }
installed_versions() { dpkg-query --admindir="$dpkg_root/var/lib/dpkg" -W -f '${Package} ${Version} ${Status}\n'; }
files_left() { find "$dpkg_root" \( -type f -o -type l \) -not -path "$dpkg_root/var/lib/dpkg/*" | sort; }
# The same programs as the next version: its control file and changelog say so.
newer_deb() {
    local tree=$work/newer-deb changelog maintainer
    dpkg-deb -R "$deb" "$tree"
    sed -i "s/^Version: .*/Version: $newer/" "$tree/DEBIAN/control"
    maintainer=$(sed -n 's/^Maintainer: //p' "$tree/DEBIAN/control")
    changelog=$tree/usr/share/doc/quillomantrase/changelog.gz
    { printf 'quillomantrase (%s) unstable; urgency=medium\n\n  * The next version, made by the package checks.\n\n' "$newer"
      printf ' -- %s  %s\n\n' "$maintainer" "$(date -R)"
      zcat "$changelog"; } | gzip -9n >"$changelog.new"
    mv "$changelog.new" "$changelog"
    (cd "$tree" && find usr -type f -exec md5sum {} + >DEBIAN/md5sums)
    dpkg-deb -b --root-owner-group "$tree" "$work/quillomantrase_${newer}_amd64.deb" >/dev/null
}
installs_and_upgrades() {
    mkdir -p "$dpkg_root/var/lib/dpkg/updates" "$dpkg_root/var/lib/dpkg/info" && touch "$dpkg_root/var/lib/dpkg/status"
    in_root -i "$deb" >/dev/null 2>&1 && newer_deb || return 1
    files_left >"$work/files-$version"
    in_root -i "$work/quillomantrase_${newer}_amd64.deb" >/dev/null 2>&1 || return 1
    same_lines "quillomantrase $newer install ok installed" "$(installed_versions)" || return 1
    same_lines "$(cat "$work/files-$version")" "$(files_left)" || return 1
    zcat "$dpkg_root/usr/share/doc/quillomantrase/changelog.gz" | head -n 1 | grep -q "($newer)" ||
        { echo "the changelog installed is not the newer package's"; return 1; }
}
check "dpkg: $newer installed over $version upgrades it: one package, the newer one's files" installs_and_upgrades
removes_without_a_trace() {
    in_root -r quillomantrase >/dev/null 2>&1 || return 1
    [ -z "$(files_left)" ] || { echo "removed, these are left:"; files_left; return 1; }
    in_root -P quillomantrase >/dev/null 2>&1 || return 1
    [ -z "$(installed_versions | grep -v 'not-installed')" ] || { echo "purged, dpkg still has: $(installed_versions)"; return 1; }
}
check "dpkg: remove leaves no file of it, and purge no trace in dpkg's database" removes_without_a_trace

# --- the Windows zip -------------------------------------------------------------------------

top=Quillomantrase-$version-windows-x64
check "the zip holds the module, the renderer, README.txt and LICENSE.txt" \
    same_lines "$top/LICENSE.txt
$top/Quillomantrase.scr
$top/README.txt
$top/quillomantrase-render.exe" "$(unzip -Z1 "$zip" | grep -v '/$' | sort)"
unzip -q "$zip" -d "$work/zip"
no_debug_sections() {
    ! x86_64-w64-mingw32-objdump -h "$1" | grep '\.debug'
}
check "the zip's Quillomantrase.scr has no debug sections" no_debug_sections "$work/zip/$top/Quillomantrase.scr"
check "the zip's quillomantrase-render.exe has no debug sections" no_debug_sections "$work/zip/$top/quillomantrase-render.exe"
check "the zip's Quillomantrase.scr is the module scripts/test-windows.sh checks (build-win/)" \
    cmp "$work/zip/$top/Quillomantrase.scr" build-win/Quillomantrase.scr
readme_for_windows() {
    local readme=$work/zip/$top/README.txt
    head -n 1 "$readme" | grep -q "^Quillomantrase $version"$'\r'"\$" || { echo "first line: $(head -n 1 "$readme")"; return 1; }
    grep -q "Screen Saver Settings" "$readme" && grep -q "Quillomantrase-$version-windows-x64.msi" "$readme"
}
check "the zip's README.txt, in Windows' line ends, names the version, the installer and how to pick the saver" \
    readme_for_windows
renderer_version() {
    strings -el "$work/zip/$top/quillomantrase-render.exe" | grep -A1 -x -e FileVersion -e ProductVersion >"$work/versions"
    same_lines "FileVersion
$version
--
ProductVersion
$version" "$(cat "$work/versions")"
}
check "the zip's quillomantrase-render.exe carries the file and product version $version" renderer_version

# --- the Windows installer, under Wine -------------------------------------------------------------

source tests/windows/installer_checks.sh
finish
