"""Small pure-Python mesh toolkit for the Quillon Vale model generators.

Every primitive returns a closed triangle mesh whose faces are wound
counter-clockwise seen from outside (the game culls back faces with CCW front
faces).  Each face carries its own material name.  Transforms mutate the mesh
in place and return it so that calls chain:

    leg = cylinder(0.1, 1.0, n=6, mat="Primary").rotate_y(20).translate(0, 0.3, 0)

Conventions: +z is up, models face +x, angles are in degrees.
No third-party module is needed (numpy is not used).
"""

import math
import random

# ---------------------------------------------------------------- vectors


def v_add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def v_sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def v_mul(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def v_dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def v_cross(a, b):
    return (a[1] * b[2] - a[2] * b[1],
            a[2] * b[0] - a[0] * b[2],
            a[0] * b[1] - a[1] * b[0])


def v_len(a):
    return math.sqrt(v_dot(a, a))


def v_norm(a):
    n = v_len(a)
    if n < 1e-12:
        return (0.0, 0.0, 1.0)
    return (a[0] / n, a[1] / n, a[2] / n)


def v_lerp(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def rotate_vec(p, axis, deg):
    """Rotate point p about the unit axis through the origin (Rodrigues)."""
    k = v_norm(axis)
    a = math.radians(deg)
    c, s = math.cos(a), math.sin(a)
    kxp = v_cross(k, p)
    kdp = v_dot(k, p)
    return (p[0] * c + kxp[0] * s + k[0] * kdp * (1 - c),
            p[1] * c + kxp[1] * s + k[1] * kdp * (1 - c),
            p[2] * c + kxp[2] * s + k[2] * kdp * (1 - c))


def tri_normal(a, b, c):
    """Unnormalised normal of triangle a, b, c (CCW gives the front side)."""
    return v_cross(v_sub(b, a), v_sub(c, a))


# ---------------------------------------------------------------- mesh


class Mesh:
    """Triangle mesh: v is a list of [x, y, z], f a list of (i, j, k, material)."""

    def __init__(self, v=None, f=None):
        self.v = v if v is not None else []
        self.f = f if f is not None else []

    # -- construction helpers
    def add_v(self, p):
        self.v.append([float(p[0]), float(p[1]), float(p[2])])
        return len(self.v) - 1

    def add_f(self, a, b, c, mat):
        self.f.append((a, b, c, mat))

    def copy(self):
        return Mesh([list(p) for p in self.v], list(self.f))

    # -- transforms (in place, chainable)
    def translate(self, dx, dy=0.0, dz=0.0):
        if isinstance(dx, (tuple, list)):
            dx, dy, dz = dx
        for p in self.v:
            p[0] += dx
            p[1] += dy
            p[2] += dz
        return self

    def scale(self, sx, sy=None, sz=None):
        if sy is None:
            sy = sx
        if sz is None:
            sz = sx
        for p in self.v:
            p[0] *= sx
            p[1] *= sy
            p[2] *= sz
        if sx * sy * sz < 0:
            self.flip()
        return self

    def rotate(self, axis, deg, center=(0.0, 0.0, 0.0)):
        for p in self.v:
            q = rotate_vec((p[0] - center[0], p[1] - center[1], p[2] - center[2]), axis, deg)
            p[0], p[1], p[2] = q[0] + center[0], q[1] + center[1], q[2] + center[2]
        return self

    def rotate_x(self, deg, center=(0.0, 0.0, 0.0)):
        return self.rotate((1.0, 0.0, 0.0), deg, center)

    def rotate_y(self, deg, center=(0.0, 0.0, 0.0)):
        return self.rotate((0.0, 1.0, 0.0), deg, center)

    def rotate_z(self, deg, center=(0.0, 0.0, 0.0)):
        return self.rotate((0.0, 0.0, 1.0), deg, center)

    def transform(self, fn):
        """Apply fn((x, y, z)) -> (x, y, z) to every vertex (keeps the winding)."""
        for p in self.v:
            q = fn((p[0], p[1], p[2]))
            p[0], p[1], p[2] = float(q[0]), float(q[1]), float(q[2])
        return self

    def flip(self):
        self.f = [(a, c, b, m) for (a, b, c, m) in self.f]
        return self

    def mat(self, name):
        """Give every face the material name."""
        self.f = [(a, b, c, name) for (a, b, c, _m) in self.f]
        return self

    def mirror_y(self):
        """A copy mirrored through the xz plane (winding kept outward)."""
        return self.copy().scale(1.0, -1.0, 1.0)

    def jitter(self, amount, seed, keep_bottom=False):
        """Move every distinct position by a random offset up to amount on each
        axis.  Coincident vertices move together so closed meshes stay closed."""
        rng = random.Random(seed)
        moved = {}
        for p in self.v:
            key = (round(p[0], 6), round(p[1], 6), round(p[2], 6))
            if key not in moved:
                d = (rng.uniform(-amount, amount), rng.uniform(-amount, amount),
                     rng.uniform(-amount, amount))
                if keep_bottom and p[2] <= 1e-6:
                    d = (d[0], d[1], 0.0)
                moved[key] = d
            d = moved[key]
            p[0] += d[0]
            p[1] += d[1]
            p[2] += d[2]
        return self

    # -- measures
    def bounds(self):
        xs = [p[0] for p in self.v]
        ys = [p[1] for p in self.v]
        zs = [p[2] for p in self.v]
        return (min(xs), min(ys), min(zs)), (max(xs), max(ys), max(zs))

    def signed_volume(self):
        vol = 0.0
        for a, b, c, _m in self.f:
            vol += v_dot(self.v[a], v_cross(self.v[b], self.v[c]))
        return vol / 6.0

    def orient(self):
        """Flip the whole mesh if it encloses a negative volume."""
        if self.signed_volume() < 0:
            self.flip()
        return self


def merge(*meshes):
    """One mesh holding all faces of the given meshes (lists are flattened)."""
    out = Mesh()
    stack = list(meshes)
    flat = []
    while stack:
        m = stack.pop(0)
        if isinstance(m, (list, tuple)):
            stack = list(m) + stack
        elif m is not None:
            flat.append(m)
    for m in flat:
        base = len(out.v)
        out.v.extend([list(p) for p in m.v])
        out.f.extend([(a + base, b + base, c + base, mt) for (a, b, c, mt) in m.f])
    return out


# ---------------------------------------------------------------- generic builders


def rings_mesh(rings, mat, cap_start=True, cap_end=True, closed=False):
    """Skin a sequence of rings.  Each ring is a list of points (all rings with
    more than one point must have the same count) or a single point (a pole).
    Rings run along the sweep; points within a ring run counter-clockwise seen
    from the end of the sweep.  closed=True joins the last ring to the first
    (a torus-like loop, no caps).  The result is oriented outward."""
    m = Mesh()
    idx = []
    for ring in rings:
        idx.append([m.add_v(p) for p in ring])
    count = len(rings)
    pairs = [(i, i + 1) for i in range(count - 1)]
    if closed:
        pairs.append((count - 1, 0))
    for i, j in pairs:
        r0, r1 = idx[i], idx[j]
        if len(r0) > 1 and len(r1) > 1:
            n = len(r0)
            for k in range(n):
                a, b = r0[k], r0[(k + 1) % n]
                c, d = r1[(k + 1) % n], r1[k]
                m.add_f(a, b, c, mat)
                m.add_f(a, c, d, mat)
        elif len(r0) == 1 and len(r1) > 1:
            n = len(r1)
            for k in range(n):
                m.add_f(r0[0], r1[(k + 1) % n], r1[k], mat)
        elif len(r0) > 1 and len(r1) == 1:
            n = len(r0)
            for k in range(n):
                m.add_f(r0[k], r0[(k + 1) % n], r1[0], mat)
    if not closed:
        first, last = idx[0], idx[-1]
        if cap_start and len(first) > 2:
            c = m.add_v(_centroid([rings[0][k] for k in range(len(first))]))
            n = len(first)
            for k in range(n):
                m.add_f(c, first[(k + 1) % n], first[k], mat)
        if cap_end and len(last) > 2:
            c = m.add_v(_centroid([rings[-1][k] for k in range(len(last))]))
            n = len(last)
            for k in range(n):
                m.add_f(c, last[k], last[(k + 1) % n], mat)
    return m.orient()


def _centroid(pts):
    n = float(len(pts))
    return (sum(p[0] for p in pts) / n, sum(p[1] for p in pts) / n, sum(p[2] for p in pts) / n)


def circle_pts(r, n, z=0.0, phase=0.0, rx=None, ry=None, cx=0.0, cy=0.0):
    rx = r if rx is None else rx
    ry = r if ry is None else ry
    out = []
    for k in range(n):
        a = 2 * math.pi * k / n + math.radians(phase)
        out.append((cx + rx * math.cos(a), cy + ry * math.sin(a), z))
    return out


def lathe(profile, mat, n=8, phase=None):
    """Surface of revolution about +z.  profile: (r, z) from bottom to top; a
    radius of 0 makes a pole.  Open ends are capped flat.  phase defaults to
    half a side so that an n-gon has a flat face towards +x."""
    if phase is None:
        phase = 180.0 / n
    rings = []
    for r, z in profile:
        if r <= 1e-9:
            rings.append([(0.0, 0.0, z)])
        else:
            rings.append(circle_pts(r, n, z, phase))
    return rings_mesh(rings, mat)


def box(sx, sy, sz, mat, center=(0.0, 0.0, 0.0)):
    """Axis-aligned box of size sx, sy, sz centred on center."""
    hx, hy, hz = sx / 2.0, sy / 2.0, sz / 2.0
    cx, cy, cz = center
    bottom = [(cx - hx, cy - hy, cz - hz), (cx + hx, cy - hy, cz - hz),
              (cx + hx, cy + hy, cz - hz), (cx - hx, cy + hy, cz - hz)]
    top = [(p[0], p[1], cz + hz) for p in bottom]
    return rings_mesh([bottom, top], mat)


def frustum(r0, r1, h, mat, n=8, phase=None):
    """Truncated cone from radius r0 at z=0 to r1 at z=h (r1=0: a cone)."""
    return lathe([(r0, 0.0), (r1, h)], mat, n, phase)


def cylinder(r, h, mat, n=8, phase=None):
    return frustum(r, r, h, mat, n, phase)


def cone(r, h, mat, n=8, phase=None):
    return frustum(r, 0.0, h, mat, n, phase)


def uv_sphere(r, mat, nu=8, nv=6):
    """Sphere centred on the origin, nu sides around, nv bands pole to pole."""
    prof = []
    for i in range(nv + 1):
        a = math.pi * i / nv
        prof.append((r * math.sin(a), -r * math.cos(a)))
    return lathe(prof, mat, nu, phase=0.0)


def ellipsoid(rx, ry, rz, mat, nu=8, nv=6):
    return uv_sphere(1.0, mat, nu, nv).scale(rx, ry, rz)


_ICO_CACHE = {}


def _icosphere_unit(sub):
    if sub in _ICO_CACHE:
        return _ICO_CACHE[sub]
    t = (1.0 + math.sqrt(5.0)) / 2.0
    verts = [(-1, t, 0), (1, t, 0), (-1, -t, 0), (1, -t, 0),
             (0, -1, t), (0, 1, t), (0, -1, -t), (0, 1, -t),
             (t, 0, -1), (t, 0, 1), (-t, 0, -1), (-t, 0, 1)]
    verts = [v_norm(p) for p in verts]
    faces = [(0, 11, 5), (0, 5, 1), (0, 1, 7), (0, 7, 10), (0, 10, 11),
             (1, 5, 9), (5, 11, 4), (11, 10, 2), (10, 7, 6), (7, 1, 8),
             (3, 9, 4), (3, 4, 2), (3, 2, 6), (3, 6, 8), (3, 8, 9),
             (4, 9, 5), (2, 4, 11), (6, 2, 10), (8, 6, 7), (9, 8, 1)]
    for _ in range(sub):
        mid = {}
        nf = []

        def midpoint(i, j):
            key = (min(i, j), max(i, j))
            if key not in mid:
                verts.append(v_norm(v_lerp(verts[i], verts[j], 0.5)))
                mid[key] = len(verts) - 1
            return mid[key]
        for a, b, c in faces:
            ab, bc, ca = midpoint(a, b), midpoint(b, c), midpoint(c, a)
            nf += [(a, ab, ca), (b, bc, ab), (c, ca, bc), (ab, bc, ca)]
        faces = nf
    _ICO_CACHE[sub] = (list(verts), list(faces))
    return _ICO_CACHE[sub]


def icosphere(r, mat, sub=1):
    verts, faces = _icosphere_unit(sub)
    m = Mesh([[p[0] * r, p[1] * r, p[2] * r] for p in verts],
             [(a, b, c, mat) for (a, b, c) in faces])
    return m.orient()


def torus(R, r, mat, nu=12, nv=6):
    """Ring about the z axis: major radius R, tube radius r."""
    rings = []
    for i in range(nu):
        a = 2 * math.pi * i / nu
        ca, sa = math.cos(a), math.sin(a)
        ring = []
        for k in range(nv):
            b = 2 * math.pi * k / nv
            rr = R + r * math.cos(b)
            ring.append((rr * ca, rr * sa, r * math.sin(b)))
        rings.append(ring)
    return rings_mesh(rings, mat, closed=True)


def _frames(path, closed=False):
    """Parallel-transport frames (tangent, normal, binormal) along a path."""
    n = len(path)
    tangents = []
    for i in range(n):
        if closed:
            a, b = path[(i - 1) % n], path[(i + 1) % n]
        else:
            a = path[max(i - 1, 0)]
            b = path[min(i + 1, n - 1)]
        tangents.append(v_norm(v_sub(b, a)))
    t0 = tangents[0]
    ref = (0.0, 0.0, 1.0) if abs(t0[2]) < 0.9 else (1.0, 0.0, 0.0)
    nrm = v_norm(v_cross(v_cross(t0, ref), t0))
    frames = []
    for i in range(n):
        t = tangents[i]
        if i > 0:
            # transport the previous normal onto the plane of the new tangent
            nrm = v_sub(nrm, v_mul(t, v_dot(nrm, t)))
            if v_len(nrm) < 1e-9:
                nrm = v_norm(v_cross(t, (1.0, 0.0, 0.0)))
            nrm = v_norm(nrm)
        frames.append((t, nrm, v_cross(t, nrm)))
    return frames


def tube(path, radii, mat, n=6, closed=False, twist=0.0, phase=0.0, cap=True, ry_scale=1.0):
    """Sweep an n-gon along a polyline.  radii: one radius per path point
    (or a single number); a radius of 0 at an end makes a pointed tip.
    twist: total degrees of twist from start to end.  ry_scale squashes the
    section along the binormal."""
    if not isinstance(radii, (list, tuple)):
        radii = [radii] * len(path)
    frames = _frames(path, closed)
    rings = []
    count = len(path)
    for i, (c, (t, nv, bv)) in enumerate(zip(path, frames)):
        r = radii[i]
        if r <= 1e-9 and not closed:
            rings.append([tuple(c)])
            continue
        tw = math.radians(phase + twist * (i / max(count - 1, 1)))
        ring = []
        for k in range(n):
            a = 2 * math.pi * k / n + tw
            ca, sa = math.cos(a) * r, math.sin(a) * r * ry_scale
            ring.append((c[0] + nv[0] * ca + bv[0] * sa,
                         c[1] + nv[1] * ca + bv[1] * sa,
                         c[2] + nv[2] * ca + bv[2] * sa))
        rings.append(ring)
    return rings_mesh(rings, mat, cap, cap, closed=closed)


def arc_path(center, radius, a0, a1, steps, plane="xz"):
    """Points on a circular arc from angle a0 to a1 (degrees).  plane "xz":
    x = cx + r cos a, z = cz + r sin a; "yz" and "xy" likewise."""
    out = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        ca, sa = radius * math.cos(a), radius * math.sin(a)
        if plane == "xz":
            out.append((center[0] + ca, center[1], center[2] + sa))
        elif plane == "yz":
            out.append((center[0], center[1] + ca, center[2] + sa))
        else:
            out.append((center[0] + ca, center[1] + sa, center[2]))
    return out


def bezier(p0, p1, p2, p3, steps):
    out = []
    for i in range(steps + 1):
        t = i / float(steps)
        u = 1 - t
        out.append(tuple(u * u * u * p0[k] + 3 * u * u * t * p1[k] + 3 * u * t * t * p2[k]
                         + t * t * t * p3[k] for k in range(3)))
    return out


# ---------------------------------------------------------------- polygons


def _area2(poly):
    s = 0.0
    for i in range(len(poly)):
        x0, y0 = poly[i]
        x1, y1 = poly[(i + 1) % len(poly)]
        s += x0 * y1 - x1 * y0
    return s


def triangulate(poly):
    """Ear clipping of a simple 2D polygon; returns index triples (CCW)."""
    pts = list(poly)
    order = list(range(len(pts)))
    if _area2(pts) < 0:
        order.reverse()
    tris = []

    def inside(p, a, b, c):
        d1 = (b[0] - a[0]) * (p[1] - a[1]) - (b[1] - a[1]) * (p[0] - a[0])
        d2 = (c[0] - b[0]) * (p[1] - b[1]) - (c[1] - b[1]) * (p[0] - b[0])
        d3 = (a[0] - c[0]) * (p[1] - c[1]) - (a[1] - c[1]) * (p[0] - c[0])
        return d1 >= -1e-12 and d2 >= -1e-12 and d3 >= -1e-12

    guard = 0
    while len(order) > 3 and guard < 10000:
        guard += 1
        found = False
        for i in range(len(order)):
            ia, ib, ic = order[i - 1], order[i], order[(i + 1) % len(order)]
            a, b, c = pts[ia], pts[ib], pts[ic]
            cross = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])
            if cross <= 1e-12:
                continue
            if any(inside(pts[j], a, b, c) for j in order if j not in (ia, ib, ic)):
                continue
            tris.append((ia, ib, ic))
            order.pop(i)
            found = True
            break
        if not found:
            break
    if len(order) == 3:
        tris.append(tuple(order))
    return tris


