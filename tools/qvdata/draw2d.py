"""Small 2D drawing kit for the Quillon Vale picture generators.

Shapes are described by signed distance fields (SDF, in pixels, negative
inside) evaluated at pixel centres; coverage = clamp(0.5 - d, 0, 1) gives a
one-pixel anti-aliased edge without supersampling, and the same field gives
borders (bands of d), insets/outsets (d - k) and glows (a fall-off of d > 0).
Organic outlines are drawn with PIL at 4x and box-filtered down (`pil_mask`).

A `Canvas` keeps premultiplied RGBA floats (0..1) so that layers compose with
the usual "over" operator; `to_image` converts to straight (non-premultiplied)
8-bit RGBA and, for fully transparent pixels, bleeds the colour of nearby
visible pixels into the RGB channels so that linear texture filtering in the
game never pulls dark fringes into the picture's edges.

Everything here is deterministic: no clocks, no global random state.  Noise is
an integer hash of the lattice coordinates.

Requires the Debian packages python3-numpy and python3-pil.
"""

import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

# ---------------------------------------------------------------- colours


def rgb(hex_or_tuple):
    """(r, g, b) in 0..1 from "#rrggbb" or a 0..255 tuple."""
    if isinstance(hex_or_tuple, str):
        h = hex_or_tuple.lstrip("#")
        return tuple(int(h[i:i + 2], 16) / 255.0 for i in (0, 2, 4))
    return tuple(c / 255.0 for c in hex_or_tuple[:3])


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


# ---------------------------------------------------------------- grids


def grid(w, h, ox=0.0, oy=0.0):
    """Pixel-centre coordinates (x right, y down), shape (h, w)."""
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float64)
    return xs + 0.5 - ox, ys + 0.5 - oy


# ---------------------------------------------------------------- SDFs


def sdf_box(x, y, x0, y0, x1, y1, r=0.0):
    """Rounded rectangle from (x0, y0) to (x1, y1), corner radius r."""
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r
    qx = np.abs(x - cx) - hx
    qy = np.abs(y - cy) - hy
    outside = np.hypot(np.maximum(qx, 0), np.maximum(qy, 0))
    inside = np.minimum(np.maximum(qx, qy), 0)
    return outside + inside - r


def sdf_circle(x, y, cx, cy, r):
    return np.hypot(x - cx, y - cy) - r


def sdf_ellipse_approx(x, y, cx, cy, rx, ry):
    """Cheap ellipse distance (exact on the axes, good enough for AA)."""
    k0 = np.hypot((x - cx) / rx, (y - cy) / ry)
    k1 = np.hypot((x - cx) / (rx * rx), (y - cy) / (ry * ry))
    return k0 * (k0 - 1.0) / np.maximum(k1, 1e-9)


def sdf_segment(x, y, ax, ay, bx, by, r=0.0):
    """Capsule around the segment a-b with radius r."""
    pax, pay = x - ax, y - ay
    bax, bay = bx - ax, by - ay
    denom = bax * bax + bay * bay
    if denom == 0:
        h = 0.0
    else:
        h = np.clip((pax * bax + pay * bay) / denom, 0.0, 1.0)
    return np.hypot(pax - bax * h, pay - bay * h) - r


def sdf_polyline(x, y, pts, r):
    d = None
    for (ax, ay), (bx, by) in zip(pts[:-1], pts[1:]):
        s = sdf_segment(x, y, ax, ay, bx, by, r)
        d = s if d is None else np.minimum(d, s)
    return d


def sdf_polygon(x, y, pts):
    """Exact signed distance to a simple polygon (any winding)."""
    n = len(pts)
    v0x, v0y = pts[0]
    d = (x - v0x) ** 2 + (y - v0y) ** 2
    s = np.ones_like(x)
    j = n - 1
    for i in range(n):
        vix, viy = pts[i]
        vjx, vjy = pts[j]
        ex, ey = vjx - vix, vjy - viy
        wx, wy = x - vix, y - viy
        ee = ex * ex + ey * ey
        t = np.clip((wx * ex + wy * ey) / ee, 0.0, 1.0) if ee > 0 else 0.0
        bx, by = wx - ex * t, wy - ey * t
        d = np.minimum(d, bx * bx + by * by)
        c1 = y >= viy
        c2 = y < vjy
        c3 = ex * wy > ey * wx
        flip = (c1 & c2 & c3) | (~c1 & ~c2 & ~c3)
        s = np.where(flip, -s, s)
        j = i
    return s * np.sqrt(d)


def fill_cov(d):
    """Coverage of the inside of an SDF with a one-pixel soft edge."""
    return np.clip(0.5 - d, 0.0, 1.0)


