#!/usr/bin/env bash
# Logo conversion speed on a 512 x 1000 24-bit bitmap:
#   in-process (Google Benchmark): file bytes -> packed 1-bit raster, and -> gray raster;
#   PIL on the same file: Image.open(f).convert('L').convert('1'), timed inside Python;
#   the ratio ours / PIL (target <= 1.0);
#   the same picture as a PNG file, ours (Qt's reader + conversion) against PIL;
#   `korva logo convert` as a whole process (target < 20 ms).
set -euo pipefail
bin=${1:-build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bmp="$work/logo-512x1000.bmp"
png="$work/logo-512x1000.png"
"$bin/bench_logo_convert" --write-bmp "$bmp"
"$bin/bench_logo_convert" --write-png "$png"
"$bin/bench_logo_convert" --benchmark_repetitions=7 --benchmark_format=json \
  --benchmark_out="$work/ours.json" --benchmark_out_format=json >/dev/null

# Debian's interpreter carries Debian's PIL.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" - "$bin" "$bmp" "$work" "$png" <<'PY'
import json, resource, statistics, subprocess, sys, time

bin_dir, bmp, work, png = sys.argv[1:5]
pixels = 512 * 1000

runs = json.load(open(f"{work}/ours.json"))["benchmarks"]
def best_ms(name):
    times = [r["real_time"] for r in runs if r.get("run_name") == name and r.get("run_type") == "iteration"]
    unit = {"ms": 1.0, "us": 1e-3, "ns": 1e-6}[runs[0]["time_unit"]]
    return min(times) * unit

mono, gray = best_ms("BM_LogoConvertMono"), best_ms("BM_LogoConvertGray")
png_mono = best_ms("BM_LogoConvertPng")
print(f"ours   1-bit raster: {mono:7.3f} ms/image  {pixels / mono / 1e3:7.1f} MP/s")
print(f"ours   gray raster:  {gray:7.3f} ms/image  {pixels / gray / 1e3:7.1f} MP/s")
print(f"ours   PNG -> 1-bit: {png_mono:7.3f} ms/image  {pixels / png_mono / 1e3:7.1f} MP/s")

try:
    from PIL import Image
    best = float("inf")
    for _ in range(7):
        n = 20
        start = time.perf_counter()
        for _ in range(n):
            Image.open(bmp).convert("L").convert("1")
        best = min(best, (time.perf_counter() - start) / n)
    pil = best * 1e3
    print(f"PIL    L -> 1:       {pil:7.3f} ms/image  {pixels / pil / 1e3:7.1f} MP/s")
    print(f"ratio ours/PIL (1-bit): {mono / pil:.2f}  (target <= 1.0)")
    best = float("inf")
    for _ in range(7):
        n = 10
        start = time.perf_counter()
        for _ in range(n):
            Image.open(png).convert("L").convert("1")
        best = min(best, (time.perf_counter() - start) / n)
    pil_png = best * 1e3
    print(f"PIL    PNG L -> 1:   {pil_png:7.3f} ms/image  {pixels / pil_png / 1e3:7.1f} MP/s")
    print(f"ratio ours/PIL (PNG 1-bit): {png_mono / pil_png:.2f}  (target <= 1.0)")
except ImportError:
    print("PIL not installed (Debian package python3-pil): no ratio")

# Wall time, and the CPU time of the process (user + system), which a busy
# machine does not inflate.
def cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime

times, cpus = [], []
command = [f"{bin_dir}/korva", "logo", "convert", bmp, "--out", f"{work}/raster.bin"]
for _ in range(30):
    start, start_cpu = time.perf_counter(), cpu()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    times.append((time.perf_counter() - start) * 1e3)
    cpus.append((cpu() - start_cpu) * 1e3)
print(f"korva logo convert (whole process): min {min(times):.2f} ms, median {statistics.median(times):.2f} ms"
      f" wall, median {statistics.median(cpus):.2f} ms CPU  (target < 20 ms)")
PY
