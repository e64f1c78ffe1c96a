"""Generator of the four bitmap fonts "Brindlewood 0.17 - Size NN".

For each nominal size NN in 26, 33, 37, 47 it writes
  <out>/Fonts/Brindlewood 0.17 - Size NN.fnt   text font description (BMFont text subset)
  <out>/Images/Brindlewood 0.17 - Size NN.png  glyph sheet (the game looks sheets up in Images)
and a contact sheet <preview>/fonts.png that renders sample text from the
written .fnt + sheet exactly the way the game lays text out.

The typeface is Comfortaa Bold (Debian package fonts-comfortaa, SIL OFL 1.1,
see FONT_CREDITS.txt); "Brindlewood" is our name for the bitmap derivative
(the OFL reserves the name "Comfortaa").  Needs python3-pil (with FreeType).

Layout of a description (what the game's reader takes):
  info face="Brindlewood 0.17" size=<px> bold=1 ... padding=0,0,0,0 spacing=2,2
  common lineHeight=<NN> base=<baseline> scaleW=<W> scaleH=<H> pages=1 packed=0
  page id=0 file="Brindlewood 0.17 - Size NN.png"
  chars count=95
  char id=<c> x= y= width= height= xoffset= yoffset= xadvance= page=0 chnl=15   (one per glyph)
  kernings count=0
The reader takes the words before "chars" for padding=/size=/scaleW=/scaleH=,
then the first eight values of each "char" line by position (id, x, y, width,
height, xoffset, yoffset, xadvance) until "kernings".  Padding is 0 so advance
= xadvance and visible width = width.

Metrics: the nominal size NN is the line height in design pixels.  The pen is
at the top-left of the line box; a glyph's box goes at (pen x + xoffset,
line top + yoffset).  The baseline sits `base` pixels below the line top,
chosen so that capital letters are vertically centred in the line box.
Each glyph box is the ink bounding box grown by one transparent pixel on
every side (clean edges under linear filtering); glyphs are white with the
coverage in alpha (the game tints them).
"""

import argparse
import os
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

try:
    from . import draw2d
except ImportError:  # run as a script
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import draw2d  # type: ignore

FACE_NAME = "Brindlewood 0.17"
SIZES = (26, 33, 37, 47)
FIRST_CHAR, LAST_CHAR = 32, 126
TTF_CANDIDATES = (
    "/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf",
)
DEBIAN_PACKAGE = "fonts-comfortaa"
# TrueType pixel size per nominal size (line height): about 0.84 x line height,
# so that the tallest ASCII ink (brackets) and the descenders fit the line box.
PIXEL_SIZE = {26: 22, 33: 28, 37: 31, 47: 39}
GLYPH_SPACING = 2  # transparent pixels between glyph boxes in the sheet


def fnt_name(size):
    return "%s - Size %d.fnt" % (FACE_NAME, size)


def sheet_name(size):
    return "%s - Size %d.png" % (FACE_NAME, size)


def find_ttf():
    for p in TTF_CANDIDATES:
        if os.path.exists(p):
            return p
    raise FileNotFoundError(
        "Comfortaa Bold not found; install it with: apt-get install -y %s" % DEBIAN_PACKAGE)


class FontData:
    """One generated font: glyph records, sheet image and description text."""

    def __init__(self, size, pixel_size, base, sheet, chars, fnt_text):
        self.size = size
        self.pixel_size = pixel_size
        self.base = base
        self.sheet = sheet
        self.chars = chars  # {id: dict(x, y, width, height, xoffset, yoffset, xadvance)}
        self.fnt_text = fnt_text


def _rasterise(font, ch, origin_x, origin_y, canvas_w, canvas_h):
    im = Image.new("L", (canvas_w, canvas_h), 0)
    ImageDraw.Draw(im).text((origin_x, origin_y), ch, font=font, fill=255, anchor="ls")
    return im


