#!/usr/bin/env python3
"""Writes one picture in every bitmap variant and picture format the logo reader accepts.

Usage: make_bitmaps.py OUTDIR [WIDTH HEIGHT]   (default 37 x 21)

PIL writes the kinds it can (1-, 8-, 24- and 32-bit with a 40-byte header);
the rest (2/4-bit, RLE8/RLE4 with runs inside and past the row end, 16-bit, bit fields, 52/56/108/124-byte and
OS/2 headers, top-down rows, short colour tables) are encoded here by hand,
independently of the C++ reader. OUTDIR/manifest.txt lists "file reference"
pairs: each file shows the same picture as its reference file.
"""
import os
import struct
import sys

from PIL import Image

W, H = 37, 21
# Colour index 0 is black, so pixels an RLE stream skips (index 0) are black too.
COLOURS = [(0, 0, 0), (255, 255, 255), (128, 128, 128), (200, 40, 96)]


def index_at(x, y):
    if y < 3 or x >= 30:
        return 0  # a black band on top and on the right (skipped in the RLE files)
    if 10 <= x < 16:
        return 0  # a black stretch inside rows (delta jumps in the RLE files)
    return ((x // 5) + (y // 3) + (x * y) % 3) % 4


def mono_at(x, y):
    return 1 if (x // 3 + y // 2) % 3 else 0  # 0 black, 1 white


def rgb_image(fn, colours):
    img = Image.new("RGB", (W, H))
    img.putdata([colours[fn(x, y)] for y in range(H) for x in range(W)])
    return img


def rows_bottom_up(top_down=False):
    order = range(H) if top_down else range(H - 1, -1, -1)
    return list(order)


def pack_row(indices, bpp):
    bits = "".join(format(i, "0%db" % bpp) for i in indices)
    bits += "0" * (-len(bits) % 32)  # rows padded to 4 bytes
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def info_header(size, width, height, bpp, compression, image_size, colours_used, masks=None):
    head = struct.pack("<IiiHHIIiiII", size, width, height, 1, bpp, compression, image_size,
                       2835, 2835, colours_used, 0)
    extra = b""
    if size >= 52:
        m = masks or (0, 0, 0)
        extra += struct.pack("<III", *m)
    if size >= 56:
        extra += struct.pack("<I", 0xFF000000 if (masks and masks[0] == 0xFF0000) else 0)
    if size >= 108:
        extra += struct.pack("<I", 0x73524742)  # 'sRGB'
        extra += b"\0" * 36 + b"\0" * 12
    if size >= 124:
        extra += struct.pack("<IIII", 4, 0, 0, 0)
    out = head + extra
    assert len(out) == size, (size, len(out))
    return out


def write_bmp(path, header, palette_bytes, pixel_bytes, masks_after=b""):
    offset = 14 + len(header) + len(masks_after) + len(palette_bytes)
    size = offset + len(pixel_bytes)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", size, 0, 0, offset))
        f.write(header + masks_after + palette_bytes + pixel_bytes)


def palette_bytes(colours, entry=4):
    out = b""
    for r, g, b in colours:
        out += bytes([b, g, r]) + (b"\0" if entry == 4 else b"")
    return out


def indexed(path, bpp, fn, colours, header_size=40, colours_used=0, top_down=False, table=None):
    table = table if table is not None else colours + [(0, 0, 0)] * ((1 << bpp) - len(colours))
    pixels = b"".join(pack_row([fn(x, y) for x in range(W)], bpp) for y in rows_bottom_up(top_down))
    height = -H if top_down else H
    if header_size == 12:
        header = struct.pack("<IHHHH", 12, W, H, 1, bpp)
        write_bmp(path, header, palette_bytes(table, 3), pixels)
    else:
        header = info_header(header_size, W, height, bpp, 0, len(pixels), colours_used)
        write_bmp(path, header, palette_bytes(table), pixels)


def rle8_rows(fn):
    out = bytearray()
    for y in rows_bottom_up():
        row = [fn(x, y) for x in range(W)]
        if all(v == 0 for v in row) and all(fn(x, yy) == 0 for yy in range(y) for x in range(W)):
            out += b"\x00\x01"  # end of bitmap: the rows above stay index 0
            return bytes(out)
        while row and row[-1] == 0:
            row.pop()  # end of line leaves the rest at index 0
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and row[x + run] == row[x] and run < 255:
                run += 1
            if row[x] == 0 and run >= 3:
                out += bytes([0, 2, run, 0])  # delta: jump right over black pixels
            elif run >= 2:
                out += bytes([run, row[x]])
            else:
                lit = [row[x]]
                while x + len(lit) < len(row) and len(lit) < 255 and \
                        (x + len(lit) + 1 >= len(row) or row[x + len(lit)] != row[x + len(lit) + 1]):
                    lit.append(row[x + len(lit)])
                if len(lit) >= 3:
                    out += bytes([0, len(lit)] + lit) + (b"\0" if len(lit) % 2 else b"")
                    run = len(lit)
                else:
                    out += bytes([1, row[x]])
            x += run
        out += b"\x00\x00"
    out += b"\x00\x01"
    return bytes(out)


def rle4_rows(fn):
    out = bytearray()
    for y in rows_bottom_up():
        row = [fn(x, y) for x in range(W)]
        x = 0
        while x < W:
            run = 1
            while x + run < W and row[x + run] == row[x] and run < 255:
                run += 1
            if run >= 4:
                out += bytes([run, row[x] << 4 | row[x]])
                x += run
            else:
                n = min(W - x, 5)  # a literal of 3..5 pixels, or a 2-pixel alternating run
                if n >= 3:
                    nib = row[x:x + n] + [0] * (n % 2)
                    data = bytes(nib[i] << 4 | nib[i + 1] for i in range(0, len(nib), 2))
                    out += bytes([0, n]) + data + (b"\0" if len(data) % 2 else b"")
                else:
                    pair = row[x:x + n] + [0]
                    out += bytes([n, pair[0] << 4 | pair[1]])
                x += n
        out += b"\x00\x00"
    out += b"\x00\x01"
    return bytes(out)


def padded_runs_rows(fn, bpp):
    """RLE the way ImageMagick writes it: every row run out to a multiple of 4
    pixels (its last pixel repeated), so the last run of a row passes the row end."""
    out = bytearray()
    for y in rows_bottom_up():
        row = [fn(x, y) for x in range(W)]
        row += [row[-1]] * (-len(row) % 4)
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and row[x + run] == row[x] and run < 255:
                run += 1
            out += bytes([run, row[x] if bpp == 8 else row[x] << 4 | row[x]])
            x += run
        out += b"\x00\x00"
    out += b"\x00\x01"
    return bytes(out)


def rle(path, bpp, data):
    compression = 1 if bpp == 8 else 2
    table = COLOURS + [(0, 0, 0)] * ((1 << bpp) - len(COLOURS))
    header = info_header(40, W, H, bpp, compression, len(data), 0)
    write_bmp(path, header, palette_bytes(table), data)


def direct(path, bpp, encode, header_size=40, compression=0, masks=None, masks_after=False,
           top_down=False, fn=index_at):
    rows = b""
    for y in rows_bottom_up(top_down):
        row = b"".join(encode(*COLOURS[fn(x, y)]) for x in range(W))
        rows += row + b"\0" * (-len(row) % 4)
    height = -H if top_down else H
    header = info_header(header_size, W, height, bpp, compression, len(rows), 0,
                         None if masks_after else masks)
    extra = struct.pack("<" + "I" * len(masks), *masks) if masks_after else b""
    write_bmp(path, header, b"", rows, extra)


def rgb555(r, g, b):
    return struct.pack("<H", (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3))


def rgb565(r, g, b):
    return struct.pack("<H", (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3))


def main():
    global W, H
    out = sys.argv[1]
    if len(sys.argv) == 4:
        W, H = int(sys.argv[2]), int(sys.argv[3])
    os.makedirs(out, exist_ok=True)
    p = lambda name: os.path.join(out, name)
    pairs = []

    # The outside encoder: PIL, 40-byte headers, bottom-up rows.
    rgb = rgb_image(index_at, COLOURS)
    rgb.save(p("pil-rgb24.bmp"))
    rgb.convert("RGBA").save(p("pil-rgba32.bmp"))
    rgb.quantize(colors=4).save(p("pil-p8.bmp"))
    pairs += [("pil-rgba32.bmp", "pil-rgb24.bmp"), ("pil-p8.bmp", "pil-rgb24.bmp")]
    gray = rgb.convert("L")
    gray.save(p("pil-l8.bmp"))
    Image.merge("RGB", (gray, gray, gray)).save(p("pil-l8-as-rgb24.bmp"))
    pairs.append(("pil-l8.bmp", "pil-l8-as-rgb24.bmp"))
    mono = rgb_image(mono_at, [(0, 0, 0), (255, 255, 255)])
    mono.save(p("pil-mono-rgb24.bmp"))
    mono.convert("1", dither=Image.Dither.NONE).save(p("pil-1.bmp"))
    pairs.append(("pil-1.bmp", "pil-mono-rgb24.bmp"))

    # Picture formats Qt's image plugins read, laid on white: transparent pixels
    # hide red, and black at opacity 127 over white is the gray (128, 128, 128).
    rgb.save(p("pil-rgb.png"))
    rgb.quantize(colors=4).save(p("pil-p.gif"))
    rgb.save(p("pil-rgb.tif"))
    rgb.save(p("pil-rgb-lossless.webp"), lossless=True)
    see_through = {COLOURS[1]: (255, 0, 0, 0), COLOURS[2]: (0, 0, 0, 127)}
    rgba = Image.new("RGBA", (W, H))
    rgba.putdata([see_through.get(c, c + (255,)) for c in rgb.getdata()])
    rgba.save(p("pil-rgba-transparent.png"))
    for name in ("pil-rgb.png", "pil-p.gif", "pil-rgb.tif", "pil-rgb-lossless.webp",
                 "pil-rgba-transparent.png"):
        pairs.append((name, "pil-rgb24.bmp"))

    # Hand-encoded kinds, all against PIL's 24-bit file of the same picture.
    ref = "pil-rgb24.bmp"
    kinds = {
        "idx2.bmp": lambda f: indexed(f, 2, index_at, COLOURS),
        "idx4.bmp": lambda f: indexed(f, 4, index_at, COLOURS),
        "idx4-short-table.bmp": lambda f: indexed(f, 4, index_at, COLOURS, colours_used=4, table=COLOURS),
        "idx8-short-table.bmp": lambda f: indexed(f, 8, index_at, COLOURS, colours_used=4, table=COLOURS),
        "idx8-topdown.bmp": lambda f: indexed(f, 8, index_at, COLOURS, top_down=True),
        "idx8-v5.bmp": lambda f: indexed(f, 8, index_at, COLOURS, header_size=124),
        "os2-4.bmp": lambda f: indexed(f, 4, index_at, COLOURS, header_size=12),
        "os2-8.bmp": lambda f: indexed(f, 8, index_at, COLOURS, header_size=12, table=COLOURS),
        "rle8.bmp": lambda f: rle(f, 8, rle8_rows(index_at)),
        "rle4.bmp": lambda f: rle(f, 4, rle4_rows(index_at)),
        "rle8-padded-runs.bmp": lambda f: rle(f, 8, padded_runs_rows(index_at, 8)),
        "rle4-padded-runs.bmp": lambda f: rle(f, 4, padded_runs_rows(index_at, 4)),
        "rgb24-topdown.bmp": lambda f: direct(f, 24, lambda r, g, b: bytes([b, g, r]), top_down=True),
        "rgb24-v4.bmp": lambda f: direct(f, 24, lambda r, g, b: bytes([b, g, r]), header_size=108),
        "os2-24.bmp": None,
        "bgrx32-v5.bmp": lambda f: direct(f, 32, lambda r, g, b: bytes([b, g, r, 0]), header_size=124),
        "xbgr32-bitfields.bmp": lambda f: direct(f, 32, lambda r, g, b: bytes([0, r, g, b]),
                                                 compression=3, masks=(0xFF00, 0xFF0000, 0xFF000000),
                                                 masks_after=True),
        "rgbx32-bitfields-v4.bmp": lambda f: direct(f, 32, lambda r, g, b: bytes([r, g, b, 0xAA]),
                                                    header_size=108, compression=3,
                                                    masks=(0xFF, 0xFF00, 0xFF0000)),
        "bgra32-alphabitfields.bmp": lambda f: direct(f, 32, lambda r, g, b: bytes([b, g, r, 0xFF]),
                                                      compression=6,
                                                      masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000),
                                                      masks_after=True),
        "bgra32-v3-56.bmp": lambda f: direct(f, 32, lambda r, g, b: bytes([b, g, r, 0xFF]),
                                             header_size=56, compression=3,
                                             masks=(0xFF0000, 0xFF00, 0xFF)),
    }
    for name, make in kinds.items():
        if make is None:
            continue
        make(p(name))
        pairs.append((name, ref))
    # OS/2 24-bit core file.
    rows = b""
    for y in rows_bottom_up():
        row = b"".join(bytes([b, g, r]) for r, g, b in (COLOURS[index_at(x, y)] for x in range(W)))
        rows += row + b"\0" * (-len(row) % 4)
    write_bmp(p("os2-24.bmp"), struct.pack("<IHHHH", 12, W, H, 1, 24), b"", rows)
    pairs.append(("os2-24.bmp", ref))

    # Two-colour files: white-first tables print index 1, black-first index 0.
    white_first = lambda x, y: 1 - mono_at(x, y)
    indexed(p("mono-white-first.bmp"), 1, white_first, [(255, 255, 255), (0, 0, 0)])
    indexed(p("mono-os2.bmp"), 1, mono_at, [(0, 0, 0), (255, 255, 255)], header_size=12)
    indexed(p("mono-topdown-v4.bmp"), 1, mono_at, [(0, 0, 0), (255, 255, 255)], header_size=108,
            top_down=True)
    for name in ("mono-white-first.bmp", "mono-os2.bmp", "mono-topdown-v4.bmp"):
        pairs.append((name, "pil-mono-rgb24.bmp"))

    # 16-bit files show the picture through 5-bit channels: compared among themselves.
    direct(p("rgb555.bmp"), 16, rgb555)
    direct(p("rgb565-bitfields.bmp"), 16, rgb565, compression=3, masks=(0xF800, 0x07E0, 0x001F),
           masks_after=True)
    direct(p("rgb565-v2-52.bmp"), 16, rgb565, header_size=52, compression=3,
           masks=(0xF800, 0x07E0, 0x001F))
    direct(p("rgb555-v5.bmp"), 16, rgb555, header_size=124)
    for name in ("rgb565-bitfields.bmp", "rgb565-v2-52.bmp", "rgb555-v5.bmp"):
        pairs.append((name, "rgb555.bmp"))

    with open(p("manifest.txt"), "w") as f:
        for name, reference in pairs:
            f.write("%s %s\n" % (name, reference))


if __name__ == "__main__":
    main()
