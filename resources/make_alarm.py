#!/usr/bin/env python3
"""Makes the alarm sound the alert window plays and writes it as alarm.wav
beside this script. Standard library only.

    python3 resources/make_alarm.py

alarm.wav (WAVE resource 127): 8-bit mono PCM, 8000 samples per second,
26,716 samples (about 3.3 seconds). Two rising three-note bell figures
(C6, E6, G6) with a soft fourth note, each note a struck tone with a quick
attack and an exponential decay, so the sound is clearly audible without
being shrill. At 8000 samples per second nothing above 4000 Hz can be
played, so every partial stays below 3,900 Hz.
"""
import math
import os
import wave

HERE = os.path.dirname(os.path.abspath(__file__))

RATE = 8000
SAMPLES = 26716
PEAK = 0.82        # of full scale, after mixing

C6, E6, G6, C7 = 1046.50, 1318.51, 1567.98, 2093.00

# (start in seconds, pitch in Hz, loudness)
NOTES = [
    (0.00, C6, 1.00), (0.16, E6, 0.95), (0.32, G6, 0.95), (0.52, C7, 0.70),
    (1.50, C6, 1.00), (1.66, E6, 0.95), (1.82, G6, 0.95), (2.02, C7, 0.70),
]

# A struck bell-like tone: the fundamental, a quieter octave and a faint
# twelfth, the upper partials dying away faster.
PARTIALS = [(1.0, 1.00, 0.42), (2.0, 0.35, 0.20), (3.0, 0.12, 0.12)]
ATTACK = 0.006     # seconds


def note_sample(t, pitch):
    if t < 0:
        return 0.0
    rise = min(1.0, t / ATTACK)
    value = 0.0
    for ratio, gain, decay in PARTIALS:
        frequency = pitch * ratio
        if frequency >= 3900:
            continue
        value += gain * math.exp(-t / decay) * math.sin(2 * math.pi * frequency * t)
    return rise * value


def render():
    mix = []
    for i in range(SAMPLES):
        t = i / RATE
        mix.append(sum(loud * note_sample(t - start, pitch) for start, pitch, loud in NOTES))
    # a short fade at the very end, so the sound stops without a click
    fade = int(0.05 * RATE)
    for i in range(fade):
        mix[SAMPLES - 1 - i] *= i / fade
    scale = PEAK / max(abs(v) for v in mix)
    # 8-bit WAVE samples are unsigned, silence at 128
    return bytes(max(0, min(255, int(round(128 + 127 * scale * v)))) for v in mix)


def main():
    path = os.path.join(HERE, "alarm.wav")
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(render())
    print("wrote", path)


if __name__ == "__main__":
    main()
