"""Generator of every interface picture of Quillon Vale.

`generate(out_dir, preview_dir)` writes the pictures into <out_dir>/Images/
and contact sheets into <preview_dir>/: "images.png" (every picture on a
checkerboard with its name and size) and "ui_mockup.png" (main menu, gameplay
screen with top bar, terrain panel, tooltip and settings rows, and the units
screen, composed the way the game places pictures and text).  The glyph sheets
and .fnt files come from fonts.generate (tools/gen_data.py runs both).

Run as a script: python3 tools/qvdata/images.py --out Data --preview preview
(add --with-fonts to also write the fonts, as a standalone run of both).

Design pixels: a picture drawn with width 0 is shown at its own pixel size,
1080 design pixels per window height, so every size below is in design
pixels.  Buttons keep a 9-pixel margin (the hit margin) around their hit
shape for the glow and shadow; the face is exactly the hit shape.

Size table (w x h, and where it comes from):

| picture | size | derivation |
|---|---|---|
| Button Large Long (Not) Hilighted Green | 382 x 83 | hit 364 x 65 + 2 x 9 margin; label centring 12 + 358/2 = 191 = half width; label y 23 + 37/2 = 41.5 = half height |
| Button Large Short (Not) Hilighted Green | 200 x 83 | hit 182 x 65 + 18 (12 + 176/2 = 100) |
| Button Page Select (Not) Hilighted | 97 x 83 | hit 79 x 65 + 18 (12 + 73/2 = 48.5) |
| Button Small (Not) Hilighted | 176 x 57 | hit 158 x 39 + 18 (12 + 152/2 = 88; label y 16 + 26/2 = 29 = half height) |
| Button Small Very Short (Not) Hilighted | 84 x 57 | hit 66 x 39 + 18 (12 + 60/2 = 42) |
| Button Unit3D Template (Not) Hilighted | 200 x 246 | face 182 x 228 + 18: 7 columns 214 apart from x 55 in the 1594-wide units panel leave 55 on the right for a 200-wide picture; 182 = the preview width of model size 1.0 (the template preview); 228/182 = the 456/364 ratio of the editor preview |
| Button Unit3D Template Small (Not) Hilighted | 103 x 126 | face 85 x 108 (the 85 x 108 slot previews of the template editor) + 18; slots are 103 apart |
| Checkbox Hilighted / Not Hilighted Blue, ... No Fill, Center, Center No Fill | 43 x 43 | hit 25 x 25 + 18; the 23 x 23 swatch at (10, 10) fits inside the No Fill frame |
| Label Large Medium Not Hilighted Green | 399 x 36 | "a 399-pixel plate with 53 pixels of left inset" (the box sits in the inset); drawn at (41, 14), 11 px below the label's top, so it is a shelf ending in a line under the label row (36 = down to 3 px below the label line box plus glow) |
| Slider Background (Not) Hilighted | 347 x 45 | hit 329 x 27 + 18 |
| Slider Fill (Not) Hilighted | 16 x 21 | drawn at (19, 12) and stretched to 307 x value; 21 rows fill the 27-row track minus 3 px each side |
| Slider Pull (Not) Hilighted | 34 x 39 | knob width 16 + 18; drawn at (3, 3): knob body x 12..28 = the value-0 centre 3 + 9 + 16/2 = 20; body rows 3..36 of the picture |
| Symbol Button Small Very Short * (6) | 60 x 33 | icon at (12, 12) in the 84 x 57 button, same margin on the other sides |
| Symbol Button Terrain * (7) | 65 x 59 | icon at (16, 12) in the 97 x 83 page-select button, same margin on the other sides |
| Symbol Info | 44 x 44 | the 26 x 26 octagon hit shape + 18 |
| Image Hud Loading | 128 x 127 | cuts 28 + 72 + 28, 31 + 66 + 30; allowances 108, 107 => 10 px shadow margin |
| Image Hud Main Menu | 150 x 249 | cuts 55 + 40 + 55, 120 + 6 + 123; allowance 126 => 12 px margin |
| Image Hud Units | 150 x 251 | cuts 55 + 40 + 55, 120 + 6 + 125 |
| Image Hud Top | 118 x 64 | u edges 0, 40, 78, 118; height free: 64 holds the 57 px small buttons drawn at y 3 |
| Image Hud Bottom | 118 x 96 | u edges 0, 40, 78, 118; T = 96: the 64-high eraser panel shows T - 6 = 90 px, room for its 57 px buttons at y 16 |
| Mouse Cursor Size 1 | 32 x 32 | tip = top-left pixel |
| White Pixel | 1 x 1 | opaque white |
| Menu Screenshot | 1920 x 1080 | full design screen (anchor centred) |
| Title Quillon Vale | 940 x 150 | top edge at y 465; bottom (315) stays above the main-menu panel top (298) |
| Game Version Number | 266 x 50 | blank plate: the game writes "Version 0.12.0.3" on it in font 33 (218 px wide in our font) + 24 px each side; bottom at -387 |
| Company Logo - For Main Menu | 340 x 80 | bottom at -387, top -307 stays below the main-menu panel bottom (-298) |
| 3 Legged Creature | 64 x 64 | window icon, power-of-two sides (no padding) |

The title picture's name is ours to choose (nothing else fixes it
implementer): "Title Quillon Vale.png".

Colours: accent green = the label colour of scheme 1 (0.61, 0.99, 0.78),
accent blue = scheme 2 (0.61, 0.78, 0.99).  Icons ("Symbol Button ...") are
white, because buttons tint their icon (white when highlighted, the scheme
colour otherwise); "Symbol Info.png" is drawn untinted and is coloured.

Needs python3-numpy, python3-pil and fonts-comfortaa (Debian).
"""

import argparse
import math
import os
import sys
from pathlib import Path

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

try:
    from . import draw2d as D
    from . import fonts as F
except ImportError:  # run as a script
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import draw2d as D  # type: ignore
    import fonts as F  # type: ignore

# ---------------------------------------------------------------- palette

MINT = D.rgb((155, 252, 199))     # scheme 1 label colour
BLUE = D.rgb((155, 199, 252))     # scheme 2
WHITE = (1.0, 1.0, 1.0)
INK = D.rgb((8, 16, 22))          # near-black blue
PANEL_TOP = D.rgb((22, 44, 52))
PANEL_BODY = D.rgb((12, 24, 32))
FACE_TOP = D.rgb((26, 66, 58))
FACE_BOT = D.rgb((11, 34, 35))
FACE_HI_TOP = D.rgb((38, 118, 94))
FACE_HI_BOT = D.rgb((16, 62, 56))
MINT_HI = D.mix(MINT, WHITE, 0.45)
BLUE_HI = D.mix(BLUE, WHITE, 0.45)

MARGIN = 9  # hit margin of every button
VERSION_TEXT = "Version " + "0" + "." + "12" + "." + "0" + "." + "3"
TITLE_NAME = "Title Quillon Vale.png"
LOGO_TEXT = ("made by", "the Quillon Vale team")


def edge_fade(w, h, k=2.5):
    """1 inside, falling to 0 at the picture border (keeps glows from being cut)."""
    x, y = D.grid(w, h)
    dist = np.minimum(np.minimum(x, w - x), np.minimum(y, h - y))
    return D.smoothstep(0.0, k, dist)


# ---------------------------------------------------------------- buttons


def chamfer_poly(x0, y0, w, h, tl=(0, 0), br=(0, 0), tr=(0, 0), bl=(0, 0)):
    """Rectangle (x0, y0, w, h) with cut corners: tl = (cut width, cut height)."""
    pts = []
    x1, y1 = x0 + w, y0 + h
    pts += [(x0 + tl[0], y0)] if tl[0] else [(x0, y0)]
    if tr[0]:
        pts += [(x1 - tr[0], y0), (x1, y0 + tr[1])]
    else:
        pts += [(x1, y0)]
    if br[0]:
        pts += [(x1, y1 - br[1]), (x1 - br[0], y1)]
    else:
        pts += [(x1, y1)]
    if bl[0]:
        pts += [(x0 + bl[0], y1), (x0, y1 - bl[1])]
    else:
        pts += [(x0, y1)]
    if tl[0]:
        pts += [(x0, y0 + tl[1])]
    # drop duplicates
    out = []
    for p in pts:
        if not out or (abs(out[-1][0] - p[0]) > 1e-9 or abs(out[-1][1] - p[1]) > 1e-9):
            out.append(p)
    return out


def draw_face(c, d, hi, accent=MINT, accent_hi=None, face=None, alpha=0.88, glow=7.0,
              sheen=True, border=2.0):
    """Common look of every clickable face given its SDF `d` on canvas `c`."""
    accent_hi = accent_hi or D.mix(accent, WHITE, 0.45)
    w, h = c.w, c.h
    x, y = c.grid()
    fade = edge_fade(w, h)
    inside = D.fill_cov(d)
    if hi:
        c.over(D.glow_cov(d, glow) * (1 - inside) * fade, accent, 0.55)
    else:
        dsh = d  # soft shadow under the face, slightly lower
        c.over(D.glow_cov(np.roll(dsh, 2, axis=0), 5.0) * fade * (1 - inside), INK, 0.45)
    # vertical gradient fill inside the face
    ys = y
    top = float(np.min(np.where(inside > 0.5, ys, 1e9)))
    bot = float(np.max(np.where(inside > 0.5, ys, -1e9)))
    if face is None:
        ft, fb = (FACE_HI_TOP, FACE_HI_BOT) if hi else (FACE_TOP, FACE_BOT)
    else:
        ft, fb = face
    col = D.rows_gradient(ys, [(top, ft), (bot, fb)])
    c.over(inside, col, 0.95 if hi else alpha)
    if sheen:
        t = D.smoothstep(top + (bot - top) * 0.55, top, ys)
        c.over(D.fill_cov(d + border + 0.5) * t, WHITE, 0.10 if hi else 0.06)
    c.over(D.band_cov(d, -border, 0.0), accent_hi if hi else accent, 1.0 if hi else 0.78)
    # thin dark line just inside the border for crispness
    c.over(D.band_cov(d, -border - 1.0, -border), INK, 0.35)


def button_picture(hit_w, hit_h, left_cut, right_cut, hi):
    """Button picture of hit shape hit_w x hit_h (positive), margin 9.

    left_cut = (x, y) of the top-left cut: (28, 17) means (28, 0)-(0, -17);
    right_cut = (w, h) of the bottom-right cut: (15, 8) for (364,-57)-(349,-65)."""
    w, h = hit_w + 2 * MARGIN, hit_h + 2 * MARGIN
    c = D.Canvas(w, h)
    x, y = c.grid()
    poly = chamfer_poly(MARGIN, MARGIN, hit_w, hit_h, tl=left_cut, br=right_cut)
    d = D.sdf_polygon(x, y, poly)
    draw_face(c, d, hi)
    return c.to_image()


BUTTONS = [
    # (base name, hit w, hit h, left cut (w, h), right cut (w, h), suffix)
    ("Button Large Long", 364, 65, (28, 17), (15, 8), " Green"),
    ("Button Large Short", 182, 65, (28, 17), (15, 8), " Green"),
    ("Button Page Select", 79, 65, (28, 17), (15, 8), ""),
    ("Button Small", 158, 39, (15, 14), (15, 14), ""),
    ("Button Small Very Short", 66, 39, (15, 14), (15, 14), ""),
]


def template_button(face_w, face_h, hi):
    w, h = face_w + 2 * MARGIN, face_h + 2 * MARGIN
    c = D.Canvas(w, h)
    x, y = c.grid()
    r = 8.0 if face_w > 100 else 6.0
    d = D.sdf_box(x, y, MARGIN - 3, MARGIN - 3, w - MARGIN + 3, h - MARGIN + 3, r)
    fade = edge_fade(w, h)
    inside = D.fill_cov(d)
    if hi:
        c.over(D.glow_cov(d, 7.0) * (1 - inside) * fade, MINT, 0.6)
    else:
        c.over(D.glow_cov(np.roll(d, 2, axis=0), 5.0) * (1 - inside) * fade, INK, 0.45)
    col = D.rows_gradient(y, [(0, FACE_HI_TOP if hi else FACE_TOP), (h, FACE_HI_BOT if hi else FACE_BOT)])
    c.over(inside, col, 0.9)
    c.over(D.band_cov(d, -3.0, 0.0), MINT_HI if hi else MINT, 1.0 if hi else 0.75)
    # corner ticks inside the frame (visible around the preview square)
    return c.to_image()


