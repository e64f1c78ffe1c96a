"""Small numpy synthesiser used by the audio generator.

Everything here is deterministic: randomness comes only from generators
seeded by the caller.  Signals are float64 numpy arrays at SR Hz; mono
signals have shape (n,), stereo ones (2, n).
"""

import os
import subprocess
import tempfile
import wave

import numpy as np
from numpy.lib.stride_tricks import sliding_window_view

SR = 44100
TWO_PI = 2.0 * np.pi
# No partial above this frequency is ever synthesised: the game mixes at
# 22050 Hz anyway and high partials only make bells sound harsh.
FMAX = 7000.0

_LETTERS = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
_NAMES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]


# ---------------------------------------------------------------- pitches

def midi(name):
    """'F#4' -> 66, 'Bb2' -> 46, 'C-1' -> 0."""
    name = name.strip()
    if not name or name[0].upper() not in _LETTERS:
        raise ValueError("bad note name %r" % name)
    value = _LETTERS[name[0].upper()]
    i = 1
    while i < len(name) and name[i] in "#b":
        value += 1 if name[i] == "#" else -1
        i += 1
    try:
        octave = int(name[i:])
    except ValueError:
        raise ValueError("bad note name %r" % name)
    return 12 * (octave + 1) + value


def note_name(m):
    return "%s%d" % (_NAMES[m % 12], m // 12 - 1)


def hz(m):
    return 440.0 * 2.0 ** ((m - 69) / 12.0)


# ---------------------------------------------------------------- envelopes

def ramp_up(n):
    """Raised-cosine ramp 0 -> 1 over n samples (exactly 0 at index 0)."""
    if n <= 0:
        return np.ones(0)
    return 0.5 - 0.5 * np.cos(np.pi * np.arange(n) / n)


def fade_edges(x, fade_in, fade_out):
    """Raised-cosine fades (sample counts) applied in place on the last axis;
    the final sample becomes exactly 0."""
    n = x.shape[-1]
    a = min(fade_in, n)
    if a > 0:
        x[..., :a] *= ramp_up(a)
    b = min(fade_out, n)
    if b > 0:
        x[..., n - b:] *= ramp_up(b)[::-1]
    return x


def sustain_env(n, attack, release_start, release, curve=1.0):
    """Attack (s), hold until release_start (s), raised-cosine release (s)."""
    env = np.ones(n)
    a = int(attack * SR)
    if a > 0:
        env[:min(a, n)] = ramp_up(a)[:n]
    r0 = int(release_start * SR)
    r = max(int(release * SR), 1)
    if r0 < n:
        seg = min(n - r0, r)
        env[r0:r0 + seg] *= ramp_up(r + 1)[::-1][:seg]
        env[r0 + seg:] = 0.0
    if curve != 1.0:
        env **= curve
    return env


# ---------------------------------------------------------------- instruments

def partial_tone(f, partials, seconds, attack=0.002, tremolo=None, damp_at=None, damp_tau=0.25):
    """Sum of exponentially decaying sines.

    partials: iterable of (ratio, amplitude, tau seconds).
    damp_at: time where a damper starts (extra decay with damp_tau).
    tremolo: (rate Hz, depth) amplitude modulation.
    """
    n = max(int(seconds * SR), 8)
    t = np.arange(n) / SR
    y = np.zeros(n)
    for ratio, amp, tau in partials:
        fr = f * ratio
        if fr > FMAX or amp == 0.0:
            continue
        m = min(n, int(tau * 9.0 * SR) + 1)
        y[:m] += amp * np.exp(-t[:m] / tau) * np.sin(TWO_PI * fr * t[:m])
    if tremolo is not None:
        rate, depth = tremolo
        y *= 1.0 - depth + depth * np.cos(TWO_PI * rate * t)
    if damp_at is not None and damp_at < seconds:
        k = int(damp_at * SR)
        y[k:] *= np.exp(-(t[k:] - damp_at) / damp_tau)
    fade_edges(y, int(attack * SR), int(0.004 * SR))
    return trim_tail(y)


def trim_tail(y, floor_db=-75.0):
    """Cut the part of a decaying note that stays below floor_db of its peak,
    ending with a short fade so the cut is silent."""
    a = np.abs(y)
    loud = np.nonzero(a > a.max() * 10 ** (floor_db / 20.0))[0]
    if loud.size == 0:
        return y[:0]
    end = min(loud[-1] + int(0.01 * SR), y.shape[-1])
    y = y[:end].copy()
    fade_edges(y, 0, min(int(0.01 * SR), end))
    return y


def marimba(f, hold=None):
    """Soft mallet on a wooden bar: 1 : 3.93 : 9.2 partials, upper ones short."""
    tau = float(np.clip(0.55 * (300.0 / f) ** 0.5, 0.22, 0.9))
    parts = [(1.0, 1.0, tau), (3.93, 0.30, tau * 0.2), (9.2, 0.06, tau * 0.07)]
    return partial_tone(f, parts, tau * 6.0, attack=0.0025)


def vibes(f, hold):
    """Vibraphone-like bar with slow tremolo, damped after `hold` seconds."""
    tau = float(np.clip(2.2 * (440.0 / f) ** 0.4, 1.0, 3.0))
    parts = [(1.0, 1.0, tau), (2.0, 0.06, tau * 0.5), (4.0, 0.2, tau * 0.25), (10.0, 0.02, 0.06)]
    length = min(hold + 1.6, tau * 6.0)
    return partial_tone(f, parts, length, attack=0.004, tremolo=(4.2, 0.18),
                        damp_at=hold + 0.15, damp_tau=0.28)


def glass(f, hold=None):
    """Celesta / glass bell: inharmonic partials with a long ring."""
    tau = float(np.clip(1.3 * (880.0 / f) ** 0.35, 0.6, 1.9))
    parts = [(1.0, 1.0, tau), (2.32, 0.30, tau * 0.45), (4.25, 0.10, tau * 0.22),
             (6.63, 0.03, tau * 0.1)]
    return partial_tone(f, parts, tau * 5.0, attack=0.003)


def fm_bell(f, hold=None, index=1.1, tau=1.1):
    """Soft FM electric-piano bell: 1:1 body plus a faint 3.5:1 shimmer."""
    tau = float(np.clip(tau * (330.0 / f) ** 0.3, 0.6, 1.7))
    n = int(tau * 5.0 * SR)
    t = np.arange(n) / SR
    idx = index * np.exp(-t / 0.45) + 0.25
    body = np.sin(TWO_PI * f * t + idx * np.sin(TWO_PI * f * t)) * np.exp(-t / tau)
    y = body
    if 3.5 * f * 2 < FMAX:
        m = min(n, int(0.6 * 9 * SR))
        sh = np.sin(TWO_PI * 3.5 * f * t[:m] + 0.6 * np.exp(-t[:m] / 0.2) * np.sin(TWO_PI * 7.0 * f * t[:m]))
        y[:m] += 0.12 * sh * np.exp(-t[:m] / 0.6)
    fade_edges(y, int(0.003 * SR), int(0.004 * SR))
    return trim_tail(y)


def bass(f, hold, attack=0.03, release=0.25):
    """Round bass: sine with a little second and third harmonic."""
    n = int((hold + release) * SR)
    t = np.arange(n) / SR
    ph = TWO_PI * f * t
    y = np.sin(ph) + 0.28 * np.sin(2 * ph) + 0.06 * np.sin(3 * ph)
    env = sustain_env(n, attack, hold, release)
    env *= 0.72 + 0.28 * np.exp(-t / 0.9)
    return y * env


def low_drum(f, seed=0):
    """Soft low hand drum: sine with a falling pitch."""
    n = int(0.7 * SR)
    t = np.arange(n) / SR
    freq = f * (1.0 + 0.9 * np.exp(-t / 0.035))
    ph = TWO_PI * np.cumsum(freq) / SR
    y = np.sin(ph) * np.exp(-t / 0.16)
    fade_edges(y, int(0.002 * SR), int(0.01 * SR))
    return y


def shaker(seed):
    """Very soft band-limited noise tick (1.5 - 5 kHz)."""
    rng = np.random.default_rng(seed)
    n = int(0.12 * SR)
    noise = rng.standard_normal(n)
    spectrum = np.fft.rfft(noise)
    fr = np.fft.rfftfreq(n, 1.0 / SR)
    band = np.exp(-0.5 * (np.log(np.maximum(fr, 1.0) / 2800.0) / 0.45) ** 2)
    y = np.fft.irfft(spectrum * band, n)
    t = np.arange(n) / SR
    y *= (1.0 - np.exp(-t / 0.006)) * np.exp(-t / 0.028)
    fade_edges(y, 0, int(0.01 * SR))
    return y / (np.abs(y).max() + 1e-12)


def wavetable(harmonics, size=4096):
    """Single-cycle table from (harmonic number, amplitude, phase) tuples,
    normalised to unit RMS."""
    k = np.arange(size) / size
    table = np.zeros(size)
    for h, a, ph in harmonics:
        table += a * np.sin(TWO_PI * h * k + ph)
    rms = np.sqrt(np.mean(table ** 2))
    return table / max(rms, 1e-12)


def table_osc(table, phase):
    """Linear-interpolated table look-up; phase in cycles (any real)."""
    size = table.shape[0]
    ext = np.append(table, table[0])
    return np.interp((phase % 1.0) * size, np.arange(size + 1), ext)


def pad_table(f, tilt, formant=None, seed=0):
    """Harmonic weights for a soft pad note, band-limited below FMAX."""
    rng = np.random.default_rng(seed)
    harmonics = []
    h = 1
    while h * f < FMAX and h <= 24:
        a = h ** -tilt
        if formant is not None:
            fc, width, gain = formant
            a *= 1.0 + gain * np.exp(-0.5 * (np.log(h * f / fc) / width) ** 2)
        # soften the top octave smoothly instead of a hard band edge
        a *= 1.0 / (1.0 + (h * f / 3500.0) ** 4)
        harmonics.append((h, a, rng.uniform(0, TWO_PI)))
        h += 1
    return wavetable(harmonics)


def pad_note(f, hold, attack, release, tilt=1.6, detune_cents=6.0, formant=None,
             vibrato=0.0015, seed=0):
    """Stereo pad note: three slowly drifting detuned voices (left, centre,
    right) read from one band-limited wavetable."""
    n = int((hold + release) * SR)
    t = np.arange(n) / SR
    table = pad_table(f, tilt, formant, seed)
    rng = np.random.default_rng(seed + 1000)
    out = np.zeros((2, n))
    voices = ((-detune_cents, 0.85, 0.15), (0.0, 0.5, 0.5), (detune_cents, 0.15, 0.85))
    for cents, gl, gr in voices:
        rate = rng.uniform(0.11, 0.23)
        lfo = np.sin(TWO_PI * rate * t + rng.uniform(0, TWO_PI))
        fv = f * 2.0 ** (cents / 1200.0)
        phase = rng.uniform() + fv * t + fv * vibrato * (1.0 - np.cos(TWO_PI * rate * t)) / (TWO_PI * rate)
        v = table_osc(table, phase) * (1.0 + 0.12 * lfo)
        out[0] += gl * v
        out[1] += gr * v
    env = sustain_env(n, attack, hold, release)
    out *= env * 0.55
    return out


def smooth(x, radius):
    """Two passes of a centred moving average (a triangular kernel of width
    4 * radius + 1); edges are extended with the end values."""
    y = np.asarray(x, dtype=np.float64)
    w = 2 * radius + 1
    for _ in range(2):
        padded = np.concatenate([np.full(radius + 1, y[0]), y, np.full(radius, y[-1])])
        c = np.cumsum(padded)
        y = (c[w:] - c[:-w]) / w
    return y


def legato_line(notes, start, harm=(1.0, 0.16, 0.05), glide=0.09, attack=0.07,
                release=0.18, vib_rate=4.8, vib_depth=0.004, vib_delay=0.35):
    """Continuous singing line (flute / theremin) through `notes`.

    notes: list of (time s relative to start, duration s, frequency Hz, velocity).
    start: time (s) that the note times are relative to.
    Returns the mono line and the index of its first sample.
    Consecutive notes glide into each other; rests let the amplitude fall.
    """
    if not notes:
        return np.zeros(0), 0
    t0 = notes[0][0]
    end = max(tn + d for tn, d, _, _ in notes) + release + 0.2
    n = int((end - t0) * SR)
    freq = np.zeros(n)
    amp = np.zeros(n)
    vib = np.zeros(n)
    for i, (tn, d, f, vel) in enumerate(notes):
        a = int((tn - t0) * SR)
        b = min(int((tn - t0 + d) * SR), n)
        nxt = int((notes[i + 1][0] - t0) * SR) if i + 1 < len(notes) else n
        freq[a:max(b, nxt)] = f
        seg = b - a
        env = sustain_env(seg + int(release * SR), attack, d, release)[:n - a]
        amp[a:a + env.shape[0]] = np.maximum(amp[a:a + env.shape[0]], vel * env)
        tt = np.arange(seg) / SR
        vib[a:b] = np.clip((tt - vib_delay) / 0.5, 0.0, 1.0)
    # hold the last frequency through rests so the line glides on re-entry
    idx = np.maximum.accumulate(np.where(freq > 0, np.arange(n), 0))
    freq = freq[idx]
    freq = smooth(freq, max(int(glide * SR) // 2, 1))
    vib = smooth(vib, int(0.05 * SR))
    t = np.arange(n) / SR
    freq = freq * (1.0 + vib_depth * vib * np.sin(TWO_PI * vib_rate * t))
    phase = TWO_PI * np.cumsum(freq) / SR
    y = np.zeros(n)
    for k, a in enumerate(harm, start=1):
        y += a * np.sin(k * phase)
    y *= amp
    fade_edges(y, 0, int(0.01 * SR))
    return y, int(round((start + t0) * SR))


def glide_call(points, seconds, harm=(1.0, 0.25, 0.06), vib=(5.5, 0.006)):
    """A slow sliding 'creature call': frequency through `points` (Hz) with
    smooth cosine interpolation, raised-cosine swell in and out."""
    n = int(seconds * SR)
    t = np.arange(n) / SR
    k = len(points) - 1
    pos = t / seconds * k
    i = np.minimum(pos.astype(int), k - 1)
    frac = pos - i
    frac = 0.5 - 0.5 * np.cos(np.pi * frac)
    p = np.log(np.asarray(points, dtype=float))
    freq = np.exp(p[i] + (p[i + 1] - p[i]) * frac)
    freq *= 1.0 + vib[1] * np.sin(TWO_PI * vib[0] * t)
    phase = TWO_PI * np.cumsum(freq) / SR
    y = np.zeros(n)
    for h, a in enumerate(harm, start=1):
        y += a * np.sin(h * phase)
    y *= np.sin(np.pi * t / seconds) ** 2
    return y


def surf_loop(seconds, seed, cutoff=900.0):
    """Seamlessly looping stereo 'distant surf' noise (circular FFT filter)."""
    n = int(seconds * SR)
    rng = np.random.default_rng(seed)
    noise = rng.standard_normal((2, n))
    spectrum = np.fft.rfft(noise, axis=1)
    fr = np.fft.rfftfreq(n, 1.0 / SR)
    shape = 1.0 / np.sqrt(np.maximum(fr, 20.0) / 20.0)          # pink-ish
    shape *= 1.0 / (1.0 + (fr / cutoff) ** 4)                      # soft low-pass
    shape *= 1.0 / (1.0 + (60.0 / np.maximum(fr, 1.0)) ** 4)       # no rumble
    y = np.fft.irfft(spectrum * shape, n, axis=1)
    return y / np.sqrt(np.mean(y ** 2))


# ---------------------------------------------------------------- mixing

def pan_gains(pan):
    th = (pan + 1.0) * np.pi / 4.0
    return np.cos(th), np.sin(th)


class Mixer:
    """Two stereo buses: dry and reverb send.  Tracks per-stem energy."""

    def __init__(self, seconds):
        self.n = int(round(seconds * SR))
        self.dry = np.zeros((2, self.n), dtype=np.float32)
        self.send = np.zeros((2, self.n), dtype=np.float32)
        self.stems = {}
        self.echo = {}

    def add(self, sig, t, gain=1.0, pan=0.0, send=0.0, stem="misc", start_index=None):
        i = int(round(t * SR)) if start_index is None else start_index
        if i >= self.n or gain == 0.0:
            return
        if i < 0:
            sig = sig[..., -i:]
            i = 0
        m = min(sig.shape[-1], self.n - i)
        if m <= 0:
            return
        f32 = np.float32
        if sig.ndim == 1:
            gl, gr = pan_gains(pan)
            s = sig[:m].astype(f32, copy=False) * f32(gain)
            self.dry[0, i:i + m] += f32(gl) * s
            self.dry[1, i:i + m] += f32(gr) * s
            if send:
                self.send[0, i:i + m] += f32(gl * send) * s
                self.send[1, i:i + m] += f32(gr * send) * s
            energy = float(np.dot(s, s)) * (gl * gl + gr * gr)
        else:
            s = sig[:, :m].astype(f32, copy=False) * f32(gain)
            self.dry[:, i:i + m] += s
            if send:
                self.send[:, i:i + m] += send * s
            energy = float(np.sum(s * s))
        self.stems[stem] = self.stems.get(stem, 0.0) + energy

    def add_to_echo(self, name, sig, t, gain):
        """Collect a mono note into the named echo bus (see apply_echo)."""
        bus = self.echo.get(name)
        if bus is None:
            bus = self.echo[name] = np.zeros(self.n, dtype=np.float32)
        i = int(round(t * SR))
        m = min(sig.shape[-1], self.n - i)
        if m > 0:
            bus[i:i + m] += sig[:m].astype(np.float32, copy=False) * np.float32(gain)

    def apply_echo(self, name, delay, feedback, repeats, send, spread=0.6):
        """Ping-pong echoes of everything collected in an echo bus."""
        bus = self.echo.pop(name, None)
        if bus is None:
            return
        d = int(round(delay * SR))
        for k in range(1, repeats + 1):
            if k * d >= self.n:
                break
            gl, gr = pan_gains(spread if k % 2 else -spread)
            seg = bus[:self.n - k * d] * np.float32(feedback ** k)
            for ch, g in ((0, gl), (1, gr)):
                self.dry[ch, k * d:] += np.float32(g) * seg
                self.send[ch, k * d:] += np.float32(g * send) * seg
            self.stems[name + "-echo"] = self.stems.get(name + "-echo", 0.0) + \
                float(np.dot(seg, seg)) * (gl * gl + gr * gr)


def reverb_ir(seconds, rt60, seed, predelay=0.02, hf_ratio=0.45, lf_ratio=1.15):
    """Synthetic stereo room: decaying noise whose high band dies faster,
    normalised to unit energy per channel."""
    n = int(seconds * SR)
    rng = np.random.default_rng(seed)
    noise = rng.standard_normal((2, n))
    spectrum = np.fft.rfft(noise, axis=1)
    fr = np.fft.rfftfreq(n, 1.0 / SR)
    t = np.arange(n) / SR
    # smooth crossovers at 400 Hz and 2.5 kHz; top band above 6 kHz
    x1 = 1.0 / (1.0 + (fr / 400.0) ** 4)
    x2 = 1.0 / (1.0 + (fr / 2500.0) ** 4)
    x3 = 1.0 / (1.0 + (fr / 6000.0) ** 4)
    bands = [(x1, rt60 * lf_ratio), (x2 - x1, rt60), (x3 - x2, rt60 * hf_ratio),
             (1.0 - x3, rt60 * hf_ratio * 0.4)]
    ir = np.zeros((2, n))
    for mask, rt in bands:
        band = np.fft.irfft(spectrum * mask, n, axis=1)
        ir += band * np.exp(-6.9078 * t / rt)
    ir *= 1.0 - np.exp(-t / 0.012)                     # diffuse build-up
    ir[:, -int(0.05 * SR):] *= ramp_up(int(0.05 * SR))[::-1]
    pre = int(predelay * SR)
    ir = np.concatenate([np.zeros((2, pre)), ir], axis=1)
    ir /= np.sqrt(np.sum(ir ** 2, axis=1, keepdims=True))
    return ir


def convolve(x, ir):
    """Overlap-add FFT convolution of stereo x with stereo ir, cut to x's length."""
    n = x.shape[1]
    m = ir.shape[1]
    nfft = 1 << (4 * m - 1).bit_length()
    block = nfft - m + 1
    hspec = np.fft.rfft(ir, nfft, axis=1)
    out = np.zeros((2, n + nfft))
    for s in range(0, n, block):
        seg = x[:, s:s + block]
        if not seg.any():
            continue
        y = np.fft.irfft(np.fft.rfft(seg, nfft, axis=1) * hspec, nfft, axis=1)
        out[:, s:s + nfft] += y
    return out[:, :n]


def limiter(x, threshold, block=256, radius=6):
    """Smooth look-ahead gain reduction so |x| <= threshold everywhere."""
    n = x.shape[1]
    nb = -(-n // block)
    padded = np.zeros((2, nb * block))
    padded[:, :n] = np.abs(x)
    peaks = padded.reshape(2, nb, block).max(axis=2).max(axis=0)
    need = np.minimum(1.0, threshold / np.maximum(peaks, 1e-12))
    if need.min() >= 1.0:
        return np.clip(x, -threshold, threshold)
    big = 2 * radius
    mf = sliding_window_view(np.pad(need, big, mode="edge"), 2 * big + 1).min(axis=1)
    sm = sliding_window_view(np.pad(mf, radius, mode="edge"), 2 * radius + 1).mean(axis=1)
    # linear interpolation of the block gains, block by block
    nxt = np.append(sm[1:], sm[-1])
    ramp = np.arange(block) / block
    gain = (sm[:, None] + (nxt - sm)[:, None] * ramp[None, :]).reshape(-1)[:n]
    y = x * gain
    np.clip(y, -threshold, threshold, out=y)
    return y


def db(x):
    return 20.0 * np.log10(max(float(x), 1e-12))


def rms(x):
    return float(np.sqrt(np.mean(np.square(x))))


# ---------------------------------------------------------------- files

def to_int16(x):
    """(channels, n) float in -1..1 -> interleaved little-endian int16 bytes."""
    y = np.clip(np.round(np.asarray(x) * 32767.0), -32767, 32767).astype("<i2")
    if y.ndim == 2:
        y = y.T.reshape(-1)
    return y.tobytes()


def write_wav(path, x):
    channels = 1 if np.asarray(x).ndim == 1 else x.shape[0]
    with wave.open(str(path), "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(SR)
        w.writeframes(to_int16(x))


class OggJob:
    """oggenc running in the background on a temporary WAV file."""

    def __init__(self, x, path, title=None, quality=5):
        self.path = str(path)
        fd, self.wav = tempfile.mkstemp(suffix=".wav", prefix="qv-audio-")
        os.close(fd)
        write_wav(self.wav, x)
        self.tmp = self.path + ".part"
        cmd = ["oggenc", "-Q", "--serial", "12345", "-q", str(quality)]
        if title:
            cmd += ["-t", title, "-a", "Quillon Vale"]
        cmd += ["-o", self.tmp, self.wav]
        self.proc = subprocess.Popen(cmd)

    def wait(self):
        try:
            code = self.proc.wait()
            if code != 0:
                raise RuntimeError("oggenc failed (%d) for %s" % (code, self.path))
            os.replace(self.tmp, self.path)
        finally:
            if os.path.exists(self.wav):
                os.remove(self.wav)
            if os.path.exists(self.tmp):
                os.remove(self.tmp)
        return self.path


def decode_ogg(path):
    """Decode an OGG file with oggdec; returns (sample rate, float array (ch, n))."""
    fd, tmp = tempfile.mkstemp(suffix=".wav", prefix="qv-decode-")
    os.close(fd)
    try:
        subprocess.run(["oggdec", "-Q", "-o", tmp, str(path)], check=True)
        with wave.open(tmp, "rb") as w:
            ch = w.getnchannels()
            rate = w.getframerate()
            data = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2")
        return rate, data.reshape(-1, ch).T.astype(np.float64) / 32768.0
    finally:
        os.remove(tmp)
