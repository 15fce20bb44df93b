#!/usr/bin/env bash
# Runs every libFuzzer target of a KORVA_LIBFUZZER build for SECONDS each,
# starting from its seeds (which are left as they are), and prints one line
# per target with the coverage reached. Any crash, leak, sanitizer report or
# time-out fails the run; its input is kept under OUT for a replay:
#   build-fuzz/bin/fuzz_<name> OUT/<name>/crash-...
# Usage: fuzz-run.sh BUILD_DIR [SECONDS] [OUT]
set -u
build=${1:?usage: fuzz-run.sh BUILD_DIR [SECONDS] [OUT]}
seconds=${2:-60}
out=${3:-$build/fuzz-run}
list=$build/fuzz-targets.txt
[[ -s $list ]] || { echo "fuzz-run: no $list; build with make fuzz first" >&2; exit 2; }
rm -rf "$out"
failed=0
printf '%-24s %8s %8s %10s  %s\n' target cov ft exec/s result
while read -r name seeds; do
  dir=$out/$name
  mkdir -p "$dir/corpus"
  # New inputs go to a scratch corpus; the seed folder is only read.
  "$build/bin/$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$dir/" "$dir/corpus" "$seeds" >"$dir/log" 2>&1
  status=$?
  cov=$(grep -o 'cov: [0-9]*' "$dir/log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$dir/log" | tail -1 | cut -d' ' -f2)
  speed=$(grep -o 'exec/s: [0-9]*' "$dir/log" | tail -1 | cut -d' ' -f2)
  result=ok
  if ((status != 0)); then
    result="FAILED (exit $status, log $dir/log)"
    failed=1
  fi
  printf '%-24s %8s %8s %10s  %s\n' "$name" "${cov:--}" "${ft:--}" "${speed:--}" "$result"
done <"$list"
exit $failed
