#!/usr/bin/python3
"""Wall time of the README's playbook over 50 simulated printers, 25 forks:
the first run (settings and logos into every printer) and the second (every
printer as wanted: reads only). Prints the figures; judges nothing.

usage: ansible_fleet_bench.py BIN_DIR SOURCE_DIR
"""

import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'ansible'))
import ansible_harness as harness  # noqa: E402

PRINTERS = 50
FORKS = 25


def main():
    missing = harness.ansible_missing()
    if missing:
        print('skipped: ' + missing)
        return 0
    bin_dir, source_dir = sys.argv[1], sys.argv[2]
    work = harness.scratch('korva-ansible-bench.')
    fleet = harness.ReadmeFleet(bin_dir, source_dir, work, PRINTERS)
    run = harness.AnsibleRun(bin_dir, source_dir, work)
    try:
        for name in ('first run (every printer changed)', 'second run (nothing to change)'):
            started = time.monotonic()
            code, output = run.playbook('-i', 'printers.ini', 'site.yml', '--forks', str(FORKS))
            seconds = time.monotonic() - started
            recap = harness.recap(output)
            changed = sum(1 for counts in recap.values() if counts.get('changed'))
            failed = sum(1 for counts in recap.values() if counts.get('failed') or counts.get('unreachable'))
            print('%-34s %6.1f s  %d printers, %d forks: %d changed, %d failed%s'
                  % (name, seconds, PRINTERS, FORKS, changed, failed, '' if code == 0 else ' (exit %d)' % code))
    finally:
        fleet.stop()
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())