def extrude(poly, depth, mat, bevel=0.0):
    """Prism from a 2D polygon in the xy plane, z from 0 to depth.  bevel
    (optional) shrinks the top face inward by that fraction towards the
    polygon's centroid."""
    n = len(poly)
    if _area2(poly) < 0:
        poly = list(reversed(poly))
    cx = sum(p[0] for p in poly) / n
    cy = sum(p[1] for p in poly) / n
    m = Mesh()
    bot = [m.add_v((p[0], p[1], 0.0)) for p in poly]
    top = [m.add_v((p[0] + (cx - p[0]) * bevel, p[1] + (cy - p[1]) * bevel, depth)) for p in poly]
    for a, b, c in triangulate(poly):
        m.add_f(top[a], top[b], top[c], mat)
        m.add_f(bot[a], bot[c], bot[b], mat)
    for k in range(n):
        a, b = bot[k], bot[(k + 1) % n]
        c, d = top[(k + 1) % n], top[k]
        m.add_f(a, b, c, mat)
        m.add_f(a, c, d, mat)
    return m.orient()


def slab(poly, thickness, mat, bevel=0.0):
    """Like extrude but centred on z=0 (a plate of the given thickness)."""
    return extrude(poly, thickness, mat, bevel).translate(0, 0, -thickness / 2.0)


