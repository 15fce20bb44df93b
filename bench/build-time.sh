#!/usr/bin/env bash
# `make bench-build`: how long a build from scratch takes, as on a fresh clone
# in CI (ccache off, a new build directory): first the programs `make run`
# starts, then everything else `make test` needs. Prints the figures; the
# machine's load decides them, so nothing here passes or fails.
# usage: build-time.sh JOBS PROGRAM...
set -euo pipefail
jobs=$1
shift
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(mktemp -d /tmp/korva-bench-build.XXXXXX)
trap 'rm -rf "$build"' EXIT
export CCACHE_DISABLE=1
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

seconds() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { s = b - a; printf "%dm%04.1fs", s / 60, s - 60 * int(s / 60) }'; }

echo "build from scratch, ${jobs} jobs on $(nproc) cores, ccache off, load $(cut -d' ' -f1-3 /proc/loadavg):"
start=$(seconds)
cmake -S "$source_dir" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
configured=$(seconds)
echo "  configure                 $(elapsed "$start" "$configured")"
cmake --build "$build" -j "$jobs" --target "$@" >/dev/null
programs=$(seconds)
echo "  programs                  $(elapsed "$configured" "$programs")  ($*)"
cmake --build "$build" -j "$jobs" >/dev/null
everything=$(seconds)
echo "  the rest make test needs  $(elapsed "$programs" "$everything")"
echo "  total                     $(elapsed "$start" "$everything")"
