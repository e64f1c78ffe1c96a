"""Generator of the unit models and cloud models of Quillon Vale.

Writes one OBJ file per model into OUT/Models/ in the exact subset the game's
reader accepts (three skipped header lines, "v", "vn", "usemtl", triangular
"f p//n" lines), and a contact sheet PREVIEW/models.png.

Every model: +z up, facing +x, standing on z = 0 with the centre of its
ground contact at the origin; flat per-face normals, counter-clockwise
winding seen from outside.  Materials are "Primary" and "Secondary" (the two
colours a unit template chooses) and the fixed palette names (eyes, beaks).
The output is byte-identical between runs (fixed seeds, "%.5f" numbers).

    python3 -m tools.qvdata.models --out Data --preview build/preview
    python3 tools/qvdata/models.py --out Data --preview build/preview
"""

import math
import os
import random
import sys

if __package__ in (None, ""):
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    from qvdata import mesh as M  # noqa: E402
    from qvdata.mesh import (merge, lathe, box, frustum, cylinder, cone, uv_sphere,  # noqa: E402
                             ellipsoid, icosphere, torus, tube, bezier, arc_path, extrude,
                             slab, ngon, convex_hull, rock_points, rings_mesh, circle_pts)
else:
    from . import mesh as M
    from .mesh import (merge, lathe, box, frustum, cylinder, cone, uv_sphere, ellipsoid,
                       icosphere, torus, tube, bezier, arc_path, extrude, slab, ngon,
                       convex_hull, rock_points, rings_mesh, circle_pts)

P = "Primary"
S = "Secondary"
W = "White"
B = "Black"

# ============================================================== shared parts


def eye(center, r, look=(1.0, 0.0, 0.0), pupil=0.5):
    """A white eyeball with a black pupil looking along `look`."""
    look = M.v_norm(look)
    ball = uv_sphere(r, W, 8, 6).translate(center)
    pc = M.v_add(center, M.v_mul(look, r * 0.8))
    pup = uv_sphere(r * pupil, B, 8, 5)
    pup.scale(1.0, 1.0, 0.6)
    _align_z(pup, look)
    pup.translate(pc)
    return [ball, pup]


def eye_pair(x, y, z, r, spread=0.35, up=0.1, pupil=0.5):
    """Two eyes at (x, +-y, z), looking forward and a little outward."""
    return (eye((x, y, z), r, (1.0, spread, up), pupil)
            + eye((x, -y, z), r, (1.0, -spread, up), pupil))


def eyelid(center, r, look, mat, cover=62.0, up=(0.0, 0.0, 1.0)):
    """A spherical lid over the upper part of an eye (a sleepy, friendly look)."""
    look = M.v_norm(look)
    R = r * 1.1
    prof = []
    for i in range(5):
        a = math.radians(cover * (1.0 - i / 4.0))
        prof.append((R * math.sin(a), R * math.cos(a)))
    prof[-1] = (0.0, R)
    lid = lathe(prof, mat, 10)
    axis = M.v_norm(M.v_add(M.v_norm(up), M.v_mul(look, 0.3)))
    _align_z(lid, axis)
    return lid.translate(center)


def roots(count, top_z, length, r, mat, phase=0.0, n=5):
    """Roots flaring from a trunk at height top_z down to the ground."""
    out = []
    for i in range(count):
        az = phase + 360.0 * i / count + (17.0 if i % 2 else -11.0)
        ln = length * (1.0 if i % 2 == 0 else 0.8)
        path = [(0.0, 0.0, top_z), (ln * 0.5, 0.0, top_z * 0.3), (ln, 0.0, 0.0)]
        t = tube(path, [r, r * 0.75, r * 0.4], mat, n=n)
        t.transform(lambda p: (p[0], p[1], max(p[2], 0.0)))
        out.append(t.rotate_z(az))
    return out


def decal(target, origin, direction, part, inset=0.5):
    """Put `part` (built around the origin with +z as its outward axis) on
    the surface of `target` where the ray from origin along direction hits it,
    aligned with the surface; inset is the fraction of its thickness (along
    its z) that sinks in.  Returns the placed part (or None when the ray misses)."""
    hit = M.raycast(target, origin, direction)
    if hit is None:
        return None
    _t, p, nrm = hit
    lo, hi = part.bounds()
    _align_z(part, nrm)
    return part.translate(M.v_sub(p, M.v_mul(nrm, (hi[2] - lo[2]) * inset + lo[2])))


def moss_patch(size, seed, mat=S):
    """A thin irregular disc (moss, lichen) to put on a surface with decal()."""
    m = cylinder(size, 0.06, mat, 7).scale(1.25, 1.0, 1.0).translate(0, 0, -0.03)
    return m.jitter(size * 0.12, 700 + seed)


def sph_dir(az, el):
    a, e = math.radians(az), math.radians(el)
    return (math.cos(e) * math.cos(a), math.cos(e) * math.sin(a), math.sin(e))


def _align_z(mesh, direction):
    """Rotate mesh (built around +z) so that +z points along direction."""
    d = M.v_norm(direction)
    axis = M.v_cross((0.0, 0.0, 1.0), d)
    s = M.v_len(axis)
    c = d[2]
    if s < 1e-9:
        if c < 0:
            mesh.rotate_x(180)
        return mesh
    mesh.rotate(axis, math.degrees(math.atan2(s, c)))
    return mesh


def rod(a, b, r0, mat, r1=None, n=6):
    """A straight tapered rod from point a to point b."""
    r1 = r0 if r1 is None else r1
    return tube([a, b], [r0, r1], mat, n=n)


def spike(base, direction, length, r, mat, n=5):
    """A cone from base along direction."""
    c = cone(r, length, mat, n=n)
    _align_z(c, direction)
    return c.translate(base)


def crystal(r, body, tip, mat, n=6, base_tip=None):
    """A crystal: an n-sided prism with a pyramid tip (and a buried base tip)."""
    bt = tip * 0.5 if base_tip is None else base_tip
    return lathe([(0.0, -bt), (r, 0.0), (r * 0.92, body), (0.0, body + tip)], mat, n)


def place(mesh, tilt, azimuth, pos):
    """Tilt a part built along +z by `tilt` degrees towards `azimuth`, then move it."""
    mesh.rotate_y(tilt).rotate_z(azimuth)
    return mesh.translate(pos)


def hull_rock(seed, center, radii, count=28, roughness=0.18, mat=P, flat_bottom=None):
    rng = random.Random(seed)
    pts = rock_points(rng, center, radii, count, roughness)
    if flat_bottom is not None:
        pts = [(p[0], p[1], max(p[2], flat_bottom)) for p in pts]
    return convex_hull(pts, mat)


def layered_rock(seed, levels, mats, n=8, jitter=0.12):
    """A rock made of stacked convex layers.  levels: (z, rx, ry, dx, dy) rings
    bottom to top; layer i spans ring i to ring i+1 and gets mats[i]."""
    rng = random.Random(seed)
    rings = []
    for li, (z, rx, ry, dx, dy) in enumerate(levels):
        ring = []
        for k in range(n):
            a = 2 * math.pi * (k + rng.uniform(-0.25, 0.25)) / n
            j = 1.0 + rng.uniform(-jitter, jitter)
            zz = z + (rng.uniform(-0.04, 0.04) if 0 < li < len(levels) - 1 else 0.0)
            ring.append((dx + rx * j * math.cos(a), dy + ry * j * math.sin(a), zz))
        rings.append(ring)
    parts = []
    for i in range(len(levels) - 1):
        pts = rings[i] + rings[i + 1]
        if rings[i + 1] and levels[i + 1][1] < 1e-6:
            pts = rings[i] + [(levels[i + 1][3], levels[i + 1][4], levels[i + 1][0])]
        parts.append(convex_hull(pts, mats[i]))
    return parts


def leaf(length, width, mat, thickness=0.03, bend=0.0):
    """A flat pointed leaf lying along +x in the xy plane (base at origin)."""
    poly = [(0.0, 0.0), (length * 0.3, -width * 0.5), (length * 0.7, -width * 0.35),
            (length, 0.0), (length * 0.7, width * 0.35), (length * 0.3, width * 0.5)]
    m = slab(poly, thickness, mat)
    if bend:
        m.transform(lambda p: (p[0], p[1], p[2] - bend * (p[0] / length) ** 2))
    return m


# ============================================================== plants and trees


def crystal_top_tree():
    trunk = tube(bezier((0, 0, 0), (0.0, 0, 0.6), (0.15, 0, 1.0), (0.05, 0, 1.45), 5),
                 [0.24, 0.18, 0.15, 0.13, 0.12, 0.12], P, n=6)
    rts = roots(4, 0.35, 0.55, 0.13, P, phase=30)
    knob = icosphere(0.26, P, 1).scale(1, 1, 0.8).translate(0.05, 0, 1.5)
    crys = [place(crystal(0.15, 0.75, 0.35, S), 0, 0, (0.05, 0, 1.55))]
    for tilt, az, ln in [(38, 10, 0.6), (44, 80, 0.45), (35, 150, 0.65), (48, 220, 0.5), (40, 290, 0.58)]:
        crys.append(place(crystal(0.11, ln, 0.26, S), tilt, az, (0.05, 0, 1.5)))
    for tilt, az, ln in [(65, 50, 0.3), (70, 190, 0.28), (62, 330, 0.25)]:
        crys.append(place(crystal(0.07, ln, 0.15, S), tilt, az, (0.05, 0, 1.42)))
    return merge(trunk, rts, knob, crys)


def pointy_tree_trunk():
    trunk = lathe([(0.42, 0.0), (0.33, 0.25), (0.27, 0.8), (0.2, 1.5), (0.12, 2.1), (0.0, 2.8)], P, 7)
    trunk.jitter(0.02, 11)
    roots = [place(tube([(0, 0, 0.05), (0.3, 0, 0.02), (0.55, 0, 0.0)], [0.14, 0.09, 0.0], P, n=5),
                   0, a, (0, 0, 0)) for a in (20, 110, 200, 290)]
    bands = [frustum(r + 0.04, r + 0.02, 0.09, S, 7).translate(0, 0, z)
             for z, r in ((0.55, 0.285), (1.15, 0.23), (1.75, 0.165))]
    stubs = [place(cone(0.07, 0.35, S, 5), 70, 40, (0, 0, 1.3)),
             place(cone(0.06, 0.3, S, 5), 65, 220, (0, 0, 1.95)),
             place(cone(0.08, 0.4, S, 5), 75, 140, (0, 0, 0.95))]
    return merge(trunk, roots, bands, stubs)


