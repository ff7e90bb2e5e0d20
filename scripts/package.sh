#!/usr/bin/env bash
# Builds the release packages into out/packages/, installing what is missing first (Debian 12):
#   quillomantrase_VERSION_amd64.deb          the Linux saver and xscreensaver hack, the renderer
#   Quillomantrase-VERSION-windows-x64.zip     Quillomantrase.scr, the Windows renderer, README.txt,
#                                              the licence
#   Quillomantrase-VERSION-windows-x64.msi     the Windows installer of the same files
# The Debian package and the zip are made with CPack: the Debian package from a Release build in
# build-package/ (install prefix /usr), the zip from the Windows build in build-win/, the very
# module that scripts/test-windows.sh checks (it is stripped when it is linked). The installer is
# made by wixl (msitools) from packaging/quillomantrase.wxs and the zip's files, staged in
# build-win/installer/ with an icon rendered from the globe.
#
#   scripts/package.sh                            all three, at the project's version
#   scripts/package.sh installer VERSION DIR      only the installer, from the files staged by the
#                                                 last full run, at another version, into DIR
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/out/packages
stage=$root/build-win/installer
jobs=${QUILLOMANTRASE_JOBS:-2}
version=$(sed -n 's/^project(Quillomantrase VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)

# The installer of VERSION into DIR, from the staged files.
installer() {
    (cd "$stage" && wixl -a x64 -D Version="$1" -D Module=Quillomantrase.scr -D Renderer=quillomantrase-render.exe \
        -D Licence=LICENSE.txt -D Icon=globe.ico -o "$2/Quillomantrase-$1-windows-x64.msi" "$root/packaging/quillomantrase.wxs")
}

if [ "${1:-}" = installer ]; then
    installer "$2" "$(realpath "$3")"
    exit
fi

bash scripts/ensure-packages.sh cmake ninja-build g++ pkg-config libpng-dev libsdl2-dev libx11-dev libxrandr-dev \
  dpkg-dev file googletest g++-mingw-w64-x86-64-win32 wixl imagemagick

mkdir -p "$out" build-package
echo "building the Debian package"
# Debian's hardening flags (stack protector, fortified functions, read-only relocations); the
# build type's -O3 comes after their -O2.
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLOMANTRASE_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS) $(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)" >build-package/configure.log
cmake --build build-package -j "$jobs" >build-package/build.log
(cd build-package && cpack -G DEB -B "$out" >cpack.log)

echo "building the Windows zip"
cmake --preset windows >/dev/null
cmake --build --preset windows --target quillomantrase_module quillomantrase-render >/dev/null
(cd build-win && cpack -G ZIP -B "$out" >cpack.log)

echo "building the Windows installer"
rm -rf "$stage"
mkdir -p "$stage"
cp build-win/Quillomantrase.scr build-win/shell/render_tool/quillomantrase-render.exe build-win/LICENSE.txt "$stage/"
# The icon under installed programs: the whole globe, as the web page's icon shows it.
build-package/shell/render_tool/quillomantrase-render --size 192x192 --time 1765084800 --frames 805 \
  --output "$stage/globe.png" >/dev/null
convert "$stage/globe.png" -define icon:auto-resize=64,48,32,16 "$stage/globe.ico"
installer "$version" "$out"

rm -rf "$out/_CPack_Packages"
ls -l "$out"
