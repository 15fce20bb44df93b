#!/usr/bin/env bash
# How long `korva status` and `korva setup read` take against korva-sim over a
# pty (115200 baud, the line's own pace) and over loopback TCP: the median
# and best of 10 whole runs. Targets: <= 60 ms over serial and <= 260 ms over
# TCP for both (status reads the settings as setup read does). Over TCP status
# also asks the printer's address for its network values (a UDP search, which
# the simulator answers on loopback).
set -euo pipefail
. "$(dirname "$0")/sim-support.sh"

# Where korva listens for the search's answer: a free loopback UDP port.
listen_port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
StartSim --serial --line-rate tty --tcp 127.0.0.1:0 --udp 127.0.0.1:0 --udp-reply-port "$listen_port"
pty=$(sed -n 's/^serial=//p' "$work/sim.out")
tcp_port=$(sed -n 's/^tcp=.*://p' "$work/sim.out")
udp_port=$(sed -n 's/^udp=.*://p' "$work/sim.out")

/usr/bin/python3 - "$bin/korva" "$pty" "$tcp_port" "$udp_port" "$listen_port" <<'PY'
import statistics, subprocess, sys, time

korva, pty, tcp_port, udp_port, listen_port = sys.argv[1:6]
links = {
    "serial": ["-p", pty, "--baud", "115200", "--flow", "none"],
    "TCP": ["-p", "ETHERNET_II", "--ip", "127.0.0.1", "--tcp-port", tcp_port],
}
search = {"TCP": ["--udp-port", udp_port, "--listen-port", listen_port]}
targets = {"serial": 60, "TCP": 260}
for command in (["status"], ["setup", "read"]):
    for link, options in links.items():
        extra = search.get(link, []) if command == ["status"] else []
        times = []
        for _ in range(10):
            start = time.perf_counter()
            subprocess.run([korva, *command, *options, *extra, "-q"], check=True, stdout=subprocess.DEVNULL)
            times.append((time.perf_counter() - start) * 1e3)
        print(f"korva {' '.join(command):10} over {link:6}: median {statistics.median(times):6.1f} ms, "
              f"best {min(times):6.1f} ms  (target <= {targets[link]} ms)")
PY