def cup_tree():
    trunk = tube(bezier((0, 0, 0), (0, 0, 0.5), (-0.15, 0, 0.8), (0, 0, 1.25), 5),
                 [0.2, 0.15, 0.12, 0.11, 0.11, 0.12], P, n=6)
    rts = roots(3, 0.3, 0.45, 0.11, P, phase=60)
    cup = lathe([(0.0, 1.15), (0.22, 1.2), (0.55, 1.42), (0.82, 1.82), (0.86, 1.9),
                 (0.76, 1.9), (0.5, 1.58), (0.0, 1.5)], S, 10)
    nectar = cylinder(0.66, 0.04, P, 10).translate(0, 0, 1.72)
    drops = [icosphere(0.07, P, 0).translate(0.78 * math.cos(math.radians(a)),
                                              0.78 * math.sin(math.radians(a)), 1.87)
             for a in (20, 140, 260)]
    return merge(trunk, rts, cup, nectar, drops)


def hook_shaped_tree():
    path = [(0, 0, 0), (0.0, 0, 0.5), (-0.05, 0, 1.0), (0.0, 0, 1.5)]
    path += arc_path((0.45, 0, 1.6), 0.47, 165, 5, 6)[1:]
    path += [(0.93, 0, 1.45), (0.9, 0, 1.3)]
    radii = [0.24, 0.19, 0.16, 0.14, 0.13, 0.12, 0.11, 0.1, 0.09, 0.085, 0.08, 0.07, 0.06]
    trunk = tube(path, radii[:len(path)], P, n=6)
    rts = roots(3, 0.35, 0.5, 0.13, P, phase=100)
    bulb = lathe([(0.0, 0.0), (0.16, 0.12), (0.24, 0.32), (0.18, 0.5), (0.07, 0.6), (0.0, 0.62)], S, 7)
    bulb.scale(1, 1, -1).translate(0.9, 0, 1.38)
    leaves = [place(leaf(0.45, 0.2, S, bend=0.1), 0, a, (0.45, 0, 2.04)) for a in (60, 120)]
    leaves += [place(leaf(0.35, 0.16, S, bend=0.08), 0, a, (0.05, 0, 1.85)) for a in (150, 250)]
    return merge(trunk, rts, bulb, leaves)


def mushroom_tree():
    stem = lathe([(0.34, 0.0), (0.24, 0.25), (0.2, 0.7), (0.21, 1.1), (0.3, 1.3)], P, 8)
    skirt = torus(0.24, 0.05, P, 10, 5).translate(0, 0, 0.95)
    prof = [(0.0, 1.22), (0.98, 1.18), (1.05, 1.32), (0.92, 1.62), (0.55, 1.88), (0.0, 1.97)]
    cap = lathe(prof, S, 10)
    gills = lathe([(0.25, 1.2), (0.9, 1.17), (0.25, 1.27)], P, 10)
    spots = []
    rng = random.Random(5)
    for r, a in [(0.0, 0), (0.55, 20), (0.55, 110), (0.55, 200), (0.55, 290),
                 (0.85, 65), (0.85, 155), (0.85, 245), (0.85, 335)]:
        # height of the cap surface at radius r
        z = _profile_z(prof, r) - 0.02
        sp = icosphere(0.09 + rng.uniform(0, 0.04), W, 1).scale(1, 1, 0.45)
        tilt = 0 if r == 0 else (35 if r < 0.7 else 55)
        spots.append(place(sp, tilt, a, (r * math.cos(math.radians(a)), r * math.sin(math.radians(a)), z)))
    return merge(stem, skirt, cap, gills, spots)


def _profile_z(prof, r):
    """Top-side z of a lathe dome profile at radius r (profile from rim to apex)."""
    top = [p for p in prof if p[1] >= prof[2][1]]
    top = sorted(top, key=lambda p: p[0])
    for (r0, z0), (r1, z1) in zip(top, top[1:]):
        if r0 <= r <= r1:
            t = (r - r0) / (r1 - r0) if r1 > r0 else 0.0
            return z0 + (z1 - z0) * t
    return top[0][1]


def spike_plant_with_eye():
    base = lathe([(0.45, 0.0), (0.42, 0.12), (0.3, 0.26), (0.0, 0.32)], P, 8)
    spikes = []
    for i in range(9):
        az = i * 40 + 10
        tilt = 30 + (i % 3) * 12
        ln = 0.75 + ((i * 7) % 5) * 0.08
        spikes.append(place(cone(0.09, ln, S, 5), tilt, az, (0, 0, 0.12)))
    stalk = tube(bezier((0, 0, 0.1), (0, 0, 0.6), (0.1, 0, 0.9), (0.05, 0, 1.25), 4),
                 [0.11, 0.1, 0.09, 0.085, 0.08], P, n=6)
    cupm = lathe([(0.0, 1.12), (0.18, 1.16), (0.3, 1.3), (0.33, 1.42), (0.26, 1.42), (0.0, 1.3)], P, 8)
    cupm.translate(0.05, 0, 0)
    petals = [place(cone(0.07, 0.3, S, 4), 62, a, (0.05, 0, 1.35)) for a in range(0, 360, 60)]
    ball = eye((0.07, 0, 1.45), 0.27, (1.0, -0.1, 0.35), pupil=0.6)
    return merge(base, spikes, stalk, cupm, petals, ball)


def egg_tree_large_base():
    base = lathe([(0.85, 0.0), (0.9, 0.12), (0.78, 0.4), (0.5, 0.7), (0.26, 0.95), (0.17, 1.25),
                  (0.15, 1.6), (0.0, 1.7)], P, 9)
    base.jitter(0.025, 21)
    rts = roots(5, 0.3, 1.2, 0.15, P, phase=0)
    prof = []
    for i in range(9):
        t = math.pi * i / 8
        prof.append((0.68 * math.sin(t) * (1.0 + 0.18 * math.cos(t)), -0.88 * math.cos(t)))
    egg = lathe(prof, S, 10).translate(0, 0, 2.35)
    spots = []
    for i, (az, el) in enumerate(((0, 10), (70, -20), (140, 25), (210, -5), (290, 15), (35, 50), (250, 45))):
        sp = icosphere(0.09, P, 1).scale(1, 1, 0.4)
        spots.append(decal(egg, (0, 0, 2.35), sph_dir(az, el), sp, 0.5))
    return merge(base, rts, egg, spots)


def pointy_mushroom_like_tree():
    stem = tube(bezier((0, 0, 0), (0, 0, 0.6), (0.15, 0, 0.9), (0.05, 0, 1.35), 5),
                [0.26, 0.19, 0.16, 0.15, 0.15, 0.17], P, n=7)
    rts = roots(3, 0.3, 0.45, 0.12, P, phase=0)
    prof = [(0.0, 1.25), (0.95, 1.12), (1.0, 1.22), (0.6, 1.55), (0.3, 1.95), (0.12, 2.35), (0.0, 2.6)]
    cap = lathe(prof, S, 9).translate(0.05, 0, 0)
    for p in cap.v:  # the apex bends a little backwards: a curled witch-hat tip
        if p[2] > 1.9:
            k = (p[2] - 1.9) / 0.7
            p[0] -= 0.35 * k * k
    under = lathe([(0.2, 1.22), (0.9, 1.13), (0.2, 1.32)], P, 9).translate(0.05, 0, 0)
    # a band hugging the cap between z 1.36 and 1.46
    band = lathe([(0.86, 1.33), (0.88, 1.38), (0.8, 1.45), (0.72, 1.47)], P, 9).translate(0.05, 0, 0)
    return merge(stem, rts, cap, under, band)


def empty_lolypop_plant():
    stick = tube(bezier((0, 0, 0), (0, 0, 0.5), (0.08, 0, 0.9), (0.0, 0, 1.25), 4),
                 [0.08, 0.07, 0.065, 0.06, 0.06], P, n=6)
    R, cz = 0.42, 1.25 + 0.42 + 0.05
    segs = []
    count = 12
    for i in range(count):
        a0 = 360.0 * i / count
        path = arc_path((0.0, 0.0, 0.0), R, a0, a0 + 360.0 / count, 2, plane="xz")
        seg = tube(path, 0.12, S if i % 2 == 0 else P, n=6)
        segs.append(seg)
    ring = merge(segs).rotate_z(25).translate(0, 0, cz)
    knot = icosphere(0.1, P, 1).translate(0, 0, 1.25)
    leaves = [place(leaf(0.45, 0.18, P, bend=-0.12), 0, a, (0, 0, 0.05)) for a in (30, 150, 270)]
    return merge(stick, ring, knot, leaves)


def lily_pineapple():
    pads = []
    for i, (a, r, rad) in enumerate(((20, 0.55, 0.42), (140, 0.6, 0.38), (260, 0.58, 0.45))):
        pts = ngon(rad, 10)
        poly = [pts[k] for k in range(10) if k != 0] + [(rad * 0.1, 0.0)]
        pad = extrude(poly, 0.05, S).rotate_z(a + 200)
        pads.append(pad.translate(r * math.cos(math.radians(a)), r * math.sin(math.radians(a)), 0))
    # pineapple body: rings with alternating phase give diamond scales
    rings = []
    n = 8
    prof = [(0.0, 0.05), (0.3, 0.1), (0.42, 0.3), (0.46, 0.55), (0.42, 0.8), (0.3, 1.0), (0.16, 1.08)]
    for i, (r, z) in enumerate(prof):
        if r <= 0:
            rings.append([(0.0, 0.0, z)])
        else:
            rings.append(circle_pts(r, n, z, phase=(i % 2) * 22.5))
    body = rings_mesh(rings, P)
    studs = []
    for i, (r, z) in enumerate(prof[2:5]):
        for k in range(n):
            a = 360.0 * k / n + ((i + 2) % 2) * 22.5
            studs.append(place(cone(0.05, 0.08, S, 4), 90, a,
                               (r * math.cos(math.radians(a)), r * math.sin(math.radians(a)), z)))
    crown = []
    for i in range(8):
        az = i * 45
        tilt = 20 + (i % 2) * 18
        ln = 0.55 + (i % 3) * 0.12
        lf = tube([(0, 0, 0), (0, 0, ln * 0.5), (0, 0, ln)], [0.07, 0.05, 0.0], S, n=4, ry_scale=0.35)
        crown.append(place(lf, tilt, az, (0, 0, 1.02)))
    return merge(pads, body, crown, studs)


def tree_with_sphere_and_thick_branch_loop():
    trunk = tube(bezier((0, 0, 0), (0, 0, 0.7), (-0.1, 0, 1.3), (0, 0, 1.85), 5),
                 [0.26, 0.2, 0.17, 0.16, 0.15, 0.15], P, n=7)
    rts = roots(3, 0.35, 0.5, 0.13, P, phase=50)
    loop = tube(arc_path((0.5, 0, 1.1), 0.45, 0, 360, 16)[:-1], 0.15, P, n=7, closed=True)
    ball = icosphere(0.6, S, 1).translate(0, 0, 2.3)
    ball.jitter(0.03, 31)
    small = icosphere(0.2, S, 1).translate(0.98, 0, 1.1)
    return merge(trunk, rts, loop, ball, small)


