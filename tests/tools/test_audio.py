"""Tests of the music and sound generator (tools/qvdata/audio.py). One full generation is checked for format,
length, level and edges; determinism on two fast-mode runs (same code path, short tracks) plus the click."""

import os
import shutil
import sys
import tempfile
import unittest

import numpy as np

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools"))

from qvdata import audio, synth  # noqa: E402

FILES = [os.path.join("Sounds", audio.CLICK_NAME)] + [os.path.join("Music", n) for n in audio.TRACK_NAMES]


def read_bytes(*parts):
    with open(os.path.join(*parts), "rb") as f:
        return f.read()


class GeneratedAudioTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="qv-audio-test-")
        cls.full, cls.preview = os.path.join(cls.tmp, "full"), os.path.join(cls.tmp, "preview")
        audio.generate(cls.full, cls.preview)
        cls.fast = [os.path.join(cls.tmp, "fast%d" % i) for i in range(2)]
        for d in cls.fast:
            audio.generate(d, None, fast=True)
        cls.decoded = {name: synth.decode_ogg(os.path.join(cls.full, name)) for name in FILES}
        cls.addClassCleanup(shutil.rmtree, cls.tmp, ignore_errors=True)

    def test_ogg_vorbis_and_fast_runs_byte_identical(self):
        for name in FILES:
            data = read_bytes(self.full, name)
            self.assertTrue(data[:4] == b"OggS" and b"vorbis" in data[:200], name)
            self.assertEqual(read_bytes(self.fast[0], name), read_bytes(self.fast[1], name), name)
        # the click is the same in both modes; fast tracks are short
        self.assertEqual(read_bytes(self.full, FILES[0]), read_bytes(self.fast[0], FILES[0]))
        rate, x = synth.decode_ogg(os.path.join(self.fast[0], FILES[1]))
        self.assertLessEqual(x.shape[1] / rate, audio.FAST_SECONDS + 0.01)

    def test_tracks_long_stereo_loud_enough_clean_edged_and_distinct(self):
        for name in FILES[1:]:
            rate, x = self.decoded[name]
            self.assertEqual((rate, x.shape[0]), (44100, 2), name)
            self.assertTrue(150.0 <= x.shape[1] / rate <= 185.0, name)
            self.assertTrue(-23.0 < synth.db(synth.rms(x)) < -17.0, name)
            # silent at both ends, but not a few seconds in
            self.assertLess(max(np.abs(x[:, 0]).max(), np.abs(x[:, -int(0.01 * rate):]).max()), 0.002, name)
            self.assertLess(synth.db(synth.rms(x[:, -int(0.05 * rate):])), -60.0, name)
            self.assertGreater(synth.db(synth.rms(x[:, int(20 * rate):int(25 * rate)])), -35.0, name)
            # no DC, no harsh highs
            mono = x.mean(axis=0)
            self.assertLess(abs(mono.mean()), 1e-3, name)
            power = np.abs(np.fft.rfft(mono)) ** 2
            high = power[np.fft.rfftfreq(mono.shape[0], 1.0 / rate) > 8000].sum() / power.sum()
            self.assertLess(10 * np.log10(high), -45.0, name)
        a, b = self.decoded[FILES[1]][1], self.decoded[FILES[2]][1]
        n = min(a.shape[1], b.shape[1])
        self.assertLess(abs(np.corrcoef(a[0, :n], b[0, :n])[0, 1]), 0.2)

    def test_click_is_short_and_soft_edged(self):
        rate, x = self.decoded[FILES[0]]
        self.assertTrue(rate == 44100 and 0.03 <= x.shape[1] / rate <= 0.1)
        mono = x.mean(axis=0)
        peak = np.abs(mono).max()
        self.assertTrue(peak > 0.1 and abs(mono[0]) < 0.05 * peak)
        self.assertLess(abs(mono.mean()), 0.01 * peak, "DC offset")
        self.assertLess(synth.db(synth.rms(mono[-int(0.005 * rate):]) / peak), -30.0, "click does not fade out")
        # most of the energy is in the first 25 ms: a click, not a tone
        e = np.cumsum(mono ** 2)
        self.assertGreater(e[int(0.025 * rate)] / e[-1], 0.9)

    def test_no_clipping_and_previews_written(self):
        for name in FILES:
            self.assertLess(synth.db(np.abs(self.decoded[name][1]).max()), -1.0, name)
        names = os.listdir(self.preview)
        self.assertTrue("audio-summary.txt" in names and len([n for n in names if n.endswith(".png")]) == 3, names)


class ScoreTest(unittest.TestCase):
    """The compositions themselves, without rendering."""

    def setUp(self):
        self.pieces = [audio.compose_track1(), audio.compose_track2()]

    def test_scale_harmony_and_bar_counts(self):
        for p in self.pieces:
            # pitched notes stay in the scale and clash with no pad voicing
            pitched = {n for n, part in p.parts.items() if part["kind"] not in ("drum", "shaker")}
            self.assertEqual([e for e in p.out_of_scale() if e.part in pitched], [], p.title)
            self.assertEqual([(name, m) for name, c in p.chord_book.items()
                              for m in [c["bass"], c["bass2"]] + c["pad"] + c["arp"] if m % 12 not in p.scale], [], p.title)
            self.assertEqual(p.voicing_clashes(), [], p.title)
            upper = [n for n, part in p.parts.items() if part["kind"] not in ("drum", "shaker", "pad", "bass")]
            bad = [(e.beat, e.part, synth.note_name(e.pitch), chord)
                   for e, chord, _ in p.clashes(parts=upper, min_beats=0)]
            self.assertEqual(bad, [], p.title)
            # sections and chords cover every bar, and no note runs past the end
            self.assertEqual((sum(b for _, _, b in p.sections), sum(b for _, b, _, _ in p.chords)), (p.bars, p.bars))
            self.assertLess(max(e.beat for e in p.events), p.bars * p.bpb)


if __name__ == "__main__":
    unittest.main()
