#!/usr/bin/env bash
# The check of the sanitizer run, tested: a planted signed overflow and a
# planted leak, each run with the run's own options (sanitizer-env.sh), leave
# a report in the report folder, not on stderr, and sanitizer-reports.sh
# fails on it; a clean run leaves nothing and passes.
set -u
plant=${1:?usage: sanitizer-check.sh PLANT SOURCE_DIR}
source_dir=${2:?usage: sanitizer-check.sh PLANT SOURCE_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# check FAULT WORDS: WORDS in a report file, or none for a clean run.
check() {
  local fault=$1 words=$2 dir=$work/$1
  mkdir -p "$dir"
  (eval "$("$source_dir/scripts/sanitizer-env.sh" "$dir")" && exec "$plant" "$fault") \
    >/dev/null 2>"$work/$fault.stderr"
  local code=$?
  "$source_dir/scripts/sanitizer-reports.sh" "$dir" >"$work/$fault.check" 2>&1
  local check=$?
  if [ -z "$words" ]; then
    [ "$code" = 0 ] || fail "$fault: the clean plant exited $code"
    [ "$check" = 0 ] || fail "$fault: the check failed a clean run: $(cat "$work/$fault.check")"
    return
  fi
  [ "$code" != 0 ] || fail "$fault: the plant exited 0"
  [ "$check" != 0 ] || fail "$fault: the check passed a run with a report"
  grep -q "$words" "$dir"/* 2>/dev/null || fail "$fault: no report file says '$words'"
  if grep -q "$words" "$work/$fault.stderr"; then fail "$fault: the report went to stderr"; fi
}

check none ""
check overflow "runtime error: signed integer overflow"
check leak "LeakSanitizer: detected memory leaks"
[ "$failures" = 0 ] && echo "sanitizer check: every planted report fails the run"
exit $((failures > 0))