# ---------------------------------------------------------------- checkboxes


def checkbox(kind, hi):
    """kind: 'blue' (filled box), 'nofill' (frame for a colour swatch)."""
    w = h = 25 + 2 * MARGIN
    c = D.Canvas(w, h)
    x, y = c.grid()
    fade = edge_fade(w, h)
    if kind == "blue":
        d = D.sdf_box(x, y, 9, 9, 34, 34, 5)
        inside = D.fill_cov(d)
        if hi:
            c.over(D.glow_cov(d, 7.0) * (1 - inside) * fade, BLUE, 0.6)
        else:
            c.over(D.glow_cov(np.roll(d, 2, axis=0), 5.0) * (1 - inside) * fade, INK, 0.45)
        col = D.rows_gradient(y, [(9, D.rgb((30, 52, 84) if hi else (20, 34, 54))),
                                  (34, D.rgb((14, 26, 44) if hi else (10, 18, 30)))])
        c.over(inside, col, 0.92)
        c.over(D.band_cov(d, -2.0, 0.0), BLUE_HI if hi else BLUE, 1.0 if hi else 0.8)
        c.over(D.band_cov(d, -3.0, -2.0), INK, 0.35)
    else:
        # frame around the 23 x 23 swatch at (10, 10): ring from 7.5 to 11.5
        d = D.sdf_box(x, y, 7.5, 7.5, 35.5, 35.5, 4.5)
        hole = D.sdf_box(x, y, 11.5, 11.5, 31.5, 31.5, 1.5)
        ring = np.clip(D.fill_cov(d) - D.fill_cov(hole), 0, 1)
        if hi:
            c.over(D.glow_cov(d, 6.0) * (1 - D.fill_cov(d)) * fade, WHITE, 0.55)
        else:
            c.over(D.glow_cov(np.roll(d, 1, axis=0), 4.0) * (1 - D.fill_cov(d)) * fade, INK, 0.5)
        c.over(ring, D.rgb((250, 252, 255)) if hi else D.rgb((150, 160, 170)), 1.0)
        c.over(D.band_cov(d, -1.0, 0.0), INK, 0.55)
        c.over(D.band_cov(hole, 0.0, 1.0), INK, 0.45)
    return c.to_image()


def checkbox_center(kind):
    w = h = 43
    c = D.Canvas(w, h)
    x, y = c.grid()
    if kind == "blue":
        pts = [(14.5, 22.5), (19.5, 27.5), (29, 15.5)]
        d = D.sdf_polyline(x, y, pts, 2.6)
        c.over(D.glow_cov(d, 5.0) * (1 - D.fill_cov(d)), BLUE, 0.6)
        c.over(D.fill_cov(d + 1.2), INK, 0.5)
        c.over(D.fill_cov(d), WHITE, 1.0)
    else:
        d = D.sdf_circle(x, y, 21.5, 21.5, 5.0)
        c.over(D.fill_cov(d - 1.5), INK, 0.5)
        c.over(D.band_cov(d, -2.0, 0.0), WHITE, 1.0)
    return c.to_image()


# ---------------------------------------------------------------- slider


def slider_background(hi):
    w, h = 329 + 18, 27 + 18
    c = D.Canvas(w, h)
    x, y = c.grid()
    poly = chamfer_poly(9, 9, 329, 27, tl=(7, 7), br=(7, 7))
    d = D.sdf_polygon(x, y, poly)
    draw_face(c, d, hi, glow=6.0, sheen=False)
    groove = D.sdf_box(x, y, 17, 11, 330, 34, 4)
    c.over(D.fill_cov(groove), INK, 0.55)
    c.over(D.band_cov(groove, 0.0, 1.0), MINT, 0.18 if not hi else 0.3)
    # tick marks under the groove (quarters)
    for k in range(5):
        tx = 19 + 8 + 307 * k / 4.0
        c.over(D.fill_cov(D.sdf_segment(x, y, tx, 36.2, tx, 36.2, 0.9)), MINT, 0.5)
    return c.to_image()


def slider_fill(hi):
    w, h = 16, 21
    c = D.Canvas(w, h)
    x, y = c.grid()
    top = D.mix(MINT, WHITE, 0.55 if hi else 0.3)
    mid = MINT if hi else D.mix(MINT, D.rgb((40, 150, 120)), 0.35)
    bot = D.rgb((40, 170, 130)) if hi else D.rgb((30, 120, 100))
    col = D.rows_gradient(y, [(0, top), (8, mid), (21, bot)])
    cov = np.clip(np.minimum(y + 0.5 - 1.0, 21 - 1.0 - (y - 0.5)), 0, 1)  # soft first/last row
    cov = np.clip(cov + 0.5, 0, 1) * np.ones_like(x)
    c.over(cov, col, 0.95)
    return c.to_image()


def slider_pull(hi):
    w, h = 34, 39
    c = D.Canvas(w, h)
    x, y = c.grid()
    d = D.sdf_box(x, y, 9, 3, 25, 36, 5)
    fade = edge_fade(w, h, 1.5)
    inside = D.fill_cov(d)
    if hi:
        c.over(D.glow_cov(d, 8.0) * (1 - inside) * fade, MINT, 0.7)
    else:
        c.over(D.glow_cov(np.roll(d, 1, axis=1), 5.0) * (1 - inside) * fade, INK, 0.5)
    col = D.rows_gradient(y, [(3, D.rgb((250, 255, 252)) if hi else D.rgb((214, 236, 228))),
                              (36, D.rgb((170, 235, 205)) if hi else D.rgb((120, 160, 150)))])
    c.over(inside, col, 1.0)
    c.over(D.band_cov(d, -1.5, 0.0), INK, 0.7)
    # grip lines
    for gy in (15.5, 19.5, 23.5):
        c.over(D.fill_cov(D.sdf_segment(x, y, 13.5, gy, 20.5, gy, 0.7)), INK, 0.45)
    return c.to_image()


def label_plate():
    """Plate under a checkbox label (HudCheckboxAndLabel).

    The game draws it with its top-left corner at (41, -14) from the component,
    the 37 px label line box at y -3 (rows 3..40) and the check box (body rows
    9..34) at x 56, i.e. inside the plate's 53 px left inset.  The plate top is
    therefore 11 px below the text top: it is drawn as a shelf under the row, a
    soft dark band behind the lower half of the text that ends in a glowing
    mint line just below the descenders (component row ~44 = plate row 30)."""
    w, h = 399, 36
    c = D.Canvas(w, h)
    x, y = c.grid()
    ends = D.smoothstep(0, 14, x) * D.smoothstep(w, w - 14, x)
    line_y = 30.0
    shelf = D.sdf_box(x, y, 0.5, -20, w - 0.5, line_y, 10)
    fade_up = D.smoothstep(-6, line_y, y) ** 1.5
    c.over(D.fill_cov(shelf) * fade_up, D.rgb((10, 30, 32)), 0.55)
    line = np.abs(y - line_y) - 1.0
    longfade = D.smoothstep(0, 40, x) * D.smoothstep(w, w - 90, x)
    c.over(D.glow_cov(line, 5.0) * (line > 0) * longfade * ends, MINT, 0.35)
    c.over(D.fill_cov(line) * longfade, MINT, 0.9)
    # a small notch where the box inset ends
    c.over(D.fill_cov(D.sdf_circle(x, y, 53, line_y, 2.4)), MINT_HI, 1.0)
    return c.to_image()


# ---------------------------------------------------------------- symbols (white, tinted by the game)


def _shadowed(c, cov, strength=0.55):
    """White icon with a soft dark shadow so it reads on any face."""
    sh = D.blur(np.roll(np.roll(cov, 1, axis=0), 1, axis=1), 1.2)
    c.over(np.clip(sh * 1.4, 0, 1) * (1 - cov), INK, strength)
    c.over(cov, WHITE, 1.0)


def rounded_poly_cov(x, y, pts, r):
    """Polygon with corners rounded by r (shrinks toward the centroid first)."""
    cx = sum(p[0] for p in pts) / len(pts)
    cy = sum(p[1] for p in pts) / len(pts)
    # approximate inset: move vertices toward the centroid by ~r*1.6
    inset = []
    for px, py in pts:
        dx, dy = cx - px, cy - py
        L = math.hypot(dx, dy) or 1.0
        k = min(r * 1.6 / L, 0.45)
        inset.append((px + dx * k, py + dy * k))
    return D.fill_cov(D.sdf_polygon(x, y, inset) - r)


def tri_right(cx, cy, w, h):
    return [(cx - w / 2, cy - h / 2), (cx + w / 2, cy), (cx - w / 2, cy + h / 2)]


def symbol_small(kind):
    w, h = 60, 33
    c = D.Canvas(w, h)
    x, y = c.grid()
    cx, cy = 30.0, 16.5
    cov = np.zeros((h, w))
    if kind == "pause":
        for bx in (cx - 5.5, cx + 5.5):
            cov = np.maximum(cov, D.fill_cov(D.sdf_box(x, y, bx - 3, cy - 9, bx + 3, cy + 9, 1.6)))
    elif kind in ("1", "2", "3"):
        n = int(kind)
        tw, th, step = 15.0, 19.0, 10.0
        total = tw + step * (n - 1)
        x0 = cx - total / 2 + tw / 2
        for k in range(n):
            cov = np.maximum(cov, rounded_poly_cov(x, y, tri_right(x0 + k * step, cy, tw, th), 1.3))
    elif kind in ("left", "right"):
        s = -1 if kind == "left" else 1
        head = [(cx + s * 12, cy), (cx + s * 1, cy - 10), (cx + s * 1, cy + 10)]
        cov = np.maximum(cov, rounded_poly_cov(x, y, head, 1.2))
        shaft = D.sdf_box(x, y, min(cx - s * 11, cx + s * 3), cy - 3.5, max(cx - s * 11, cx + s * 3),
                          cy + 3.5, 1.5)
        cov = np.maximum(cov, D.fill_cov(shaft))
    _shadowed(c, cov)
    return c.to_image()


def _arrow_cov(x, y, cx, y_tail, y_tip, shaft=3.2, head_w=9.0, head_h=8.0):
    """Vertical arrow from y_tail to y_tip (tip up when y_tip < y_tail)."""
    s = 1 if y_tip > y_tail else -1
    base = y_tip - s * head_h
    head = [(cx, y_tip), (cx - head_w, base), (cx + head_w, base)]
    cov = rounded_poly_cov(x, y, head, 0.9)
    cov = np.maximum(cov, D.fill_cov(D.sdf_segment(x, y, cx, y_tail, cx, base, shaft / 2)))
    return cov


