#!/usr/bin/env bash
# Runs every benchmark script in bench/ with the binaries directory given.
# Each prints its figures beside their targets; none fails on speed. One that
# cannot run to its end (a program that failed) does not stop the others: it
# is named at the end, and the run exits 1.
set -uo pipefail
bin=${1:-build/bin}
failed=()
for script in "$(dirname "$0")"/bench-*.sh; do
  [ -e "$script" ] || continue
  echo "== $(basename "$script")"
  "$script" "$bin" || failed+=("$(basename "$script")")
done
if ((${#failed[@]} > 0)); then
  echo "benchmarks that did not run to their end: ${failed[*]}" >&2
  exit 1
fi