def build_font(size):
    """Rasterise the font for nominal size `size`; returns FontData."""
    ttf = find_ttf()
    px = PIXEL_SIZE[size]
    font = ImageFont.truetype(ttf, px, layout_engine=ImageFont.Layout.BASIC)
    cap = -font.getbbox("H", anchor="ls")[1]
    base = (size + cap) // 2

    # 1. Rasterise every glyph on its own canvas around a known origin.
    glyphs = []
    pad = px  # generous room around the origin
    cw, ch_ = px * 3, size + 2 * pad
    for code in range(FIRST_CHAR, LAST_CHAR + 1):
        c = chr(code)
        ox, oy = pad, pad + base  # pen at (pad, pad) = line top-left; baseline below it
        im = _rasterise(font, c, ox, oy, cw, ch_)
        adv = int(round(font.getlength(c)))
        bbox = im.getbbox()
        if bbox is None or code == 32:
            glyphs.append(dict(id=code, img=None, w=0, h=0, xoffset=0, yoffset=0, xadvance=adv))
            continue
        x0, y0, x1, y1 = bbox
        x0, y0, x1, y1 = x0 - 1, y0 - 1, x1 + 1, y1 + 1  # one clear pixel around the ink
        crop = im.crop((x0, y0, x1, y1))
        glyphs.append(dict(id=code, img=crop, w=x1 - x0, h=y1 - y0,
                           xoffset=x0 - pad, yoffset=y0 - pad, xadvance=adv))

    # 2. Shelf-pack in id order into the smallest power-of-two sheet that fits.
    def pack(sw):
        x = y = GLYPH_SPACING
        row_h = 0
        pos = {}
        for g in glyphs:
            if g["img"] is None:
                continue
            if x + g["w"] + GLYPH_SPACING > sw:
                x = GLYPH_SPACING
                y += row_h + GLYPH_SPACING
                row_h = 0
            pos[g["id"]] = (x, y)
            x += g["w"] + GLYPH_SPACING
            row_h = max(row_h, g["h"])
        return pos, y + row_h + GLYPH_SPACING

    best = None
    for sw in (128, 256, 512, 1024):
        pos, used_h = pack(sw)
        sh = 1
        while sh < used_h:
            sh *= 2
        if sh <= sw:
            cand = (sw * sh, sw, sh, pos)
            if best is None or cand[0] < best[0]:
                best = cand
    _, sw, sh, pos = best

    alpha = Image.new("L", (sw, sh), 0)
    chars = {}
    # Space (and any glyph without ink) gets an empty box in a free corner.
    empty_xy = (0, sh - 1)
    for g in glyphs:
        if g["img"] is None:
            x, y = empty_xy
        else:
            x, y = pos[g["id"]]
            alpha.paste(g["img"], (x, y))
        chars[g["id"]] = dict(x=x, y=y, width=g["w"], height=g["h"], xoffset=g["xoffset"],
                              yoffset=g["yoffset"], xadvance=g["xadvance"])
    white = Image.new("L", (sw, sh), 255)
    sheet = Image.merge("RGBA", (white, white, white, alpha))

    lines = [
        'info face="%s" size=%d bold=1 italic=0 charset="" unicode=1 stretchH=100 smooth=1 aa=1 '
        'padding=0,0,0,0 spacing=%d,%d outline=0' % (FACE_NAME, px, GLYPH_SPACING, GLYPH_SPACING),
        'common lineHeight=%d base=%d scaleW=%d scaleH=%d pages=1 packed=0 alphaChnl=0 redChnl=4 '
        'greenChnl=4 blueChnl=4' % (size, base, sw, sh),
        'page id=0 file="%s"' % sheet_name(size),
        'chars count=%d' % len(chars),
    ]
    for code in sorted(chars):
        c = chars[code]
        lines.append("char id=%-4d x=%-5d y=%-5d width=%-5d height=%-5d xoffset=%-5d yoffset=%-5d "
                     "xadvance=%-5d page=0  chnl=15" % (
                         code, c["x"], c["y"], c["width"], c["height"], c["xoffset"],
                         c["yoffset"], c["xadvance"]))
    lines.append("kernings count=0")
    text = "\n".join(lines) + "\n"
    return FontData(size, px, base, sheet, chars, text)


# ---------------------------------------------------------------- the game's reader


