#!/usr/bin/env python3
"""Writes the program's own alarm sounds into data/ (shared data that the
first start copies into the application home):

  minspeed.wav, setspeed.wav, maxspeed.wav   the speed monitor, home root
  Sound Files/default.wav                    a waypoint alarm without a sound

Short sine tones, 16 kHz 16-bit mono PCM, so every player (QSoundEffect
included) takes them. The output depends on nothing but this script:
run it again after changing a tone and commit the files.

    python3 scripts/make_alarm_sounds.py [DATA_DIR]
"""
import math
import os
import struct
import sys

RATE = 16000


def tone(freq, ms, volume=0.5):
    """One note with 8 ms fades at both ends (no clicks)."""
    n = RATE * ms // 1000
    fade = RATE * 8 // 1000
    out = []
    for i in range(n):
        env = min(1.0, i / fade, (n - 1 - i) / fade)
        out.append(volume * env * math.sin(2 * math.pi * freq * i / RATE))
    return out


def silence(ms):
    return [0.0] * (RATE * ms // 1000)


def wav_bytes(samples):
    data = b"".join(struct.pack("<h", int(round(s * 32767))) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


SOUNDS = {
    # Slower than the minimum: a falling pair.
    "minspeed.wav": tone(660, 180) + silence(40) + tone(440, 260),
    # The set speed reached: one rising pair.
    "setspeed.wav": tone(523, 150) + silence(40) + tone(784, 200),
    # Faster than the maximum: three short high beeps.
    "maxspeed.wav": tone(1047, 110) + silence(60) + tone(1047, 110) + silence(60) + tone(1047, 110),
    # A waypoint alarm loops its sound until the alarm ends: a chime and a
    # pause make one round.
    os.path.join("Sound Files", "default.wav"): tone(880, 160) + tone(1175, 240) + silence(500),
}


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data")
    for name, samples in SOUNDS.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(wav_bytes(samples))
        print(path)


if __name__ == "__main__":
    main()