def symbol_terrain(kind):
    """65 x 59 terrain tool icons: cross-sections of ground plus an arrow."""
    w, h = 65, 59
    c = D.Canvas(w, h)
    x, y = c.grid()
    L, R = 6.0, 59.0
    bottom = 53.0
    outline_r = 1.6

    def ground(profile):
        """profile(xs) -> surface y; returns (fill coverage, outline coverage)."""
        xs = np.linspace(L, R, 240)
        ys = profile(xs)
        pts_top = list(zip(xs.tolist(), ys.tolist()))
        poly = pts_top + [(R, bottom), (L, bottom)]
        body = D.fill_cov(D.sdf_polygon(x, y, poly))
        line = D.fill_cov(D.sdf_polyline(x, y, pts_top, outline_r))
        return body, line

    fill = line = None
    arrow = np.zeros((h, w))
    faint = np.zeros((h, w))
    mx = 32.5
    if kind == "raise_round":
        fill, line = ground(lambda xs: np.where(np.abs(xs - mx) < 16,
                                                44 - np.sqrt(np.clip(16 ** 2 - (xs - mx) ** 2, 0, None)), 44))
        arrow = _arrow_cov(x, y, mx, 24, 3)
    elif kind == "lower_round":
        fill, line = ground(lambda xs: np.where(np.abs(xs - mx) < 15,
                                                28 + np.sqrt(np.clip(15 ** 2 - (xs - mx) ** 2, 0, None)), 28))
        arrow = _arrow_cov(x, y, mx, 3, 25)
    elif kind == "raise_flat":
        def prof(xs):
            e = np.clip((np.abs(xs - mx) - 12) / 5.0, 0, 1)
            return 29 + 15 * e
        fill, line = ground(prof)
        arrow = _arrow_cov(x, y, mx, 24, 3)
    elif kind == "lower_flat":
        def prof(xs):
            e = np.clip((np.abs(xs - mx) - 12) / 5.0, 0, 1)
            return 44 - 15 * e
        fill, line = ground(prof)
        arrow = _arrow_cov(x, y, mx, 3, 25)
    elif kind == "flatten_angle":
        def prof(xs):
            return 46 - (xs - L) * 0.42
        fill, line = ground(prof)
        xs = np.linspace(L + 2, R - 2, 200)
        bumpy = 46 - (xs - L) * 0.42 - 5.5 - 4.0 * np.abs(np.sin((xs - L) * 0.33))
        faint = D.fill_cov(D.sdf_polyline(x, y, list(zip(xs.tolist(), bumpy.tolist())), 1.1))
        # small pressing arrows perpendicular to the slope
        for ax in (20.0, 44.0):
            sy = 46 - (ax - L) * 0.42
            arrow = np.maximum(arrow, _arrow_cov(x, y, ax, sy - 21, sy - 7, shaft=2.6, head_w=5.5,
                                                 head_h=5.5))
    elif kind == "roughen":
        def prof(xs):
            base = 46 - (xs - L) * 0.42
            t = (xs - L) / 6.0
            saw = np.abs((t % 2.0) - 1.0)  # triangle wave 0..1
            return base - 7.0 * saw
        fill, line = ground(prof)
        # sparks
        for (sx, sy) in ((18, 14), (34, 8), (50, 4)):
            arrow = np.maximum(arrow, D.fill_cov(D.sdf_segment(x, y, sx - 3.5, sy, sx + 3.5, sy, 1.2)))
            arrow = np.maximum(arrow, D.fill_cov(D.sdf_segment(x, y, sx, sy - 3.5, sx, sy + 3.5, 1.2)))
    elif kind == "flatten_horizontal":
        fill, line = ground(lambda xs: np.full_like(xs, 38.0))
        xs = np.linspace(L + 2, R - 2, 200)
        bumpy = 30 - 6.5 * np.abs(np.sin((xs - L) * 0.17))
        faint = D.fill_cov(D.sdf_polyline(x, y, list(zip(xs.tolist(), bumpy.tolist())), 1.1))
        # level marks at both ends
        for lx in (L + 1.5, R - 1.5):
            arrow = np.maximum(arrow, D.fill_cov(D.sdf_segment(x, y, lx, 30, lx, 46, 1.4)))
        arrow = np.maximum(arrow, _arrow_cov(x, y, mx, 3, 24, shaft=3.0, head_w=7.5, head_h=7.0))
    body = np.clip(fill * 0.5, 0, 1)
    cov_solid = np.maximum(line, arrow)
    sh = D.blur(np.roll(np.roll(np.maximum(cov_solid, fill), 1, axis=0), 1, axis=1), 1.2)
    c.over(np.clip(sh * 1.3, 0, 1) * (1 - np.maximum(cov_solid, fill)), INK, 0.5)
    # ground body with faint strata
    strata = 0.85 + 0.15 * (np.sin(y * 1.3) > 0.6)
    c.over(body * strata, WHITE, 1.0)
    c.over(faint, WHITE, 0.55)
    c.over(cov_solid, WHITE, 1.0)
    return c.to_image()


TERRAIN_SYMBOLS = [
    ("Symbol Button Terrain Raise Round.png", "raise_round"),
    ("Symbol Button Terrain Lower Round.png", "lower_round"),
    ("Symbol Button Terrain Raise Flat.png", "raise_flat"),
    ("Symbol Button Terrain Lower Flat.png", "lower_flat"),
    ("Symbol Button Terrain Flatten Keep Angle.png", "flatten_angle"),
    ("Symbol Button Terrain Roughen Keep Angle.png", "roughen"),
    ("Symbol Button Terrain Flatten Horizontal.png", "flatten_horizontal"),
]

SMALL_SYMBOLS = [
    ("Symbol Button Small Very Short Pause.png", "pause"),
    ("Symbol Button Small Very Short Arrow 1.png", "1"),
    ("Symbol Button Small Very Short Arrow 2.png", "2"),
    ("Symbol Button Small Very Short Arrow 3.png", "3"),
    ("Symbol Button Small Very Short Arrow Facing Left.png", "left"),
    ("Symbol Button Small Very Short Arrow Facing Right.png", "right"),
]


def symbol_info():
    w = h = 44
    c = D.Canvas(w, h)
    x, y = c.grid()
    d = D.sdf_circle(x, y, 22, 22, 13)
    fade = edge_fade(w, h)
    c.over(D.glow_cov(d, 8.0) * (1 - D.fill_cov(d)) * fade, MINT, 0.45)
    c.over(D.fill_cov(d), D.rows_gradient(y, [(9, D.rgb((34, 96, 84))), (35, D.rgb((12, 44, 46)))]), 0.95)
    c.over(D.band_cov(d, -2.0, 0.0), MINT_HI, 1.0)
    dot = D.sdf_circle(x, y, 22, 15.2, 2.3)
    stem = D.sdf_segment(x, y, 22, 20.5, 22, 29.5, 1.9)
    cov = np.maximum(D.fill_cov(dot), D.fill_cov(stem))
    c.over(cov, WHITE, 1.0)
    return c.to_image()


# ---------------------------------------------------------------- panels


def panel_nine(w, h, margin, radius, header=0, footer=0, accent=MINT):
    """Translucent dark panel with a soft outer shadow in `margin` pixels."""
    c = D.Canvas(w, h)
    x, y = c.grid()
    d = D.sdf_box(x, y, margin, margin, w - margin, h - margin, radius)
    fade = edge_fade(w, h, 2.0)
    inside = D.fill_cov(d)
    c.over(D.glow_cov(np.roll(d, 2, axis=0), margin + 1.0) * (1 - inside) * fade, INK, 0.55)
    stops = [(margin, PANEL_TOP), (max(margin + 1, header), PANEL_BODY), (h, PANEL_BODY)]
    col = D.rows_gradient(y, stops)
    c.over(inside, col, 0.86)
    if footer:
        t = D.smoothstep(h - footer, h - margin, y)
        c.over(inside * t, INK, 0.25)
    c.over(D.band_cov(d, -2.0, 0.0), accent, 0.7)
    c.over(D.band_cov(d, -3.0, -2.0), INK, 0.4)
    c.over(D.band_cov(d, -4.0, -3.0) * D.smoothstep(margin + radius * 1.4, margin, y), WHITE, 0.08)
    return c