def band_cov(d, inner, outer):
    """Coverage of the band inner <= d <= outer (a border)."""
    return np.clip(np.minimum(0.5 - (d - outer), 0.5 + (d - inner)), 0.0, 1.0)


def glow_cov(d, radius):
    """Soft fall-off outside a shape: 1 at the edge, ~0 at `radius`."""
    t = np.clip(d / float(radius), 0.0, 1.0)
    g = (1.0 - t) ** 2
    return np.where(d <= 0, 1.0, g)


def smoothstep(e0, e1, v):
    t = np.clip((v - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3 - 2 * t)


# ---------------------------------------------------------------- PIL masks


def pil_mask(w, h, draw_fn, ss=4):
    """Mask (h, w) in 0..1 from drawing at ss x scale with PIL.

    draw_fn(draw, s) receives an ImageDraw for an "L" image and the scale s;
    it must multiply every coordinate by s (use `S(s)` helpers)."""
    im = Image.new("L", (w * ss, h * ss), 0)
    draw_fn(ImageDraw.Draw(im), ss)
    return np.asarray(im.reduce(ss), dtype=np.float64) / 255.0


def blur(arr, radius):
    """Gaussian blur of a 2D float array in 0..1 through PIL (deterministic)."""
    if radius <= 0:
        return arr
    # 8-bit precision is fine for glows.
    im = Image.fromarray(np.clip(np.round(arr * 255.0), 0, 255).astype(np.uint8), "L")
    out = im.filter(ImageFilter.GaussianBlur(radius))
    return np.asarray(out, dtype=np.float64) / 255.0


# ---------------------------------------------------------------- noise


def _hash2(ix, iy, seed):
    h = (ix.astype(np.int64) * 374761393 + iy.astype(np.int64) * 668265263
         + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    h = h ^ (h >> 16)
    return (h & 0xFFFF).astype(np.float64) / 65535.0


_TABLES = {}


def _table(seed):
    """256 x 256 lattice of hashed values in 0..1 for one seed (cached)."""
    t = _TABLES.get(seed)
    if t is None:
        i = np.arange(256 * 256, dtype=np.int64)
        t = _hash2(i % 256, i // 256, seed).reshape(256, 256).astype(np.float32)
        _TABLES[seed] = t
    return t


def value_noise(x, y, seed=0):
    """Smooth value noise in 0..1 at float coordinates (lattice spacing 1,
    period 256 lattice cells)."""
    T = _table(seed)
    x = np.asarray(x, dtype=np.float32)
    y = np.asarray(y, dtype=np.float32)
    fx0 = np.floor(x)
    fy0 = np.floor(y)
    fx = x - fx0
    fy = y - fy0
    ix = fx0.astype(np.int64) & 255
    iy = fy0.astype(np.int64) & 255
    ix1 = (ix + 1) & 255
    iy1 = (iy + 1) & 255
    ux = fx * fx * (3 - 2 * fx)
    uy = fy * fy * (3 - 2 * fy)
    a = T[iy, ix]
    b = T[iy, ix1]
    c = T[iy1, ix]
    d = T[iy1, ix1]
    top = a + (b - a) * ux
    bot = c + (d - c) * ux
    return top + (bot - top) * uy


def fbm(x, y, octaves=4, seed=0, gain=0.5, lac=2.0):
    total = 0.0
    amp = 1.0
    norm = 0.0
    for o in range(octaves):
        total = total + amp * value_noise(x, y, seed + 101 * o)
        norm += amp
        amp *= gain
        x = x * lac
        y = y * lac
    return total / norm


# ---------------------------------------------------------------- canvas


class Canvas:
    """Premultiplied float RGBA canvas, shape (h, w, 4)."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = np.zeros((h, w, 4), dtype=np.float64)

    def grid(self, ox=0.0, oy=0.0):
        return grid(self.w, self.h, ox, oy)

    def over(self, cov, colour, alpha=1.0):
        """Paint `colour` (rgb tuple or (h, w, 3) array) where cov (0..1)."""
        a = np.clip(np.asarray(cov, dtype=np.float64) * alpha, 0.0, 1.0)
        if np.ndim(a) == 0:
            a = np.full((self.h, self.w), float(a))
        col = np.asarray(colour, dtype=np.float64)
        if col.ndim == 1:
            col = col.reshape(1, 1, 3)
        src = col * a[..., None]
        inv = (1.0 - a)[..., None]
        self.px[..., :3] = src + self.px[..., :3] * inv
        self.px[..., 3] = a + self.px[..., 3] * (1.0 - a)

    def erase(self, cov):
        """Cut a hole: multiply everything by (1 - cov)."""
        k = (1.0 - np.clip(cov, 0.0, 1.0))[..., None]
        self.px *= k

    def paste(self, other, x, y):
        """Compose another Canvas over this one at integer offset (x, y)."""
        h, w = other.h, other.w
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.w, x + w), min(self.h, y + h)
        if x0 >= x1 or y0 >= y1:
            return
        src = other.px[y0 - y:y1 - y, x0 - x:x1 - x]
        dst = self.px[y0:y1, x0:x1]
        a = src[..., 3:4]
        self.px[y0:y1, x0:x1] = src + dst * (1.0 - a)

    def alpha(self):
        return self.px[..., 3]

    def to_image(self, bleed=True):
        return to_image(self.px, bleed)


def to_image(px, bleed=True):
    """Premultiplied float RGBA -> straight-alpha 8-bit PIL image."""
    a = np.clip(px[..., 3], 0.0, 1.0)
    rgbp = np.clip(px[..., :3], 0.0, 1.0)
    safe = np.where(a > 1e-6, a, 1.0)[..., None]
    straight = np.clip(rgbp / safe, 0.0, 1.0)
    a8 = np.round(a * 255.0).astype(np.uint8)
    if bleed and (a8 == 0).any() and (a8 > 0).any():
        # Colour of nearby visible pixels for the invisible ones.
        h, w = a.shape
        acc = np.zeros((h, w, 3))
        wsum = np.zeros((h, w))
        for radius in (2, 6, 16):
            wa = _blur_float(a, radius)
            for c in range(3):
                acc[..., c] += _blur_float(rgbp[..., c], radius)
            wsum += wa
        fill = np.where(wsum[..., None] > 1e-4, acc / np.maximum(wsum, 1e-4)[..., None], 1.0)
        fill = np.clip(fill, 0.0, 1.0)
        straight = np.where((a8 == 0)[..., None], fill, straight)
    out = np.zeros(a.shape + (4,), dtype=np.uint8)
    out[..., :3] = np.round(straight * 255.0).astype(np.uint8)
    out[..., 3] = a8
    # Fully transparent: keep colour (bleed) but alpha 0.
    return Image.fromarray(out, "RGBA")


def _blur_float(arr, radius):
    """Gaussian-ish blur of a float array with 16-bit precision via two PIL
    channels (PIL's 'F' mode has no GaussianBlur in every version)."""
    v = np.clip(arr, 0.0, 1.0) * 65535.0
    hi = np.floor(v / 256.0)
    lo = v - hi * 256.0
    bh = np.asarray(Image.fromarray(hi.astype(np.uint8), "L").filter(
        ImageFilter.GaussianBlur(radius)), dtype=np.float64)
    bl = np.asarray(Image.fromarray(np.round(lo).clip(0, 255).astype(np.uint8), "L").filter(
        ImageFilter.GaussianBlur(radius)), dtype=np.float64)
    return (bh * 256.0 + bl) / 65535.0


def image_to_canvas(img):
    """Straight-alpha PIL RGBA image -> Canvas (premultiplied)."""
    arr = np.asarray(img.convert("RGBA"), dtype=np.float64) / 255.0
    c = Canvas(img.width, img.height)
    c.px[..., :3] = arr[..., :3] * arr[..., 3:4]
    c.px[..., 3] = arr[..., 3]
    return c


def save_png(img, path, level=6):
    """Write a PNG with no metadata chunks (deterministic bytes: no time,
    text or gamma chunks; zlib at a fixed level)."""
    img = img.copy()
    img.info = {}
    img.save(str(path), "PNG", compress_level=level)


def vgradient(h, w, stops):
    """(h, w, 3) vertical gradient; stops = [(t, rgb), ...] over 0..1."""
    t = (np.arange(h, dtype=np.float64) + 0.5) / h
    out = np.zeros((h, 3))
    ts = [s[0] for s in stops]
    for c in range(3):
        out[:, c] = np.interp(t, ts, [s[1][c] for s in stops])
    return np.broadcast_to(out[:, None, :], (h, w, 3)).copy()


def rows_gradient(ys, stops):
    """Colour per pixel from y values (any shape) with stops [(y, rgb)]."""
    out = np.zeros(ys.shape + (3,))
    yy = [s[0] for s in stops]
    for c in range(3):
        out[..., c] = np.interp(ys, yy, [s[1][c] for s in stops])
    return out


def rot(px, py, angle, cx=0.0, cy=0.0):
    ca, sa = math.cos(angle), math.sin(angle)
    dx, dy = px - cx, py - cy
    return cx + dx * ca - dy * sa, cy + dx * sa + dy * ca
