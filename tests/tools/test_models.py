"""Tests of the unit and cloud model generator (tools/qvdata/models.py)."""

import importlib.util
import math
import os
import re
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools"))

from qvdata import models  # noqa: E402
from qvdata import mesh as M  # noqa: E402

DEFAULT_MODEL_NAMES = [
    "2 Cylinder Alien Cactus with Spikes", "2 Finned Swordfish", "3 Legged Spider Like", "3 Pentagonal Crystals",
    "Ant Eater Elephant Like Creature", "Berry", "Box Head Creature", "Chickenlike", "Crystal Top Tree", "Crystals",
    "Cup Tree", "Double Tuliplike Plant", "Ducklike Creature", "Egg Tree Large Base", "Empty Lolypop Plant",
    "Fish Flat Triangular", "Hook Shaped Tree", "Hovering Creature", "Large Crystal with Base", "Lily Pineapple",
    "Little Bug", "Mushroom Tree", "One Eyed Fishlike Creature", "Ostrichlike", "Pear Shaped Rock Plant",
    "Pentagon Plant", "Pile of Spheres", "Plant with Twisted Stem", "Pointy Mushroom Like Tree",
    "Pointy Tree Trunk that Splits", "Pointy Tree Trunk", "Pointy Tree with Plates", "Rock Round", "Rock Sideways",
    "Rock Square", "Rock Tall Flat", "Rock Tall", "Rock With Eyes", "Rock with Cutout", "Rock with Plates",
    "Snail Like Creature", "Spike Plant With Eye", "Three Legged One Eyed Creature", "Tree Stump with Cutout",
    "Tree with Large Base and Multiple Trunks", "Tree with Sphere and Thick Branch Loop", "Tube Plant", "Turtlelike",
]
CLOUD_NAMES = ["Cloud 1", "Cloud 2", "Cloud 3", "Cloud 4", "Cloud 5"]
CREATURES = [
    "3 Legged Spider Like", "Ant Eater Elephant Like Creature", "Three Legged One Eyed Creature", "Hovering Creature",
    "Rock With Eyes", "Little Bug", "One Eyed Fishlike Creature", "Snail Like Creature", "2 Finned Swordfish",
    "Chickenlike", "Ostrichlike", "Fish Flat Triangular", "Turtlelike", "Box Head Creature", "Ducklike Creature",
]
MATERIALS = {"Primary", "Secondary", "Red", "Green", "Blue", "Yellow", "DarkYellow", "Magenta",
             "LightMagenta", "Orange", "Black", "DarkGrey", "Grey", "Teal", "White", "Brown"}

NUM = r"-?\d+\.\d{5}"
V_LINE = re.compile(r"^v %s %s %s$" % (NUM, NUM, NUM))
VN_LINE = re.compile(r"^vn %s %s %s$" % (NUM, NUM, NUM))
F_LINE = re.compile(r"^f (\d+)//(\d+) (\d+)//(\d+) (\d+)//(\d+)$")


class ModelFilesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.out = os.path.join(cls.tmp.name, "Data")
        cls.texts = models.generate(cls.out, None)
        cls.parsed = {name: M.parse_obj(txt) for name, txt in cls.texts.items()}
        cls.addClassCleanup(cls.tmp.cleanup)

    def test_every_name_present(self):
        self.assertEqual(sorted(os.listdir(os.path.join(self.out, "Models"))),
                         sorted(n + ".obj" for n in DEFAULT_MODEL_NAMES + CLOUD_NAMES))

    def test_two_runs_byte_identical(self):
        with tempfile.TemporaryDirectory() as other:
            models.generate(other, None)
            for fname, txt in self.texts.items():
                for folder in (other, self.out):
                    with open(os.path.join(folder, "Models", fname), "rb") as fh:
                        self.assertEqual(fh.read(), txt.encode("ascii"), fname)

    def test_line_format_header_then_triangles_of_known_materials(self):
        for fname, txt in self.texts.items():
            self.assertTrue("\r" not in txt and txt.endswith("\n"), fname)
            lines = txt.split("\n")[:-1]
            self.assertTrue(all(lines[k].startswith("#") for k in range(3)), fname + " header")
            npos, nnrm, seen_face = 0, 0, False
            for line in lines[3:]:
                self.assertTrue(line == line.strip() and "  " not in line, fname)
                if line.startswith("v "):
                    self.assertRegex(line, V_LINE)
                    self.assertFalse(seen_face, "positions come before faces in " + fname)
                    npos += 1
                elif line.startswith("vn "):
                    self.assertRegex(line, VN_LINE)
                    nnrm += 1
                elif line.startswith("usemtl "):
                    self.assertIn(line[len("usemtl "):], MATERIALS, fname)
                elif line.startswith("f "):
                    seen_face = True
                    m = F_LINE.match(line)
                    self.assertIsNotNone(m, "%s: not a triangle %r" % (fname, line))
                    p = [int(m.group(i)) for i in (1, 3, 5)]
                    n = [int(m.group(i)) for i in (2, 4, 6)]
                    self.assertTrue(all(1 <= i <= npos for i in p) and all(1 <= i <= nnrm for i in n), fname)
                    self.assertEqual((len(set(n)), len(set(p))), (1, 3), "flat normal, no degenerate face: " + fname)
                else:
                    self.fail("%s: unexpected line %r" % (fname, line))
            self.assertTrue(seen_face, fname)

    def test_materials_eyes_and_unshared_fixed_colours(self):
        for fname, (pos, nrm, faces) in self.parsed.items():
            used = set(f[0] for f in faces)
            if fname.startswith("Cloud "):
                self.assertEqual(used, {"Primary"}, fname)
                continue
            expected = {"Primary", "Secondary"} | ({"White", "Black"} if fname[:-4] in CREATURES else set())
            self.assertTrue(expected <= used <= MATERIALS, fname)
            # the game keys fixed-part vertices by (position, normal) without the colour
            owner = {}
            for mat, ps, ns in faces:
                for p in ps:
                    self.assertEqual(owner.setdefault(p, mat), mat, fname)

    def test_normals_unit_and_match_winding(self):
        for fname, (pos, nrm, faces) in self.parsed.items():
            for n in nrm:
                self.assertAlmostEqual(M.v_len(n), 1.0, delta=2e-4, msg=fname)
            for mat, ps, ns in faces:
                c = M.tri_normal(pos[ps[0]], pos[ps[1]], pos[ps[2]])
                self.assertGreater(M.v_len(c), 0.0, fname)
                self.assertGreater(M.v_dot(M.v_norm(c), nrm[ns[0]]), 0.999, fname)

    def test_outward_facing(self):
        """Every connected piece encloses a positive volume (faces wound CCW
        seen from outside), and is closed (every edge used once each way)."""
        for fname, (pos, nrm, faces) in self.parsed.items():
            parent = list(range(len(pos)))

            def find(i):
                while parent[i] != i:
                    i = parent[i]
                return i
            for _m, ps, _n in faces:
                for a in ps[1:]:
                    parent[find(a)] = find(ps[0])
            vol, edges = {}, {}
            for _m, (a, b, c), _n in faces:
                r = find(a)
                vol[r] = vol.get(r, 0.0) + M.v_dot(pos[a], M.v_cross(pos[b], pos[c])) / 6.0
                for e in ((a, b), (b, c), (c, a)):
                    edges[e] = edges.get(e, 0) + 1
            for r, v in vol.items():
                self.assertGreater(v, 0.0, "%s: a piece faces inward (volume %g)" % (fname, v))
            open_edges = [e for e in edges if (e[1], e[0]) not in edges]
            self.assertLessEqual(len(open_edges), len(edges) * 0.01,
                                 "%s: %d open edges" % (fname, len(open_edges)))

    def test_rests_on_ground_at_origin_with_positive_size(self):
        for fname, (pos, nrm, faces) in self.parsed.items():
            radius, height = max(math.hypot(p[0], p[1]) for p in pos), max(p[2] for p in pos)
            self.assertAlmostEqual(min(p[2] for p in pos), 0.0, delta=1e-4, msg=fname)
            self.assertTrue(height > 0.2 and radius > 0.1, fname)
            if not fname.startswith("Cloud "):
                self.assertTrue(0.5 <= height <= 3.5 and radius < 2.0, "%s height %.2f radius %.2f" % (fname, height, radius))
            self.assertLess(len(faces), 6000, fname)
            contact = [p for p in pos if p[2] <= 0.02 * height]
            x0, x1 = min(p[0] for p in contact), max(p[0] for p in contact)
            y0, y1 = min(p[1] for p in contact), max(p[1] for p in contact)
            # the origin lies in the ground contact, at its centre unless authored
            self.assertTrue(x0 - 1e-3 <= 0.0 <= x1 + 1e-3 and y0 - 1e-3 <= 0.0 <= y1 + 1e-3, fname)
            tol = 0.3 if fname[:-4] in models.AUTHORED_ORIGIN else 0.05
            self.assertLess(math.hypot((x0 + x1) / 2.0, (y0 + y1) / 2.0), tol * radius + 1e-3, fname)


