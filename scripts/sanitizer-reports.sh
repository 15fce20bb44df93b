#!/usr/bin/env bash
# Fails when any process of a sanitizer run left a report in DIR (its
# log_path directory), printing every report: a child nobody waited for, or
# a test that failed for it, can hide nothing this way.
set -u
dir=${1:?usage: sanitizer-reports.sh DIR}
shopt -s nullglob
reports=("$dir"/*)
if ((${#reports[@]} == 0)); then
  echo "sanitizer reports: none"
  exit 0
fi
for report in "${reports[@]}"; do
  echo "==== $report"
  cat "$report"
done
echo "sanitizer reports: ${#reports[@]} (see above)" >&2
exit 1