def ngon(r, n, phase=0.0, rx=None, ry=None):
    rx = r if rx is None else rx
    ry = r if ry is None else ry
    return [(rx * math.cos(2 * math.pi * k / n + math.radians(phase)),
             ry * math.sin(2 * math.pi * k / n + math.radians(phase))) for k in range(n)]


# ---------------------------------------------------------------- convex hull


def convex_hull(points, mat):
    """Convex hull of 3D points (incremental algorithm), oriented outward."""
    pts = [tuple(float(c) for c in p) for p in points]
    # dedupe
    seen = {}
    uniq = []
    for p in pts:
        key = (round(p[0], 7), round(p[1], 7), round(p[2], 7))
        if key not in seen:
            seen[key] = True
            uniq.append(p)
    pts = uniq
    n = len(pts)
    if n < 4:
        raise ValueError("convex_hull needs at least 4 points")
    # initial tetrahedron
    i0 = 0
    i1 = max(range(n), key=lambda i: v_len(v_sub(pts[i], pts[i0])))
    line = v_sub(pts[i1], pts[i0])
    i2 = max(range(n), key=lambda i: v_len(v_cross(line, v_sub(pts[i], pts[i0]))))
    nrm = tri_normal(pts[i0], pts[i1], pts[i2])
    i3 = max(range(n), key=lambda i: abs(v_dot(nrm, v_sub(pts[i], pts[i0]))))
    if abs(v_dot(nrm, v_sub(pts[i3], pts[i0]))) < 1e-12:
        raise ValueError("convex_hull: points are coplanar")
    faces = []

    def add_face(a, b, c, inside_pt):
        nn = tri_normal(pts[a], pts[b], pts[c])
        if v_dot(nn, v_sub(inside_pt, pts[a])) > 0:
            a, b = b, a
        faces.append((a, b, c))

    centre = _centroid([pts[i0], pts[i1], pts[i2], pts[i3]])
    for a, b, c in ((i0, i1, i2), (i0, i1, i3), (i0, i2, i3), (i1, i2, i3)):
        add_face(a, b, c, centre)
    scale = max(v_len(v_sub(p, centre)) for p in pts)
    eps = 1e-9 * max(scale, 1.0)
    for pi in range(n):
        if pi in (i0, i1, i2, i3):
            continue
        p = pts[pi]
        visible = []
        for fi, (a, b, c) in enumerate(faces):
            nn = v_norm(tri_normal(pts[a], pts[b], pts[c]))
            if v_dot(nn, v_sub(p, pts[a])) > eps:
                visible.append(fi)
        if not visible:
            continue
        vis_set = set(visible)
        edges = {}
        for fi in visible:
            a, b, c = faces[fi]
            for e in ((a, b), (b, c), (c, a)):
                edges[e] = True
        horizon = [e for e in edges if (e[1], e[0]) not in edges]
        faces = [f for fi, f in enumerate(faces) if fi not in vis_set]
        for a, b in horizon:
            faces.append((a, b, pi))
    m = Mesh()
    used = sorted(set(i for f in faces for i in f))
    remap = {}
    for i in used:
        remap[i] = m.add_v(pts[i])
    for a, b, c in faces:
        m.add_f(remap[a], remap[b], remap[c], mat)
    return m.orient()


