#!/usr/bin/env bash
# package.sh: builds the Debian package tallo_<version>_<arch>.deb into the top folder, from a build of
# its own (build-package: optimised, with Debian's hardening flags, no tests). The programs that exist
# as targets go in, with their manual pages, the help pages, icons, desktop entry and metadata; the
# run-time dependencies come from dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=build-package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLO_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)" --target tallo_installed
rm -f "$build"/tallo_*.deb tallo_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
cp "$build"/tallo_*.deb .
ls -l tallo_*.deb
