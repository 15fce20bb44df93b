#!/usr/bin/env bash
# Runs every benchmark script in bench/ with the binaries directory given.
set -euo pipefail
bin=${1:-build/bin}
for script in "$(dirname "$0")"/bench-*.sh; do
  [ -e "$script" ] || continue
  echo "== $(basename "$script")"
  "$script" "$bin"
done