def two_cylinder_alien_cactus_with_spikes():
    parts = []
    parts_layout = [((-0.18, -0.1), 0.32, 1.6), ((0.33, 0.22), 0.25, 1.0)]
    for (cx, cy), r, h in parts_layout:
        body = lathe([(r, 0.0), (r * 1.02, h * 0.5), (r, h), (r * 0.75, h + r * 0.45), (0.0, h + r * 0.6)], P, 8)
        parts.append(body.translate(cx, cy, 0))
        rows = int(h / 0.25)
        for j in range(rows):
            z = 0.22 + j * 0.25
            for k in range(8):
                a = 360.0 * k / 8 + (j % 2) * 22.5
                d = (math.cos(math.radians(a)), math.sin(math.radians(a)), 0.25)
                base = (cx + r * 0.95 * d[0], cy + r * 0.95 * d[1], z)
                parts.append(spike(base, d, 0.16, 0.03, S, n=4))
        for k in range(5):
            a = 72 * k
            d = (math.cos(math.radians(a)), math.sin(math.radians(a)), 1.2)
            parts.append(spike((cx + r * 0.5 * d[0], cy + r * 0.5 * d[1], h + r * 0.35), d, 0.14, 0.03, S, n=4))
    # a little alien flower on the tall one
    fx, fy, fz = -0.18, -0.1, 1.6 + 0.32 * 0.6
    parts += [place(ellipsoid(0.12, 0.06, 0.03, "LightMagenta", 6, 4).translate(0.1, 0, 0), 20, a,
                    (fx, fy, fz)) for a in range(0, 360, 72)]
    parts.append(icosphere(0.06, "Yellow", 1).translate(fx, fy, fz + 0.03))
    return merge(parts)


def pointy_tree_with_plates():
    trunk = lathe([(0.28, 0.0), (0.2, 0.3), (0.16, 1.0), (0.1, 2.0), (0.0, 2.9)], P, 6)
    rts = roots(3, 0.3, 0.45, 0.1, P, phase=0)
    plates = []
    for i, (z, r) in enumerate(((0.7, 0.85), (1.15, 0.7), (1.58, 0.55), (1.98, 0.4), (2.35, 0.26))):
        pl = slab(ngon(r, 6, phase=30 * (i % 2)), 0.07, S, bevel=0.12)
        pl.rotate_x(6 if i % 2 else -6)
        plates.append(pl.translate(0, 0, z))
    return merge(trunk, rts, plates)


def tube_plant():
    parts = []
    parts_layout = [((0.0, 0.0), 0.2, 1.55, 0, 0), ((0.33, 0.12), 0.15, 1.05, 14, 20),
             ((-0.05, 0.36), 0.16, 1.2, 12, 100), ((-0.34, 0.05), 0.17, 0.9, 15, 180),
             ((0.05, -0.35), 0.15, 1.3, 12, 270), ((0.34, -0.26), 0.12, 0.7, 18, 320),
             ((-0.3, -0.33), 0.11, 0.6, 20, 225)]
    for (x, y), r, h, tilt, az in parts_layout:
        body = lathe([(r * 1.15, 0.0), (r, 0.15), (r * 0.92, h * 0.6), (r * 1.05, h)], P, 8)
        rim = torus(r * 0.93, r * 0.22, S, 8, 4).translate(0, 0, h)
        hole = cylinder(r * 0.78, 0.02, B, 8).translate(0, 0, h - 0.005)
        part = merge(body, rim, hole)
        place(part, tilt, az, (x, y, 0.0))
        parts.append(part)
    base = lathe([(0.62, 0.0), (0.55, 0.12), (0.3, 0.22), (0.0, 0.25)], P, 9)
    return merge(parts, base)


def _tulip(center, direction, size):
    """A tulip flower: five pointed petals round a cup, opening along direction."""
    parts = []
    cupm = lathe([(0.0, 0.0), (0.13, 0.05), (0.17, 0.2), (0.0, 0.22)], S, 6).scale(size)
    parts.append(cupm)
    for k in range(5):
        pet = ellipsoid(0.1, 0.045, 0.26, S, 6, 4).translate(0, 0, 0.22)
        pet.rotate_y(18).translate(0.1, 0, 0).rotate_z(72 * k + 10)
        parts.append(pet.scale(size))
    parts.append(cone(0.05 * size, 0.35 * size, "Yellow", 5))
    fl = merge(parts)
    _align_z(fl, direction)
    return fl.translate(center)


def double_tuliplike_plant():
    stem = tube([(0, 0, 0), (0, 0, 0.3), (0.02, 0, 0.6)], [0.08, 0.07, 0.065], P, n=6)
    a = tube(bezier((0.02, 0, 0.55), (0.1, 0.05, 0.95), (0.35, 0.2, 1.2), (0.38, 0.22, 1.55), 5),
             0.05, P, n=6)
    b = tube(bezier((0.02, 0, 0.55), (-0.05, -0.05, 0.85), (-0.3, -0.25, 0.95), (-0.33, -0.28, 1.2), 5),
             0.05, P, n=6)
    f1 = _tulip((0.38, 0.22, 1.5), (0.1, 0.05, 1.0), 1.25)
    f2 = _tulip((-0.33, -0.28, 1.15), (-0.2, -0.2, 1.0), 1.1)
    leaves = [place(leaf(0.75, 0.22, P, thickness=0.04, bend=-0.25), 0, az, (0, 0, 0.08)).rotate_z(0)
              for az in (60, 200, 320)]
    for lf in leaves:
        lf.transform(lambda p: (p[0], p[1], max(p[2], 0.0) + 0.25 * math.hypot(p[0], p[1]) *
                                (1.0 - math.hypot(p[0], p[1]) / 0.8)))
    return merge(stem, a, b, f1, f2, leaves)


def pointy_tree_trunk_that_splits():
    trunk = lathe([(0.4, 0.0), (0.3, 0.3), (0.27, 0.8), (0.3, 1.05), (0.2, 1.2)], P, 7)
    roots = [place(tube([(0, 0, 0.05), (0.35, 0, 0.02), (0.6, 0, 0.0)], [0.13, 0.08, 0.0], P, n=5),
                   0, a, (0, 0, 0)) for a in (40, 160, 280)]
    tines = []
    for az, lean, top in ((0, 0.42, 2.5), (120, 0.35, 2.15), (240, 0.48, 2.3)):
        ca, sa = math.cos(math.radians(az)), math.sin(math.radians(az))
        path = bezier((0, 0, 1.0), (0.05 * ca, 0.05 * sa, 1.4), (lean * ca, lean * sa, 1.5),
                      (lean * 1.1 * ca, lean * 1.1 * sa, top), 5)
        cut = 4
        tines.append(tube(path[:cut + 1], [0.2, 0.17, 0.14, 0.12, 0.1][:cut + 1], P, n=6))
        tip = [path[cut], path[5]]
        tines.append(tube(tip, [0.1, 0.0], S, n=6))
    return merge(trunk, roots, tines)


def tree_with_large_base_and_multiple_trunks():
    base = lathe([(1.0, 0.0), (1.0, 0.15), (0.85, 0.42), (0.55, 0.66), (0.25, 0.78), (0.0, 0.82)], P, 10)
    base.jitter(0.04, 41)
    parts = [base]
    parts_layout = [((0.0, 0.0), 2.45, 0.17, 0.48, 0), ((0.45, 0.25), 1.75, 0.13, 0.38, 15),
             ((-0.35, 0.4), 1.55, 0.12, 0.34, 18), ((-0.25, -0.45), 2.0, 0.14, 0.42, 12),
             ((0.42, -0.35), 1.3, 0.11, 0.3, 20)]
    for i, ((x, y), h, r, cr, tilt) in enumerate(parts_layout):
        az = math.degrees(math.atan2(y, x)) if (x or y) else 0
        t = tube([(0, 0, 0), (0, 0, h * 0.5), (0, 0, h)], [r, r * 0.8, r * 0.65], P, n=6)
        place(t, tilt, az, (x, y, 0.3))
        parts.append(t)
        canopy = icosphere(cr, S, 1).scale(1, 1, 0.85)
        canopy.jitter(cr * 0.08, 50 + i)
        tipc = _tube_top(t)
        parts.append(canopy.translate(tipc[0], tipc[1], tipc[2] + cr * 0.55))
    return merge(parts)


def _tube_top(m):
    """Highest vertex region centre of a part (the end of a tube)."""
    zmax = max(p[2] for p in m.v)
    top = [p for p in m.v if p[2] > zmax - 0.05]
    return (sum(p[0] for p in top) / len(top), sum(p[1] for p in top) / len(top), zmax)


def plant_with_twisted_stem():
    path = []
    for i in range(13):
        t = i / 12.0
        path.append((0.14 * math.sin(t * 5.0) * t, 0.14 * (math.cos(t * 5.0) - 1) * t, 1.8 * t))
    stem = tube(path, [0.12 - 0.04 * (i / 12.0) for i in range(13)], P, n=4, twist=540)
    top = path[-1]
    bud = lathe([(0.0, 0.0), (0.22, 0.1), (0.3, 0.3), (0.22, 0.5), (0.0, 0.62)], S, 8)
    bud.rotate_z(10)
    petals = [place(ellipsoid(0.26, 0.1, 0.04, S, 6, 4).translate(0.24, 0, 0), 20, a, (0, 0, 0.12))
              for a in range(0, 360, 72)]
    head = merge(bud, petals).translate(top)
    leaves = [place(leaf(0.5, 0.2, P, bend=-0.15), -20, az, path[idx])
              for az, idx in ((40, 4), (200, 7), (310, 10))]
    base = lathe([(0.3, 0.0), (0.22, 0.1), (0.0, 0.16)], P, 7)
    return merge(stem, head, leaves, base)


def pentagon_plant():
    stem = tube(bezier((0, 0, 0), (0, 0, 0.4), (0.08, 0, 0.8), (0.03, 0, 1.2), 5), 0.07, P, n=5)
    base_leaves = [place(slab(ngon(0.24, 5, 18), 0.05, P).translate(0.32, 0, 0), 0, az, (0, 0, 0.06))
                   for az in (0, 120, 240)]
    mid_leaves = [place(slab(ngon(0.16, 5, 18), 0.04, P).translate(0.2, 0, 0).rotate_y(-25), 0, az,
                        (0.05, 0, 0.65)) for az in (60, 240)]
    head = []
    head.append(extrude(ngon(0.17, 5, 90), 0.14, S).translate(0, 0, -0.05))
    for k in range(5):
        a = 72 * k + 90
        pet = slab(ngon(0.2, 5, 0), 0.05, S, bevel=0.1).translate(0.34, 0, 0).rotate_y(-28)
        head.append(pet.rotate_z(a))
    head.append(cone(0.12, 0.3, "Yellow", 5, phase=90).translate(0, 0, 0.08))
    hd = merge(head).rotate_y(-15).translate(0.03, 0, 1.22)
    return merge(stem, base_leaves, mid_leaves, hd)


