#!/usr/bin/env bash
# `make uninstall`: removes the files the last `make install` recorded, then
# the directories that installation made, when they are empty.
# usage: uninstall.sh BUILD_DIR   (KORVA_INSTALL_RECORD as for install.sh)
set -euo pipefail
build=$1
record=${KORVA_INSTALL_RECORD:-$build}
manifest=$record/installed-files.txt
if [ ! -f "$manifest" ]; then
  echo "make uninstall: no $manifest; nothing was installed from this build" >&2
  exit 1
fi
removed=0
while IFS= read -r file; do
  [ -n "$file" ] || continue
  if [ -e "$file" ] || [ -L "$file" ]; then
    rm -f -- "$file"
    removed=$((removed + 1))
  fi
done <"$manifest"
# Deepest first, so a folder goes after what was inside it.
if [ -f "$record/installed-dirs.txt" ]; then
  sort -r "$record/installed-dirs.txt" | while IFS= read -r dir; do
    [ -n "$dir" ] && [ -d "$dir" ] && rmdir --ignore-fail-on-non-empty -- "$dir"
  done
fi
rm -f -- "$manifest" "$record/installed-dirs.txt"
echo "make uninstall: removed $removed files"
