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

# Every picture name the game uses, the title picture included.
NAMES = (["3 Legged Creature.png", "Checkbox Center No Fill.png", "Checkbox Center.png",
          "Company Logo - For Main Menu.png", "Game Version Number.png", "Label Large Medium Not Hilighted Green.png",
          "Menu Screenshot.png", "Mouse Cursor Size 1.png", "Symbol Info.png", "White Pixel.png",
          "Title Quillon Vale.png"]
         + ["Brindlewood 0.17 - Size %d.png" % s for s in (26, 33, 37, 47)]
         + ["Image Hud %s.png" % n for n in ("Bottom", "Loading", "Main Menu", "Top", "Units")]
         + [(b % state) + ".png" for state in ("Hilighted", "Not Hilighted")
            for b in ("Button Large Long %s Green", "Button Large Short %s Green", "Button Page Select %s",
                      "Button Small %s", "Button Small Very Short %s", "Button Unit3D Template %s",
                      "Button Unit3D Template Small %s", "Checkbox %s Blue", "Checkbox %s No Fill",
                      "Slider Background %s", "Slider Fill %s", "Slider Pull %s")]
         + ["Symbol Button Small Very Short %s.png" % n
            for n in ("Arrow 1", "Arrow 2", "Arrow 3", "Arrow Facing Left", "Arrow Facing Right", "Pause")]
         + ["Symbol Button Terrain %s.png" % n for n in ("Flatten Horizontal", "Flatten Keep Angle", "Lower Flat",
                                                         "Lower Round", "Raise Flat", "Raise Round", "Roughen Keep Angle")])

FNT_NAMES = ["Brindlewood 0.17 - Size %d.fnt" % s for s in (26, 33, 37, 47)]


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

    def test_every_name_exists_with_its_size(self):
        previews = ("images.png", "fonts.png", "ui_mockup.png")
        for folder, names in ((self.images_dir, NAMES), (self.fonts_dir, FNT_NAMES), (self.prev_a, previews)):
            for name in names:
                self.assertTrue((folder / name).is_file(), name)
        table = images.expected_sizes()
        self.assertEqual({n for n in NAMES if not n.startswith("Brindlewood")} - set(table), set())
        for name, size in table.items():
            with Image.open(self.images_dir / name) as im:
                self.assertEqual((im.size, im.mode in ("RGBA", "RGB")), (tuple(size), True), name)

    def test_sizes_follow_the_layout_geometry(self):
        def size(name):
            return self.image(name).size
        # Buttons: hit shape + 9 px margin on every side; label centring: 12 + face width / 2 = half the width.
        for base, (w, h), face in (("Button Large Long %s Green", (364, 65), 358), ("Button Small %s", (158, 39), 152),
                                   ("Button Large Short %s Green", (182, 65), 176), ("Button Page Select %s", (79, 65), None),
                                   ("Button Small Very Short %s", (66, 39), 60)):
            for state in ("Hilighted", "Not Hilighted"):
                self.assertEqual(size((base % state) + ".png"), (w + 18, h + 18), base)
            self.assertTrue(face is None or w + 18 == 2 * 12 + face, base)
        expected = {"Checkbox Hilighted Blue.png": (25 + 18, 25 + 18),
                    "Slider Background Hilighted.png": (329 + 18, 27 + 18), "Symbol Info.png": (26 + 18, 26 + 18),
                    # nine-slice cuts
                    "Image Hud Loading.png": (28 + 72 + 28, 31 + 66 + 30),
                    "Image Hud Main Menu.png": (55 + 40 + 55, 120 + 6 + 123), "Image Hud Units.png": (150, 120 + 6 + 125),
                    # icons sit symmetrically inside their buttons
                    "Symbol Button Small Very Short Pause.png": (84 - 2 * 12, 57 - 2 * 12),
                    "Symbol Button Terrain Raise Round.png": (97 - 2 * 16, 83 - 2 * 12),
                    "Menu Screenshot.png": (1920, 1080), "White Pixel.png": (1, 1)}
        for name, wh in expected.items():
            self.assertEqual(size(name), wh, name)
        self.assertEqual(size("Image Hud Top.png")[0], 118)
        self.assertTrue(size("Image Hud Bottom.png")[0] == 118 and size("Image Hud Bottom.png")[1] >= 58 + 12)
        w, h = size("3 Legged Creature.png")
        self.assertTrue(w == h and w & (w - 1) == 0, "icons are square powers of two")

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
            # every "char" line has the eight values in the reader's order
            order = ["id", "x", "y", "width", "height", "xoffset", "yoffset", "xadvance"]
            for line in (ln for ln in text.splitlines() if ln.startswith("char ")):
                self.assertEqual([w.split("=")[0] for w in line.split()[1:9]], order)
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

    def test_reader_rules(self):
        """The parser follows the game's reader: values by position, first eight kept, stop at kernings."""
        text = ("info size=12 padding=1,2,3,4\ncommon scaleW=64 scaleH=32\nchars count=2\n"
                "char id=65 x=1 y=2 width=3 height=4 xoffset=5 yoffset=6 xadvance=7 page=0 chnl=15\n"
                "char a=66 b=8 c=9 d=10 e=11 f=12 g=13 h=14 i=99\n"
                "kernings count=1\nchar id=67 x=1 y=1 width=1 height=1 xoffset=1 yoffset=1 xadvance=1\n")
        p = fonts.parse_fnt(text)
        self.assertEqual((p["padding"], p["size"], p["scaleW"], p["scaleH"]), ([1, 2, 3, 4], 12, 64, 32))
        self.assertEqual(sorted(p["glyphs"]), [65, 66])
        a, b = p["glyphs"][65], p["glyphs"][66]
        self.assertEqual((b["xadvance"], a["advance"], a["visible_width"]), (14, 7 - 3, 3 - 1 - 3))

    def test_text_measure_of_a_two_line_text(self):
        size, text, parsed, sheet = next(self._fonts())
        g = parsed["glyphs"]
        self.assertEqual(fonts.text_size(parsed, size, "A\nBC"),
                         (max(g[65]["visible_width"], g[66]["advance"] + g[67]["visible_width"]), 2 * size))



if __name__ == "__main__":
    unittest.main()