def pear_shaped_rock_plant():
    body = lathe([(0.0, 0.0), (0.42, 0.03), (0.58, 0.28), (0.55, 0.58), (0.36, 0.86), (0.25, 1.1),
                  (0.2, 1.3), (0.0, 1.42)], P, 9)
    body.jitter(0.04, 61)
    sprout = tube([(0, 0, 1.35), (0.03, 0, 1.55), (0.0, 0, 1.7)], [0.05, 0.04, 0.035], S, n=5)
    leaves = [place(leaf(0.32, 0.16, S, bend=-0.1), -15, az, (0.0, 0, 1.62)) for az in (20, 140, 260)]
    pebbles = [hull_rock(70 + i, (0.75 * math.cos(math.radians(a)), 0.75 * math.sin(math.radians(a)), 0.08),
                         (0.14, 0.12, 0.1), 14, 0.2, S, flat_bottom=0.0)
               for i, a in enumerate((40, 190, 300))]
    crack = [rod((0.55, -0.1, 0.25), (0.4, 0.05, 0.75), 0.025, S, n=4),
             rod((0.4, 0.05, 0.75), (0.3, -0.05, 1.0), 0.02, S, n=4)]
    return merge(body, sprout, leaves, pebbles, crack)


def berry():
    rng = random.Random(81)
    clumps = []
    for i, (x, y, z, r) in enumerate(((0, 0, 0.42, 0.48), (0.38, 0.2, 0.3, 0.32), (-0.35, 0.25, 0.3, 0.34),
                                      (0.05, -0.4, 0.3, 0.34), (-0.3, -0.25, 0.28, 0.3))):
        c = icosphere(r, P, 1).scale(1, 1, 0.85)
        c.jitter(r * 0.1, 90 + i)
        clumps.append(c.translate(x, y, z))
    berries = []
    for i, (x, y, z) in enumerate(((0.25, 0.0, 0.8), (-0.1, 0.25, 0.85), (0.05, -0.25, 0.82),
                                   (0.55, 0.3, 0.5), (-0.5, 0.35, 0.5), (0.2, -0.55, 0.45),
                                   (-0.45, -0.35, 0.45), (-0.2, -0.05, 0.95))):
        r = 0.15 + rng.uniform(0, 0.03)
        berries.append(icosphere(r, S, 1).translate(x, y, z))
        berries.append(cone(0.03, 0.08, "Black", 4).translate(x, y, z + r - 0.02))
    return merge(clumps, berries)


def tree_stump_with_cutout():
    n = 12
    r = 0.6
    poly = []
    for k in range(n + 1):
        a = math.radians(35 + (360 - 70) * k / n)
        poly.append((r * math.cos(a), r * math.sin(a)))
    poly.append((0.1, 0.0))
    stump = extrude(poly, 0.75, P)
    stump.jitter(0.02, 95)
    stump.transform(lambda p: (p[0] * (1.0 + 0.15 * (0.75 - p[2])), p[1] * (1.0 + 0.15 * (0.75 - p[2])), p[2]))
    top = extrude([(x * 0.88, y * 0.88) for x, y in poly], 0.05, S).translate(0, 0, 0.73)
    ring = extrude([(x * 0.5, y * 0.5) for x, y in poly], 0.07, "Brown").translate(0, 0, 0.73)
    rts = roots(4, 0.35, 0.95, 0.17, P, phase=110)
    sprout = [tube([(-0.2, 0.2, 0.75), (-0.22, 0.22, 1.05)], [0.03, 0.02], S, n=4),
              place(leaf(0.2, 0.1, S), -20, 120, (-0.22, 0.22, 1.03))]
    return merge(stump, top, ring, rts, sprout)


# ============================================================== rocks and crystals


def rock_square():
    rng = random.Random(101)
    pts = []
    for sx in (-1, 1):
        for sy in (-1, 1):
            for sz in (0, 1):
                for axis in range(3):
                    # chamfered corners: three points per corner
                    c = [sx * 0.62, sy * 0.52, sz * 0.95]
                    ch = rng.uniform(0.1, 0.22)
                    if axis == 0:
                        c[0] -= sx * ch
                    elif axis == 1:
                        c[1] -= sy * ch
                    else:
                        c[2] += (ch if sz == 0 else -ch)
                    if sz == 1:
                        c[2] += 0.12 * sx - 0.05 * sy  # a slanted top
                    pts.append((c[0] + rng.uniform(-0.07, 0.07), c[1] + rng.uniform(-0.07, 0.07),
                                max(0.0, c[2] + rng.uniform(-0.06, 0.06))))
    main = convex_hull(pts, P)
    pts2 = []
    for sx in (-1, 1):
        for sy in (-1, 1):
            for sz in (0, 1):
                for axis in range(2):
                    c = [sx * 0.26, sy * 0.22, sz * 0.4]
                    c[axis] -= (sx if axis == 0 else sy) * 0.06
                    pts2.append((c[0] + rng.uniform(-0.03, 0.03), c[1] + rng.uniform(-0.03, 0.03),
                                 c[2] + rng.uniform(-0.03, 0.03)))
    small = convex_hull(pts2, S).rotate_z(25).rotate_y(-10).translate(0.78, -0.42, 0.0)
    small.translate(0, 0, -min(p[2] for p in small.v))
    pts3 = [(p[0] * 0.5, p[1] * 0.55, p[2] * 0.55) for p in pts2]
    tiny = convex_hull(pts3, S).rotate_z(-20).translate(-0.75, 0.45, 0.0)
    tiny.translate(0, 0, -min(p[2] for p in tiny.v))
    moss = []
    for i, (az, el, s) in enumerate(((20, 70, 0.22), (150, 60, 0.18), (260, 75, 0.15), (80, 30, 0.12))):
        patch = moss_patch(s, i)
        moss.append(decal(main, (0, 0, 0.5), sph_dir(az, el), patch, 0.4))
    return merge(main, small, tiny, moss)


def rock_tall():
    levels = [(0.0, 0.6, 0.5, 0, 0), (0.6, 0.5, 0.42, 0.03, 0), (1.3, 0.36, 0.32, 0.06, 0.02),
              (1.9, 0.24, 0.22, 0.04, 0.04), (2.3, 0.0, 0.0, 0.02, 0.05)]
    parts = layered_rock(111, levels, [P, P, P, P], n=7)
    band = layered_rock(112, [(0.95, 0.46, 0.4, 0.045, 0.01), (1.1, 0.43, 0.37, 0.05, 0.013)], [S], n=7,
                        jitter=0.02)
    pebbles = [hull_rock(113 + i, (0.7 * math.cos(math.radians(a)), 0.7 * math.sin(math.radians(a)), 0.1),
                         (0.16, 0.14, 0.12), 14, 0.2, S, flat_bottom=0.0)
               for i, a in enumerate((-30, 120, 230))]
    return merge(parts, band, pebbles)


def rock_round():
    rng = random.Random(121)
    pts = rock_points(rng, (0, 0, 0.5), (0.8, 0.72, 0.6), 34, 0.14)
    pts = [(p[0], p[1], max(p[2], 0.0)) for p in pts]
    main = convex_hull(pts, P)
    moss = []
    for i, (az, el, s) in enumerate(((10, 75, 0.2), (130, 55, 0.15), (240, 60, 0.17), (300, 35, 0.1),
                                     (60, 40, 0.1))):
        patch = moss_patch(s, i)
        moss.append(decal(main, (0, 0, 0.45), sph_dir(az, el), patch, 0.4))
    pebble = hull_rock(122, (0.85, 0.5, 0.1), (0.2, 0.17, 0.13), 14, 0.2, S, flat_bottom=0.0)
    return merge(main, moss, pebble)


def rock_sideways():
    levels = [(0.0, 0.55, 0.45, 0, 0), (0.55, 0.6, 0.5, 0.03, 0), (0.72, 0.58, 0.48, 0.03, 0.02),
              (1.25, 0.5, 0.42, 0.06, 0.04), (1.4, 0.48, 0.4, 0.07, 0.04), (1.95, 0.32, 0.3, 0.08, 0.05),
              (2.3, 0.0, 0.0, 0.06, 0.06)]
    parts = layered_rock(131, levels, [P, S, P, S, P, P], n=7, jitter=0.16)
    rock = merge(parts).rotate_x(-45).rotate_z(-20)
    zb = 0.25
    rock.transform(lambda p: (p[0], p[1], max(p[2], zb)))
    return rock.translate(0, 0, -zb)


def rock_tall_flat():
    levels = [(0.0, 0.55, 0.22, 0, 0), (0.8, 0.6, 0.24, 0.02, 0), (1.6, 0.5, 0.2, 0.05, 0),
              (1.95, 0.42, 0.17, 0.06, 0), (2.2, 0.16, 0.09, 0.08, 0)]
    parts = layered_rock(141, levels, [P, P, P, S], n=8, jitter=0.08)
    moss = layered_rock(142, [(0.0, 0.26, 0.3, 0.45, 0.05), (0.25, 0.18, 0.2, 0.42, 0.05),
                              (0.32, 0.0, 0.0, 0.4, 0.05)], [S, S], n=6)
    return merge(parts, moss).rotate_z(90)


def rock_with_cutout():
    path = arc_path((0.0, 0.0, 0.0), 0.85, 196, -16, 10, plane="yz")
    radii = [0.4, 0.34, 0.29, 0.26, 0.25, 0.24, 0.25, 0.26, 0.29, 0.34, 0.4]
    arch = tube(path, radii, P, n=7, ry_scale=1.35)
    arch.jitter(0.05, 151)
    arch.transform(lambda p: (p[0], p[1], max(p[2], 0.0)))
    moss = []
    for i, (y, s) in enumerate(((-0.3, 0.22), (0.15, 0.26), (0.55, 0.16))):
        patch = moss_patch(s, i)
        moss.append(decal(arch, (0.05 * i, y, 2.5), (0, 0, -1), patch, 0.4))
    pebbles = [hull_rock(152 + i, (x, y, 0.1), (0.17, 0.15, 0.12), 14, 0.2, S, flat_bottom=0.0)
               for i, (x, y) in enumerate(((0.45, -0.95), (-0.4, 1.0)))]
    return merge(arch, moss, pebbles)


