#!/usr/bin/env python3
"""Draws the KorvaTool icon: a receipt printer with a printed slip.

One list of shapes gives the scalable SVG and every PNG size, so the two
never drift apart. Run after changing a shape; the outputs (laid out as the hicolor theme
is) are committed.
"""
import sys
from pathlib import Path

from PIL import Image, ImageDraw

APP_ID = "org.korvatool.KorvaTool"
SIZES = (16, 24, 32, 48, 64, 128, 256)
GRID = 64  # shapes are laid out on a 64 x 64 grid

# (kind, x0, y0, x1, y1, radius, fill) on the grid.
SHAPES = [
    ("rect", 14, 3, 50, 34, 2, "#90a4ae"),        # the slip's outline
    ("rect", 15, 4, 49, 34, 1.5, "#ffffff"),      # the slip, behind the body
    ("rect", 15, 4, 49, 6, 0, "#d8dee3"),         # its torn edge
    ("rect", 20, 10, 30, 20, 1, "#263238"),       # a logo on it
    ("rect", 33, 11, 44, 13, 1, "#90a4ae"),       # printed lines
    ("rect", 33, 16, 44, 18, 1, "#90a4ae"),
    ("rect", 20, 24, 44, 26, 1, "#90a4ae"),
    ("rect", 6, 28, 58, 58, 6, "#37474f"),        # printer body
    ("rect", 12, 28, 52, 33, 2, "#263238"),       # paper exit
    ("rect", 10, 40, 54, 42, 1, "#546e7a"),       # cover seam
    ("circle", 45, 47, 50, 52, 0, "#66bb6a"),     # power lamp
]


def svg():
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{GRID}" height="{GRID}" '
             f'viewBox="0 0 {GRID} {GRID}">']
    for kind, x0, y0, x1, y1, r, fill in SHAPES:
        if kind == "circle":
            parts.append(f'  <circle cx="{(x0 + x1) / 2:g}" cy="{(y0 + y1) / 2:g}" '
                         f'r="{(x1 - x0) / 2:g}" fill="{fill}"/>')
        else:
            parts.append(f'  <rect x="{x0:g}" y="{y0:g}" width="{x1 - x0:g}" height="{y1 - y0:g}" '
                         f'rx="{r:g}" fill="{fill}"/>')
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def png(size):
    scale = size * 8 / GRID  # drawn 8 times larger, then smoothed down
    image = Image.new("RGBA", (size * 8, size * 8), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    for kind, x0, y0, x1, y1, r, fill in SHAPES:
        box = [x0 * scale, y0 * scale, x1 * scale - 1, y1 * scale - 1]
        if kind == "circle":
            draw.ellipse(box, fill=fill)
        else:
            draw.rounded_rectangle(box, radius=r * scale, fill=fill)
    return image.resize((size, size), Image.LANCZOS)


def main(out):
    out = Path(out)
    (out / "scalable" / "apps").mkdir(parents=True, exist_ok=True)
    (out / "scalable" / "apps" / f"{APP_ID}.svg").write_text(svg())
    for size in SIZES:
        folder = out / f"{size}x{size}" / "apps"
        folder.mkdir(parents=True, exist_ok=True)
        png(size).save(folder / f"{APP_ID}.png", optimize=True)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)