def make_uniform(img, rows=None, cols=None):
    """Copy one reference row / column over a band that the game tiles or
    stretches, so that the band is exactly uniform (also the RGB of invisible
    pixels, which linear filtering can pick up)."""
    a = np.array(img)
    if rows is not None:
        r0, r1 = rows
        ref = a[(r0 + r1) // 2].copy()
        a[r0:r1] = ref[None]
    if cols is not None:
        c0, c1 = cols
        ref = a[:, (c0 + c1) // 2].copy()
        a[:, c0:c1] = ref[:, None]
    return Image.fromarray(a, img.mode)


def hud_loading():
    # 128 x 127.  Nine-slice: rows 31..97 tiled, columns 28..100 stretched; as the
    # tooltip frame: rows and columns 31..96 -> all of them kept uniform.
    c = panel_nine(128, 127, 10, 14, header=30)
    return make_uniform(c.to_image(), rows=(31, 97), cols=(28, 100))


def hud_main_menu(h_bottom):
    # 150 x (120 + 6 + h_bottom): 12 px margin; header gradient confined to the top 120 rows.
    h = 120 + 6 + h_bottom
    c = panel_nine(150, h, 12, 22, header=112, footer=0)
    return make_uniform(c.to_image(), rows=(120, 126), cols=(55, 95))


def hud_top():
    w, h = 118, 64
    c = D.Canvas(w, h)
    x, y = c.grid()
    body_bottom = 56
    d = D.sdf_box(x, y, 5, -40, w - 5, body_bottom, 18)
    inside = D.fill_cov(d)
    c.over(D.glow_cov(np.roll(d, 2, axis=0), 7.0) * (1 - inside) * _side_bottom_fade(w, h), INK, 0.55)
    col = D.rows_gradient(y, [(0, PANEL_BODY), (body_bottom, PANEL_TOP)])
    c.over(inside, col, 0.86)
    c.over(D.band_cov(d, -2.0, 0.0), MINT, 0.7)
    c.over(D.band_cov(d, -3.0, -2.0), INK, 0.4)
    return make_uniform(c.to_image(), cols=(40, 78))


def _side_bottom_fade(w, h, k=2.0):
    x, y = D.grid(w, h)
    dist = np.minimum(np.minimum(x, w - x), h - y)
    return D.smoothstep(0.0, k, dist)


def _side_top_fade(w, h, k=2.0):
    x, y = D.grid(w, h)
    dist = np.minimum(np.minimum(x, w - x), y)
    return D.smoothstep(0.0, k, dist)


def hud_bottom():
    w, h = 118, 96
    c = D.Canvas(w, h)
    x, y = c.grid()
    d = D.sdf_box(x, y, 8, 7, w - 8, h + 60, 18)
    inside = D.fill_cov(d)
    c.over(D.glow_cov(np.roll(d, -1, axis=0), 8.0) * (1 - inside) * _side_top_fade(w, h), INK, 0.55)
    col = D.rows_gradient(y, [(7, PANEL_TOP), (40, PANEL_BODY), (h, PANEL_BODY)])
    c.over(inside, col, 0.86)
    c.over(D.band_cov(d, -2.0, 0.0), MINT, 0.7)
    c.over(D.band_cov(d, -3.0, -2.0), INK, 0.4)
    c.over(D.band_cov(d, -4.0, -3.0) * D.smoothstep(40, 7, y), WHITE, 0.08)
    return make_uniform(c.to_image(), rows=(h - 12, h), cols=(40, 78))


# ---------------------------------------------------------------- cursor, white pixel, icon


def cursor():
    w, h = 32, 32
    c = D.Canvas(w, h)
    x, y = c.grid()
    pts = [(0, 0), (0, 24.5), (6.0, 19.2), (10.2, 28.6), (14.2, 26.9), (10.1, 17.7), (17.6, 17.6)]
    d = D.sdf_polygon(x, y, pts)
    inside = D.fill_cov(d)
    sh = D.blur(np.roll(np.roll(inside, 2, axis=0), 1, axis=1), 1.3)
    c.over(sh * (1 - inside), D.rgb((0, 0, 0)), 0.5)
    col = D.rows_gradient(y, [(0, WHITE), (26, D.mix(MINT, WHITE, 0.5))])
    c.over(inside, col, 1.0)
    c.over(D.band_cov(d, -1.6, 0.0), INK, 1.0)
    img = c.to_image()
    img.putpixel((0, 0), (8, 16, 22, 255))  # the tip: opaque, top-left pixel
    return img


def white_pixel():
    return Image.new("RGBA", (1, 1), (255, 255, 255, 255))


def creature_icon(size=64):
    """Cute three-legged creature for the window icon (drawn in a 64-unit space;
    distances are scaled back to pixels so every size keeps one-pixel edges)."""
    s = size / 64.0
    c = D.Canvas(size, size)
    x, y = c.grid()
    x, y = x / s, y / s
    body_c = D.rgb((168, 120, 236))
    body_d = D.rgb((98, 62, 170))
    outline = D.rgb((34, 20, 60))
    leg_col = D.rgb((120, 80, 200))
    foot_col = D.rgb((98, 230, 180))
    # legs (behind the body)
    legs = [((24, 40), (13, 55)), ((32, 42), (32, 58)), ((40, 40), (51, 55))]
    leg_d = None
    for (ax, ay), (bx, by) in legs:
        dd = D.sdf_segment(x, y, ax, ay, bx, by, 3.3)
        leg_d = dd if leg_d is None else np.minimum(leg_d, dd)
    feet_d = None
    for (_, _), (bx, by) in legs:
        dd = D.sdf_ellipse_approx(x, y, bx, by + 1.0, 5.2, 3.3)
        feet_d = dd if feet_d is None else np.minimum(feet_d, dd)
    # antennae
    ant_d = np.minimum(D.sdf_polyline(x, y, [(27, 14), (24, 8), (19, 5)], 1.4),
                       D.sdf_polyline(x, y, [(37, 14), (40, 8), (45, 5)], 1.4))
    tips_d = np.minimum(D.sdf_circle(x, y, 18.5, 5, 3.3), D.sdf_circle(x, y, 45.5, 5, 3.3))
    body_dist = D.sdf_ellipse_approx(x, y, 32, 30, 19, 16)
    all_d = np.minimum.reduce([leg_d, feet_d, ant_d, tips_d, body_dist])
    ow = 1.6
    c.over(D.fill_cov((all_d - ow) * s), outline, 1.0)
    c.over(D.fill_cov(leg_d * s), leg_col, 1.0)
    c.over(D.fill_cov(feet_d * s), foot_col, 1.0)
    c.over(D.fill_cov(ant_d * s), leg_col, 1.0)
    c.over(D.fill_cov(tips_d * s), foot_col, 1.0)
    c.over(D.fill_cov((np.minimum(leg_d, feet_d) - ow) * s) * 0, outline, 1.0)
    # body with shading
    shade = np.clip(((x - 26) ** 2 + (y - 22) ** 2) ** 0.5 / 24.0, 0, 1)
    col = np.stack([body_c[i] + (body_d[i] - body_c[i]) * shade for i in range(3)], axis=-1)
    c.over(D.fill_cov(body_dist * s), col, 1.0)
    # belly spots
    for (sx, sy, r) in ((20, 33, 2.2), (44, 34, 2.6), (39, 40, 1.6)):
        c.over(D.fill_cov(D.sdf_circle(x, y, sx, sy, r) * s), D.rgb((206, 170, 250)), 0.9)
    # one big eye
    eye = D.sdf_circle(x, y, 32, 26, 8.5)
    c.over(D.fill_cov((eye - 1.2) * s), outline, 1.0)
    c.over(D.fill_cov(eye * s), WHITE, 1.0)
    pupil = D.sdf_circle(x, y, 33.5, 27.5, 4.6)
    c.over(D.fill_cov(pupil * s), D.rgb((30, 40, 70)), 1.0)
    c.over(D.fill_cov(D.sdf_circle(x, y, 35.3, 25.2, 1.6) * s), WHITE, 1.0)
    # smile
    xs = np.linspace(26, 38, 30)
    ys = 37 + 2.6 * np.sin((xs - 26) / 12 * math.pi)
    c.over(D.fill_cov(D.sdf_polyline(x, y, list(zip(xs.tolist(), ys.tolist())), 0.9) * s), outline, 1.0)
    # cheeks
    for sx in (22.5, 41.5):
        c.over(D.fill_cov(D.sdf_ellipse_approx(x, y, sx, 35, 2.6, 1.6) * s), D.rgb((250, 140, 190)), 0.8)
    return c.to_image()


# ---------------------------------------------------------------- title, logo, version


def _font(px):
    return ImageFont.truetype(F.find_ttf(), px, layout_engine=ImageFont.Layout.BASIC)


def title_picture():
    text = "Quillon Vale"
    font = _font(112)
    w, h = 940, 150
    # text mask, centred
    bbox = font.getbbox(text, anchor="ls")
    tw, th = bbox[2] - bbox[0], bbox[3] - bbox[1]
    ox = (w - tw) // 2 - bbox[0]
    oy = (h - th) // 2 - bbox[1] - 4
    m_img = Image.new("L", (w, h), 0)
    ImageDraw.Draw(m_img).text((ox, oy), text, font=font, fill=255, anchor="ls")
    m = np.asarray(m_img, dtype=np.float64) / 255.0
    c = D.Canvas(w, h)
    x, y = c.grid()
    fade = edge_fade(w, h, 6.0)
    glow = D.blur(m, 12.0)
    c.over(np.clip(glow * 1.6, 0, 1) * fade, D.rgb((90, 230, 190)), 0.45)
    outline = np.asarray(m_img.filter(ImageFilter.MaxFilter(7)), dtype=np.float64) / 255.0
    outline = D.blur(outline, 0.8)
    shadow = np.roll(np.roll(outline, 4, axis=0), 2, axis=1)
    c.over(shadow * fade, INK, 0.6)
    c.over(outline, D.rgb((14, 30, 40)), 0.95)
    top = oy + bbox[1]
    bot = oy + bbox[3]
    col = D.rows_gradient(y, [(top, D.rgb((236, 255, 246))), (top + (bot - top) * 0.45, D.rgb((150, 250, 205))),
                              (bot, D.rgb((110, 170, 252)))])
    c.over(m, col, 1.0)
    # glossy highlight on the upper part of the letters
    gl = m * D.smoothstep(top + (bot - top) * 0.45, top, y)
    c.over(gl, WHITE, 0.25)
    # a few sparkles
    for (sx, sy, r) in ((ox - 18, top + 8, 7), (ox + tw + 14, bot - 14, 5), (ox + tw * 0.52, top - 6, 4)):
        d1 = np.minimum(D.sdf_segment(x, y, sx - r, sy, sx + r, sy, 0.9),
                        D.sdf_segment(x, y, sx, sy - r, sx, sy + r, 0.9))
        c.over(D.fill_cov(d1) * fade, WHITE, 0.9)
        c.over(D.glow_cov(D.sdf_circle(x, y, sx, sy, 0.5), r * 0.8) * fade, MINT, 0.5)
    return c.to_image()


def version_plate():
    """Blank plate: the game writes "Version 0.12.0.3" on it in font 33, centred
    (main menu).  Sized from that text in our generated font."""
    fd = F.get_fonts()[33]
    parsed = F.parse_fnt(fd.fnt_text)
    tw, th = F.text_size(parsed, 33, VERSION_TEXT)
    w, h = tw + 48, 50
    c = D.Canvas(w, h)
    x, y = c.grid()
    d = D.sdf_box(x, y, 4, 4, w - 4, h - 4, 14)
    inside = D.fill_cov(d)
    c.over(D.glow_cov(np.roll(d, 2, axis=0), 4.0) * (1 - inside) * edge_fade(w, h, 1.5), INK, 0.5)
    c.over(inside, D.rows_gradient(y, [(4, PANEL_TOP), (h - 4, PANEL_BODY)]), 0.85)
    c.over(D.band_cov(d, -2.0, 0.0), MINT, 0.7)
    c.over(D.band_cov(d, -3.0, -2.0), INK, 0.4)
    return c.to_image()


def company_logo():
    w, h = 340, 80
    c = D.Canvas(w, h)
    x, y = c.grid()
    # emblem: a planet with a ring and a sprout
    cx, cy, r = 40.0, 40.0, 26.0
    d = D.sdf_circle(x, y, cx, cy, r)
    c.over(D.glow_cov(d, 9.0) * (1 - D.fill_cov(d)) * edge_fade(w, h, 3), MINT, 0.35)
    col = D.rows_gradient(y, [(cy - r, D.rgb((120, 240, 200))), (cy + r, D.rgb((60, 110, 210)))])
    c.over(D.fill_cov(d), col, 1.0)
    c.over(D.band_cov(d, -2.0, 0.0), D.rgb((14, 30, 40)), 0.8)
    # ring (front half over the planet)
    ring = np.abs(D.sdf_ellipse_approx(x, y, cx, cy + 2, 37, 9)) - 1.6
    front = y > cy + 2
    c.over(D.fill_cov(ring) * np.where(front, 1.0, (D.fill_cov(d) < 0.5) * 1.0), D.rgb((236, 255, 246)), 0.95)
    # sprout
    c.over(D.fill_cov(D.sdf_polyline(x, y, [(cx, cy - 8), (cx, cy - 20)], 1.6)), WHITE, 1.0)
    leafL = D.sdf_ellipse_approx(x, y, cx - 6, cy - 20, 6.5, 3.2)
    leafR = D.sdf_ellipse_approx(x, y, cx + 6, cy - 23, 6.5, 3.2)
    c.over(D.fill_cov(np.minimum(leafL, leafR)), WHITE, 1.0)
    img = c.to_image()
    t = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    dr = ImageDraw.Draw(t)
    big = 24
    while _font(big).getlength(LOGO_TEXT[1]) > w - 84 - 10:
        big -= 1
    dr.text((86, 36), LOGO_TEXT[0], font=_font(16), fill=(180, 220, 205, 255), anchor="ls")
    dr.text((84, 62), LOGO_TEXT[1], font=_font(big), fill=(236, 255, 246, 255), anchor="ls")
    sh = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    sh.paste((8, 16, 22, 255), (0, 0), t.getchannel("A").filter(ImageFilter.GaussianBlur(1.5)))
    img.alpha_composite(sh)
    img.alpha_composite(t)
    return img


# ---------------------------------------------------------------- registry


def picture_table():
    """[(file name, (w, h), builder)] in a fixed order."""
    t = []
    for base, hw, hh, lc, rc, suffix in BUTTONS:
        size = (hw + 18, hh + 18)
        t.append(("%s Hilighted%s.png" % (base, suffix), size,
                  (lambda hw=hw, hh=hh, lc=lc, rc=rc: button_picture(hw, hh, lc, rc, True))))
        t.append(("%s Not Hilighted%s.png" % (base, suffix), size,
                  (lambda hw=hw, hh=hh, lc=lc, rc=rc: button_picture(hw, hh, lc, rc, False))))
    t += [
        ("Button Unit3D Template Hilighted.png", (200, 246), lambda: template_button(182, 228, True)),
        ("Button Unit3D Template Not Hilighted.png", (200, 246), lambda: template_button(182, 228, False)),
        ("Button Unit3D Template Small Hilighted.png", (103, 126), lambda: template_button(85, 108, True)),
        ("Button Unit3D Template Small Not Hilighted.png", (103, 126), lambda: template_button(85, 108, False)),
        ("Checkbox Hilighted Blue.png", (43, 43), lambda: checkbox("blue", True)),
        ("Checkbox Not Hilighted Blue.png", (43, 43), lambda: checkbox("blue", False)),
        ("Checkbox Hilighted No Fill.png", (43, 43), lambda: checkbox("nofill", True)),
        ("Checkbox Not Hilighted No Fill.png", (43, 43), lambda: checkbox("nofill", False)),
        ("Checkbox Center.png", (43, 43), lambda: checkbox_center("blue")),
        ("Checkbox Center No Fill.png", (43, 43), lambda: checkbox_center("nofill")),
        ("Label Large Medium Not Hilighted Green.png", (399, 36), label_plate),
        ("Slider Background Hilighted.png", (347, 45), lambda: slider_background(True)),
        ("Slider Background Not Hilighted.png", (347, 45), lambda: slider_background(False)),
        ("Slider Fill Hilighted.png", (16, 21), lambda: slider_fill(True)),
        ("Slider Fill Not Hilighted.png", (16, 21), lambda: slider_fill(False)),
        ("Slider Pull Hilighted.png", (34, 39), lambda: slider_pull(True)),
        ("Slider Pull Not Hilighted.png", (34, 39), lambda: slider_pull(False)),
    ]
    for name, kind in SMALL_SYMBOLS:
        t.append((name, (60, 33), (lambda kind=kind: symbol_small(kind))))
    for name, kind in TERRAIN_SYMBOLS:
        t.append((name, (65, 59), (lambda kind=kind: symbol_terrain(kind))))
    t += [
        ("Symbol Info.png", (44, 44), symbol_info),
        ("Image Hud Loading.png", (128, 127), hud_loading),
        ("Image Hud Main Menu.png", (150, 249), lambda: hud_main_menu(123)),
        ("Image Hud Units.png", (150, 251), lambda: hud_main_menu(125)),
        ("Image Hud Top.png", (118, 64), hud_top),
        ("Image Hud Bottom.png", (118, 96), hud_bottom),
        ("Mouse Cursor Size 1.png", (32, 32), cursor),
        ("White Pixel.png", (1, 1), white_pixel),
        ("3 Legged Creature.png", (64, 64), creature_icon),
        (TITLE_NAME, (940, 150), title_picture),
        ("Game Version Number.png", None, version_plate),
        ("Company Logo - For Main Menu.png", (340, 80), company_logo),
        ("Menu Screenshot.png", (1920, 1080), lambda: _backdrop()),
    ]
    return t


def _backdrop():
    return menu_screenshot()


def expected_sizes():
    """{name: (w, h)} of every picture whose size is fixed by the table."""
    out = {}
    for name, size, _ in picture_table():
        if size is not None:
            out[name] = size
    # The version plate's width follows the text in the generated font 33.
    fd = F.get_fonts()[33]
    tw, _ = F.text_size(F.parse_fnt(fd.fnt_text), 33, VERSION_TEXT)
    out["Game Version Number.png"] = (tw + 48, 50)
    return out


# ---------------------------------------------------------------- preview


def _checker(w, h, a=(70, 70, 70), b=(100, 100, 100), k=8):
    x, y = np.meshgrid(np.arange(w), np.arange(h))
    m = ((x // k + y // k) % 2).astype(bool)
    arr = np.zeros((h, w, 3), dtype=np.uint8)
    arr[m] = b
    arr[~m] = a
    return Image.fromarray(arr, "RGB").convert("RGBA")


def contact_sheet(pictures, preview_dir):
    label_font = _font(15)
    width = 2000
    pad = 14
    # Layout: shelf-pack the pictures (screenshot scaled to half).
    entries = []
    for name, img in pictures:
        img = img.convert("RGBA")
        shown = img
        scale = 1
        if img.width > 960:
            shown = img.resize((img.width // 2, img.height // 2), Image.LANCZOS)
            scale = 2
        elif img.width <= 64 and img.height <= 64:
            shown = img.resize((img.width * 2, img.height * 2), Image.NEAREST)
            scale = -2
        entries.append((name, img.size, shown, scale))
    x = pad
    y = pad
    row_h = 0
    placed = []
    for name, size, shown, scale in entries:
        cell_w = max(shown.width, int(label_font.getlength(name)) + 6,
                     int(label_font.getlength("0000 x 0000  (shown at 1/2)")) + 6)
        cell_h = shown.height + 40
        if x + cell_w > width - pad:
            x = pad
            y += row_h + pad
            row_h = 0
        placed.append((x, y, name, size, shown, scale))
        x += cell_w + pad
        row_h = max(row_h, cell_h)
    total_h = y + row_h + pad
    sheet = Image.new("RGBA", (width, total_h), (24, 28, 34, 255))
    d = ImageDraw.Draw(sheet)
    for x, y, name, size, shown, scale in placed:
        bg = _checker(shown.width, shown.height)
        bg.alpha_composite(shown)
        sheet.paste(bg, (x, y + 36))
        d.text((x, y), name, font=label_font, fill=(225, 230, 235, 255))
        note = "%d x %d" % size
        if scale == 2:
            note += "  (shown at 1/2)"
        elif scale == -2:
            note += "  (shown at 2x)"
        d.text((x, y + 18), note, font=label_font, fill=(150, 200, 180, 255))
    preview_dir.mkdir(parents=True, exist_ok=True)
    D.save_png(sheet.convert("RGB"), preview_dir / "images.png", level=3)


# ------ mock-ups: compose screens the way the game places pictures (Parts 3.2, 3.3, 4.3, 4.6)


def nine_slice(img, cols, rows, target_w, target_h, allow_w, allow_h):
    """Nine-slice: middle column stretched, middle row tiled."""
    l, m, r = cols
    t, mm, b = rows
    ew = target_w - allow_w if target_w >= 0 else 0
    eh = target_h - allow_h if target_h >= 0 else 0
    W = l + m + r + ew
    H = t + mm + b + eh
    out = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    xs_src = [(0, l), (l, l + m), (l + m, l + m + r)]
    xs_dst = [(0, l), (l, l + m + ew), (l + m + ew, W)]
    ys_src = [(0, t), (t, t + mm), (t + mm, t + mm + b)]
    ys_dst = [(0, t), (t, t + mm + eh), (t + mm + eh, H)]
    for (sx0, sx1), (dx0, dx1) in zip(xs_src, xs_dst):
        for k, ((sy0, sy1), (dy0, dy1)) in enumerate(zip(ys_src, ys_dst)):
            if dx1 <= dx0 or dy1 <= dy0:
                continue
            piece = img.crop((sx0, sy0, sx1, sy1)).resize((dx1 - dx0, sy1 - sy0), Image.BILINEAR)
            if k == 1:
                col = Image.new("RGBA", (dx1 - dx0, dy1 - dy0))
                for yy in range(0, dy1 - dy0, piece.height):
                    col.paste(piece, (0, yy))
                piece = col
            out.alpha_composite(piece, (dx0, dy0))
    return out


def hud_top_mesh(img):
    H = img.height
    out = Image.new("RGBA", (1522, H), (0, 0, 0, 0))
    out.alpha_composite(img.crop((0, 0, 40, H)), (0, 0))
    out.alpha_composite(img.crop((40, 0, 78, H)).resize((1442, H), Image.BILINEAR), (40, 0))
    out.alpha_composite(img.crop((78, 0, 118, H)), (1482, 0))
    return out


def hud_bottom_mesh(img, width, height):
    T = img.height
    cols = [(0, 40, 0, 40), (40, 78, 40, width - 16), (78, 118, width - 16, width + 24)]
    mid_h = height - 58
    H = (T - 12) + mid_h + 6
    out = Image.new("RGBA", (width + 24, H), (0, 0, 0, 0))
    for sx0, sx1, dx0, dx1 in cols:
        top = img.crop((sx0, 0, sx1, T - 12)).resize((dx1 - dx0, T - 12), Image.BILINEAR)
        out.alpha_composite(top, (dx0, 0))
        band = img.crop((sx0, T - 12, sx1, T - 6)).resize((dx1 - dx0, 6), Image.BILINEAR)
        for yy in range(0, mid_h, 6):
            out.alpha_composite(band.crop((0, 0, band.width, min(6, mid_h - yy))), (dx0, T - 12 + yy))
        strip = img.crop((sx0, T - 6, sx1, T)).resize((dx1 - dx0, 6), Image.BILINEAR)
        out.alpha_composite(strip, (dx0, T - 12 + mid_h))
    return out, height - 58 + T - 12


class Mock:
    """Screen in design pixels with the interface origin at the centre, y up."""

    def __init__(self, pics, fonts_parsed):
        self.img = Image.new("RGBA", (1920, 1080), (0, 0, 0, 255))
        self.pics = pics
        self.fonts = fonts_parsed

    def put(self, pic, x, y):
        """Picture (name or image) with its top-left corner at design (x, y)."""
        im = self.pics[pic] if isinstance(pic, str) else pic
        im = im.convert("RGBA")
        px, py = int(round(960 + x)), int(round(540 - y))
        layer = Image.new("RGBA", self.img.size, (0, 0, 0, 0))
        layer.paste(im, (px, py))
        self.img.alpha_composite(layer)

    def text(self, size, s, x, y, colour):
        parsed, sheet = self.fonts[size]
        layer = Image.new("RGBA", self.img.size, (0, 0, 0, 0))
        F.render_text(parsed, sheet, size, s, colour, layer, int(round(960 + x)), int(round(540 - y)))
        self.img.alpha_composite(layer)

    def text_w(self, size, s):
        return F.text_size(self.fonts[size][0], size, s)[0]

    def button(self, kind, hx, hy, label=None, hi=False, icon=None, fsize=None):
        names = {
            "LL": ("Button Large Long Hilighted Green.png", "Button Large Long Not Hilighted Green.png", 358, -23, 37),
            "LS": ("Button Large Short Hilighted Green.png", "Button Large Short Not Hilighted Green.png", 176, -23, 37),
            "PS": ("Button Page Select Hilighted.png", "Button Page Select Not Hilighted.png", 73, -23, 37),
            "S": ("Button Small Hilighted.png", "Button Small Not Hilighted.png", 152, -16, 26),
            "SVS": ("Button Small Very Short Hilighted.png", "Button Small Very Short Not Hilighted.png", 60, -16, 26),
        }
        hn, pn, face_w, ly, fs = names[kind]
        self.put(hn if hi else pn, hx, hy)
        col = (255, 255, 255) if hi else (155, 252, 199)
        if icon:
            ox, oy = {"PS": (16, -12), "SVS": (12, -12), "S": (10, -10)}[kind]
            ic = self.pics[icon]
            arr = np.asarray(ic).astype(np.float64)
            arr[..., :3] = arr[..., :3] * np.array(col) / 255.0
            self.put(Image.fromarray(arr.round().astype(np.uint8), "RGBA"), hx + ox, hy + oy)
        if label:
            w = self.text_w(fs, label)
            lx = (face_w - w + 1) // 2 + 12
            self.text(fs, label, hx + lx, hy + ly, col)

    def slider(self, x, y, value, hi=False, label=None, label_shift=0):
        s = "Hilighted" if hi else "Not Hilighted"
        self.put("Slider Background %s.png" % s, x, y)
        fw = int(round(307 * value))
        if fw > 0:
            fill = self.pics["Slider Fill %s.png" % s].resize((fw, 21), Image.BILINEAR)
            self.put(fill, x + 19, y - 12)
        self.put("Slider Pull %s.png" % s, x + 3 + fw, y - 3)
        if label:
            self.text(37, label, x + label_shift - 328, y - 4, (155, 252, 199))


def mockups(pics, fonts_parsed, preview_dir):
    # Screen 1: main menu
    m = Mock(pics, fonts_parsed)
    m.put("Menu Screenshot.png", -960, 540)
    title = pics[TITLE_NAME]
    tx = -(title.width // 2)
    m.put(TITLE_NAME, tx, 465)
    plate = pics["Game Version Number.png"]
    m.put(plate, tx + title.width - plate.width, -387 + plate.height)
    vw = m.text_w(33, VERSION_TEXT)
    m.text(33, VERSION_TEXT, tx + title.width - plate.width + (plate.width - vw) // 2,
           -387 + plate.height - (plate.height - 33) // 2, (255, 255, 255))
    logo = pics["Company Logo - For Main Menu.png"]
    m.put(logo, tx, -387 + logo.height)
    panel = nine_slice(pics["Image Hud Main Menu.png"], (55, 40, 55), (120, 6, 123), 468, 394, 126, 46)
    hx, hy = -(panel.width // 2), panel.height // 2
    m.put(panel, hx, hy)
    for k, label in enumerate(["New Game", "Load Game", "Settings", "Send Feedback", "Early Access", "Quit"]):
        m.button("LL", hx + 55, hy - 105 - 78 * k, label, hi=(k == 1))
    m.put("Mouse Cursor Size 1.png", hx + 55 + 200, hy - 183 - 40)
    screen1 = m.img

    # Screen 2: gameplay with the top bar, the terrain panel and a tooltip
    m = Mock(pics, fonts_parsed)
    m.put("Menu Screenshot.png", -960, 540)
    top = hud_top_mesh(pics["Image Hud Top.png"])
    tx0 = -(1522 // 2)
    m.put(top, tx0, 540)
    for k, (lab, bx) in enumerate([("Menu", 25), ("Help", 205), ("Units", 407), ("Erase", 587),
                                    ("Terrain", 767), ("World", 947)]):
        m.button("S", tx0 + bx, 540 - 3, lab, hi=(lab == "Terrain"))
    for k, (icon, bx) in enumerate([("Pause", 1149), ("Arrow 1", 1237), ("Arrow 2", 1325), ("Arrow 3", 1413)]):
        m.button("SVS", tx0 + bx, 540 - 3, None, hi=(k == 1),
                 icon="Symbol Button Small Very Short %s.png" % icon)
    bottom, disp_h = hud_bottom_mesh(pics["Image Hud Bottom.png"], 1449, 118)
    bx0, by0 = -(bottom.width // 2), disp_h - 540
    m.put(bottom, bx0, by0)
    for k, (name, kind) in enumerate(TERRAIN_SYMBOLS):
        m.button("PS", bx0 + 94 + 101 * k, by0 - 28, None, hi=(k == 0), icon=name)
    m.button("SVS", bx0 + 925, by0 - 16, "-")
    m.button("SVS", bx0 + 1013, by0 - 16, "+", hi=True)
    m.slider(bx0 + 1101, by0 - 23, 0.13, label="Size", label_shift=60)
    m.button("SVS", bx0 + 925, by0 - 70, "-")
    m.button("SVS", bx0 + 1013, by0 - 70, "+")
    m.slider(bx0 + 1101, by0 - 77, 0.6, hi=True, label="Rate", label_shift=60)
    m.put("Symbol Info.png", bx0 + 33, by0 - 59)
    # tooltip (resizable frame from "Image Hud Loading.png")
    msg = "Raise Round (F)\n-raise the terrain in the shape of a hemisphere"
    tw, th = F.text_size(fonts_parsed[26][0], 26, msg)
    frame = nine_slice(pics["Image Hud Loading.png"], (31, 66, 31), (31, 65, 31), tw + 62, th + 36, 128, 127)
    fx, fy = bx0 + 94 + 48 - frame.width // 2, by0 + 20 + frame.height
    m.put(frame, fx, fy)
    m.text(26, msg, fx + frame.width // 2 - tw // 2, fy - frame.height // 2 + th // 2, (155, 252, 199))
    m.put("Mouse Cursor Size 1.png", bx0 + 94 + 40, by0 - 60)
    # a world-options style row of swatch checkboxes
    sw_cols = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (204, 217, 102), (255, 0, 255),
               (255, 128, 255), (255, 128, 0), (46, 46, 46), (128, 128, 128), (204, 204, 204),
               (0, 255, 255), (168, 102, 0), (255, 255, 255)]
    for i, col in enumerate(sw_cols):
        cx, cy = -300 + 36 * i, 180
        sw = Image.new("RGBA", (23, 23), col + (int(0.9 * 255),))
        m.put(sw, cx + 10, cy - 10)
        m.put("Checkbox %s No Fill.png" % ("Hilighted" if i in (3, 7) else "Not Hilighted"), cx, cy)
    for i in range(4):
        cx, cy = -300 + 60 * i, 120
        m.put("Checkbox %s Blue.png" % ("Hilighted" if i % 2 else "Not Hilighted"), cx, cy)
        if i >= 2:
            m.put("Checkbox Center.png", cx, cy)
    # checkboxes with their label plates (HudCheckboxAndLabel, as in the settings dialog)
    for k, (lab, hi, checked) in enumerate((("Vertical Sync", False, True), ("Frame Limit", True, False))):
        px, py = 40, 140 - 78 * k
        m.put("Label Large Medium Not Hilighted Green.png", px + 41, py - 14)
        m.put("Checkbox %s Blue.png" % ("Hilighted" if hi or checked else "Not Hilighted"), px + 56, py)
        if checked:
            m.put("Checkbox Center.png", px + 56, py)
        lw = m.text_w(37, lab)
        spare = 399 - 53 - lw
        m.text(37, lab, px + 41 + 53 + (spare + 1) // 2, py - 3, (255, 255, 255) if hi else (155, 252, 199))
    screen2 = m.img

    # Screen 3: units screen: units panel, template buttons with grey previews
    m = Mock(pics, fonts_parsed)
    m.put("Menu Screenshot.png", -960, 540)
    panel = nine_slice(pics["Image Hud Units.png"], (55, 40, 55), (120, 6, 125), 1570, 732, 126, 48)
    hx, hy = -(panel.width // 2), panel.height // 2
    m.put(panel, hx, hy)
    grey = Image.new("RGBA", (182, 228), (128, 128, 128, 255))
    for k in range(21):
        bx = hx + (k % 7) * 214 + 55
        by = hy - 102 - (k // 7) * 240
        hi = (k == 8)
        m.put("Button Unit3D Template %s.png" % ("Hilighted" if hi else "Not Hilighted"), bx, by)
        if k < 17:
            m.put(grey, bx + 9, by - 9)
            m.put(pics["3 Legged Creature.png"].resize((128, 128), Image.LANCZOS), bx + 9 + 27, by - 9 - 50)
        else:  # disabled: half alpha
            g2 = grey.copy()
            g2.putalpha(128)
            m.put(g2, bx + 9, by - 9)
    m.button("LS", hx + 55, hy - 837, "Back")
    for i, px in enumerate((301, 412, 523)):
        m.button("PS", hx + px, hy - 837, str(i + 1), hi=(i == 0))
    for i, (lab, px) in enumerate((("Place", 665), ("Edit", 879), ("Delete", 1093))):
        m.button("LS", hx + px, hy - 837, lab, hi=(i == 0))
    m.button("LS", hx + 1339, hy - 837, "Add")
    # small template slots of the editor
    screen3 = m.img

    out = Image.new("RGB", (1920, 3240 + 40), (0, 0, 0))
    out.paste(screen1.convert("RGB"), (0, 0))
    out.paste(screen2.convert("RGB"), (0, 1100))
    out.paste(screen3.convert("RGB"), (0, 2200))
    preview_dir.mkdir(parents=True, exist_ok=True)
    D.save_png(out, preview_dir / "ui_mockup.png", level=3)


# ---------------------------------------------------------------- generate


def build_all():
    """{name: PIL image} of every picture (not the glyph sheets)."""
    pics = {}
    for name, size, fn in picture_table():
        img = fn()
        if size is not None and img.size != tuple(size):
            raise AssertionError("%s: built %s, table says %s" % (name, img.size, size))
        pics[name] = img
    return pics


def generate(out_dir, preview_dir=None):
    """Write every picture into <out_dir>/Images and, when preview_dir is given,
    the contact sheet "images.png" and "ui_mockup.png" there.

    The glyph sheets and font descriptions are written by fonts.generate (the
    build runs both); the mock-up uses the same font data from memory."""
    out_dir = Path(out_dir)
    images_dir = out_dir / "Images"
    images_dir.mkdir(parents=True, exist_ok=True)
    pics = build_all()
    for name in sorted(pics):
        D.save_png(pics[name], images_dir / name)
    if preview_dir is not None:
        preview_dir = Path(preview_dir)
        contact_sheet([(n, pics[n]) for n in sorted(pics)], preview_dir)
        fp = {size: (F.parse_fnt(fd.fnt_text), fd.sheet) for size, fd in sorted(F.get_fonts().items())}
        mockups(pics, fp, preview_dir)
    return sorted(pics)


def main(argv=None):
    ap = argparse.ArgumentParser(description="Generate the Quillon Vale interface pictures.")
    ap.add_argument("--out", required=True, help="the game's Data folder")
    ap.add_argument("--preview", default=None, help="folder for contact sheets")
    ap.add_argument("--with-fonts", action="store_true", help="also run fonts.generate")
    a = ap.parse_args(argv)
    generate(a.out, a.preview)
    if a.with_fonts:
        F.generate(a.out, a.preview)


# ---------------------------------------------------------------- backdrop landscape ("Menu Screenshot.png")

BD_W, BD_H = 1920, 1080
HORIZON = 585


def _c(t):
    return np.array(D.rgb(t), dtype=np.float32)


def _over_np(dst, cov, colour, alpha=1.0, x0=0, y0=0):
    """Opaque RGB float image dst (h, w, 3): paint colour where cov.

    cov (and an array colour) cover the region starting at (x0, y0)."""
    cov = np.asarray(cov, dtype=np.float32)
    h, w = cov.shape
    a = np.clip(cov * np.float32(alpha), 0, 1)[..., None]
    col = np.asarray(colour, dtype=np.float32)
    region = dst[y0:y0 + h, x0:x0 + w]
    region *= (1 - a)
    region += col * a


def _region_grid(x0, y0, w, h):
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float32)
    return xs + np.float32(x0 + 0.5), ys + np.float32(y0 + 0.5)


def _noise_region(fn, x0, y0, w, h, f):
    """Evaluate fn(X, Y) (full-resolution pixel coordinates) on a grid f times
    coarser than the region and upsample bilinearly: smooth fields for a
    fraction of the cost."""
    cw, ch = -(-w // f), -(-h // f)
    ys, xs = np.mgrid[0:ch, 0:cw].astype(np.float32)
    X = x0 + (xs + 0.5) * f
    Y = y0 + (ys + 0.5) * f
    small = np.asarray(fn(X, Y), dtype=np.float32)
    big = Image.fromarray(small, "F").resize((cw * f, ch * f), Image.BILINEAR)
    return np.asarray(big, dtype=np.float32)[:h, :w]


def _plant_sprite(kind, scale, rnd, ss=3):
    """Draw one alien plant with PIL at ss x; returns (premultiplied float array (h, w, 4), base x, base y)."""
    S = scale * ss
    if kind == "mushroom":
        w, h = int(150 * S), int(230 * S)
    elif kind == "fern":
        w, h = int(110 * S), int(200 * S)
    elif kind == "crystal":
        w, h = int(140 * S), int(170 * S)
    elif kind == "bulbs":
        w, h = int(200 * S), int(200 * S)
    else:  # lollipop tree
        w, h = int(140 * S), int(240 * S)
    im = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    dr = ImageDraw.Draw(im, "RGBA")
    bx, by = w / 2.0, h - 4 * S
    glow_spots = []

    def P(px, py):
        return (bx + px * S, by - py * S)

    if kind == "mushroom":
        lean = rnd.uniform(-12, 12)
        stem_h = 150 + rnd.uniform(-20, 20)

        def box(x0, y0, x1, y1):
            """Box from plant units (y up) to PIL pixel coordinates."""
            (ax, ay), (bx_, by_) = P(x0, y1), P(x1, y0)
            return [ax, ay, bx_, by_]

        pts_l, pts_r, sh_l, sh_r = [], [], [], []
        for k in range(21):
            t = k / 20.0
            cx = lean * t * t
            half = 9 - 4 * t
            pts_l.append(P(cx - half, stem_h * t))
            pts_r.append(P(cx + half, stem_h * t))
            sh_l.append(P(cx + half * 0.25, stem_h * t))
            sh_r.append(P(cx + half * 0.95, stem_h * t))
        dr.polygon(pts_l + pts_r[::-1], fill=(214, 196, 236, 255))
        dr.polygon(sh_l + sh_r[::-1], fill=(176, 154, 210, 255))
        capw = 62 + rnd.uniform(-8, 12)
        caph = 46 + rnd.uniform(-6, 8)
        cx, cy = lean, stem_h
        hue = rnd.choice([(236, 92, 168), (250, 120, 90), (170, 96, 240)])
        dark = tuple(int(v * 0.55) for v in hue)
        light = tuple(min(255, int(v * 1.2 + 40)) for v in hue)
        # underside (gills) first, then the dome over its upper half
        dr.ellipse(box(cx - capw * 0.96, cy - caph * 0.2, cx + capw * 0.96, cy + caph * 0.16), fill=dark + (255,))
        dr.pieslice(box(cx - capw, cy - caph, cx + capw, cy + caph), 180, 360, fill=hue + (255,))
        dr.ellipse(box(cx - capw * 0.72, cy + caph * 0.42, cx - capw * 0.12, cy + caph * 0.8), fill=light + (255,))
        for k in range(6):
            a = rnd.uniform(0.15, 0.85) * math.pi
            r = rnd.uniform(0.35, 0.78)
            sx = cx + math.cos(a) * capw * r
            sy = cy + math.sin(a) * caph * r
            sr = rnd.uniform(4, 7.5)
            dr.ellipse(box(sx - sr, sy - sr * 0.8, sx + sr, sy + sr * 0.8), fill=(255, 236, 250, 255))
        for k in range(5):
            gx = cx + rnd.uniform(-0.8, 0.8) * capw
            gy = cy - caph * 0.22 - rnd.uniform(4, 16)
            r = 2.6
            dr.ellipse(box(gx - r, gy - r, gx + r, gy + r), fill=(180, 255, 230, 255))
    elif kind == "fern":
        n = 3
        for k in range(n):
            ang0 = math.radians(90 + (k - 1) * 22 + rnd.uniform(-6, 6))
            length = 120 + rnd.uniform(-15, 30) - abs(k - 1) * 25
            pts = []
            px, py = 0.0, 0.0
            ang = ang0
            for i in range(60):
                t = i / 59.0
                step = length / 59.0
                px += math.cos(ang) * step
                py += math.sin(ang) * step
                pts.append(P(px, py))
            # curl at the tip
            r = 16.0
            for i in range(40):
                t = i / 39.0
                ang += (math.pi * 1.6) / 39.0 * (1 if k != 0 else -1)
                r *= 0.965
                px += math.cos(ang) * r * 0.16
                py += math.sin(ang) * r * 0.16
                pts.append(P(px, py))
            col = (60, 214, 170, 255) if k != 1 else (96, 236, 196, 255)
            dr.line(pts, fill=col, width=max(1, int(5 * S)), joint="curve")
            # little leaflets
            for i in range(8, 55, 6):
                lx, ly = pts[i]
                side = 1 if (i // 6) % 2 else -1
                dr.line([(lx, ly), (lx + side * 9 * S, ly - 6 * S)], fill=col, width=max(1, int(3 * S)))
    elif kind == "crystal":
        for k in range(5):
            ang = math.radians(90 + (k - 2) * 17 + rnd.uniform(-5, 5))
            length = 130 - abs(k - 2) * 32 + rnd.uniform(-10, 10)
            wdt = 13 - abs(k - 2) * 2
            ox = (k - 2) * 12
            dx, dy = math.cos(ang), math.sin(ang)
            nx, ny = -dy, dx
            tip = (ox + dx * length, dy * length)
            sh = (ox + dx * (length - wdt * 1.6), dy * (length - wdt * 1.6))
            body = [(ox + nx * wdt, ny * wdt), (sh[0] + nx * wdt, sh[1] + ny * wdt), tip,
                    (sh[0] - nx * wdt, sh[1] - ny * wdt), (ox - nx * wdt, -ny * wdt)]
            dr.polygon([P(*p) for p in body], fill=(70, 200, 236, 255))
            half = [(ox, 0), (sh[0], sh[1]), tip, (sh[0] + nx * wdt, sh[1] + ny * wdt), (ox + nx * wdt, ny * wdt)]
            dr.polygon([P(*p) for p in half], fill=(170, 246, 255, 200))
            dr.line([P(ox, 0), P(*sh), P(*tip)], fill=(230, 255, 255, 200), width=max(1, int(1.5 * S)))
    elif kind == "bulbs":
        for k in range(4):
            ang = math.radians(90 + (k - 1.5) * 16 + rnd.uniform(-4, 4))
            length = 90 + rnd.uniform(-15, 45)
            pts = []
            for i in range(31):
                t = i / 30.0
                bend = math.sin(t * math.pi * 0.8) * 10 * (k - 1.5) / 1.5
                pts.append(P(math.cos(ang) * length * t + bend, math.sin(ang) * length * t))
            dr.line(pts, fill=(110, 190, 120, 255), width=max(1, int(3.5 * S)))
            ex, ey = pts[-1]
            r = (9 + rnd.uniform(0, 5)) * S
            glow_spots.append((ex, ey, r))
            dr.ellipse([ex - r, ey - r, ex + r, ey + r], fill=(255, 226, 120, 255))
            dr.ellipse([ex - r * 0.45 - r * 0.2, ey - r * 0.6, ex + r * 0.1, ey - r * 0.05],
                       fill=(255, 252, 220, 220))
    else:  # lollipop tree
        stem_h = 160 + rnd.uniform(-20, 30)
        pts = []
        for i in range(31):
            t = i / 30.0
            pts.append(P(math.sin(t * 2.4) * 8, stem_h * t))
        dr.line(pts, fill=(120, 80, 150, 255), width=max(1, int(8 * S)), joint="curve")
        cx, cy = math.sin(2.4) * 8, stem_h + 30
        r = 44 + rnd.uniform(-6, 8)
        col = rnd.choice([(255, 150, 60), (90, 230, 200), (250, 110, 160)])
        dark = tuple(int(v * 0.7) for v in col)
        lite = tuple(min(255, int(v * 1.15 + 40)) for v in col)
        dr.ellipse([P(cx - r, 0)[0], P(0, cy + r)[1], P(cx + r, 0)[0], P(0, cy - r)[1]], fill=dark + (255,))
        dr.ellipse([P(cx - r * 0.92, 0)[0], P(0, cy + r * 0.98)[1], P(cx + r * 0.75, 0)[0], P(0, cy - r * 0.7)[1]],
                   fill=col + (255,))
        dr.ellipse([P(cx - r * 0.6, 0)[0], P(0, cy + r * 0.8)[1], P(cx - r * 0.05, 0)[0], P(0, cy + r * 0.2)[1]],
                   fill=lite + (200,))
    arr = np.asarray(im, dtype=np.float32) / 255.0
    arr[..., :3] *= arr[..., 3:4]
    if glow_spots:
        gm = Image.new("L", (w, h), 0)
        gd = ImageDraw.Draw(gm)
        for ex, ey, r in glow_spots:
            gd.ellipse([ex - r * 1.3, ey - r * 1.3, ex + r * 1.3, ey + r * 1.3], fill=255)
        g = np.asarray(gm.filter(ImageFilter.GaussianBlur(r * 1.2)), dtype=np.float32) / 255.0
        g = (np.clip(g * 1.2, 0, 1) * 0.6)[..., None]
        glow = np.concatenate([g * np.array(D.rgb((255, 236, 150)), dtype=np.float32), g], axis=-1)
        arr = arr + glow * (1 - arr[..., 3:4])
    H1, W1 = arr.shape[0] // ss, arr.shape[1] // ss
    arr = arr[:H1 * ss, :W1 * ss].reshape(H1, ss, W1, ss, 4).mean(axis=(1, 3))
    return arr.astype(np.float64), bx / ss, by / ss


def _paste_premult(dst, sprite, x, y):
    """Compose a premultiplied sprite onto an opaque RGB float image."""
    h, w = sprite.shape[:2]
    H, W = dst.shape[:2]
    x0, y0 = max(0, x), max(0, y)
    x1, y1 = min(W, x + w), min(H, y + h)
    if x0 >= x1 or y0 >= y1:
        return
    s = sprite[y0 - y:y1 - y, x0 - x:x1 - x]
    d = dst[y0:y1, x0:x1]
    d *= (1 - s[..., 3:4])
    d += s[..., :3]


def _island_profile(xs, xa, xb, shore, heights, seed):
    env = D.smoothstep(xa, xa + 140, xs) * D.smoothstep(xb, xb - 140, xs)
    hgt = np.zeros_like(xs)
    for cx, hh, sg in heights:
        hgt += hh * np.exp(-((xs - cx) / sg) ** 2)
    smooth = np.maximum(hgt * env, 0) + 10 * env
    hgt = smooth + 18 * (D.fbm(xs / 70.0, np.full_like(xs, 3.7), 4, seed) - 0.5) * env
    hgt = np.maximum(hgt, 0)
    sh = shore(xs)
    return sh - hgt, sh, hgt, env, sh - smooth


def menu_screenshot():
    W, H = BD_W, BD_H
    HZ = HORIZON
    f32 = np.float32
    img = np.zeros((H, W, 3), dtype=f32)
    # --- sky (rows 0 .. HZ)
    ys = np.arange(H, dtype=f32) + 0.5
    sky_rows = D.rows_gradient(ys, [(0, D.rgb((22, 18, 62))), (240, D.rgb((58, 50, 132))),
                                    (430, D.rgb((150, 96, 168))), (HZ, D.rgb((255, 196, 164)))]).astype(f32)
    img[:HZ] = sky_rows[:HZ, None, :]
    sun_x, sun_y = 900.0, HZ - 46.0
    # broad sun glow, computed coarse
    def sunglow(X, Y):
        dsun = np.hypot(X - sun_x, (Y - sun_y) * 1.35)
        return np.exp(-dsun / 240.0)
    g = _noise_region(sunglow, 0, 0, W, HZ, 8)
    _over_np(img, g, _c((255, 214, 170)), 0.55)
    sx0, sy0 = 600, HZ - 330
    x, y = _region_grid(sx0, sy0, 600, 330)
    dsun = np.hypot(x - sun_x, (y - sun_y) * 1.35)
    _over_np(img, np.exp(-dsun / 70.0), _c((255, 236, 200)), 0.6, sx0, sy0)
    _over_np(img, D.fill_cov(D.sdf_circle(x, y, sun_x, sun_y, 30)), _c((255, 248, 226)), 1.0, sx0, sy0)
    # stars: a fixed list of small discs
    import random as _random
    rs = _random.Random(1701)
    for k in range(260):
        stx, sty = rs.uniform(0, W), rs.uniform(0, 430) ** 1.0
        br = rs.uniform(0.3, 1.0) * (1 - sty / 470.0)
        rad = rs.choice((0.6, 0.7, 0.9, 1.2))
        bx0, by0 = int(stx) - 3, int(sty) - 3
        if bx0 < 0 or by0 < 0 or bx0 + 7 > W:
            continue
        x, y = _region_grid(bx0, by0, 7, 7)
        dd = D.sdf_circle(x, y, stx, sty, rad)
        _over_np(img, D.fill_cov(dd) + 0.25 * D.glow_cov(dd, 3.0) * (dd > 0), _c((255, 250, 240)), br, bx0, by0)
    # ringed planet upper left (region only)
    pcx, pcy, pr = 285.0, 235.0, 128.0
    px0, py0, pw, ph = 0, 0, 620, 470
    x, y = _region_grid(px0, py0, pw, ph)
    dp = D.sdf_circle(x, y, pcx, pcy, pr)
    ang = math.radians(-14)
    rx = (x - pcx) * math.cos(ang) - (y - pcy) * math.sin(ang) + pcx
    ry = (x - pcx) * math.sin(ang) + (y - pcy) * math.cos(ang) + pcy
    ring_d = np.abs(D.sdf_ellipse_approx(rx, ry, pcx, pcy, pr * 1.8, pr * 0.36)) - 7.0
    ring_back = D.fill_cov(ring_d) * (ry < pcy)
    ring_front = D.fill_cov(ring_d) * (ry >= pcy)
    ring_col = _c((250, 214, 236))
    _over_np(img, D.glow_cov(dp, 60.0) * (dp > 0), _c((190, 150, 240)), 0.25, px0, py0)
    _over_np(img, ring_back, ring_col, 0.55, px0, py0)
    bands = 0.5 + 0.5 * np.sin((ry - pcy) / pr * 9.0 + 2.0 * D.fbm(rx / 60.0, ry / 14.0, 3, 5))
    pcol = D.rows_gradient(bands, [(0, D.rgb((120, 84, 196))), (1, D.rgb((236, 170, 214)))]).astype(f32)
    lit = np.clip(1.0 - np.hypot(x - (pcx + 50), y - (pcy - 40)) / (pr * 2.0), 0.15, 1.0)[..., None]
    pcol = pcol * lit + _c((40, 20, 70)) * (1 - lit) * 0.5
    _over_np(img, D.fill_cov(dp), pcol, 1.0, px0, py0)
    _over_np(img, ring_front, ring_col, 0.8, px0, py0)
    _over_np(img, D.fill_cov(ring_d + 3.0) * (ry >= pcy), _c((255, 240, 250)), 0.35, px0, py0)
    # small moon
    mx0, my0 = 1655, 38
    x, y = _region_grid(mx0, my0, 160, 160)
    dm = D.sdf_circle(x, y, 1735, 118, 34)
    _over_np(img, D.glow_cov(dm, 30.0) * (dm > 0), _c((200, 230, 255)), 0.2, mx0, my0)
    mshade = np.clip(1.2 - np.hypot(x - 1725, y - 108) / 50.0, 0.35, 1)[..., None]
    _over_np(img, D.fill_cov(dm), _c((220, 236, 250)) * mshade, 1.0, mx0, my0)
    for (cx_, cy_, cr) in ((1722, 104, 7), (1748, 128, 5), (1731, 135, 3.5), (1752, 100, 3)):
        dcr = D.sdf_circle(x, y, cx_, cy_, cr)
        _over_np(img, D.fill_cov(dcr) * D.fill_cov(dm), _c((150, 170, 200)), 0.45, mx0, my0)
        _over_np(img, D.band_cov(D.sdf_circle(x, y, cx_ + 0.8, cy_ + 0.8, cr), -1.0, 0.0) * D.fill_cov(dcr),
                 _c((240, 248, 255)), 0.5, mx0, my0)
    # clouds: stretched noise, coarse
    cl = _noise_region(lambda X, Y: D.smoothstep(0.52, 0.72, D.fbm(X / 300.0, Y / 46.0, 5, 11))
                       * D.smoothstep(250, 360, Y) * D.smoothstep(HZ - 10, 470, Y), 0, 240, W, HZ - 240, 2)
    ccol = sky_rows[240:HZ] * 0 + D.rows_gradient(ys[240:HZ], [(250, D.rgb((210, 170, 230))),
                                                             (HZ, D.rgb((255, 222, 206)))]).astype(f32)
    _over_np(img, cl, ccol[:, None, :], 0.75, 0, 240)
    cl2 = _noise_region(lambda X, Y: D.smoothstep(0.58, 0.75, D.fbm(X / 520.0 + 9, Y / 30.0, 4, 23))
                        * D.smoothstep(60, 150, Y) * D.smoothstep(300, 200, Y), 0, 40, W, 280, 2)
    _over_np(img, cl2, _c((150, 120, 200)), 0.45, 0, 40)
    # --- distant islands on the horizon (hazy)
    xs = np.arange(W, dtype=f32) + 0.5
    ridge = (22 * np.exp(-((xs - 640) / 90) ** 2) + 34 * np.exp(-((xs - 820) / 120) ** 2)
             + 14 * np.exp(-((xs - 1060) / 70) ** 2) + 8 * (D.fbm(xs / 40.0, np.zeros_like(xs), 3, 4) - 0.3))
    ridge = np.maximum(ridge, 0)
    x, y = _region_grid(0, HZ - 60, W, 61)
    far = np.clip(y - (HZ - ridge)[None, :] + 0.5, 0, 1)
    _over_np(img, far, _c((150, 110, 170)), 0.85, 0, HZ - 60)
    # --- sea (rows HZ .. H)
    SH = H - HZ
    x, y = _region_grid(0, HZ, W, SH)
    sea_rows = D.rows_gradient(ys[HZ:], [(HZ, D.rgb((226, 160, 176))), (HZ + 40, D.rgb((96, 120, 170))),
                                         (HZ + 160, D.rgb((34, 96, 136))), (H, D.rgb((10, 50, 80)))]).astype(f32)

    def uv(X, Y):
        dz = np.maximum(Y - HZ, 0) + 6.0
        return (X - 960.0) / dz * 5.0, 900.0 / dz

    def waves_fn(X, Y):
        u, v = uv(X, Y)
        return (D.fbm(u * 0.7, v * 7.0, 4, 31) - 0.5) * D.smoothstep(HZ + 4, HZ + 90, Y)
    waves = _noise_region(waves_fn, 0, HZ, W, SH, 2)
    img[HZ:] = sea_rows[:, None, :] * (1.0 + 0.28 * waves[..., None])

    def glitter_fn(X, Y):
        u, v = uv(X, Y)
        return D.smoothstep(0.62, 0.78, D.fbm(u * 1.4, v * 4.0, 2, 41))
    gx0 = 420
    gl = _noise_region(glitter_fn, gx0, HZ, 960, SH, 1)
    xg, yg = _region_grid(gx0, HZ, 960, SH)
    glitter = gl * np.exp(-np.abs(xg - sun_x) / (60 + (yg - HZ) * 0.5)) * D.smoothstep(H, HZ, yg)
    _over_np(img, glitter, _c((255, 236, 200)), 0.9, gx0, HZ)

    def hl_fn(X, Y):
        u, v = uv(X, Y)
        return D.smoothstep(0.64, 0.8, D.fbm(u * 2.0, v * 22.0, 3, 53)) * D.smoothstep(HZ + 30, HZ + 260, Y)
    hl = _noise_region(hl_fn, 0, HZ, W, SH, 1)
    _over_np(img, hl, _c((170, 225, 235)), 0.28, 0, HZ)

    def dark_fn(X, Y):
        u, v = uv(X, Y)
        return D.smoothstep(0.6, 0.78, D.fbm(u * 1.6 + 7, v * 16.0, 3, 57)) * D.smoothstep(HZ + 30, HZ + 260, Y)
    dk = _noise_region(dark_fn, 0, HZ, W, SH, 1)
    _over_np(img, dk, _c((6, 36, 60)), 0.3, 0, HZ)
    # --- haze at the horizon (behind the islands)
    hz0 = HZ - 120
    x, y = _region_grid(0, hz0, W, 240)
    _over_np(img, np.exp(-np.abs(y - HZ) / 26.0), _c((255, 206, 186)), 0.22, 0, hz0)
    # --- islands
    islands = [
        dict(xa=1020, xb=2080, shore=lambda s: HZ + 112 + 38 * np.exp(-((s - 1540) / 330) ** 2),
             heights=[(1260, 130, 110), (1470, 250, 140), (1700, 190, 120), (1900, 150, 110)], seed=3,
             grass=(_c((64, 186, 150)), _c((28, 110, 108))), violet=_c((132, 92, 190))),
        dict(xa=20, xb=640, shore=lambda s: HZ + 52 + 10 * np.exp(-((s - 320) / 200) ** 2),
             heights=[(240, 120, 110), (430, 80, 90)], seed=9,
             grass=(_c((92, 170, 160)), _c((50, 110, 120))), violet=_c((140, 108, 180))),
    ]
    tops = []
    for isl in islands:
        top_all, sh_all, hgt_all, env_all, smooth_all = _island_profile(xs, isl["xa"], isl["xb"], isl["shore"],
                                                            isl["heights"], isl["seed"])
        tops.append((top_all, sh_all))
        cols = np.nonzero(env_all > 0.02)[0]
        c0, c1 = int(cols[0]), int(cols[-1]) + 1
        top, sh, hgt = top_all[c0:c1], sh_all[c0:c1], hgt_all[c0:c1]
        r0 = int(np.floor(top.min())) - 8
        r1 = min(H, int(np.ceil((sh + hgt * 0.55).max())) + 4)
        rw, rh = c1 - c0, r1 - r0
        x, y = _region_grid(c0, r0, rw, rh)
        # reflection in the water
        refl_len = (hgt * 0.55)[None, :]
        below = y - sh[None, :]
        rn = _noise_region(lambda X, Y: D.fbm(X / 14.0, Y / 3.0, 2, 61), c0, r0, rw, rh, 1)
        rcov = (below > 0) * (below < refl_len) * D.smoothstep(refl_len + 1, 0, below) * (0.75 + 0.25 * rn)
        _over_np(img, rcov, isl["grass"][1] * 0.7, 0.55, c0, r0)
        cov = np.clip(y - top[None, :] + 0.5, 0, 1) * np.clip(sh[None, :] - y + 0.5, 0, 1)
        t = np.clip((sh[None, :] - y) / np.maximum(hgt[None, :] + 10, 1), 0, 1)
        slope = np.gradient(smooth_all[c0:c1])
        light = np.clip(0.85 - slope[None, :] * 0.6, 0.55, 1.2)
        tex = _noise_region(lambda X, Y: D.fbm(X / 36.0, Y / 18.0, 4, isl["seed"] + 7), c0, r0, rw, rh, 2)
        g_lo, g_hi = isl["grass"]
        col = g_hi + (g_lo - g_hi) * t[..., None]
        vio = _noise_region(lambda X, Y: D.smoothstep(0.52, 0.75, D.fbm(X / 140.0, Y / 60.0, 3, isl["seed"] + 13)),
                            c0, r0, rw, rh, 4)[..., None]
        col = col * (1 - vio * 0.45) + isl["violet"] * vio * 0.45
        col = col * (light * (0.82 + 0.36 * tex))[..., None]
        rim = (D.smoothstep(5, 0, y - top[None, :]) * (y >= top[None, :]))[..., None]
        col = col + (_c((255, 220, 190)) - col) * (rim * 0.45)
        beach = D.smoothstep(sh[None, :] - 16, sh[None, :] - 9, y)[..., None]
        col = col * (1 - beach) + _c((244, 214, 178)) * beach * (0.9 + 0.2 * tex[..., None])
        _over_np(img, cov, col, 1.0, c0, r0)
        wet = D.smoothstep(sh[None, :] - 4, sh[None, :], y) * cov
        _over_np(img, wet, _c((186, 150, 130)), 0.6, c0, r0)
        fn_ = _noise_region(lambda X, Y: D.fbm(X / 9.0, Y / 2.0, 2, isl["seed"] + 21), c0, r0, rw, rh, 1)
        foam = np.clip(1 - np.abs(y - sh[None, :] - 1.5) / 2.6, 0, 1) * (0.6 + 0.6 * fn_)
        _over_np(img, np.clip(foam, 0, 1), _c((250, 252, 255)), 0.85, c0, r0)
    # --- foreground sand bank bottom left
    fb_top_all = 960 + 50 * (xs / 520.0) ** 2 - 30 * np.exp(-((xs - 160) / 140) ** 2)
    fx1 = int(np.nonzero(fb_top_all < H)[0][-1]) + 1
    fr0 = int(np.floor(fb_top_all[:fx1].min())) - 6
    x, y = _region_grid(0, fr0, fx1, H - fr0)
    fb_top = fb_top_all[:fx1][None, :]
    fb_cov = np.clip(y - fb_top + 0.5, 0, 1)
    ftex = _noise_region(lambda X, Y: D.fbm(X / 24.0, Y / 12.0, 3, 91), 0, fr0, fx1, H - fr0, 1)
    fcol = D.rows_gradient(y, [(900, D.rgb((250, 214, 176))), (H, D.rgb((206, 150, 130)))]).astype(f32)
    fcol = fcol * (0.88 + 0.24 * ftex[..., None])
    fn2 = _noise_region(lambda X, Y: D.fbm(X / 8.0, Y / 2.0, 2, 92), 0, fr0, fx1, H - fr0, 1)
    foam = np.clip(1 - np.abs(y - fb_top + 2) / 3.0, 0, 1) * (0.6 + 0.6 * fn2)
    _over_np(img, np.clip(foam, 0, 1), _c((250, 252, 255)), 0.8, 0, fr0)
    _over_np(img, fb_cov, fcol, 1.0, 0, fr0)
    # --- plants (deterministic placement)
    rnd = _random.Random(4217)
    top_main = tops[0][0]
    top_small = tops[1][0]
    placements = [
        ("lollipop", 1288, 0.62, top_main), ("mushroom", 1395, 0.78, top_main), ("fern", 1452, 0.6, top_main),
        ("crystal", 1560, 0.55, top_main), ("mushroom", 1640, 0.62, top_main), ("bulbs", 1718, 0.6, top_main),
        ("lollipop", 1800, 0.72, top_main), ("fern", 1868, 0.55, top_main), ("crystal", 1905, 0.5, top_main),
        ("mushroom", 205, 0.55, top_small), ("crystal", 300, 0.42, top_small), ("lollipop", 428, 0.5, top_small),
        ("fern", 520, 0.4, top_small),
        ("crystal", 92, 1.05, None), ("mushroom", 260, 1.1, None), ("fern", 370, 0.95, None),
        ("bulbs", 170, 0.95, None),
    ]
    for kind, px, scale, top in placements:
        if top is not None:
            base_y = float(top[int(px)]) + 6 * scale
        else:
            base_y = float(fb_top_all[int(px)]) + 26 * scale
        spr, bx, by = _plant_sprite(kind, scale, rnd)
        _paste_premult(img, spr, int(round(px - bx)), int(round(base_y - by)))
    # a tiny three-legged creature on the beach of the main island
    icon = creature_icon(64)
    arr = np.asarray(icon.resize((44, 44), Image.LANCZOS), dtype=np.float32) / 255.0
    arr[..., :3] *= arr[..., 3:4]
    sh_main = tops[0][1]
    _paste_premult(img, arr, 1330, int(sh_main[1352] - 46))
    # --- vignette (coarse)
    vig = _noise_region(lambda X, Y: D.smoothstep(0.75, 1.45, np.hypot((X - 960) / 960.0, (Y - 540) / 540.0)),
                        0, 0, W, H, 8)
    _over_np(img, vig, _c((10, 8, 30)), 0.55)
    out = np.clip(np.round(img * 255.0), 0, 255).astype(np.uint8)
    return Image.fromarray(out, "RGB")  # opaque: stored as RGB, LodePNG gives RGBA


if __name__ == "__main__":
    main()
