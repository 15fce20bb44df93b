#!/usr/bin/env bash
# The README's Ansible playbook over 50 simulated Ethernet printers with 25
# forks: prints the wall time of the first run (every printer changed) and of
# the second (nothing sent). Skipped where Ansible is not installed.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
exec /usr/bin/python3 "$source/bench/ansible_fleet_bench.py" "$bin" "$source"