def rock_points(rng, center, radii, count, roughness=0.2):
    """Random points on a jittered ellipsoid (for convex-hull rocks)."""
    out = []
    golden = math.pi * (3.0 - math.sqrt(5.0))
    for i in range(count):
        z = 1.0 - 2.0 * (i + 0.5) / count
        rr = math.sqrt(max(0.0, 1.0 - z * z))
        a = golden * i + rng.uniform(-0.4, 0.4)
        k = 1.0 + rng.uniform(-roughness, roughness)
        out.append((center[0] + radii[0] * rr * math.cos(a) * k,
                    center[1] + radii[1] * rr * math.sin(a) * k,
                    center[2] + radii[2] * z * k))
    return out


# ---------------------------------------------------------------- OBJ output


def _fmt(x):
    s = "%.5f" % x
    if s == "-0.00000":
        s = "0.00000"
    return s


MATERIAL_ORDER = ["Primary", "Secondary", "Red", "Green", "Blue", "Yellow", "DarkYellow",
                  "Magenta", "LightMagenta", "Orange", "Black", "DarkGrey", "Grey", "Teal",
                  "White", "Brown"]


def to_obj(mesh, header):
    """OBJ text in the subset the game reads: three comment header lines, then
    "v", "vn", and per material a "usemtl" line and triangular "f p//n" lines.
    Positions are shared only within one material (the game's reader keys its
    vertices by the (position, normal) pair per part without the colour), one
    flat normal per face, identical normals shared."""
    assert len(header) == 3
    pos_index = {}
    pos_lines = []
    pos_vals = []
    nrm_index = {}
    nrm_lines = []
    groups = {}
    for a, b, c, mt in mesh.f:
        if mt not in MATERIAL_ORDER:
            raise ValueError("unknown material %r" % mt)
        corners = []
        for i in (a, b, c):
            p = mesh.v[i]
            txt = (_fmt(p[0]), _fmt(p[1]), _fmt(p[2]))
            key = (mt,) + txt
            if key not in pos_index:
                pos_index[key] = len(pos_lines)
                pos_lines.append("v %s %s %s" % txt)
                pos_vals.append(tuple(float(t) for t in txt))
            corners.append(pos_index[key])
        if len(set(corners)) < 3:
            continue
        pa, pb, pc = (pos_vals[i] for i in corners)
        nn = tri_normal(pa, pb, pc)
        ln = v_len(nn)
        if ln < 1e-9:
            continue  # degenerate after rounding
        nn = (nn[0] / ln, nn[1] / ln, nn[2] / ln)
        ntxt = (_fmt(nn[0]), _fmt(nn[1]), _fmt(nn[2]))
        if ntxt not in nrm_index:
            nrm_index[ntxt] = len(nrm_lines)
            nrm_lines.append("vn %s %s %s" % ntxt)
        ni = nrm_index[ntxt]
        groups.setdefault(mt, []).append(
            "f %d//%d %d//%d %d//%d" % (corners[0] + 1, ni + 1, corners[1] + 1, ni + 1,
                                        corners[2] + 1, ni + 1))
    lines = ["# " + h for h in header]
    lines += pos_lines
    lines += nrm_lines
    for mt in MATERIAL_ORDER:
        if mt in groups:
            lines.append("usemtl " + mt)
            lines += groups[mt]
    return "\n".join(lines) + "\n"


