"""Tests of the desktop icons (tools/qvdata/icons.py): every hicolor size is
the same creature, drawn with crisp edges rather than scaled up."""

import sys
import tempfile
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO))

import numpy as np  # noqa: E402
from PIL import Image  # noqa: E402

from tools.qvdata import icons  # noqa: E402


class IconsTest(unittest.TestCase):
    def test_every_size_is_a_sharp_copy_of_the_same_creature(self):
        with tempfile.TemporaryDirectory() as out:
            icons.generate(out, out)
            pics = {s: Image.open(icons.icon_path(out, s)) for s in icons.SIZES}
            self.assertTrue((Path(out) / "icons.png").is_file())
        def premultiplied(img):
            a = np.asarray(img.convert("RGBA"), dtype=np.float64) / 255.0
            return a[..., :3] * a[..., 3:] * 255.0

        reference = premultiplied(pics[64])
        for size, img in pics.items():
            with self.subTest(size=size):
                self.assertEqual((img.mode, img.size), ("RGBA", (size, size)))
                alpha = np.asarray(img)[..., 3]
                # Soft edges are about one pixel wide at any size, so their share
                # of the figure shrinks as the icon grows.
                soft = ((alpha > 0) & (alpha < 255)).sum() / (alpha > 0).sum()
                self.assertLess(soft * size, 12.0)
                # Transparent corners, a solid middle (the eye).
                self.assertEqual(alpha[0, 0], 0)
                self.assertEqual(alpha[size * 26 // 64, size // 2], 255)
                if size > 64:
                    small = premultiplied(img.convert("RGBa").resize((64, 64), Image.BOX).convert("RGBA"))
                    self.assertLess(np.abs(small - reference).mean(), 3.0)


if __name__ == "__main__":
    unittest.main()