def rock_with_plates():
    core = hull_rock(161, (0, 0, 0.42), (0.75, 0.65, 0.48), 30, 0.15, P, flat_bottom=0.0)
    plates = []
    for tilt, az, ln, d, z in ((30, 15, 0.85, 0.25, 0.5), (42, 95, 0.7, 0.3, 0.45), (25, 180, 0.8, 0.25, 0.5),
                               (45, 265, 0.65, 0.3, 0.45), (12, 320, 0.95, 0.15, 0.55)):
        poly = [(-0.2, -0.1), (0.2, -0.1), (0.24, ln * 0.55), (0.06, ln), (-0.18, ln * 0.7)]
        pl = slab(poly, 0.07, S).rotate_x(90)  # the plate stands in the xz plane, growing along +z
        pl.rotate_y(tilt).rotate_z(az)          # lean it outwards, then turn it to its azimuth
        plates.append(pl.translate(d * math.cos(math.radians(az)), d * math.sin(math.radians(az)), z))
    return merge(core, plates)


def pile_of_spheres():
    parts = []
    r = 0.36
    ring = []
    for k in range(5):
        a = 2 * math.pi * k / 5
        ring.append((0.55 * math.cos(a), 0.55 * math.sin(a), r))
    for i, c in enumerate(ring):
        parts.append(icosphere(r, P if i % 2 == 0 else S, 1).translate(c))
    mid = []
    for k in range(3):
        a = 2 * math.pi * k / 3 + 0.5
        mid.append((0.3 * math.cos(a), 0.3 * math.sin(a), r + 0.52))
    for i, c in enumerate(mid):
        parts.append(icosphere(0.32, S if i % 2 == 0 else P, 1).translate(c))
    parts.append(icosphere(0.3, S, 1).translate(0, 0, r + 1.0))
    parts.append(icosphere(0.22, P, 1).translate(0.06, 0.02, 1.74))
    return merge(parts)


def crystals():
    base = hull_rock(171, (0, 0, 0.1), (0.7, 0.6, 0.3), 24, 0.15, S, flat_bottom=0.0)
    parts = [base]
    for r, ln, tilt, az, off in ((0.2, 1.2, 5, 0, (0, 0)), (0.15, 0.85, 32, 20, (0.15, 0.05)),
                                 (0.14, 0.75, 38, 110, (0.0, 0.15)), (0.16, 0.95, 30, 200, (-0.15, 0)),
                                 (0.12, 0.6, 45, 290, (0.02, -0.15)), (0.1, 0.5, 55, 60, (0.25, 0.25)),
                                 (0.11, 0.55, 50, 250, (-0.2, -0.2))):
        c = crystal(r, ln, r * 1.8, P)
        parts.append(place(c, tilt, az, (off[0], off[1], 0.25)))
    return merge(parts)


def large_crystal_with_base():
    base = layered_rock(181, [(0.0, 0.85, 0.75, 0, 0), (0.3, 0.78, 0.68, 0, 0), (0.55, 0.45, 0.4, 0, 0)],
                        [S, S], n=9, jitter=0.1)
    big = place(crystal(0.36, 1.7, 0.55, P, n=6, base_tip=0.2), 8, 30, (0, 0, 0.4))
    small = [place(crystal(0.14, 0.55, 0.25, P, n=6, base_tip=0.1), 40, 200, (-0.2, -0.05, 0.4)),
             place(crystal(0.11, 0.4, 0.2, P, n=6, base_tip=0.1), 45, 320, (0.1, -0.3, 0.35))]
    return merge(base, big, small)


def three_pentagonal_crystals():
    parts = []
    for i, (r, ln, tilt, az, x, y) in enumerate(((0.3, 1.6, 6, 200, 0.0, 0.0), (0.24, 1.05, 25, 340, 0.3, -0.25),
                                                 (0.22, 0.75, 32, 90, 0.1, 0.4))):
        c = crystal(r, ln, r * 1.5, P, n=5, base_tip=0.01).rotate_z(i * 20)
        parts.append(place(c, tilt, az, (x, y, 0.08)))
    for i, (x, y) in enumerate(((-0.35, 0.3), (0.45, 0.2), (-0.25, -0.35))):
        parts.append(hull_rock(190 + i, (x, y, 0.08), (0.2, 0.17, 0.13), 14, 0.2, S, flat_bottom=0.0))
    base = hull_rock(195, (0.05, 0.05, 0.05), (0.65, 0.6, 0.15), 20, 0.1, S, flat_bottom=0.0)
    return merge(parts, base)


def rock_with_eyes():
    rng = random.Random(221)
    pts = rock_points(rng, (0, 0, 0.6), (0.62, 0.55, 0.5), 30, 0.12)
    body = convex_hull(pts, P)
    c = (0.0, 0.0, 0.62)
    parts = [body]
    for s in (1, -1):
        _t, p, n = M.raycast(body, c, (1.0, s * 0.42, 0.32))
        ec = M.v_sub(p, M.v_mul(n, 0.05))
        parts += eye(ec, 0.17, (1.0, s * 0.25, 0.1))
        parts.append(eyelid(ec, 0.17, (1.0, s * 0.25, 0.1), P, cover=55))
    mouth = ellipsoid(0.11, 0.05, 0.03, B, 8, 4)
    parts.append(decal(body, c, (1.0, 0.0, -0.35), mouth, 0.3))
    feet = [ellipsoid(0.16, 0.12, 0.1, S, 7, 4).translate(x, y, 0.1)
            for x, y in ((0.25, 0.28), (0.25, -0.28), (-0.3, 0.28), (-0.3, -0.28))]
    parts += feet
    # a tuft of little crystals sprouting from the top of its head
    _t, top, _n = M.raycast(body, c, (-0.2, 0.0, 1.0))
    for tilt, az, ln in ((8, 0, 0.32), (35, 150, 0.22), (38, 250, 0.2), (40, 40, 0.16)):
        parts.append(place(crystal(0.07, ln, 0.12, S, n=5), tilt, az, M.v_sub(top, (0, 0, 0.05))))
    return merge(parts)


# ============================================================== creatures


def three_legged_spider_like():
    body = ellipsoid(0.32, 0.28, 0.22, P, 8, 6).translate(0.15, 0, 0.95)
    abdomen = ellipsoid(0.5, 0.42, 0.4, S, 10, 7).rotate_y(-15).translate(-0.45, 0, 1.15)
    spots = []
    for az, el, s in ((180, 55, 0.14), (150, 35, 0.09), (210, 35, 0.09), (180, 20, 0.07), (120, 60, 0.07),
                      (240, 60, 0.07)):
        spots.append(decal(abdomen, (-0.45, 0, 1.15), sph_dir(az, el), icosphere(s, P, 1).scale(1, 1, 0.35), 0.5))
    legs = []
    for az in (60, -60, 180):
        ca, sa = math.cos(math.radians(az)), math.sin(math.radians(az))
        hip = (0.0 + 0.2 * ca, 0.2 * sa, 0.95)
        knee = (0.75 * ca, 0.75 * sa, 1.5)
        ankle = (1.05 * ca, 1.05 * sa, 0.45)
        foot = (1.12 * ca, 1.12 * sa, 0.0)
        legs.append(tube([hip, knee], [0.08, 0.065], P, n=6))
        legs.append(icosphere(0.075, S, 0).translate(knee))
        legs.append(tube([knee, ankle, foot], [0.065, 0.05, 0.03], P, n=6))
        legs.append(icosphere(0.07, S, 0).scale(1, 1, 0.6).translate(foot[0], foot[1], 0.04))
    eyes = eye_pair(0.38, 0.12, 1.05, 0.1, 0.3, 0.2) + eye_pair(0.42, 0.07, 1.2, 0.06, 0.2, 0.4)
    fangs = [spike((0.42, y, 0.85), (0.4, 0.0, -1.0), 0.16, 0.04, B, 4) for y in (0.07, -0.07)]
    return merge(body, abdomen, spots, legs, eyes, fangs)


def ant_eater_elephant_like_creature():
    body = ellipsoid(0.62, 0.42, 0.42, P, 10, 7).translate(-0.05, 0, 0.92)
    back = icosphere(0.3, S, 1).scale(1.3, 0.9, 0.5).translate(-0.1, 0, 1.3)
    legs = []
    for x in (0.32, -0.4):
        for y in (0.26, -0.26):
            legs.append(frustum(0.15, 0.13, 0.8, P, 7).translate(x, y, 0.0))
            legs.append(frustum(0.17, 0.15, 0.1, S, 7).translate(x, y, 0.0))
    head = ellipsoid(0.32, 0.28, 0.3, P, 8, 6).translate(0.62, 0, 1.12)
    trunk_path = bezier((0.85, 0, 1.05), (1.2, 0, 1.0), (1.25, 0, 0.55), (1.38, 0, 0.35), 7)
    trunk = tube(trunk_path, [0.13, 0.11, 0.09, 0.08, 0.07, 0.065, 0.06, 0.06], P, n=6)
    tip = cylinder(0.075, 0.06, S, 6)
    _align_z(tip, M.v_sub(trunk_path[-1], trunk_path[-2]))
    tip.translate(trunk_path[-1])
    ears = []
    for s in (1, -1):
        ear = slab(ngon(0.28, 8, 0, rx=0.22, ry=0.3), 0.05, S)
        ear.rotate_y(90).rotate_z(s * 60).translate(0.5, s * 0.3, 1.18)
        ears.append(ear)
    tusks = [tube(bezier((0.82, s * 0.1, 0.98), (0.95, s * 0.14, 0.85), (1.0, s * 0.15, 0.8),
                         (1.05, s * 0.14, 0.85), 3),
                  [0.04, 0.03, 0.02, 0.0], W, n=5) for s in (1, -1)]
    tail = tube([(-0.65, 0, 1.0), (-0.8, 0, 0.85), (-0.85, 0, 0.65)], [0.04, 0.03, 0.03], P, n=4)
    tuft = icosphere(0.07, S, 0).translate(-0.86, 0, 0.6)
    eyes = eye_pair(0.82, 0.17, 1.22, 0.08, 0.8, 0.1)
    return merge(body, back, legs, head, trunk, tip, ears, tusks, tail, tuft, eyes)


def three_legged_one_eyed_creature():
    body = icosphere(0.55, P, 2).scale(1, 1, 0.9).translate(0, 0, 1.15)
    big_eye = eye((0.48, 0, 1.27), 0.34, (1.0, 0, 0.05), pupil=0.5)
    lid = eyelid((0.48, 0, 1.27), 0.34, (1.0, 0, 0.05), S, cover=58)
    mouth = decal(body, (0, 0, 1.15), (1.0, 0.0, -0.75), ellipsoid(0.14, 0.06, 0.035, B, 8, 4), 0.3)
    legs = []
    for az in (60, -60, 180):
        ca, sa = math.cos(math.radians(az)), math.sin(math.radians(az))
        hip = (0.3 * ca, 0.3 * sa, 0.8)
        knee = (0.55 * ca, 0.55 * sa, 0.45)
        foot = (0.6 * ca, 0.6 * sa, 0.08)
        legs.append(tube([hip, knee, foot], [0.1, 0.08, 0.08], P, n=6))
        legs.append(ellipsoid(0.17, 0.12, 0.08, S, 7, 4).rotate_z(az).translate(foot[0] + 0.05 * ca,
                                                                                foot[1] + 0.05 * sa, 0.08))
    spots = [decal(body, (0, 0, 1.15), sph_dir(az, el), icosphere(0.1, S, 1).scale(1, 1, 0.35), 0.5)
             for az, el in ((150, 20), (210, 20), (180, 50), (110, 45), (250, 45), (180, -10))]
    ant = tube(bezier((0.0, 0, 1.6), (0.0, 0, 1.9), (-0.2, 0, 2.0), (-0.25, 0, 2.05), 4), 0.03, P, n=4)
    ball = icosphere(0.09, S, 1).translate(-0.27, 0, 2.07)
    return merge(body, big_eye, lid, mouth, legs, spots, ant, ball)


