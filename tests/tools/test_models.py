"""Tests of the unit and cloud model generator (tools/qvdata/models.py)."""

import math
import os
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools"))

from qvdata import models  # noqa: E402
from qvdata import mesh as M  # noqa: E402

CREATURES = [
    "3 Legged Spider Like", "Ant Eater Elephant Like Creature", "Three Legged One Eyed Creature", "Hovering Creature",
    "Rock With Eyes", "Little Bug", "One Eyed Fishlike Creature", "Snail Like Creature", "2 Finned Swordfish",
    "Chickenlike", "Ostrichlike", "Fish Flat Triangular", "Turtlelike", "Box Head Creature", "Ducklike Creature",
]
MATERIALS = {"Primary", "Secondary", "Red", "Green", "Blue", "Yellow", "DarkYellow", "Magenta",
             "LightMagenta", "Orange", "Black", "DarkGrey", "Grey", "Teal", "White", "Brown"}

class ModelFilesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.out = os.path.join(cls.tmp.name, "Data")
        cls.texts = models.generate(cls.out, None)
        cls.parsed = {name: M.parse_obj(txt) for name, txt in cls.texts.items()}
        cls.addClassCleanup(cls.tmp.cleanup)

    def test_two_runs_byte_identical(self):
        with tempfile.TemporaryDirectory() as other:
            models.generate(other, None)
            for fname, txt in self.texts.items():
                for folder in (other, self.out):
                    with open(os.path.join(folder, "Models", fname), "rb") as fh:
                        self.assertEqual(fh.read(), txt.encode("ascii"), fname)

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


if __name__ == "__main__":
    unittest.main()
