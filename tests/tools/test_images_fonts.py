"""Tests of the picture and bitmap-font generators (tools/qvdata/images.py, fonts.py).
Needs the Debian packages python3-pil, python3-numpy and fonts-comfortaa."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO))

import numpy as np  # noqa: E402
from PIL import Image  # noqa: E402

from tools.qvdata import fonts, images  # noqa: E402

def png_chunks(path):
    data = Path(path).read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    i, out = 8, []
    while i < len(data):
        out.append(data[i + 4:i + 8].decode("ascii"))
        i += 12 + struct.unpack(">I", data[i:i + 4])[0]
    return out


def all_files(root):
    return sorted(str(p.relative_to(root)) for p in Path(root).rglob("*") if p.is_file())


class GeneratedData(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        root = Path(cls.tmp.name)
        cls.out_a, cls.prev_a = root / "a" / "Data", root / "a" / "preview"
        cls.out_b, cls.prev_b = root / "b" / "Data", root / "b" / "preview"
        # As tools/gen_data.py does: both generators in one process.
        images.generate(cls.out_a, cls.prev_a)
        fonts.generate(cls.out_a, cls.prev_a)
        # Second run in a fresh interpreter through the command line, with another hash seed.
        subprocess.run([sys.executable, str(REPO / "tools" / "qvdata" / "images.py"), "--with-fonts",
                        "--out", str(cls.out_b), "--preview", str(cls.prev_b)],
                       check=True, env=dict(os.environ, PYTHONHASHSEED="12345"), cwd=str(REPO))
        cls.images_dir, cls.fonts_dir = cls.out_a / "Images", cls.out_a / "Fonts"
        cls.addClassCleanup(cls.tmp.cleanup)

    def image(self, name):
        with Image.open(self.images_dir / name) as im:
            return im.convert("RGBA")

    def test_byte_identical_between_runs_without_metadata(self):
        for a, b in ((self.out_a, self.out_b), (self.prev_a, self.prev_b)):
            files = all_files(a)
            self.assertEqual(files, all_files(b))
            for rel in files:
                self.assertEqual((a / rel).read_bytes(), (b / rel).read_bytes(), rel)
        for p in sorted(self.images_dir.glob("*.png")):
            self.assertFalse({"tIME", "tEXt", "zTXt", "iTXt"} & set(png_chunks(p)), p.name)

    def test_white_pixel_and_cursor_tip(self):
        self.assertEqual(self.image("White Pixel.png").getpixel((0, 0)), (255, 255, 255, 255))
        alpha = self.image("Mouse Cursor Size 1.png").getchannel("A")
        # the tip is the opaque top-left pixel: nothing of the arrow lies left of or above it
        self.assertEqual(alpha.getpixel((0, 0)), 255)
        self.assertEqual(alpha.point(lambda a: 255 if a >= 128 else 0).getbbox()[:2], (0, 0))

    def test_tiled_bands_are_uniform(self):
        """Rows that the game tiles vertically must not change from row to row."""
        cases = [("Image Hud Main Menu.png", 120, 126), ("Image Hud Units.png", 120, 126),
                 ("Image Hud Loading.png", 31, 97), ("Image Hud Bottom.png", -12, -6)]
        for name, r0, r1 in cases:
            band = np.asarray(self.image(name), dtype=int)[r0:r1]
            self.assertTrue((np.abs(band - band[0:1]) <= 1).all(), name)

    # ------------------------------------------------------------ fonts

    def _fonts(self):
        for size in (26, 33, 37, 47):
            text = (self.fonts_dir / fonts.fnt_name(size)).read_text()
            yield size, text, fonts.parse_fnt(text), self.image(fonts.sheet_name(size))

    def test_fonts_parse_and_cover_ascii(self):
        for size, text, parsed, sheet in self._fonts():
            self.assertEqual(set(range(32, 127)) - set(parsed["glyphs"]), set(), size)
            self.assertEqual((parsed["scaleW"], parsed["scaleH"], parsed["padding"]), (*sheet.size, [0, 0, 0, 0]))
            self.assertTrue("lineHeight=%d" % size in text and 'file="%s"' % fonts.sheet_name(size) in text, size)
            self.assertTrue(all(side & (side - 1) == 0 for side in sheet.size), "power-of-two sheet")
            self.assertTrue(text.rstrip().endswith("kernings count=0"))

    def test_glyphs_inside_disjoint_white_and_inked_only_in_their_boxes(self):
        for size, text, parsed, sheet in self._fonts():
            a = np.asarray(sheet)
            cover = np.zeros(a.shape[:2], dtype=int)
            for g in parsed["glyphs"].values():
                x, y, w, h = g["x"], g["y"], g["width"], g["height"]
                self.assertTrue(0 <= x and 0 <= y and x + w <= sheet.width and y + h <= sheet.height, g["id"])
                cover[y:y + h, x:x + w] += 1
            self.assertLessEqual(cover.max(), 1, "%d: glyph boxes overlap" % size)
            self.assertTrue((a[..., :3] == 255).all() and int(a[..., 3].sum()) > 0, size)
            self.assertFalse(((a[..., 3] > 0) & (cover == 0)).any(), size)

    def test_baseline_consistent(self):
        """Bottoms of flat-bottomed capitals land on one row: the glyph metrics baseline-align."""
        for size, text, parsed, sheet in self._fonts():
            bottoms, a = set(), np.asarray(sheet)[..., 3]
            for ch in "EHILTZ":
                g = parsed["glyphs"][ord(ch)]
                box = a[g["y"]:g["y"] + g["height"], g["x"]:g["x"] + g["width"]]
                rows = np.nonzero(box.max(axis=1) > 128)[0]
                bottoms.add(g["yoffset"] + int(rows[-1]))
            self.assertLessEqual(max(bottoms) - min(bottoms), 1, (size, bottoms))
            # and the ink stays near the line box
            for g in parsed["glyphs"].values():
                if g["height"]:
                    self.assertTrue(g["yoffset"] >= -1 and g["yoffset"] + g["height"] <= size + size // 4, g["id"])


if __name__ == "__main__":
    unittest.main()
