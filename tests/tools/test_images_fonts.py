"""Tests of the picture and bitmap-font generators (tools/qvdata/images.py, fonts.py).

Run: /usr/bin/python3 -m unittest discover -s tests/tools
Needs the Debian packages python3-pil, python3-numpy and fonts-comfortaa.
"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO))

from PIL import Image  # noqa: E402

from tools.qvdata import fonts, images  # noqa: E402

# Every picture name the game uses, the title picture included.
SPEC_NAMES = [
    "3 Legged Creature.png",
    "Brindlewood 0.17 - Size 26.png", "Brindlewood 0.17 - Size 33.png",
    "Brindlewood 0.17 - Size 37.png", "Brindlewood 0.17 - Size 47.png",
    "Button Large Long Hilighted Green.png", "Button Large Long Not Hilighted Green.png",
    "Button Large Short Hilighted Green.png", "Button Large Short Not Hilighted Green.png",
    "Button Page Select Hilighted.png", "Button Page Select Not Hilighted.png",
    "Button Small Hilighted.png", "Button Small Not Hilighted.png",
    "Button Small Very Short Hilighted.png", "Button Small Very Short Not Hilighted.png",
    "Button Unit3D Template Hilighted.png", "Button Unit3D Template Not Hilighted.png",
    "Button Unit3D Template Small Hilighted.png", "Button Unit3D Template Small Not Hilighted.png",
    "Checkbox Center No Fill.png", "Checkbox Center.png", "Checkbox Hilighted Blue.png",
    "Checkbox Hilighted No Fill.png", "Checkbox Not Hilighted Blue.png", "Checkbox Not Hilighted No Fill.png",
    "Company Logo - For Main Menu.png", "Game Version Number.png",
    "Image Hud Bottom.png", "Image Hud Loading.png", "Image Hud Main Menu.png", "Image Hud Top.png",
    "Image Hud Units.png", "Label Large Medium Not Hilighted Green.png", "Menu Screenshot.png",
    "Mouse Cursor Size 1.png",
    "Slider Background Hilighted.png", "Slider Background Not Hilighted.png",
    "Slider Fill Hilighted.png", "Slider Fill Not Hilighted.png",
    "Slider Pull Hilighted.png", "Slider Pull Not Hilighted.png",
    "Symbol Button Small Very Short Arrow 1.png", "Symbol Button Small Very Short Arrow 2.png",
    "Symbol Button Small Very Short Arrow 3.png", "Symbol Button Small Very Short Arrow Facing Left.png",
    "Symbol Button Small Very Short Arrow Facing Right.png", "Symbol Button Small Very Short Pause.png",
    "Symbol Button Terrain Flatten Horizontal.png", "Symbol Button Terrain Flatten Keep Angle.png",
    "Symbol Button Terrain Lower Flat.png", "Symbol Button Terrain Lower Round.png",
    "Symbol Button Terrain Raise Flat.png", "Symbol Button Terrain Raise Round.png",
    "Symbol Button Terrain Roughen Keep Angle.png", "Symbol Info.png", "White Pixel.png",
    "Title Quillon Vale.png",
]

FNT_NAMES = ["Brindlewood 0.17 - Size %d.fnt" % s for s in (26, 33, 37, 47)]


def png_chunks(path):
    data = Path(path).read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    i = 8
    out = []
    while i < len(data):
        (length,) = struct.unpack(">I", data[i:i + 4])
        out.append(data[i + 4:i + 8].decode("ascii"))
        i += 12 + length
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
        env = dict(os.environ, PYTHONHASHSEED="12345")
        subprocess.run([sys.executable, str(REPO / "tools" / "qvdata" / "images.py"), "--with-fonts",
                        "--out", str(cls.out_b), "--preview", str(cls.prev_b)],
                       check=True, env=env, cwd=str(REPO))
        cls.images_dir = cls.out_a / "Images"
        cls.fonts_dir = cls.out_a / "Fonts"

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    # ------------------------------------------------------------ determinism

    def test_byte_identical_between_runs(self):
        fa, fb = all_files(self.out_a), all_files(self.out_b)
        self.assertEqual(fa, fb)
        for rel in fa:
            self.assertEqual((self.out_a / rel).read_bytes(), (self.out_b / rel).read_bytes(), rel)
        pa, pb = all_files(self.prev_a), all_files(self.prev_b)
        self.assertEqual(pa, pb)
        for rel in pa:
            self.assertEqual((self.prev_a / rel).read_bytes(), (self.prev_b / rel).read_bytes(), rel)

    def test_no_metadata_chunks(self):
        for p in sorted(self.images_dir.glob("*.png")):
            chunks = png_chunks(p)
            for bad in ("tIME", "tEXt", "zTXt", "iTXt"):
                self.assertNotIn(bad, chunks, p.name)

    # ------------------------------------------------------------ names and sizes

    def test_every_spec_name_exists(self):
        for name in SPEC_NAMES:
            self.assertTrue((self.images_dir / name).is_file(), name)
        for name in FNT_NAMES:
            self.assertTrue((self.fonts_dir / name).is_file(), name)

    def test_contact_sheets_exist(self):
        for name in ("images.png", "fonts.png", "ui_mockup.png"):
            self.assertTrue((self.prev_a / name).is_file(), name)

    def test_sizes_match_table(self):
        table = images.expected_sizes()
        for name in SPEC_NAMES:
            if name.startswith("Brindlewood"):
                continue
            self.assertIn(name, table, name)
        for name, size in table.items():
            with Image.open(self.images_dir / name) as im:
                self.assertEqual(im.size, tuple(size), name)
                self.assertIn(im.mode, ("RGBA", "RGB"), name)

    def test_sizes_follow_spec_geometry(self):
        def size(name):
            with Image.open(self.images_dir / name) as im:
                return im.size
        # Buttons: hit shape + 9 px margin on every side.
        hits = {"Button Large Long": (364, 65), "Button Large Short": (182, 65),
                "Button Page Select": (79, 65), "Button Small": (158, 39),
                "Button Small Very Short": (66, 39)}
        for base, (w, h) in hits.items():
            suffix = " Green" if base.startswith("Button Large") else ""
            for state in ("Hilighted", "Not Hilighted"):
                self.assertEqual(size("%s %s%s.png" % (base, state, suffix)), (w + 18, h + 18))
        # label centring: 12 + face width / 2 = half the picture width
        for base, face in (("Button Large Long", 358), ("Button Large Short", 176), ("Button Small", 152),
                           ("Button Small Very Short", 60)):
            suffix = " Green" if base.startswith("Button Large") else ""
            self.assertEqual(size("%s Hilighted%s.png" % (base, suffix))[0], 2 * 12 + face)
        self.assertEqual(size("Checkbox Hilighted Blue.png"), (25 + 18, 25 + 18))
        self.assertEqual(size("Slider Background Hilighted.png"), (329 + 18, 27 + 18))
        self.assertEqual(size("Symbol Info.png"), (26 + 18, 26 + 18))
        # Nine-slice cuts
        self.assertEqual(size("Image Hud Loading.png"), (28 + 72 + 28, 31 + 66 + 30))
        self.assertEqual(size("Image Hud Main Menu.png"), (55 + 40 + 55, 120 + 6 + 123))
        self.assertEqual(size("Image Hud Units.png"), (55 + 40 + 55, 120 + 6 + 125))
        self.assertEqual(size("Image Hud Top.png")[0], 118)
        self.assertEqual(size("Image Hud Bottom.png")[0], 118)
        self.assertGreaterEqual(size("Image Hud Bottom.png")[1], 58 + 12)
        # icons sit symmetrically inside their buttons
        self.assertEqual(size("Symbol Button Small Very Short Pause.png"), (84 - 2 * 12, 57 - 2 * 12))
        self.assertEqual(size("Symbol Button Terrain Raise Round.png"), (97 - 2 * 16, 83 - 2 * 12))
        self.assertEqual(size("Menu Screenshot.png"), (1920, 1080))

    # ------------------------------------------------------------ special pictures

    def test_white_pixel(self):
        with Image.open(self.images_dir / "White Pixel.png") as im:
            self.assertEqual(im.size, (1, 1))
            self.assertEqual(im.convert("RGBA").getpixel((0, 0)), (255, 255, 255, 255))

    def test_cursor_tip_is_top_left_and_opaque(self):
        with Image.open(self.images_dir / "Mouse Cursor Size 1.png") as im:
            im = im.convert("RGBA")
            self.assertEqual(im.getpixel((0, 0))[3], 255)
            # nothing of the arrow lies left of or above the tip: first row and column start at 0
            alpha = im.getchannel("A")
            bbox = alpha.point(lambda a: 255 if a >= 128 else 0).getbbox()
            self.assertEqual(bbox[:2], (0, 0))

    def test_icon_power_of_two(self):
        with Image.open(self.images_dir / "3 Legged Creature.png") as im:
            w, h = im.size
            self.assertTrue(w == h and w & (w - 1) == 0)

    def test_tiled_bands_are_uniform(self):
        """Rows that the game tiles vertically must not change from row to row."""
        import numpy as np
        cases = [("Image Hud Main Menu.png", 120, 126), ("Image Hud Units.png", 120, 126),
                 ("Image Hud Loading.png", 31, 97)]
        for name, r0, r1 in cases:
            with Image.open(self.images_dir / name) as im:
                a = np.asarray(im.convert("RGBA"), dtype=int)
            band = a[r0:r1]
            self.assertTrue((np.abs(band - band[0:1]) <= 1).all(), name)
        with Image.open(self.images_dir / "Image Hud Bottom.png") as im:
            a = np.asarray(im.convert("RGBA"), dtype=int)
        T = a.shape[0]
        band = a[T - 12:T - 6]
        self.assertTrue((np.abs(band - band[0:1]) <= 1).all())

    # ------------------------------------------------------------ fonts

    def _fonts(self):
        for size in (26, 33, 37, 47):
            text = (self.fonts_dir / fonts.fnt_name(size)).read_text()
            with Image.open(self.images_dir / fonts.sheet_name(size)) as im:
                sheet = im.convert("RGBA")
            yield size, text, fonts.parse_fnt(text), sheet

    def test_fonts_parse_and_cover_ascii(self):
        for size, text, parsed, sheet in self._fonts():
            for code in range(32, 127):
                self.assertIn(code, parsed["glyphs"], (size, code))
            self.assertEqual((parsed["scaleW"], parsed["scaleH"]), sheet.size)
            self.assertEqual(parsed["padding"], [0, 0, 0, 0])
            self.assertIn("lineHeight=%d" % size, text)
            self.assertIn('file="%s"' % fonts.sheet_name(size), text)
            # sheet sides are powers of two
            for side in sheet.size:
                self.assertEqual(side & (side - 1), 0)
            # every "char" line has the eight values in the reader's order
            for line in text.splitlines():
                if line.startswith("char "):
                    keys = [w.split("=")[0] for w in line.split()[1:9]]
                    self.assertEqual(keys, ["id", "x", "y", "width", "height", "xoffset", "yoffset",
                                            "xadvance"])
            self.assertTrue(text.rstrip().endswith("kernings count=0"))

    def test_glyph_rectangles_inside_and_disjoint(self):
        for size, text, parsed, sheet in self._fonts():
            rects = []
            for g in parsed["glyphs"].values():
                x, y, w, h = g["x"], g["y"], g["width"], g["height"]
                self.assertTrue(0 <= x and 0 <= y and x + w <= sheet.width and y + h <= sheet.height,
                                (size, g["id"]))
                if w > 0 and h > 0:
                    rects.append((x, y, x + w, y + h, g["id"]))
            rects.sort()
            for i, a in enumerate(rects):
                for b in rects[i + 1:]:
                    if b[0] >= a[2]:
                        break
                    overlap = a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]
                    self.assertFalse(overlap, (size, a[4], b[4]))

    def test_glyphs_are_white_with_alpha_and_ink_inside_boxes(self):
        import numpy as np
        for size, text, parsed, sheet in self._fonts():
            a = np.asarray(sheet)
            self.assertTrue((a[..., :3] == 255).all())
            covered = np.zeros(a.shape[:2], dtype=bool)
            for g in parsed["glyphs"].values():
                covered[g["y"]:g["y"] + g["height"], g["x"]:g["x"] + g["width"]] = True
            self.assertFalse(((a[..., 3] > 0) & ~covered).any(), size)
            # the letters with ink have ink
            self.assertGreater(int(a[..., 3].sum()), 0)

    def test_baseline_consistent(self):
        """Bottoms of flat-bottomed capitals land on one row: the glyph metrics baseline-align."""
        import numpy as np
        for size, text, parsed, sheet in self._fonts():
            bottoms = set()
            a = np.asarray(sheet)[..., 3]
            for ch in "EHILTZ":
                g = parsed["glyphs"][ord(ch)]
                box = a[g["y"]:g["y"] + g["height"], g["x"]:g["x"] + g["width"]]
                rows = np.nonzero(box.max(axis=1) > 128)[0]
                bottoms.add(g["yoffset"] + int(rows[-1]))
            self.assertLessEqual(max(bottoms) - min(bottoms), 1, (size, bottoms))
            # and the ink stays near the line box
            for g in parsed["glyphs"].values():
                if g["height"]:
                    self.assertGreaterEqual(g["yoffset"], -1)
                    self.assertLessEqual(g["yoffset"] + g["height"], size + size // 4)

    def test_reader_rules(self):
        """The parser follows the game's reader: values by position, first eight kept, stop at kernings."""
        text = ("info size=12 padding=1,2,3,4\ncommon scaleW=64 scaleH=32\nchars count=2\n"
                "char id=65 x=1 y=2 width=3 height=4 xoffset=5 yoffset=6 xadvance=7 page=0 chnl=15\n"
                "char a=66 b=8 c=9 d=10 e=11 f=12 g=13 h=14 i=99\n"
                "kernings count=1\nchar id=67 x=1 y=1 width=1 height=1 xoffset=1 yoffset=1 xadvance=1\n")
        p = fonts.parse_fnt(text)
        self.assertEqual(p["padding"], [1, 2, 3, 4])
        self.assertEqual((p["size"], p["scaleW"], p["scaleH"]), (12, 64, 32))
        self.assertEqual(sorted(p["glyphs"]), [65, 66])
        self.assertEqual(p["glyphs"][66]["xadvance"], 14)
        self.assertEqual(p["glyphs"][65]["advance"], 7 - 3)
        self.assertEqual(p["glyphs"][65]["visible_width"], 3 - 1 - 3)

    def test_text_measure_of_a_two_line_text(self):
        size, text, parsed, sheet = next(self._fonts())
        g = parsed["glyphs"]
        w, h = fonts.text_size(parsed, size, "A\nBC")
        self.assertEqual(h, 2 * size)
        self.assertEqual(w, max(g[65]["visible_width"], g[66]["advance"] + g[67]["visible_width"]))



if __name__ == "__main__":
    unittest.main()
