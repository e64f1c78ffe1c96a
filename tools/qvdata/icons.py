"""Application icons of Quillon Vale for desktop menus: the window icon's
three-legged creature drawn afresh at every size of the hicolor icon theme
(no scaling of the 64-pixel picture, so the small sizes stay sharp).

`generate(out_dir, preview_dir)` writes <out_dir>/hicolor/<n>x<n>/apps/quillon-vale.png
and, when preview_dir is given, the contact sheet "icons.png" there: every size
at 1:1 on a dark and on a light menu background, and the small ones enlarged.

Run as a script: python3 tools/qvdata/icons.py --out build/icons --preview build/data-preview
"""

import argparse
import os
import sys
from pathlib import Path

from PIL import Image, ImageDraw

try:
    from . import draw2d as D
    from . import images as I
except ImportError:  # run as a script
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import draw2d as D  # type: ignore
    import images as I  # type: ignore

SIZES = (16, 32, 48, 64, 128, 256)
NAME = "quillon-vale"


def icon_path(out_dir, size):
    return Path(out_dir) / "hicolor" / ("%dx%d" % (size, size)) / "apps" / (NAME + ".png")


def contact_sheet(icons, preview_dir):
    font = I._font(15)
    pad = 16
    magnify = 128  # the small sizes enlarged to this, pixel for pixel
    small = [s for s in SIZES if s <= 64]
    row_h = max(SIZES) + 30
    col = {s: max(s, 56) for s in SIZES}
    width = pad + sum(col[s] + pad for s in SIZES)
    width = max(width, pad + len(small) * (magnify + pad))
    height = pad + 2 * (row_h + pad) + magnify + 30 + pad
    sheet = Image.new("RGBA", (width, height), (24, 28, 34, 255))
    d = ImageDraw.Draw(sheet)
    for row, bg in enumerate(((40, 44, 52, 255), (236, 238, 240, 255))):
        y = pad + row * (row_h + pad)
        sheet.paste(Image.new("RGBA", (width - 2 * pad + 8, row_h), bg), (pad - 4, y))
        x = pad
        for s in SIZES:
            sheet.alpha_composite(icons[s], (x, y + 24 + max(SIZES) - s))
            d.text((x, y + 4), "%d px" % s, font=font, fill=(120, 200, 170, 255) if row == 0 else (30, 60, 50, 255))
            x += col[s] + pad
    y = pad + 2 * (row_h + pad)
    x = pad
    for s in small:
        big = icons[s].resize((magnify, magnify), Image.NEAREST)
        cell = I._checker(magnify, magnify)
        cell.alpha_composite(big)
        sheet.paste(cell, (x, y + 24))
        d.text((x, y + 4), "%d px, enlarged" % s, font=font, fill=(225, 230, 235, 255))
        x += magnify + pad
    Path(preview_dir).mkdir(parents=True, exist_ok=True)
    D.save_png(sheet.convert("RGB"), Path(preview_dir) / "icons.png", level=3)


def generate(out_dir, preview_dir=None):
    icons = {s: I.creature_icon(s) for s in SIZES}
    for s, img in icons.items():
        if img.size != (s, s):
            raise AssertionError("icon %d: built %s" % (s, img.size))
        path = icon_path(out_dir, s)
        path.parent.mkdir(parents=True, exist_ok=True)
        D.save_png(img, path, level=9)
    if preview_dir is not None:
        contact_sheet(icons, preview_dir)
    return [icon_path(out_dir, s) for s in SIZES]


def main(argv=None):
    ap = argparse.ArgumentParser(description="Generate the Quillon Vale desktop icons.")
    ap.add_argument("--out", required=True, help="folder that receives hicolor/")
    ap.add_argument("--preview", default=None, help="folder for the contact sheet")
    a = ap.parse_args(argv)
    generate(a.out, a.preview)


if __name__ == "__main__":
    main()