def hovering_creature():
    dome = lathe([(0.0, 0.95), (0.45, 0.97), (0.8, 1.12), (0.78, 1.25), (0.6, 1.5), (0.3, 1.7), (0.0, 1.76)], P, 10)
    rim = torus(0.78, 0.08, S, 12, 4).translate(0, 0, 1.16)
    bulbs = [icosphere(0.07, "Yellow", 0).translate(0.86 * math.cos(math.radians(a)),
                                                    0.86 * math.sin(math.radians(a)), 1.16)
             for a in range(15, 360, 45)]
    eyes = eye_pair(0.6, 0.2, 1.42, 0.13, 0.3, 0.15)
    tent = []
    for i in range(5):
        az = 72 * i + 36
        ca, sa = math.cos(math.radians(az)), math.sin(math.radians(az))
        w = 0.09 * (1 if i % 2 else -1)
        path = [(0.35 * ca, 0.35 * sa, 1.0), (0.38 * ca - w * sa, 0.38 * sa + w * ca, 0.72),
                (0.42 * ca + w * sa, 0.42 * sa - w * ca, 0.45), (0.45 * ca - w * sa, 0.45 * sa + w * ca, 0.2),
                (0.47 * ca, 0.47 * sa, 0.0)]
        tent.append(tube(path, [0.08, 0.065, 0.05, 0.035, 0.0], S, n=5))
    return merge(dome, rim, bulbs, eyes, tent)


def little_bug():
    shell = ellipsoid(0.55, 0.42, 0.3, P, 10, 7)
    shell.transform(lambda p: (p[0], p[1], max(p[2], -0.05)))
    shell.translate(-0.05, 0, 0.3)
    seam = box(1.02, 0.035, 0.04, B).translate(-0.06, 0, 0.6)
    seam.transform(lambda p: (p[0], p[1], p[2] - 0.3 * (p[0] + 0.06) ** 2 * 1.3))
    spots = []
    for x, y in ((0.1, 0.2), (-0.2, 0.22), (-0.05, -0.2), (-0.32, -0.12), (0.2, -0.12), (-0.4, 0.08)):
        z = 0.3 + 0.3 * math.sqrt(max(0.0, 1 - ((x + 0.05) / 0.55) ** 2 - (y / 0.42) ** 2)) - 0.02
        sp = icosphere(0.08, S, 1).scale(1, 1, 0.45)
        sp.rotate_y(math.degrees(math.atan2((x + 0.05), 0.55)) * 0.8)
        spots.append(sp.translate(x, y, z))
    head = icosphere(0.2, B, 1).translate(0.48, 0, 0.3)
    eyes = eye_pair(0.6, 0.1, 0.38, 0.08, 0.4, 0.2)
    ants = [tube(bezier((0.55, s * 0.06, 0.45), (0.65, s * 0.1, 0.65), (0.75, s * 0.2, 0.72),
                        (0.8, s * 0.25, 0.7), 4),
                 0.018, B, n=4) for s in (1, -1)]
    ant_tips = [icosphere(0.04, S, 0).translate(0.8, s * 0.25, 0.7) for s in (1, -1)]
    legs = []
    for x in (0.25, 0.0, -0.25):
        for s in (1, -1):
            legs.append(tube([(x, s * 0.25, 0.22), (x + 0.05, s * 0.48, 0.25), (x + 0.08, s * 0.55, 0.0)],
                             [0.03, 0.025, 0.02], B, n=4))
    belly = ellipsoid(0.45, 0.32, 0.1, B, 8, 4).translate(-0.05, 0, 0.26)
    return merge(shell, seam, spots, head, eyes, ants, ant_tips, legs, belly)


def _fish_body(length, radius, flat, mat, n=8, fat=0.0):
    """A fish body along x (nose at +x), from a lathe profile."""
    prof = [(0.0, -length * 0.5), (radius * 0.35, -length * 0.42), (radius * 0.8, -length * 0.22),
            (radius, length * 0.02), (radius * (0.92 + fat), length * 0.22), (radius * 0.6, length * 0.4),
            (0.0, length * 0.5)]
    return lathe(prof, mat, n).rotate_y(90).scale(1, flat, 1)


def one_eyed_fishlike_creature():
    body = _fish_body(1.5, 0.42, 0.72, P, 9, fat=0.05).translate(0, 0, 0.42)
    belly = _fish_body(1.1, 0.3, 0.75, S, 8).scale(1, 1, 0.6).translate(0.08, 0, 0.3)
    tail = slab([(0.0, 0.0), (-0.42, 0.42), (-0.3, 0.05), (-0.38, -0.28)], 0.05, S)
    tail.rotate_x(90).translate(-0.7, 0, 0.48)
    dorsal = slab([(0.25, 0.0), (-0.25, 0.0), (-0.35, 0.3), (0.05, 0.2)], 0.05, S).rotate_x(90).translate(0, 0, 0.72)
    fins = []
    for s in (1, -1):
        fin = slab([(0.0, 0.0), (-0.3, 0.1), (-0.25, 0.3)], 0.04, S).translate(0, 0, -0.02)
        fin.rotate_x(-20)
        if s < 0:
            fin = fin.mirror_y()
        fins.append(fin.translate(0.12, s * 0.27, 0.33))
    big = eye((0.4, 0, 0.7), 0.21, (1.0, 0, 0.45), pupil=0.55)
    lid = eyelid((0.4, 0, 0.7), 0.21, (1.0, 0, 0.45), S, cover=55)
    mouth = tube([(0.7, -0.09, 0.36), (0.76, 0.0, 0.34), (0.7, 0.09, 0.36)], 0.025, B, n=4)
    return merge(body, belly, tail, dorsal, fins, big, lid, mouth)


def snail_like_creature():
    foot = tube(bezier((-0.75, 0, 0.08), (-0.2, 0, 0.13), (0.4, 0, 0.1), (0.65, 0, 0.3), 7),
                [0.02, 0.1, 0.14, 0.16, 0.16, 0.16, 0.15, 0.13], P, n=7, ry_scale=1.3)
    foot.transform(lambda p: (p[0], p[1], max(p[2], 0.0)))
    head = icosphere(0.17, P, 1).translate(0.68, 0, 0.38)
    stalks = []
    for s in (1, -1):
        top = (0.82, s * 0.16, 0.85)
        stalks.append(tube(bezier((0.7, s * 0.06, 0.45), (0.75, s * 0.08, 0.65), (0.8, s * 0.14, 0.75), top, 4),
                           [0.04, 0.035, 0.03, 0.03, 0.03], P, n=5))
        stalks += eye(M.v_add(top, (0.0, 0.0, 0.06)), 0.08, (1.0, s * 0.3, 0.2), pupil=0.6)
    # the spiral shell
    path, radii = [], []
    cx, cz = -0.12, 0.62
    steps = 34
    for i in range(steps + 1):
        t = i / float(steps)
        th = -math.pi * 0.5 + t * 2.6 * math.pi
        R = 0.42 * math.exp(-1.1 * t * 2.6 * math.pi / (2 * math.pi) * 1.2)
        path.append((cx + R * math.cos(th), 0.0, cz + R * math.sin(th)))
        radii.append(max(0.0, 0.3 * math.exp(-1.3 * t * 2.6 * 0.6)) if i < steps else 0.0)
    shell = tube(path, radii, S, n=8, ry_scale=1.2)
    swirl = []
    return merge(foot, head, stalks, shell, swirl)


def two_finned_swordfish():
    body = _fish_body(1.8, 0.34, 0.72, P, 9).translate(0, 0, 0.36)
    belly = _fish_body(1.3, 0.24, 0.78, W, 8).scale(1, 1, 0.65).translate(0.05, 0, 0.24)
    sword = cone(0.07, 0.95, S, 6).rotate_y(90).translate(0.82, 0, 0.42)
    tail = slab([(0.0, 0.0), (-0.3, 0.55), (-0.16, 0.05), (-0.16, -0.05), (-0.28, -0.3)], 0.05, S)
    tail = tail.rotate_x(90).translate(-0.82, 0, 0.42)
    stalk = frustum(0.09, 0.05, 0.2, P, 6).rotate_y(-90).translate(-0.7, 0, 0.42)
    fins = []
    for s in (1, -1):
        fin = slab([(0.25, 0.0), (-0.15, 0.0), (-0.55, 0.62), (-0.38, 0.66)], 0.05, S).translate(0, 0, -0.025)
        fin.rotate_x(-10)
        if s < 0:
            fin = fin.mirror_y()
        fins.append(fin.translate(0.2, s * 0.17, 0.34))
    dorsal = slab([(0.25, 0.0), (-0.2, 0.0), (-0.25, 0.18), (0.1, 0.22)], 0.04, P).rotate_x(90).translate(0, 0, 0.62)
    eyes = eye_pair(0.55, 0.14, 0.46, 0.08, 0.8, 0.1)
    return merge(body, belly, sword, tail, stalk, fins, dorsal, eyes)


def chickenlike():
    body = ellipsoid(0.5, 0.4, 0.4, P, 10, 7).rotate_y(-15).translate(0, 0, 0.82)
    neck = tube([(0.3, 0, 0.95), (0.38, 0, 1.15), (0.4, 0, 1.3)], [0.2, 0.17, 0.16], P, n=7)
    head = icosphere(0.22, P, 1).translate(0.42, 0, 1.38)
    comb = [icosphere(0.08, "Red", 0).translate(0.48 + dx, 0, 1.6 + dz) for dx, dz in
            ((0.06, -0.03), (-0.04, 0.02), (-0.14, 0.0))]
    beak = cone(0.09, 0.2, "Orange", 5).rotate_y(95).translate(0.6, 0, 1.38)
    wattle = icosphere(0.06, "Red", 0).scale(0.8, 0.8, 1.3).translate(0.6, 0, 1.25)
    eyes = eye_pair(0.55, 0.13, 1.45, 0.07, 0.9, 0.1)
    wings = []
    for s in (1, -1):
        wing = ellipsoid(0.36, 0.08, 0.22, S, 8, 5).rotate_y(-20).translate(-0.05, s * 0.37, 0.85)
        wings.append(wing)
    tail = [place(ellipsoid(0.07, 0.05, 0.3, S, 6, 4), -35 + k * 0, 180, (-0.45, y, 1.0))
            for k, y in enumerate((0.12, 0.0, -0.12))]
    tail[1].translate(0, 0, 0.05)
    legs = []
    for s in (1, -1):
        legs.append(tube([(0.02, s * 0.15, 0.5), (0.0, s * 0.16, 0.25), (0.04, s * 0.16, 0.04)],
                         [0.05, 0.04, 0.035], "Orange", n=5))
        for az in (-35, 0, 35, 180):
            ln = 0.2 if az != 180 else 0.1
            toe = tube([(0, 0, 0.03), (ln, 0, 0.02)], [0.03, 0.015], "Orange", n=4).rotate_z(az)
            legs.append(toe.translate(0.04, s * 0.16, 0))
    return merge(body, neck, head, comb, beak, wattle, eyes, wings, tail, legs)


