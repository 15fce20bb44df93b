#!/usr/bin/env bash
# `make install`: copies what `make` built under PREFIX (below DESTDIR when
# given) and never builds, so it may run as root after a build done as the
# user. It records the files it wrote and the directories it made, so
# `make uninstall` can take those away again and leave the directories that
# were there before. The record is kept in the build directory
# (KORVA_INSTALL_RECORD names another), apart from CMake's own
# install_manifest.txt, which any later `cmake --install` overwrites.
# usage: install.sh BUILD_DIR PREFIX PROGRAM...
set -euo pipefail
build=$1
prefix=$2
shift 2
destdir=${DESTDIR:-}
record=${KORVA_INSTALL_RECORD:-$build}

say() { echo "make install: $*" >&2; }
if [ ! -f "$build/cmake_install.cmake" ]; then
  say "nothing is built in $build/; run 'make' as yourself first, then 'sudo make install'"
  exit 1
fi
for program in "$@"; do
  if [ ! -x "$build/bin/$program" ]; then
    say "$build/bin/$program is not built; run 'make' as yourself first"
    exit 1
  fi
done
# A build older than its sources would install old programs; building here
# would leave root-owned files in the build directory. `make` leaves a stamp
# when a build succeeded: a source changed since then means build again.
source_dir=$(cd "$(dirname "$0")/.." && pwd)
stamp=$build/.korva-built
if [ -f "$stamp" ] && [ -z "${KORVA_INSTALL_ANY_AGE:-}" ]; then
  newer=$(cd "$source_dir" && find src sim help packaging CMakeLists.txt -newer "$stamp" -type f -print -quit)
  if [ -n "$newer" ]; then
    say "$newer changed after the last build in $build/; run 'make' as yourself first"
    exit 1
  fi
fi

# The files the installation will write, from a trial install into a scratch
# directory; their directories that do not exist yet are the ones it makes.
trial=$(mktemp -d)
trap 'rm -rf "$trial"' EXIT
DESTDIR=$trial cmake --install "$build" --prefix "$prefix" >"$trial.log" 2>&1 ||
  { cat "$trial.log" >&2; rm -f "$trial.log"; exit 1; }
rm -f "$trial.log"
made=()
while IFS= read -r dir; do
  target=$destdir${dir#"$trial"}
  [ -e "$target" ] || made+=("$target")
done < <(find "$trial" -mindepth 1 -type d | sort)

DESTDIR=$destdir cmake --install "$build" --prefix "$prefix"
# CMake's manifest names the files as below the prefix; the record names
# them where they are, below DESTDIR.
awk -v destdir="$destdir" '{ print destdir $0 }' "$build/install_manifest.txt" >"$record/installed-files.txt"
rm -f "$build/install_manifest.txt"
printf '%s\n' "${made[@]+"${made[@]}"}" >"$record/installed-dirs.txt"
# The record belongs to whoever owns the build, not to root.
chown --reference="$build" "$record/installed-files.txt" "$record/installed-dirs.txt" 2>/dev/null || true
