#!/usr/bin/env bash
# korvatool's start under the offscreen platform, from exec to its first
# window painted (bench_gui_start: the program's own start, ended
# there): median and best wall time of 20 runs, and the peak memory.
# Target: < 100 ms.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -x "$bin/bench_gui_start" ] || { echo "bench_gui_start is not built: skipped"; exit 0; }
# A home of its own: the profile and error log the start writes stay here.
HOME=$work QT_QPA_PLATFORM=offscreen XDG_CACHE_HOME=$work/cache \
/usr/bin/python3 - "$bin/bench_gui_start" "$work" <<'PY'
import os, statistics, subprocess, sys, time

program, work = sys.argv[1:3]
env = {k: v for k, v in os.environ.items() if k not in ("XDG_CONFIG_HOME", "XDG_STATE_HOME")}
# One start to fill the caches (fonts, the dynamic loader's), as a user's second start.
subprocess.run([program], env=env, cwd=work, check=True, timeout=60, stderr=subprocess.DEVNULL)
times, peaks = [], []
for _ in range(20):
    start = time.perf_counter()
    child = subprocess.Popen([program], env=env, cwd=work, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    times.append((time.perf_counter() - start) * 1e3)
    peaks.append(usage.ru_maxrss / 1024)
    if status != 0:
        raise SystemExit(f"{program} ended with status {status}")
print(f"GUI start to a visible window (offscreen): median {statistics.median(times):6.1f} ms, "
      f"best {min(times):6.1f} ms, peak memory {statistics.median(peaks):.1f} MB  (target < 100 ms)")
PY