def ostrichlike():
    body = ellipsoid(0.55, 0.42, 0.38, P, 10, 7).rotate_y(-8).translate(-0.1, 0, 1.42)
    plume = [icosphere(0.18, P, 1).translate(-0.62, y, 1.6 + z) for y, z in ((0.12, 0.0), (-0.12, 0.0), (0.0, 0.14))]
    wings = [ellipsoid(0.35, 0.07, 0.2, P, 8, 5).rotate_y(-20).translate(-0.15, s * 0.38, 1.45) for s in (1, -1)]
    neck = tube(bezier((0.35, 0, 1.55), (0.55, 0, 1.85), (0.38, 0, 2.15), (0.52, 0, 2.5), 6),
                [0.12, 0.09, 0.075, 0.07, 0.07, 0.07, 0.075], S, n=6)
    head = ellipsoid(0.16, 0.13, 0.13, S, 8, 5).translate(0.58, 0, 2.56)
    beak = ellipsoid(0.14, 0.07, 0.04, "Orange", 6, 4).translate(0.74, 0, 2.52)
    eyes = eye_pair(0.63, 0.08, 2.62, 0.065, 0.9, 0.05)
    legs = []
    for s in (1, -1):
        hip, knee = (-0.05, s * 0.17, 1.2), (0.08, s * 0.2, 0.95)
        ankle, foot = (-0.1, s * 0.2, 0.48), (0.05, s * 0.2, 0.05)
        legs.append(tube([hip, knee], [0.12, 0.08], P, n=6))
        legs.append(tube([knee, ankle, foot], [0.06, 0.05, 0.045], S, n=5))
        legs.append(icosphere(0.06, S, 0).translate(ankle))
        legs.append(tube([(0.02, s * 0.2, 0.04), (0.25, s * 0.22, 0.02)], [0.05, 0.02], S, n=4))
        legs.append(tube([(0.02, s * 0.2, 0.04), (0.18, s * 0.3, 0.02)], [0.04, 0.015], S, n=4))
    return merge(body, plume, wings, neck, head, beak, eyes, legs)


def fish_flat_triangular():
    body = convex_hull([(0.85, 0.0, 0.1), (-0.5, 0.8, 0.12), (-0.5, -0.8, 0.12),
                        (0.5, 0.0, 0.0), (-0.3, 0.35, 0.0), (-0.3, -0.35, 0.0),
                        (0.55, 0.0, 0.35), (-0.3, 0.3, 0.3), (-0.3, -0.3, 0.3), (0.05, 0.0, 0.42)], P)
    ridge = convex_hull([(0.5, 0.0, 0.37), (-0.35, 0.0, 0.36), (0.0, 0.0, 0.5), (-0.1, 0.05, 0.34),
                         (-0.1, -0.05, 0.34), (0.4, 0.03, 0.35), (0.4, -0.03, 0.35)], S)
    wing_tips = [convex_hull([(-0.5, s * 0.8, 0.12), (-0.28, s * 0.5, 0.14), (-0.34, s * 0.6, 0.21),
                              (-0.2, s * 0.58, 0.1), (-0.4, s * 0.58, 0.04)], S) for s in (1, -1)]
    tail = tube([(-0.25, 0, 0.16), (-0.6, 0, 0.17), (-0.9, 0, 0.18), (-1.15, 0, 0.19)],
                [0.11, 0.07, 0.04, 0.0], S, n=5)
    tail_fin = slab([(0.0, 0.0), (-0.22, 0.2), (-0.14, 0.0), (-0.22, -0.2)], 0.035, S).translate(-0.85, 0, 0.18)
    trim = convex_hull([(-0.5, 0.8, 0.12), (-0.5, -0.8, 0.12), (-0.42, 0.0, 0.1), (-0.34, 0.0, 0.26),
                        (-0.46, 0.62, 0.18), (-0.46, -0.62, 0.18), (-0.38, 0.3, 0.05), (-0.38, -0.3, 0.05)], S)
    eyes = eye_pair(0.45, 0.14, 0.32, 0.085, 0.5, 0.6)
    mouth = tube([(0.78, -0.1, 0.07), (0.84, 0.0, 0.06), (0.78, 0.1, 0.07)], 0.02, B, n=4)
    return merge(body, ridge, wing_tips, trim, tail, tail_fin, eyes, mouth)


def turtlelike():
    shell = lathe([(0.0, 0.22), (0.78, 0.25), (0.8, 0.33), (0.68, 0.55), (0.42, 0.76), (0.0, 0.83)], S, 8, phase=0)
    shell.scale(1.15, 1.0, 1.0)
    scutes = []
    for k in range(8):
        az = 45 * k + 22.5
        sc = cylinder(0.15, 0.05, P, 6)
        scutes.append(decal(shell, (0, 0, 0.3), sph_dir(az, 32), sc, 0.5))
    scutes.append(decal(shell, (0, 0, 0.3), (0, 0, 1), cylinder(0.2, 0.05, P, 6), 0.5))
    rim = frustum(0.82, 0.84, 0.06, P, 8, phase=0).scale(1.15, 1.0, 1.0).translate(0, 0, 0.24)
    belly = ellipsoid(0.7, 0.6, 0.15, P, 8, 4).scale(1.15, 1, 1).translate(0, 0, 0.25)
    neck = tube([(0.7, 0, 0.38), (0.95, 0, 0.48)], [0.14, 0.13], P, n=6)
    head = ellipsoid(0.23, 0.19, 0.18, P, 8, 5).translate(1.08, 0, 0.52)
    eyes = eye_pair(1.18, 0.1, 0.6, 0.075, 0.7, 0.2)
    mouth = tube([(1.26, -0.08, 0.46), (1.3, 0.0, 0.45), (1.26, 0.08, 0.46)], 0.02, B, n=4)
    legs = []
    for x, y, az in ((0.5, 0.55, 40), (0.5, -0.55, -40), (-0.55, 0.5, 140), (-0.55, -0.5, -140)):
        lg = ellipsoid(0.24, 0.12, 0.09, P, 7, 4).rotate_z(az)
        lg.translate(x + 0.12 * math.cos(math.radians(az)), y + 0.12 * math.sin(math.radians(az)), 0.09)
        legs.append(lg)
    tail = cone(0.08, 0.28, P, 5).rotate_y(-100).translate(-0.85, 0, 0.28)
    return merge(shell, scutes, rim, belly, neck, head, eyes, mouth, legs, tail)


def box_head_creature():
    body = lathe([(0.0, 0.28), (0.3, 0.3), (0.36, 0.5), (0.32, 0.78), (0.22, 0.95), (0.0, 1.0)], S, 8)
    head = box(0.62, 0.7, 0.55, P, center=(0.05, 0, 1.22))
    head.jitter(0.015, 211)
    eyes = []
    for s in (1, -1):
        eyes += eye((0.33, s * 0.17, 1.28), 0.12, (1.0, s * 0.2, 0.05), pupil=0.55)
    mouth = box(0.04, 0.3, 0.06, B, center=(0.36, 0, 1.07))
    teeth = [box(0.03, 0.06, 0.06, W, center=(0.37, y, 1.03)) for y in (-0.07, 0.07)]
    ant = [tube([(0.0, s * 0.2, 1.48), (-0.05, s * 0.3, 1.75)], 0.025, P, n=4) for s in (1, -1)]
    ant_b = [icosphere(0.06, S, 0).translate(-0.05, s * 0.3, 1.78) for s in (1, -1)]
    legs = []
    for s in (1, -1):
        legs.append(tube([(0.0, s * 0.16, 0.4), (0.0, s * 0.18, 0.08)], [0.09, 0.08], P, n=6))
        legs.append(ellipsoid(0.17, 0.11, 0.08, S, 7, 4).translate(0.06, s * 0.18, 0.08))
    arms = []
    for s in (1, -1):
        arms.append(tube([(0.0, s * 0.3, 0.78), (0.12, s * 0.48, 0.55), (0.2, s * 0.48, 0.42)],
                         [0.06, 0.05, 0.045], P, n=5))
        arms.append(icosphere(0.07, P, 0).translate(0.2, s * 0.48, 0.4))
    return merge(body, head, eyes, mouth, teeth, ant, ant_b, legs, arms)


def ducklike_creature():
    body = ellipsoid(0.52, 0.36, 0.3, P, 10, 6).translate(0, 0, 0.42)
    body.transform(lambda p: (p[0], p[1], p[2] + (0.25 * ((-p[0] - 0.2) / 0.32) ** 2 if p[0] < -0.2 else 0.0)))
    neck = tube([(0.3, 0, 0.55), (0.36, 0, 0.8), (0.34, 0, 0.95)], [0.15, 0.12, 0.12], P, n=6)
    collar = torus(0.125, 0.035, W, 10, 4).rotate_y(-8).translate(0.355, 0, 0.84)
    head = icosphere(0.21, S, 1).scale(1.1, 1, 1).translate(0.38, 0, 1.02)
    bill = box(0.26, 0.16, 0.06, "Orange", center=(0.6, 0, 0.98))
    bill.transform(lambda p: (p[0], p[1] * (1.0 + (p[0] - 0.47) * 1.2), p[2] - (p[0] - 0.47) * 0.08))
    eyes = eye_pair(0.5, 0.12, 1.08, 0.065, 0.9, 0.1)
    wings = [ellipsoid(0.34, 0.07, 0.16, S, 8, 5).rotate_y(-12).translate(-0.08, s * 0.32, 0.5) for s in (1, -1)]
    legs = []
    for s in (1, -1):
        legs.append(tube([(0.05, s * 0.13, 0.2), (0.05, s * 0.14, 0.03)], 0.035, "Orange", n=5))
        web = slab([(0.0, 0.0), (0.2, -0.1), (0.23, 0.0), (0.2, 0.1)], 0.03, "Orange")
        web.translate(0.03, s * 0.14, 0.015)
        legs.append(web)
    return merge(body, neck, collar, head, bill, eyes, wings, legs)


