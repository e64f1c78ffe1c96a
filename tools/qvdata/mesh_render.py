"""Tiny software renderer for model previews (PIL polygons, painter's algorithm).

Renders what an OBJ file written by mesh.to_obj holds, so a preview shows
exactly what the game will read: back faces are culled with the stored
normals and the counter-clockwise winding, faces are shaded with a simple
Lambert term from a sun direction and drawn far to near.
"""

import math

from . import mesh as M

# The game's named palette; Primary/Secondary are chosen per sheet.
PALETTE = {
    "Red": (1.0, 0.0, 0.0), "Green": (0.0, 1.0, 0.0), "Blue": (0.0, 0.0, 1.0),
    "Yellow": (1.0, 1.0, 0.0), "DarkYellow": (0.8, 0.85, 0.4), "Magenta": (1.0, 0.0, 1.0),
    "LightMagenta": (1.0, 0.5, 1.0), "Orange": (1.0, 0.5, 0.0), "Black": (0.18, 0.18, 0.18),
    "DarkGrey": (0.5, 0.5, 0.5), "Grey": (0.8, 0.8, 0.8), "Teal": (0.0, 1.0, 1.0),
    "White": (1.0, 1.0, 1.0), "Brown": (0.66, 0.4, 0.0),
}

PRIMARY = (0.16, 0.62, 0.62)     # a teal
SECONDARY = (0.96, 0.55, 0.16)   # an orange
SUN = M.v_norm((25.0, -50.0, 50.0))  # the game's fixed sun position, as a direction


def view_basis(azimuth=-50.0, elevation=25.0):
    """Camera direction (towards the viewer), screen right and screen up."""
    az, el = math.radians(azimuth), math.radians(elevation)
    d = (math.cos(el) * math.cos(az), math.cos(el) * math.sin(az), math.sin(el))
    fwd = M.v_mul(d, -1.0)
    right = M.v_norm(M.v_cross(fwd, (0.0, 0.0, 1.0)))
    up = M.v_cross(right, fwd)
    return d, right, up


def project_model(obj_text, azimuth=-50.0, elevation=25.0, primary=PRIMARY, secondary=SECONDARY,
                  max_edge_fraction=1.0 / 40.0):
    """Screen-space triangles (depth, [(x, y)...], rgb 0..255) in model units,
    sorted far to near.  Large triangles are split into pieces no longer than
    max_edge_fraction of the model's size so that the depth sort of the
    painter's algorithm works where parts pass through each other."""
    pos, nrm, faces = M.parse_obj(obj_text)
    d, right, up = view_basis(azimuth, elevation)
    if not pos:
        return []
    span = max(max(p[k] for p in pos) - min(p[k] for p in pos) for k in range(3))
    limit2 = (span * max_edge_fraction) ** 2
    tris = []
    for mat, ps, ns in faces:
        n = nrm[ns[0]]
        if M.v_dot(n, d) <= 1e-6:
            continue  # back face, culled like the game does
        pts = [pos[i] for i in ps]
        # winding seen by the viewer must be CCW for a front face
        sc = [(M.v_dot(p, right), M.v_dot(p, up), M.v_dot(p, d)) for p in pts]
        area = ((sc[1][0] - sc[0][0]) * (sc[2][1] - sc[0][1])
                - (sc[1][1] - sc[0][1]) * (sc[2][0] - sc[0][0]))
        if area <= 0:
            continue
        if mat == "Primary":
            base = primary
        elif mat == "Secondary":
            base = secondary
        else:
            base = PALETTE.get(mat, (1.0, 1.0, 1.0))
        lam = M.v_dot(n, SUN)
        shade = 0.45 + 0.55 * lam if lam > 0 else 0.45 + 0.12 * lam
        rgb = tuple(max(0, min(255, int(round(255 * c * shade)))) for c in base)
        stack = [sc]
        while stack:
            t = stack.pop()
            (ax, ay, az), (bx, by, bz), (cx, cy, cz) = t
            e = max((ax - bx) ** 2 + (ay - by) ** 2 + (az - bz) ** 2,
                    (bx - cx) ** 2 + (by - cy) ** 2 + (bz - cz) ** 2,
                    (cx - ax) ** 2 + (cy - ay) ** 2 + (cz - az) ** 2)
            if e > limit2:
                ab = ((ax + bx) * 0.5, (ay + by) * 0.5, (az + bz) * 0.5)
                bc = ((bx + cx) * 0.5, (by + cy) * 0.5, (bz + cz) * 0.5)
                ca = ((cx + ax) * 0.5, (cy + ay) * 0.5, (cz + az) * 0.5)
                a, b, c = t
                stack += [(a, ab, ca), (ab, b, bc), (ca, bc, c), (ab, bc, ca)]
                continue
            tris.append(((az + bz + cz) / 3.0, ((ax, ay), (bx, by), (cx, cy)), rgb))
    tris.sort(key=lambda t: t[0])
    return tris


def render(obj_text, size, background=(232, 236, 240), azimuth=-50.0, elevation=25.0,
           margin=0.08, supersample=2, ground=True, primary=PRIMARY, secondary=SECONDARY,
           max_edge_fraction=1.0 / 40.0):
    """A size x size PIL image of the model, fitted to the frame."""
    from PIL import Image, ImageDraw

    tris = project_model(obj_text, azimuth, elevation, primary, secondary, max_edge_fraction)
    big = size * supersample
    img = Image.new("RGB", (big, big), background)
    if not tris:
        return img.resize((size, size), Image.LANCZOS)
    xs = [p[0] for t in tris for p in t[1]]
    ys = [p[1] for t in tris for p in t[1]]
    x0, x1, y0, y1 = min(xs), max(xs), min(ys), max(ys)
    span = max(x1 - x0, y1 - y0, 1e-6)
    s = big * (1.0 - 2 * margin) / span
    ox = big / 2.0 - (x0 + x1) / 2.0 * s
    oy = big / 2.0 + (y0 + y1) / 2.0 * s
    draw = ImageDraw.Draw(img)
    if ground:
        # footprint shadow: an ellipse for the ground disc under the model
        pos, _n, _f = M.parse_obj(obj_text)
        rmax = max(math.hypot(p[0], p[1]) for p in pos)
        d, right, up = view_basis(azimuth, elevation)
        pts = []
        for k in range(32):
            a = 2 * math.pi * k / 32
            p = (rmax * math.cos(a), rmax * math.sin(a), 0.0)
            pts.append((ox + M.v_dot(p, right) * s, oy - M.v_dot(p, up) * s))
        shade = tuple(int(c * 0.9) for c in background)
        draw.polygon(pts, fill=shade)
    for _depth, sc, rgb in tris:
        pts = [(ox + x * s, oy - y * s) for x, y in sc]
        draw.polygon(pts, fill=rgb, outline=rgb)
    return img.resize((size, size), Image.LANCZOS)
