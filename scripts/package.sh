#!/usr/bin/env bash
# Builds the release packages into out/packages/, installing what is missing first (Debian 12):
#   quillomantrase_VERSION_amd64.deb       the Linux saver and xscreensaver hack, the renderer
#   Quillomantrase-VERSION-windows-x64.zip  Quillomantrase.scr, the Windows renderer, README, licence
# Both are made with CPack: the Debian package from a Release build in build-package/ (install
# prefix /usr), the zip from the Windows build in build-win/, the very module that
# scripts/test-windows.sh checks (it is stripped when it is linked).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/out/packages
jobs=${QUILLOMANTRASE_JOBS:-2}

bash scripts/ensure-packages.sh cmake ninja-build g++ pkg-config libpng-dev libsdl2-dev libx11-dev \
  dpkg-dev file googletest g++-mingw-w64-x86-64-win32

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

rm -rf "$out/_CPack_Packages"
ls -l "$out"