# ============================================================== clouds


def cloud(seed, lumps):
    parts = []
    for i, (x, y, z, r) in enumerate(lumps):
        sph = icosphere(r, P, 2 if r >= 0.5 else 1).scale(1.0, 1.0, 0.85)
        sph.jitter(r * 0.05, seed * 100 + i)
        sph.translate(x, y, z)
        parts.append(sph)
    m = merge(parts)
    m.transform(lambda p: (p[0], p[1], max(p[2], 0.0)))
    return m


CLOUD_LUMPS = [
    # (seed, [(x, y, z, radius), ...]): a flat base row of lumps and rounder heaps on top
    (1, [(0.0, 0.0, 0.35, 0.85), (0.95, 0.15, 0.2, 0.62), (-0.95, -0.1, 0.2, 0.65), (0.35, -0.55, 0.1, 0.5),
         (-0.3, 0.55, 0.15, 0.55), (0.3, 0.1, 0.85, 0.55), (-0.45, -0.05, 0.7, 0.45), (1.6, 0.0, 0.05, 0.4)]),
    (2, [(0.0, 0.0, 0.25, 0.7), (1.0, 0.0, 0.2, 0.62), (2.0, 0.1, 0.15, 0.5), (-0.95, 0.1, 0.2, 0.58),
         (0.5, 0.3, 0.65, 0.5), (1.5, -0.15, 0.5, 0.42), (-1.75, 0.0, 0.1, 0.42), (-0.4, -0.35, 0.45, 0.42)]),
    (3, [(0.0, 0.0, 0.45, 0.95), (0.85, 0.6, 0.3, 0.6), (-0.85, 0.5, 0.25, 0.6), (0.65, -0.7, 0.25, 0.6),
         (-0.7, -0.6, 0.25, 0.55), (0.1, 0.05, 1.2, 0.6), (1.3, -0.05, 0.2, 0.45), (-0.4, 0.1, 1.0, 0.45)]),
    (4, [(0.0, 0.0, 0.12, 0.55), (0.75, 0.3, 0.12, 0.5), (-0.75, -0.25, 0.1, 0.5), (1.4, 0.15, 0.08, 0.4),
         (-1.4, -0.45, 0.08, 0.38), (0.2, -0.4, 0.15, 0.45), (0.3, 0.1, 0.45, 0.35), (-0.4, -0.1, 0.4, 0.33)]),
    (5, [(0.0, 0.0, 0.35, 0.75), (0.8, -0.3, 0.3, 0.62), (1.5, -0.8, 0.2, 0.5), (-0.75, 0.4, 0.3, 0.65),
         (-1.45, 0.9, 0.2, 0.5), (0.2, 0.2, 0.95, 0.5), (-0.4, 0.3, 0.85, 0.42), (2.1, -1.15, 0.1, 0.38),
         (0.9, -0.4, 0.75, 0.4)]),
]

# ============================================================== the table

# name (without ".obj") -> builder, in the order of the game's default template list
MODELS = [
    ("Crystal Top Tree", crystal_top_tree),
    ("Pointy Tree Trunk", pointy_tree_trunk),
    ("Cup Tree", cup_tree),
    ("Hook Shaped Tree", hook_shaped_tree),
    ("Mushroom Tree", mushroom_tree),
    ("Spike Plant With Eye", spike_plant_with_eye),
    ("Rock Square", rock_square),
    ("3 Legged Spider Like", three_legged_spider_like),
    ("Ant Eater Elephant Like Creature", ant_eater_elephant_like_creature),
    ("Three Legged One Eyed Creature", three_legged_one_eyed_creature),
    ("Hovering Creature", hovering_creature),
    ("Rock Tall", rock_tall),
    ("Tree Stump with Cutout", tree_stump_with_cutout),
    ("Crystals", crystals),
    ("Egg Tree Large Base", egg_tree_large_base),
    ("Rock With Eyes", rock_with_eyes),
    ("Little Bug", little_bug),
    ("Rock Round", rock_round),
    ("One Eyed Fishlike Creature", one_eyed_fishlike_creature),
    ("Pointy Mushroom Like Tree", pointy_mushroom_like_tree),
    ("Snail Like Creature", snail_like_creature),
    ("Empty Lolypop Plant", empty_lolypop_plant),
    ("Pile of Spheres", pile_of_spheres),
    ("Lily Pineapple", lily_pineapple),
    ("Tree with Sphere and Thick Branch Loop", tree_with_sphere_and_thick_branch_loop),
    ("2 Cylinder Alien Cactus with Spikes", two_cylinder_alien_cactus_with_spikes),
    ("Pointy Tree with Plates", pointy_tree_with_plates),
    ("Tube Plant", tube_plant),
    ("Rock Sideways", rock_sideways),
    ("Rock with Plates", rock_with_plates),
    ("2 Finned Swordfish", two_finned_swordfish),
    ("Chickenlike", chickenlike),
    ("Ostrichlike", ostrichlike),
    ("Double Tuliplike Plant", double_tuliplike_plant),
    ("Rock Tall Flat", rock_tall_flat),
    ("Rock with Cutout", rock_with_cutout),
    ("Large Crystal with Base", large_crystal_with_base),
    ("3 Pentagonal Crystals", three_pentagonal_crystals),
    ("Fish Flat Triangular", fish_flat_triangular),
    ("Pointy Tree Trunk that Splits", pointy_tree_trunk_that_splits),
    ("Turtlelike", turtlelike),
    ("Tree with Large Base and Multiple Trunks", tree_with_large_base_and_multiple_trunks),
    ("Plant with Twisted Stem", plant_with_twisted_stem),
    ("Pentagon Plant", pentagon_plant),
    ("Pear Shaped Rock Plant", pear_shaped_rock_plant),
    ("Berry", berry),
    ("Box Head Creature", box_head_creature),
    ("Ducklike Creature", ducklike_creature),
]


CLOUDS = [("Cloud %d" % i, (lambda s=s, l=l: cloud(s, l))) for i, (s, l) in enumerate(CLOUD_LUMPS, 1)]


# ============================================================== finishing


# Models whose origin is authored (the main rock), not taken from the centre of
# everything touching the ground (a pebble beside it would pull it off-centre).
AUTHORED_ORIGIN = {"Rock Square", "Rock Round"}


def finalize(mesh, center=True):
    """Stand the model on z = 0 and put the centre of its ground contact at
    the origin (x, y)."""
    zmin = min(p[2] for p in mesh.v)
    mesh.translate(0, 0, -zmin)
    if center:
        zmax = max(p[2] for p in mesh.v)
        tol = max(0.02 * zmax, 1e-4)
        contact = [p for p in mesh.v if p[2] <= tol]
        xs = [p[0] for p in contact]
        ys = [p[1] for p in contact]
        cx = (min(xs) + max(xs)) / 2.0
        cy = (min(ys) + max(ys)) / 2.0
        mesh.translate(-cx, -cy, 0)
    return mesh


def build(name):
    for n, fn in MODELS + CLOUDS:
        if n == name:
            return finalize(fn(), center=name not in AUTHORED_ORIGIN)
    raise KeyError(name)


def obj_text(name):
    mesh = build(name)
    kind = "cloud" if name.startswith("Cloud ") else "unit"
    header = ["Quillon Vale %s model \"%s\"" % (kind, name),
              "generated by tools/qvdata/models.py; do not edit",
              "+z up, faces +x, origin at the ground contact; materials Primary, Secondary and palette names"]
    return M.to_obj(mesh, header)


def all_names():
    return [n for n, _f in MODELS] + [n for n, _f in CLOUDS]


def generate(out_dir, preview_dir=None):
    """Write every model into out_dir/Models/ and the contact sheet into
    preview_dir/models.png.  Returns {file name: OBJ text}."""
    models_dir = os.path.join(out_dir, "Models")
    os.makedirs(models_dir, exist_ok=True)
    texts = {}
    for name in all_names():
        txt = obj_text(name)
        fname = name + ".obj"
        texts[fname] = txt
        with open(os.path.join(models_dir, fname), "w", encoding="ascii", newline="\n") as fh:
            fh.write(txt)
    if preview_dir:
        contact_sheet(texts, os.path.join(preview_dir, "models.png"))
    return texts


def contact_sheet(texts, path, cell=240, columns=8):
    """Every model from a three-quarter view with its name under it."""
    try:
        from PIL import Image, ImageDraw
    except ImportError:  # the OBJ files are what the game needs; the sheet is a convenience
        sys.stderr.write("models.py: PIL not available, no contact sheet written\n")
        return
    if __package__ in (None, ""):
        from qvdata import mesh_render as R
    else:
        from . import mesh_render as R
    names = list(texts.keys())
    label_h = 34
    rows = (len(names) + columns - 1) // columns
    sheet = Image.new("RGB", (columns * cell, rows * (cell + label_h)), (250, 250, 250))
    draw = ImageDraw.Draw(sheet)
    font = _font(12)
    for i, fname in enumerate(names):
        col, row = i % columns, i // columns
        x0, y0 = col * cell, row * (cell + label_h)
        img = R.render(texts[fname], cell - 8, max_edge_fraction=1.0 / 16.0)
        sheet.paste(img, (x0 + 4, y0 + 4))
        _label(draw, fname[:-4], x0, y0 + cell, cell, label_h, font)
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    sheet.save(path, optimize=False)


def _label(draw, text, x0, y0, width, height, font):
    words = text.split(" ")
    lines, cur = [], ""
    for w in words:
        trial = (cur + " " + w).strip()
        if draw.textlength(trial, font=font) <= width - 8 or not cur:
            cur = trial
        else:
            lines.append(cur)
            cur = w
    lines.append(cur)
    lines = lines[:2]
    for k, line in enumerate(lines):
        tw = draw.textlength(line, font=font)
        draw.text((x0 + (width - tw) / 2.0, y0 + 2 + k * 15), line, fill=(30, 30, 30), font=font)


def _font(size):
    from PIL import ImageFont
    for cand in ("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                 "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf"):
        if os.path.exists(cand):
            return ImageFont.truetype(cand, size)
    return ImageFont.load_default()


def main(argv=None):
    import argparse
    import time
    ap = argparse.ArgumentParser(description="Generate the Quillon Vale unit and cloud OBJ models.")
    ap.add_argument("--out", required=True, help="the Data folder (OBJ files go to OUT/Models/)")
    ap.add_argument("--preview", default=None, help="folder for the contact sheet models.png")
    args = ap.parse_args(argv)
    t0 = time.time()
    texts = generate(args.out, args.preview)
    print("models.py: %d models written to %s in %.1f s" % (len(texts), os.path.join(args.out, "Models"),
                                                            time.time() - t0))
    return 0


if __name__ == "__main__":
    sys.exit(main())
