#!/usr/bin/env bash
# How long `korva status` and `korva setup read` take against korva-sim over a
# pty (115200 baud, the line's own pace) and over loopback TCP: the median
# and best of 10 whole runs. Targets: <= 60 ms over serial and <= 260 ms over
# TCP for both (status reads the settings as setup read does). Over TCP status
# also searches the printer's address for its network values: a UDP search
# that waits out its window, here with nobody answering.
set -euo pipefail
. "$(dirname "$0")/sim-support.sh"

StartSim --serial --line-rate tty --tcp 127.0.0.1:0
pty=$(sed -n 's/^serial=//p' "$work/sim.out")
tcp_port=$(sed -n 's/^tcp=.*://p' "$work/sim.out")

/usr/bin/python3 - "$bin/korva" "$pty" "$tcp_port" <<'PY'
import statistics, subprocess, sys, time

korva, pty, tcp_port = sys.argv[1:4]
links = {
    "serial": ["-p", pty, "--baud", "115200", "--flow", "none"],
    "TCP": ["-p", "ETHERNET_II", "--ip", "127.0.0.1", "--tcp-port", tcp_port],
}
targets = {"serial": 60, "TCP": 260}
for command in (["status"], ["setup", "read"]):
    for link, options in links.items():
        times = []
        for _ in range(10):
            start = time.perf_counter()
            subprocess.run([korva, *command, *options, "-q"], check=True, stdout=subprocess.DEVNULL)
            times.append((time.perf_counter() - start) * 1e3)
        print(f"korva {' '.join(command):10} over {link:6}: median {statistics.median(times):6.1f} ms, "
              f"best {min(times):6.1f} ms  (target <= {targets[link]} ms)")
PY
