#!/usr/bin/env bash
# Every picture kind and size a logo comes in, converted by `korva logo
# convert` and by Pillow (open, to gray, to dots) side by side: CPU time (user
# + system) and peak memory of each whole process, the best of three runs,
# and the ratios ours/Pillow. Targets: CPU <= 0.8 x Pillow's, memory <= 1 x.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Debian's interpreter carries Debian's PIL.
python=/usr/bin/python3
"$python" -c 'import PIL' 2>/dev/null || { echo "PIL not installed (Debian package python3-pil): skipped"; exit 0; }
# Run twice: once to write the pictures, once to measure, so that the
# measuring process stays small (a child's peak memory counts what its
# parent held when it forked).
script=$(cat <<'PY'
import os, subprocess, sys, zlib
from PIL import Image

mode, bin_dir, work = sys.argv[1:4]
Image.MAX_IMAGE_PIXELS = None

def noise(w, h, mode):
    return Image.frombytes(mode, (w, h), os.urandom(w * h * len(mode)))

def photo(w, h):
    # Smooth shading with grain, as a photograph.
    base = Image.radial_gradient("L").resize((w, h)).convert("RGB")
    return Image.blend(base, noise(w, h, "RGB"), 0.3)

def deep_png(path, w, h):
    # 16 bits a channel, RGB: rows of a shifted ramp (Pillow writes no such PNG).
    ramp = b"".join(((x * 16) & 0xFFFF).to_bytes(2, "big") + ((x * 7) & 0xFFFF).to_bytes(2, "big")
                    + ((65535 - x * 11) & 0xFFFF).to_bytes(2, "big") for x in range(w))
    rows = b"".join(b"\0" + ramp[6 * (y % w):] + ramp[:6 * (y % w)] for y in range(h))
    def chunk(kind, data):
        return (len(data).to_bytes(4, "big") + kind + data
                + zlib.crc32(kind + data).to_bytes(4, "big"))
    header = w.to_bytes(4, "big") + h.to_bytes(4, "big") + bytes([16, 2, 0, 0, 0])
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 1))
                + chunk(b"IEND", b""))

kinds = []
for side in (256, 1024, 2048, 4096):
    kinds.append((f"PNG black/white {side}x{side}", f"bw{side}.png",
                  lambda p, s=side: noise(s, s, "L").point(lambda v: 255 if v > 127 else 0).save(p)))
kinds += [
    ("PNG 16-bit RGB 4000x4000", "deep.png", lambda p: deep_png(p, 4000, 4000)),
    ("PNG photo 1200x900", "photo.png", lambda p: photo(1200, 900).save(p)),
    ("JPEG photo 2000x1500", "photo.jpg", lambda p: photo(2000, 1500).save(p, quality=90)),
    ("BMP 24-bit 4096x4096", "rgb.bmp", lambda p: noise(4096, 4096, "RGB").save(p)),
]

if mode == "make":
    for _, name, make in kinds:
        make(os.path.join(work, name))
    raise SystemExit(0)

def measure(command):
    """CPU seconds and peak memory (MB) of one run of `command`, the best of three."""
    best_cpu, best_mem = float("inf"), float("inf")
    for _ in range(3):
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(child.pid, 0)
        if status != 0:
            raise SystemExit(f"{command[0]} failed on {command}: {child.stderr.read().decode()}")
        best_cpu = min(best_cpu, usage.ru_utime + usage.ru_stime)
        best_mem = min(best_mem, usage.ru_maxrss / 1024)
    return best_cpu, best_mem

pillow = ("from PIL import Image; import sys; Image.MAX_IMAGE_PIXELS = None; "
          "Image.open(sys.argv[1]).convert('L').convert('1').tobytes()")
print(f"{'picture':28} {'korva CPU':>10} {'Pillow CPU':>10} {'ratio':>6}   {'korva MB':>9} {'Pillow MB':>9} {'ratio':>6}")
worst_cpu = worst_mem = 0.0
for title, name, make in kinds:
    path = os.path.join(work, name)
    ours_cpu, ours_mem = measure([f"{bin_dir}/korva", "logo", "convert", path, "--out", f"{work}/raster.bin"])
    pil_cpu, pil_mem = measure([sys.executable, "-c", pillow, path])
    cpu_ratio, mem_ratio = ours_cpu / pil_cpu, ours_mem / pil_mem
    worst_cpu, worst_mem = max(worst_cpu, cpu_ratio), max(worst_mem, mem_ratio)
    print(f"{title:28} {ours_cpu * 1e3:8.0f}ms {pil_cpu * 1e3:8.0f}ms {cpu_ratio:6.2f}   "
          f"{ours_mem:9.1f} {pil_mem:9.1f} {mem_ratio:6.2f}")
print(f"worst ratio ours/Pillow: CPU {worst_cpu:.2f} (target <= 0.8), peak memory {worst_mem:.2f} (target <= 1.0)")
PY
)
"$python" -c "$script" make "$bin" "$work"
"$python" -c "$script" measure "$bin" "$work"