def parse_fnt(text):
    """Read a description with exactly the rules of the game's reader.

    Returns dict(padding=[4], size=int, scaleW=int, scaleH=int,
    glyphs={id: dict(id, x, y, width, height, xoffset, yoffset, xadvance,
    advance, visible_width)}).  Raises ValueError where the game would log
    "Exception thrown" (a number that does not convert)."""
    words = text.split()
    i = 0
    padding = [0, 0, 0, 0]
    size = scale_w = scale_h = 0
    while i < len(words) and words[i] != "chars":
        w = words[i]
        if w.startswith("padding="):
            vals = w[len("padding="):].split(",")[:4]
            for k, v in enumerate(vals):
                padding[k] = int(v)
        elif w.startswith("size="):
            size = int(w[5:])
        elif w.startswith("scaleW="):
            scale_w = int(w[7:])
        elif w.startswith("scaleH="):
            scale_h = int(w[7:])
        i += 1
    glyphs = {}
    current = None  # values of the glyph being collected (None before the first "char")

    def make(vals):
        if vals is None or len(vals) < 8:
            return
        gid = vals[0]
        if 0 <= gid <= 199:
            g = dict(zip(("id", "x", "y", "width", "height", "xoffset", "yoffset", "xadvance"),
                         vals[:8]))
            g["advance"] = g["xadvance"] - padding[2]
            g["visible_width"] = g["width"] - padding[0] - padding[2]
            glyphs[gid] = g

    i += 1
    while i < len(words) and words[i] != "kernings":
        w = words[i]
        if w == "char":
            make(current)
            current = []
        elif current is not None and "=" in w:
            if len(current) < 8:
                current.append(int(w.split("=", 1)[1]))
        i += 1
    make(current)
    return dict(padding=padding, size=size, scaleW=scale_w, scaleH=scale_h, glyphs=glyphs)


def text_size(parsed, nominal, text):
    """Width and height of a text as TextDynamic measures it."""
    lines = text.split("\n")
    height = nominal * len(lines)
    width = 0
    for li, line in enumerate(lines):
        wsum = 0
        for k, ch in enumerate(line):
            g = parsed["glyphs"].get(ord(ch))
            if g is None:
                continue
            last = (li == len(lines) - 1 and k == len(line) - 1)
            wsum += g["visible_width"] if last else g["advance"]
        width = max(width, wsum)
    return width, height


def render_text(parsed, sheet, nominal, text, colour=(255, 255, 255), canvas=None, x=0, y=0):
    """Draw `text` the way the game does, onto an RGBA PIL image.

    Pen starts at (x, y) = the top-left of the first line box; for each
    character the glyph box goes at (pen x + xoffset, pen y + yoffset) and the
    pen moves right by the advance; a line feed returns the pen to x and moves
    it down by the nominal size.  Returns the canvas."""
    w, h = text_size(parsed, nominal, text)
    if canvas is None:
        canvas = Image.new("RGBA", (max(1, w + 8), max(1, h + 8)), (0, 0, 0, 0))
    px, py = x, y
    for ch in text:
        if ch == "\n":
            px = x
            py += nominal
            continue
        g = parsed["glyphs"].get(ord(ch))
        if g is None:
            continue
        if g["width"] > 0 and g["height"] > 0:
            box = sheet.crop((g["x"], g["y"], g["x"] + g["width"], g["y"] + g["height"]))
            col = Image.new("RGBA", box.size, tuple(colour) + (255,))
            col.putalpha(box.getchannel("A"))
            gx, gy = px + g["xoffset"], py + g["yoffset"]
            sx, sy = max(0, -gx), max(0, -gy)
            if sx or sy:
                col = col.crop((sx, sy, col.width, col.height))
            canvas.alpha_composite(col, dest=(gx + sx, gy + sy))
        px += g["advance"]
    return canvas


def render_text_fast(font_data, text, colour=(255, 255, 255)):
    """Render from in-memory FontData (used by the picture generator)."""
    parsed = parse_fnt(font_data.fnt_text)
    return render_text(parsed, font_data.sheet, font_data.size, text, colour)


# ---------------------------------------------------------------- generate


_CACHE = {}


def get_fonts():
    """Build (once per process) the four fonts; returns {size: FontData}."""
    if not _CACHE:
        for s in SIZES:
            _CACHE[s] = build_font(s)
    return _CACHE


SAMPLE_LINES = [
    "Quillon Vale - Place Mode (Click, then click on a unit)",
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz",
    "0123456789 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~ Version 0.12.0.3",
]


