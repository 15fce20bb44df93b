#!/bin/sh
# Prints the sanitizer options of a run whose reports go to files in DIR, as
# export lines for `eval "$(scripts/sanitizer-env.sh DIR)"`. Every report
# fails the run: UBSan and ASan abort at their first report, LeakSanitizer
# checks every process at its exit, and each process writes its reports to a
# file of its own in DIR (log_path), never only to a stream nobody reads.
set -eu
dir=${1:?usage: sanitizer-env.sh DIR}
here=$(cd "$(dirname "$0")" && pwd)
echo "export ASAN_OPTIONS='detect_leaks=1:abort_on_error=1:log_path=$dir/asan'"
echo "export LSAN_OPTIONS='suppressions=$here/lsan.supp:print_suppressions=0:log_path=$dir/lsan'"
echo "export UBSAN_OPTIONS='print_stacktrace=1:halt_on_error=1:abort_on_error=1:log_path=$dir/ubsan'"
