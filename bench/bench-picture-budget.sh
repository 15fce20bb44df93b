#!/usr/bin/env bash
# The logo list refusing a 16-bit 6000 x 5000 PNG (small on disk) that does not
# fit in the NV memory: time of the refusal and peak memory (targets: < 100 ms,
# < 100 MB), as the program prints them.
set -euo pipefail
bin=${1:-build/bin}
"$bin/bench_picture_budget"