def contact_sheet(preview_dir, written):
    """Render samples from the written files (parsed with the game's rules)."""
    label_font = ImageFont.truetype(find_ttf(), 16, layout_engine=ImageFont.Layout.BASIC)
    blocks = []
    for size in SIZES:
        fnt_path, png_path = written[size]
        parsed = parse_fnt(Path(fnt_path).read_text())
        sheet = Image.open(png_path).convert("RGBA")
        blocks.append((size, parsed, sheet))
    width = 1900
    # Heights: title + 3 sample lines + button demo + sheet preview.
    parts = []
    for size, parsed, sheet in blocks:
        h = 24 + size * len(SAMPLE_LINES) + 16 + 90 + 16
        parts.append(h)
    sheet_row_h = max(b[2].height for b in blocks) + 40
    total_h = sum(parts) + sheet_row_h + 20
    img = Image.new("RGBA", (width, total_h), (18, 26, 34, 255))
    d = ImageDraw.Draw(img)
    y = 10
    for (size, parsed, sheet), h in zip(blocks, parts):
        d.text((10, y), "Size %d  (sheet %dx%d, %d glyphs; cyan = line boxes, orange = baseline)" % (
            size, parsed["scaleW"], parsed["scaleH"], len(parsed["glyphs"])),
            font=label_font, fill=(200, 200, 200, 255))
        y += 24
        base = get_fonts()[size].base
        for k, line in enumerate(SAMPLE_LINES):
            top = y + k * size
            d.line([(10, top), (width - 10, top)], fill=(40, 110, 130, 255))
            d.line([(10, top + base), (width - 10, top + base)], fill=(150, 90, 40, 255))
            render_text(parsed, sheet, size, line, (155, 252, 199), img, 14, top)
        yb = y + size * len(SAMPLE_LINES)
        d.line([(10, yb), (width - 10, yb)], fill=(40, 110, 130, 255))
        y = yb + 16
        # Labels centred in a box the way buttons centre them.
        for k, (label, boxw) in enumerate((("New Game", 358), ("Send Feedback", 358), ("Help", 152),
                                           ("Continue Anyway", 358), ("Wg", 73))):
            bx = 14 + k * 380
            tw, th = text_size(parsed, size, label)
            d.rectangle([bx, y, bx + boxw, y + 70], outline=(80, 80, 80, 255), fill=(20, 60, 52, 255))
            ty = y + (70 - size) // 2
            render_text(parsed, sheet, size, label, (255, 255, 255), img,
                        bx + (boxw - tw + 1) // 2, ty)
        y += 90 + 16
    # The four sheets themselves on a checkerboard.
    x = 10
    for size, parsed, sheet in blocks:
        bg = Image.new("RGBA", sheet.size, (60, 60, 60, 255))
        cd = ImageDraw.Draw(bg)
        for cy in range(0, sheet.height, 8):
            for cx in range(0, sheet.width, 8):
                if (cx // 8 + cy // 8) % 2:
                    cd.rectangle([cx, cy, cx + 7, cy + 7], fill=(80, 80, 80, 255))
        bg.alpha_composite(sheet)
        img.paste(bg, (x, y + 20))
        d.text((x, y), sheet_name(size), font=label_font, fill=(200, 200, 200, 255))
        x += sheet.width + 20
    preview_dir.mkdir(parents=True, exist_ok=True)
    draw2d.save_png(img.convert("RGB"), preview_dir / "fonts.png", level=3)


def generate(out_dir, preview_dir=None):
    out_dir = Path(out_dir)
    fonts_dir = out_dir / "Fonts"
    images_dir = out_dir / "Images"
    fonts_dir.mkdir(parents=True, exist_ok=True)
    images_dir.mkdir(parents=True, exist_ok=True)
    written = {}
    for size, fd in sorted(get_fonts().items()):
        fnt_path = fonts_dir / fnt_name(size)
        png_path = images_dir / sheet_name(size)
        with open(fnt_path, "w", newline="\n") as f:
            f.write(fd.fnt_text)
        draw2d.save_png(fd.sheet, png_path)
        written[size] = (fnt_path, png_path)
    if preview_dir is not None:
        contact_sheet(Path(preview_dir), written)
    return written


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--out", required=True, help="the game's Data folder")
    ap.add_argument("--preview", default=None, help="folder for the contact sheet")
    a = ap.parse_args(argv)
    generate(a.out, a.preview)


if __name__ == "__main__":
    main()
