"""Generator of the game's sound effect and its two music tracks.

    generate(out_dir, preview_dir)
        out_dir/Sounds/Button Click.ogg
        out_dir/Music/Quillon Vale - Track 1.ogg
        out_dir/Music/Quillon Vale - Track 2.ogg
        preview_dir/audio-*.png and audio-summary.txt (looking aids only)

Both tracks are composed here as note lists (see compose_track1 and
compose_track2), rendered with the numpy instruments of synth.py, mixed
through a synthetic reverb, normalised and encoded with oggenc.  All
randomness is seeded, and oggenc gets a fixed stream serial, so the files
are byte-identical from one run to the next.

Run:  python3 tools/qvdata/audio.py --out Data --preview build/preview
"""

import argparse
import collections
import os
import sys
import time

import numpy as np

if __package__ in (None, ""):
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    from qvdata import synth  # noqa: E402
    from qvdata.synth import SR, hz, midi, note_name  # noqa: E402
else:
    from . import synth
    from .synth import SR, hz, midi, note_name

CLICK_NAME = "Button Click.ogg"
TRACK_NAMES = ("Quillon Vale - Track 1.ogg", "Quillon Vale - Track 2.ogg")

TARGET_RMS_DB = -20.0
TARGET_PEAK_DB = -2.0        # before encoding; the decoded file stays below -1 dBFS
FAST_SECONDS = 10.0          # length rendered in fast mode (tests)

Event = collections.namedtuple("Event", "beat part pitch beats vel pan")


# ====================================================================== score