class MeshToolkitTest(unittest.TestCase):
    def test_convex_primitives_face_outward(self):
        hull = [(0, 0, 0), (1, 0, 0), (0, 1, 0), (0, 0, 1), (1, 1, 1), (0.2, 0.2, 0.2)]
        prims = [M.box(1, 2, 3, "Primary"), M.cylinder(0.5, 1, "Primary", 7), M.cone(0.5, 1, "Primary", 5),
                 M.uv_sphere(1, "Primary", 8, 6), M.icosphere(1, "Primary", 2), M.frustum(1, 0.5, 2, "Primary", 6),
                 M.convex_hull(hull, "Primary"), M.extrude(M.ngon(1, 5), 0.5, "Primary")]
        for m in prims:
            m = m.translate(3, -2, 1)
            self.assertGreater(m.signed_volume(), 0.0)
            edges = {e for a, b, c, _m in m.f for e in ((a, b), (b, c), (c, a))}
            self.assertEqual({(b, a) for a, b in edges}, edges, "closed")
            # every face normal points away from the centre
            lo, hi = m.bounds()
            cen = tuple((lo[k] + hi[k]) / 2 for k in range(3))
            for a, b, c, _m in m.f:
                n = M.tri_normal(m.v[a], m.v[b], m.v[c])
                mid = M.v_mul(M.v_add(M.v_add(m.v[a], m.v[b]), m.v[c]), 1 / 3.0)
                self.assertGreater(M.v_dot(n, M.v_sub(mid, cen)), 0.0)

    def test_triangulate_concave(self):
        poly = [(0, 0), (2, 0), (2, 2), (1, 0.5), (0, 2)]
        tris = M.triangulate(poly)
        self.assertEqual(len(tris), 3)
        area = sum(abs((poly[b][0] - poly[a][0]) * (poly[c][1] - poly[a][1])
                       - (poly[b][1] - poly[a][1]) * (poly[c][0] - poly[a][0])) / 2 for a, b, c in tris)
        self.assertAlmostEqual(area, 2.5)


class ContactSheetTest(unittest.TestCase):
    @unittest.skipUnless(importlib.util.find_spec("PIL"), "PIL not installed")
    def test_sheet_written(self):
        from PIL import Image
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "prev", "models.png")
            texts = {n + ".obj": models.obj_text(n) for n in ("Chickenlike", "Rock Round", "Cloud 1")}
            models.contact_sheet(texts, path)
            with Image.open(path) as img:
                self.assertEqual(img.size[0], 8 * 240)


if __name__ == "__main__":
    unittest.main()