def parse_obj(text):
    """Read back the subset written by to_obj.  Returns (positions, normals,
    faces) with faces as (material, (p0, p1, p2), (n0, n1, n2)), 0-based."""
    lines = text.split("\n")[3:]
    pos, nrm, faces = [], [], []
    mat = "Primary"
    for line in lines:
        if not line:
            continue
        tok = line.split(" ")
        if tok[0] == "v":
            pos.append((float(tok[1]), float(tok[2]), float(tok[3])))
        elif tok[0] == "vn":
            nrm.append((float(tok[1]), float(tok[2]), float(tok[3])))
        elif tok[0] == "usemtl":
            mat = tok[1]
        elif tok[0] == "f":
            ps, ns = [], []
            for t in tok[1:4]:
                p, n = t.split("//")
                ps.append(int(p) - 1)
                ns.append(int(n) - 1)
            faces.append((mat, tuple(ps), tuple(ns)))
    return pos, nrm, faces


# ---------------------------------------------------------------- ray casting


def raycast(mesh, origin, direction):
    """Nearest hit of the ray origin + t * direction (t > 0) with the mesh:
    (t, point, unit face normal), or None (Moller-Trumbore)."""
    d = v_norm(direction)
    best = None
    for a, b, c, _m in mesh.f:
        p0, p1, p2 = mesh.v[a], mesh.v[b], mesh.v[c]
        e1 = v_sub(p1, p0)
        e2 = v_sub(p2, p0)
        h = v_cross(d, e2)
        det = v_dot(e1, h)
        if abs(det) < 1e-12:
            continue
        inv = 1.0 / det
        s = v_sub(origin, p0)
        u = v_dot(s, h) * inv
        if u < 0.0 or u > 1.0:
            continue
        q = v_cross(s, e1)
        w = v_dot(d, q) * inv
        if w < 0.0 or u + w > 1.0:
            continue
        t = v_dot(e2, q) * inv
        if t > 1e-9 and (best is None or t < best[0]):
            best = (t, v_add(origin, v_mul(d, t)), v_norm(v_cross(e1, e2)))
    return best