class Piece:
    """A composition: tempo, scale, chords by bar and note events by part."""

    def __init__(self, title, key, scale, bpm, beats_per_bar, seed):
        self.title = title
        self.key = key
        self.scale = frozenset(midi(n + "4") % 12 for n in scale.split())
        self.scale_names = scale
        self.bpm = bpm
        self.bpb = beats_per_bar
        self.seed = seed
        self.events = []
        self.chords = []        # (bar, bars, name, chord dict)
        self.sections = []      # (name, first bar, bars)
        self.calls = []         # (beat, [note names], seconds, pan, vel)
        self.parts = {}
        self.bars = 0
        self.tail = 4.0         # seconds of ring-out after the last bar
        self.surf = None        # gain of the surf bed, or None

    # ---- timing
    @property
    def beat_seconds(self):
        return 60.0 / self.bpm

    def seconds(self, beat):
        return beat * self.beat_seconds

    @property
    def music_seconds(self):
        return self.seconds(self.bars * self.bpb)

    @property
    def total_seconds(self):
        return self.music_seconds + self.tail

    # ---- writing
    def part(self, name, kind, gain, pan=0.0, send=0.3, **opts):
        self.parts[name] = dict(kind=kind, gain=gain, pan=pan, send=send, **opts)

    def note(self, part, beat, pitch, beats, vel=1.0, pan=None):
        if part not in self.parts:
            raise KeyError(part)
        m = midi(pitch) if isinstance(pitch, str) else int(pitch)
        self.events.append(Event(float(beat), part, m, float(beats), float(vel), pan))

    def section(self, name, progression):
        """Append chords [(name, bars), ...]; returns [(bar, bars, name, chord)]."""
        first = self.bars
        out = []
        for chord_name, bars in progression:
            chord = self.chord_book[chord_name]
            out.append((self.bars, bars, chord_name, chord))
            self.chords.append((self.bars, bars, chord_name, chord))
            self.bars += bars
        self.sections.append((name, first, self.bars - first))
        return out

    def line(self, part, bar, text, vel=1.0, transpose=0, pan=None):
        """Write a melody given as 'E5:1 A5:2 | G5:2 r:1 | ...' from `bar` on.

        Every bar between '|' must fill exactly one bar of beats.
        """
        beat = bar * self.bpb
        for number, chunk in enumerate(text.split("|")):
            total = 0.0
            for token in chunk.split():
                name, _, length = token.partition(":")
                length = float(length)
                if name != "r":
                    self.note(part, beat + total, midi(name) + transpose, length, vel, pan)
                total += length
            if abs(total - self.bpb) > 1e-9:
                raise ValueError("%s: bar %d of %r has %g beats" % (self.title, number + 1, text, total))
            beat += total

    # ---- checks
    def out_of_scale(self):
        return [e for e in self.events if e.pitch % 12 not in self.scale]

    def chord_at(self, beat):
        bar = int(beat // self.bpb)
        for first, bars, name, chord in self.chords:
            if first <= bar < first + bars:
                return name, chord
        raise IndexError(beat)

    def voicing_clashes(self):
        """Minor seconds or close minor ninths inside a chord's bass and pad,
        or between its arpeggio notes and the bass and pad."""
        out = []
        for name, chord in self.chord_book.items():
            held = [chord["bass"]] + chord["pad"]
            pairs = [(a, b) for i, a in enumerate(held) for b in held[i + 1:]]
            pairs += [(a, b) for a in chord["arp"] for b in held]
            out += [(name, a, b) for a, b in pairs if abs(a - b) in (1, 13)]
        return out

    def consonant(self, pitch, beat):
        """True when `pitch` (midi) is no minor second or close minor ninth
        from the pad notes of the chord at `beat`."""
        _, chord = self.chord_at(beat)
        return all(abs(pitch - m) not in (1, 13) for m in chord["pad"])

    def clashes(self, parts=("mel", "flute", "lead", "glass"), min_beats=1.0):
        """Held tune notes a minor second or close minor ninth above or below
        a pad note of the chord in force (the harsh 'avoid' intervals)."""
        out = []
        for e in self.events:
            if e.part in parts and e.beats >= min_beats:
                name, chord = self.chord_at(e.beat)
                for m in chord["pad"]:
                    if abs(e.pitch - m) in (1, 13):
                        out.append((e, name, m))
        return out


def _chord(bass, pad, arp, bass2=None):
    """bass2: the second, shorter bass note of a bar (default a fifth up)."""
    return dict(bass=midi(bass), bass2=midi(bass2) if bass2 else midi(bass) + 7,
                pad=[midi(n) for n in pad.split()], arp=[midi(n) for n in arp.split()])


# ---------------------------------------------------------------- Track 1

T1_CHORDS = {
    # D Lydian: D E F# G# A B C#
    "D6/9": _chord("D2", "F#3 A3 B3 E4", "D4 E4 F#4 A4 C#5"),
    "D6/9 (end)": _chord("D2", "F#3 A3 B3 E4", "D4 E4 F#4 A4 B4"),
    "E/D": _chord("D2", "E3 G#3 B3 F#4", "D4 E4 G#4 B4 E5"),
    "Bm11": _chord("B1", "D3 F#3 A3 E4", "B3 D4 F#4 A4 C#5"),
    "Asus2": _chord("A1", "E3 A3 B3 E4", "A3 B3 E4 A4 B4"),
    "A": _chord("A1", "E3 A3 C#4 E4", "A3 C#4 E4 A4 C#5"),
    "F#m7": _chord("F#1", "E3 A3 C#4 F#4", "F#3 A3 C#4 E4 A4"),
    "Bm7": _chord("B1", "D3 F#3 A3 E4", "B3 D4 F#4 A4 D5"),
    "E/G#": _chord("G#1", "E3 G#3 B3 F#4", "G#3 B3 E4 F#4 B4", bass2="B1"),
    "Asus4": _chord("A1", "E3 A3 D4 E4", "A3 D4 E4 A4 D5"),
}

T1_PROG_A = [("D6/9", 2), ("E/D", 2), ("Bm11", 2), ("Asus2", 1), ("A", 1)]
T1_PROG_B = [("F#m7", 2), ("Bm7", 2), ("E/G#", 2), ("Asus4", 1), ("A", 1)]

T1_MELODY_A = ("A4:1 D5:1 E5:1 F#5:1 | E5:3 r:1 | G#5:1 F#5:1 E5:1 B4:1 | C#5:3 r:1 | "
               "B4:1 D5:1 F#5:1 A5:1 | G#5:2 F#5:2 | E5:1.5 F#5:0.5 E5:1 B4:1 | C#5:4")
T1_MELODY_A_TO_B = ("A4:1 D5:1 E5:1 F#5:1 | E5:3 r:1 | G#5:1 F#5:1 E5:1 B4:1 | C#5:3 r:1 | "
                    "B4:1 D5:1 F#5:1 A5:1 | G#5:2 F#5:2 | E5:1.5 C#5:0.5 B4:1 C#5:1 | A4:4")
T1_MELODY_A_END = ("A4:1 D5:1 E5:1 F#5:1 | E5:3 r:1 | G#5:1 F#5:1 E5:1 B4:1 | C#5:3 r:1 | "
                   "B4:1 D5:1 F#5:1 A5:1 | G#5:2 F#5:2 | E5:1.5 F#5:0.5 E5:1 C#5:1 | B4:2 C#5:2")
T1_MELODY_B = ("C#5:2 E5:1 F#5:1 | A5:3 G#5:1 | F#5:2 D5:1 E5:1 | F#5:4 | "
               "G#5:1 B5:1 G#5:1 E5:1 | F#5:2 E5:1 C#5:1 | D5:2 E5:1 A4:1 | C#5:3 r:1")
T1_MELODY_B2 = ("C#5:2 E5:1 F#5:1 | A5:3 G#5:1 | F#5:2 D5:1 E5:1 | F#5:4 | "
                "G#5:1 B5:1 G#5:1 E5:1 | F#5:2 E5:1 C#5:1 | D5:1 C#5:1 B4:1 E5:1 | C#5:4")
T1_COUNTER_A = "F#4:4 | A4:4 | G#4:4 | B4:4 | F#4:4 | A4:4 | E4:4 | E4:4"
T1_OUTRO_MELODY = "D5:4 | r:2 A4:1 D5:1 | E5:2 G#5:2 | F#5:4 | r:4 | r:4 | r:4 | r:4"

T1_ARP_PATTERNS = ([0, 1, 2, 3, 4, 3, 2, 1], [0, 2, 1, 3, 2, 4, 3, 1])
T1_ARP_ACCENTS = [1.0, 0.55, 0.75, 0.55, 0.9, 0.55, 0.75, 0.6]
T1_SPARKLES = ["F#5", "A5", "C#6", "E6", "G#5", "B5", "D6"]


def compose_track1():
    """Bright, curious morning piece: D Lydian, 88 bpm, 4/4, 60 bars.

    intro 4 | A1 8 | A2 8 | B1 8 | B2 8 | A3 8 | A4 8 | outro 8
    Marimba arpeggios bubble in eighths under a vibraphone melody whose
    raised fourth (G#) gives the Lydian 'wonder'; a soft flute takes the
    B theme and a counter line, a round bass and a light hand drum join in
    the middle, glass sparkles float on top.
    """
    p = Piece("Quillon Vale - Track 1", "D Lydian", "D E F# G# A B C#", 88, 4, seed=1101)
    p.chord_book = T1_CHORDS
    p.tail = 4.5
    p.part("pad", "pad", 0.12, send=0.45, attack=1.4, release=2.6, tilt=1.25, detune=7.0)
    p.part("arp", "marimba", 0.41, pan=0.3, send=0.3)
    p.part("mel", "vibes", 0.77, pan=-0.1, send=0.35, echo=(0.75, 0.28, 2))
    p.part("flute", "line", 0.29, pan=-0.25, send=0.45,
           line=dict(harm=(1.0, 0.16, 0.05), glide=0.06, attack=0.08, release=0.25,
                     vib_rate=4.8, vib_depth=0.004))
    p.part("bass", "bass", 0.33, send=0.08)
    p.part("drum", "drum", 0.66, pan=0.05, send=0.18)
    p.part("shaker", "shaker", 0.25, pan=0.45, send=0.3)
    p.part("sparkle", "glass", 0.25, send=0.75)
    rng = np.random.default_rng(p.seed)

    layout = [("intro", [("D6/9", 2), ("E/D", 2)]),
              ("A1", T1_PROG_A), ("A2", T1_PROG_A), ("B1", T1_PROG_B), ("B2", T1_PROG_B),
              ("A3", T1_PROG_A), ("A4", T1_PROG_A),
              ("outro", [("D6/9 (end)", 2), ("E/D", 2), ("D6/9 (end)", 4)])]
    melodies = {"A1": [("mel", T1_MELODY_A, 0.95, 0)],
                "A2": [("mel", T1_MELODY_A_TO_B, 1.0, 0)],
                "B1": [("flute", T1_MELODY_B, 1.0, 0), ("mel", T1_MELODY_B, 0.35, 0)],
                "B2": [("flute", T1_MELODY_B2, 1.0, 0), ("mel", T1_MELODY_B2, 0.55, 0)],
                "A3": [("mel", T1_MELODY_A, 1.0, 0), ("flute", T1_COUNTER_A, 0.8, 0)],
                "A4": [("mel", T1_MELODY_A_END, 1.0, 0), ("flute", T1_MELODY_A_END, 0.45, -12)],
                "outro": [("mel", T1_OUTRO_MELODY, 0.9, 0)]}

    for name, prog in layout:
        first = p.bars
        chords = p.section(name, prog)
        for line_part, text, vel, tr in melodies.get(name, []):
            p.line(line_part, first, text, vel, tr)
        for bar0, bars, cname, ch in chords:
            beat0 = bar0 * p.bpb
            # pad: one sustained voicing per chord
            pad_vel = 0.8 if name == "intro" else 1.0
            if name == "outro" and bar0 >= first + 4:
                pad_vel = 0.9
            for m in ch["pad"]:
                p.note("pad", beat0, m, bars * p.bpb, pad_vel)
            # marimba arpeggio in eighths
            for b in range(bars):
                bar = bar0 + b
                if name == "outro" and bar >= first + 4:
                    continue
                pattern = T1_ARP_PATTERNS[bar % 2]
                for k, idx in enumerate(pattern):
                    if name == "intro" and bar < 2 and k % 2:
                        continue
                    vel = T1_ARP_ACCENTS[k]
                    if name == "intro":
                        vel *= 0.45 + 0.15 * bar
                    if name == "outro":
                        vel *= 0.8 - 0.15 * (bar - first)
                    p.note("arp", (bar * p.bpb) + k * 0.5, ch["arp"][idx], 0.5, vel)
            # bass
            root = ch["bass"]
            if name in ("A2", "B1", "B2", "A3"):
                for b in range(bars):
                    bb = (bar0 + b) * p.bpb
                    p.note("bass", bb, root, 2.6, 0.9)
                    p.note("bass", bb + 3, ch["bass2"], 0.9, 0.6)
            elif name in ("A1", "A4") or (name == "outro" and bar0 == first):
                p.note("bass", beat0, root, bars * p.bpb - 0.25, 0.85)
            elif name == "outro":
                # the last bass note rings on into the final fade
                p.note("bass", beat0, root, bars * p.bpb + p.tail / p.beat_seconds, 0.7)
            # hand drum and shaker
            for b in range(bars):
                bb = (bar0 + b) * p.bpb
                if name in ("A2", "B1", "B2", "A3"):
                    p.note("drum", bb, "D2", 1, 0.9)
                    p.note("drum", bb + 2.5, "A2", 1, 0.5)
                    if (bar0 + b) % 2:
                        p.note("drum", bb + 3.5, "A2", 1, 0.3)
                elif name == "A4":
                    p.note("drum", bb, "D2", 1, 0.6)
                if name in ("B1", "B2", "A3"):
                    for k in range(4):
                        p.note("shaker", bb + 0.5 + k, 60 + k, 0.25, 0.7 + 0.3 * (k % 2))
        # sparkles: a few high glass notes, every other bar in the fuller sections
        if name in ("A2", "B2", "A3", "outro"):
            for bar in range(first, p.bars, 2):
                if name == "outro" and bar >= first + 6:
                    break
                beat = bar * p.bpb + float(rng.integers(0, 8)) * 0.5
                choices = [n for n in T1_SPARKLES if p.consonant(midi(n), beat)]
                pitch = choices[int(rng.integers(0, len(choices)))]
                p.note("sparkle", beat, pitch, 1, float(rng.uniform(0.5, 1.0)),
                       pan=float(rng.uniform(-0.75, 0.75)))
    # final rolled tonic chord (Dmaj7) on the vibes at the last D chord
    last = p.sections[-1][1] + 4
    for k, n in enumerate(["D4", "A4", "C#5", "F#5"]):
        p.note("mel", last * p.bpb + 4 + k * 0.25, n, 6 - k * 0.25, 0.55)
    return p


# ---------------------------------------------------------------- Track 2

T2_CHORDS = {
    # A Dorian: A B C D E F# G
    "Am9": _chord("A1", "C3 G3 B3 E4", "A3 E4 G4 B4 E5"),
    "Cmaj7#11": _chord("C2", "E3 G3 B3 F#4", "G3 E4 B4 D5 F#5"),
    "Em9": _chord("E2", "E3 B3 D4 G4", "E4 G4 B4 D5 F#5"),
    "D6/F#": _chord("F#1", "D3 A3 B3 E4", "D4 F#4 A4 B4 E5", bass2="A1"),
    "Gmaj9": _chord("G2", "F#3 A3 B3 D4", "B3 D4 F#4 A4 D5"),
    "Bm11": _chord("B1", "D3 F#3 A3 E4", "B3 D4 F#4 A4 E5"),
    "Cmaj9": _chord("C2", "E3 G3 B3 D4", "E4 G4 B4 D5 E5"),
    "D6": _chord("D2", "F#3 A3 B3 E4", "D4 A4 B4 E5 F#5"),
}

T2_PROG_A = [("Am9", 2), ("Cmaj7#11", 2), ("Em9", 2), ("D6/F#", 2)]
T2_PROG_B = [("Gmaj9", 2), ("Bm11", 2), ("Cmaj9", 2), ("D6", 2)]

T2_MELODY_A = ("E5:1 A5:2 | G5:2 E5:1 | F#5:3 | E5:1 D5:1 B4:1 | "
               "G5:1.5 F#5:0.5 E5:1 | B4:3 | A4:1 B4:1 D5:1 | E5:3")
T2_MELODY_B = ("B4:1 D5:1 F#5:1 | E5:2 D5:1 | F#5:2 A5:1 | F#5:3 | "
               "G5:1 E5:1 B4:1 | D5:3 | F#5:1 E5:1 D5:1 | E5:3")
T2_MELODY_B2 = ("B4:1 D5:1 F#5:1 | E5:2 D5:1 | F#5:2 A5:1 | F#5:3 | "
                "G5:1 E5:1 B4:1 | D5:3 | A5:1 G5:1 F#5:1 | E5:3")
T2_COUNTER_A = "A4:3 | G4:3 | B4:3 | A4:1.5 B4:1.5 | B4:3 | D5:3 | A4:3 | F#4:3"
T2_OUTRO_MELODY = "F#5:2 E5:1 | D5:2 B4:1 | E5:3 | D5:1.5 B4:1.5 | A4:3 | r:3"

T2_ARP_PATTERN = [0, 2, 4, 3, 1, 2]
T2_ARP_ACCENTS = [1.0, 0.6, 0.75, 0.8, 0.55, 0.65]
T2_SPARKLES = ["E5", "G5", "A5", "C6", "D6", "E6"]


def compose_track2():
    """Dreamy nocturnal piece: A Dorian, 66 bpm, 3/4, 58 bars.

    intro 4 | A1 8 | A2 8 | B1 8 | A3 8 | B2 8 | A4 8 | outro 6
    Slow waltz pulse of soft FM bells with ping-pong echoes over a dark
    breathing pad, a gliding theremin-like lead for the tune (its raised
    sixth, F#, keeps the minor key hopeful), glass bells, distant
    creature calls and a surf bed.
    """
    p = Piece("Quillon Vale - Track 2", "A Dorian", "A B C D E F# G", 66, 3, seed=2202)
    p.chord_book = T2_CHORDS
    p.tail = 6.0
    p.surf = 0.063
    p.part("pad", "pad", 0.148, send=0.55, attack=2.2, release=3.6, tilt=2.0, detune=9.0,
           formant=(750.0, 0.5, 1.2))
    p.part("bell", "fm_bell", 0.51, pan=0.2, send=0.45, echo=(0.75, 0.42, 3))
    p.part("glass", "glass", 0.60, pan=-0.2, send=0.55, echo=(1.5, 0.3, 2))
    p.part("lead", "line", 0.48, pan=-0.05, send=0.5,
           line=dict(harm=(1.0, 0.10, 0.035), glide=0.13, attack=0.12, release=0.45,
                     vib_rate=5.2, vib_depth=0.0065, vib_delay=0.25))
    p.part("bass", "bass", 0.33, send=0.12, attack=0.35, release=0.9)
    p.part("sparkle", "glass", 0.24, send=0.85)
    rng = np.random.default_rng(p.seed)

    layout = [("intro", [("Am9", 4)]),
              ("A1", T2_PROG_A), ("A2", T2_PROG_A), ("B1", T2_PROG_B),
              ("A3", T2_PROG_A), ("B2", T2_PROG_B), ("A4", T2_PROG_A),
              ("outro", [("Cmaj7#11", 2), ("Am9", 4)])]
    melodies = {"A1": [("glass", T2_MELODY_A, 0.85, 0)],
                "A2": [("lead", T2_MELODY_A, 1.0, 0)],
                "B1": [("lead", T2_MELODY_B, 1.0, 0)],
                "A3": [("glass", T2_MELODY_A, 1.0, 0), ("glass", T2_MELODY_A, 0.3, 12),
                       ("lead", T2_COUNTER_A, 0.75, 0)],
                "B2": [("lead", T2_MELODY_B2, 1.0, 0), ("glass", T2_MELODY_B2, 0.35, 12)],
                "A4": [("lead", T2_MELODY_A, 1.0, 0)],
                "outro": [("lead", T2_OUTRO_MELODY, 0.9, 0)]}

    for name, prog in layout:
        first = p.bars
        chords = p.section(name, prog)
        for line_part, text, vel, tr in melodies.get(name, []):
            p.line(line_part, first, text, vel, tr)
        for bar0, bars, cname, ch in chords:
            beat0 = bar0 * p.bpb
            span = bars * p.bpb
            pad_vel = 0.9 if name in ("intro", "outro") else 1.0
            for m in ch["pad"]:
                p.note("pad", beat0, m, span, pad_vel)
            # bells: a slow six-beat figure per two bars
            for k in range(span):
                beat = beat0 + k
                if name == "intro" and k < 6 and k % 3:
                    continue
                if name == "outro" and bar0 >= first + 2 and k >= 6:
                    continue
                idx = T2_ARP_PATTERN[k % 6]
                vel = T2_ARP_ACCENTS[k % 6]
                if name == "intro":
                    vel *= 0.5 + 0.1 * (k // 3)
                if name == "outro":
                    vel *= 0.7
                p.note("bell", beat, ch["arp"][idx], 1, vel)
                if name in ("B1", "B2") and k % 3 == 2:
                    p.note("bell", beat + 0.5, ch["arp"][(idx + 2) % 5], 0.5, vel * 0.6)
            # bass: long tones, softer in intro and outro; the last one rings into the fade
            last_chord = name == "outro" and bar0 + bars == p.bars
            p.note("bass", beat0, ch["bass"], span + (p.tail / p.beat_seconds if last_chord else -0.3),
                   0.6 if name in ("intro", "outro") else 0.85)
        if name in ("A2", "B1", "A3", "B2", "outro"):
            for bar in range(first, p.bars, 3):
                beat = bar * p.bpb + float(rng.integers(0, 6)) * 0.5
                choices = [n for n in T2_SPARKLES if p.consonant(midi(n), beat)]
                pitch = choices[int(rng.integers(0, len(choices)))]
                p.note("sparkle", beat, pitch, 1, float(rng.uniform(0.5, 1.0)),
                       pan=float(rng.uniform(-0.8, 0.8)))
    # distant creature calls
    p.calls = [(1 * 3 + 1, ["E4", "A4", "G4"], 5.5, -0.55, 0.8),
               (22 * 3, ["B4", "E5", "D5"], 5.0, 0.6, 0.6),
               (41 * 3, ["A4", "D5", "B4", "C5"], 6.0, -0.4, 0.6),
               (54 * 3, ["E4", "G4", "A4", "E4"], 7.0, 0.45, 0.7)]
    # final glass A and tonic on the last bar of the outro
    last = p.sections[-1][1] + 4
    for k, n in enumerate(["A3", "E4", "B4", "E5"]):
        p.note("glass", last * p.bpb + k * 0.33, n, 3, 0.45)
    return p


# ====================================================================== render

def _render_note(kind, f, hold, cache, opts):
    key = (kind, round(f, 4), round(hold, 3))
    sig = cache.get(key)
    if sig is not None:
        return sig
    if kind == "marimba":
        sig = synth.marimba(f)
    elif kind == "vibes":
        sig = synth.vibes(f, hold)
    elif kind == "glass":
        sig = synth.glass(f)
    elif kind == "fm_bell":
        sig = synth.fm_bell(f)
    elif kind == "bass":
        sig = synth.bass(f, hold, opts.get("attack", 0.03), opts.get("release", 0.25))
    elif kind == "drum":
        sig = synth.low_drum(f)
    elif kind == "shaker":
        sig = synth.shaker(int(round(f * 1000)) % 100000)
    elif kind == "pad":
        sig = synth.pad_note(f, hold, opts["attack"], opts["release"], opts.get("tilt", 1.6),
                             opts.get("detune", 6.0), opts.get("formant"),
                             seed=int(round(f * 10)) % 100000)
    else:
        raise ValueError(kind)
    sig = sig.astype(np.float32)   # the mixer works in float32
    cache[key] = sig
    return sig


def render(piece, limit=None):
    """Render a piece to a mastered stereo float array.

    limit: render only the first `limit` seconds (fast mode for tests).
    Returns (audio (2, n), info dict).
    """
    total = piece.total_seconds if limit is None else min(limit, piece.total_seconds)
    mix = synth.Mixer(total)
    rng = np.random.default_rng(piece.seed + 7)
    cache = {}
    lines = collections.defaultdict(list)
    for ev in sorted(piece.events, key=lambda e: (e.beat, e.part, e.pitch)):
        part = piece.parts[ev.part]
        kind = part["kind"]
        # humanise: small timing and velocity drift on struck instruments
        jitter = 0.0 if kind in ("pad", "bass", "line") else float(np.clip(rng.normal(0, 0.004), -0.01, 0.01))
        velj = 1.0 if kind in ("pad", "bass", "line") else float(np.clip(rng.normal(1.0, 0.05), 0.85, 1.12))
        t = piece.seconds(ev.beat) + jitter
        if t >= total:
            continue
        hold = piece.seconds(ev.beats)
        if kind == "line":
            lines[ev.part].append((t, hold, hz(ev.pitch), ev.vel))
            continue
        sig = _render_note(kind, hz(ev.pitch), hold, cache, part)
        pan = part["pan"] if ev.pan is None else ev.pan
        gain = part["gain"] * ev.vel * velj
        mix.add(sig, max(t, 0.0), gain, pan, part["send"], stem=ev.part)
        if "echo" in part:
            mix.add_to_echo(ev.part, sig, max(t, 0.0), gain)
    for name, part in piece.parts.items():
        if "echo" in part:
            beats, fb, reps = part["echo"]
            mix.apply_echo(name, piece.seconds(beats), fb, reps, part["send"] * 1.3)
    for name, notes in lines.items():
        part = piece.parts[name]
        # one continuous phrase per run of notes without a long rest
        phrase = [notes[0]]
        phrases = []
        for nt in notes[1:]:
            prev = phrase[-1]
            if nt[0] - (prev[0] + prev[1]) > 0.8 or nt[0] < prev[0] + prev[1] - 1e-6:
                phrases.append(phrase)
                phrase = []
            phrase.append(nt)
        phrases.append(phrase)
        for ph in phrases:
            y, start = synth.legato_line(ph, 0.0, **part["line"])
            mix.add(y, 0.0, part["gain"], part["pan"], part["send"], stem=name, start_index=start)
    for beat, points, seconds, pan, vel in piece.calls:
        t = piece.seconds(beat)
        if t < total:
            y = synth.glide_call([hz(midi(n)) for n in points], seconds)
            mix.add(y, t, 0.275 * vel, pan, 0.9, stem="calls")
    if piece.surf:
        loop = synth.surf_loop(23.0, piece.seed + 3)
        reps = -(-mix.n // loop.shape[1])
        bed = np.tile(loop, reps)[:, :mix.n]
        t = np.arange(mix.n) / SR
        swell = 0.55 + 0.45 * np.sin(2 * np.pi * t / 9.3) ** 2 * (0.7 + 0.3 * np.sin(2 * np.pi * t / 31.0))
        bed *= swell
        synth.fade_edges(bed, int(8.0 * SR), int(min(10.0, total / 3) * SR))
        mix.add(bed, 0.0, piece.surf, send=0.2, stem="surf")

    rt60 = 2.6 if piece.bpb == 4 else 4.2
    ir = synth.reverb_ir(rt60 * 1.15, rt60, piece.seed + 11, predelay=0.025)
    out = mix.dry + synth.convolve(mix.send, ir)
    out -= out.mean(axis=1, keepdims=True)
    # musical ending fade: the last bars plus the tail fall to exact silence
    fade_out = min(piece.tail + 3.0, total / 3)
    if limit is not None and limit < piece.total_seconds:
        fade_out = min(1.5, total / 3)
    t = np.arange(out.shape[1]) / SR
    end_gain = np.clip((total - 0.25 - t) / fade_out, 0.0, 1.0)
    out *= 0.5 - 0.5 * np.cos(np.pi * end_gain)
    synth.fade_edges(out, int(0.05 * SR), 0)
    out = master(out)
    info = dict(seconds=out.shape[1] / SR, stems={k: synth.db(np.sqrt(v / max(mix.n, 1) / 2))
                                                  for k, v in sorted(mix.stems.items())})
    return out, info


def master(x, target_rms_db=TARGET_RMS_DB, peak_db=TARGET_PEAK_DB):
    """Normalise to the target RMS, then limit peaks below peak_db."""
    thr = 10 ** (peak_db / 20.0)
    target = 10 ** (target_rms_db / 20.0)
    level = synth.rms(x)
    if level <= 0:
        return x
    gain = target / level
    y = synth.limiter(x * gain, thr)
    for _ in range(2):
        # limiting lowers the RMS a little: make it up once or twice
        level = synth.rms(y)
        if abs(synth.db(level / target)) < 0.05:
            break
        gain *= target / level
        y = synth.limiter(x * gain, thr)
    return y


# ====================================================================== click

def render_click():
    """A short soft wooden 'tock': 60 ms, mono, no DC, exact silence at both ends."""
    n = int(0.060 * SR)
    t = np.arange(n) / SR
    f_body = 930.0 * (1.0 + 0.08 * np.exp(-t / 0.004))
    ph = 2 * np.pi * np.cumsum(f_body) / SR
    y = np.sin(ph) * np.exp(-t / 0.0085)
    y += 0.45 * np.sin(2 * np.pi * 430.0 * t) * np.exp(-t / 0.014)
    y += 0.18 * np.sin(2 * np.pi * 2480.0 * t) * np.exp(-t / 0.0028)
    synth.fade_edges(y, int(0.0006 * SR), int(0.012 * SR))
    y -= y.mean()
    synth.fade_edges(y, int(0.0006 * SR), int(0.012 * SR))
    return y * (10 ** (-3.0 / 20.0) / np.abs(y).max())


# ====================================================================== preview

def _spectrogram_png(x, path, title):
    from PIL import Image, ImageDraw

    mono = x.mean(axis=0)
    width, spec_h, wave_h = 1000, 260, 90
    win = 4096
    n = mono.shape[0]
    hop = max((n - win) // (width - 1), 1)
    frames = np.lib.stride_tricks.sliding_window_view(np.pad(mono, (0, win)), win)[::hop][:width]
    spectrum = np.abs(np.fft.rfft(frames * np.hanning(win), axis=1))
    freqs = np.fft.rfftfreq(win, 1.0 / SR)
    rows = np.geomspace(30.0, 16000.0, spec_h)
    cols = np.searchsorted(freqs, rows).clip(1, freqs.shape[0] - 1)
    level = 20 * np.log10(spectrum[:, cols] + 1e-9)
    level -= level.max()
    v = np.clip((level + 90.0) / 90.0, 0.0, 1.0).T[::-1]
    rgb = np.stack([np.clip(1.6 * v - 0.1, 0, 1), np.clip(2.2 * v - 1.1, 0, 1),
                    np.clip(1.2 * v * (1.1 - v) * 2.5, 0, 1)], axis=-1)
    img = Image.new("RGB", (width, spec_h + wave_h + 20), (10, 10, 16))
    img.paste(Image.fromarray((rgb * 255).astype(np.uint8)), (0, 20))
    d = ImageDraw.Draw(img)
    cols_idx = np.minimum(np.arange(width + 1) * (n // width), n)
    mid = 20 + spec_h + wave_h // 2
    for i in range(width):
        seg = x[:, cols_idx[i]:cols_idx[i + 1]]
        if seg.size:
            pk = float(np.abs(seg).max())
            r = float(np.sqrt(np.mean(seg ** 2)))
            d.line([(i, mid - pk * wave_h / 2), (i, mid + pk * wave_h / 2)], fill=(90, 120, 200))
            d.line([(i, mid - r * wave_h / 2), (i, mid + r * wave_h / 2)], fill=(200, 220, 255))
    for f in (100, 1000, 5000, 10000):
        yv = 20 + spec_h - int(np.log(f / 30.0) / np.log(16000.0 / 30.0) * spec_h)
        d.line([(0, yv), (6, yv)], fill=(255, 255, 255))
        d.text((8, yv - 6), "%gk" % (f / 1000.0) if f >= 1000 else "%d" % f, fill=(255, 255, 255))
    secs = n / SR
    for s in range(0, int(secs) + 1, 10):
        xv = int(s / secs * width)
        d.line([(xv, 12), (xv, 19)], fill=(200, 200, 200))
        if s % 30 == 0:
            d.text((xv + 2, 0), "%ds" % s, fill=(200, 200, 200))
    d.text((4, 22 + spec_h), title, fill=(255, 230, 150))
    img.save(path)


def _click_png(y, path):
    from PIL import Image, ImageDraw

    width, height = 600, 200
    img = Image.new("RGB", (width, height), (10, 10, 16))
    d = ImageDraw.Draw(img)
    mid = height // 2
    d.line([(0, mid), (width, mid)], fill=(60, 60, 80))
    pts = [(i * width / (y.shape[0] - 1), mid - float(v) * (height / 2 - 10)) for i, v in enumerate(y)]
    d.line(pts, fill=(200, 220, 255))
    d.text((4, 4), "Button Click  %.0f ms  peak %.1f dBFS" % (1000 * y.shape[0] / SR, synth.db(np.abs(y).max())),
           fill=(255, 230, 150))
    img.save(path)


def describe(piece):
    """Readable score: sections, chords and the melody notes, bar by bar."""
    lines = ["%s  key %s (%s)  %d bpm %d/4  %d bars  %.1f s" % (
        piece.title, piece.key, piece.scale_names, piece.bpm, piece.bpb, piece.bars, piece.total_seconds)]
    for name, first, bars in piece.sections:
        lines.append("  [%s] bars %d-%d" % (name, first + 1, first + bars))
        for bar0, nb, cname, _ in piece.chords:
            if first <= bar0 < first + bars:
                notes = {}
                for e in piece.events:
                    if e.part in ("mel", "flute", "lead", "glass") and bar0 * piece.bpb <= e.beat < (bar0 + nb) * piece.bpb:
                        notes.setdefault(e.part, []).append("%s:%g" % (note_name(e.pitch), e.beats))
                lines.append("    bar %2d %-9s %s" % (bar0 + 1, cname, "  ".join(
                    "%s=%s" % (k, " ".join(v)) for k, v in sorted(notes.items()))))
    return "\n".join(lines)


# ====================================================================== entry

def generate(out_dir, preview_dir=None, fast=False, verbose=False):
    """Write the click and both tracks under out_dir; returns a summary dict.

    fast: render only the first FAST_SECONDS of each track (for tests).
    """
    started = time.time()
    sounds = os.path.join(str(out_dir), "Sounds")
    music = os.path.join(str(out_dir), "Music")
    os.makedirs(sounds, exist_ok=True)
    os.makedirs(music, exist_ok=True)
    if preview_dir:
        os.makedirs(str(preview_dir), exist_ok=True)

    click = render_click()
    jobs = [synth.OggJob(click, os.path.join(sounds, CLICK_NAME))]
    if preview_dir:
        _click_png(click, os.path.join(str(preview_dir), "audio-Button_Click.png"))
    summary = {}
    texts = []
    for name, compose in zip(TRACK_NAMES, (compose_track1, compose_track2)):
        t0 = time.time()
        piece = compose()
        audio, info = render(piece, FAST_SECONDS if fast else None)
        jobs.append(synth.OggJob(audio, os.path.join(music, name), title=piece.title))
        info.update(peak_db=synth.db(np.abs(audio).max()), rms_db=synth.db(synth.rms(audio)),
                    render_seconds=time.time() - t0)
        summary[name] = info
        texts.append(describe(piece))
        texts.append("  rendered %.1f s  peak %.2f dBFS  rms %.2f dBFS  in %.1f s" % (
            info["seconds"], info["peak_db"], info["rms_db"], info["render_seconds"]))
        texts.append("  stems (rms dBFS before mastering): " + ", ".join(
            "%s %.1f" % kv for kv in info["stems"].items()))
        if verbose:
            print(texts[-3] + "\n" + texts[-2] + "\n" + texts[-1], flush=True)
        if preview_dir:
            _spectrogram_png(audio, os.path.join(str(preview_dir), "audio-" + name.replace(" ", "_").replace(".ogg", ".png")),
                             piece.title)
    for job in jobs:
        job.wait()
    summary["seconds"] = time.time() - started
    if preview_dir:
        with open(os.path.join(str(preview_dir), "audio-summary.txt"), "w") as f:
            f.write("\n\n".join(texts) + "\n\ngenerated in %.1f s\n" % summary["seconds"])
    return summary


def main(argv=None):
    ap = argparse.ArgumentParser(description="Generate the game's music and sound effects.")
    ap.add_argument("--out", required=True, help="the game's Data folder")
    ap.add_argument("--preview", default=None, help="folder for waveform/spectrogram previews")
    ap.add_argument("--fast", action="store_true", help="render only a few seconds of each track")
    args = ap.parse_args(argv)
    summary = generate(args.out, args.preview, fast=args.fast, verbose=True)
    print("audio generated in %.1f s" % summary["seconds"])
    return 0


if __name__ == "__main__":
    sys.exit(main())
