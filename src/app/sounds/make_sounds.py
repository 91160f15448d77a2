#!/usr/bin/env python3
"""Writes the program's three sounds (our own tones) as PCM WAV files.

Run once after changing a tone; the WAV files are committed and compiled into
the program as Qt resources.
  up_to_date.wav        16 000 Hz, 16 bit, mono: a calm rising chime
  update_available.wav  16 000 Hz, 16 bit, mono: two bright alert notes
  popup.wav             11 025 Hz,  8 bit, mono: one short ding
"""
import math
import struct
import wave


def envelope(i, n, attack=0.02):
    t = i / n
    a = min(1.0, t / attack) if attack > 0 else 1.0
    return a * (1.0 - t) ** 2


def notes(rate, total_samples, plan):
    """plan: (start seconds, length seconds, frequency, volume) per note."""
    out = [0.0] * total_samples
    for start, length, freq, volume in plan:
        first = int(start * rate)
        n = int(length * rate)
        for i in range(n):
            k = first + i
            if k >= total_samples:
                break
            x = 2 * math.pi * freq * i / rate
            tone = math.sin(x) + 0.3 * math.sin(2 * x) + 0.1 * math.sin(3 * x)
            out[k] += volume * envelope(i, n) * tone / 1.4
    return [max(-1.0, min(1.0, v)) for v in out]


def write(name, rate, width, samples):
    with wave.open(name, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(width)
        w.setframerate(rate)
        if width == 2:
            w.writeframes(b"".join(struct.pack("<h", int(v * 32000)) for v in samples))
        else:
            w.writeframes(bytes(int(128 + v * 120) for v in samples))


# Sample counts chosen so the files have the sizes the program has always had
# (199 102, 109 574 and 6 947 bytes with their 44-byte headers).
write("up_to_date.wav", 16000, 2,
      notes(16000, 99529, [(0.0, 1.6, 523.25, 0.5), (0.5, 1.8, 659.25, 0.45),
                           (1.0, 2.2, 783.99, 0.4), (1.6, 4.5, 1046.5, 0.35)]))
write("update_available.wav", 16000, 2,
      notes(16000, 54765, [(0.0, 1.2, 880.0, 0.55), (0.35, 3.0, 1174.66, 0.5)]))
write("popup.wav", 11025, 1, notes(11025, 6903, [(0.0, 0.62, 1318.5, 0.6)]))
