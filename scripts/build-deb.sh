#!/usr/bin/env bash
# `make package`: the programs built in a build directory of their own with
# the flags Debian builds its packages with (dpkg-buildflags, all hardening
# on: fortified functions, stack protector, read-only relocations bound at
# start), then packed by CPack.
# usage: build-deb.sh BUILD_DIR JOBS PROGRAM...
set -euo pipefail
build=$1
jobs=$2
shift 2
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# CMAKE_BUILD_TYPE None: the flags below are all there is, as in Debian.
cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DBUILD_TESTING=OFF -DKORVA_BUILD_FUZZ=OFF -DKORVA_BUILD_BENCH=OFF
cmake --build "$build" -j "$jobs" --target "$@" korva_compressed_docs
(cd "$build" && cpack -G DEB)
