#!/usr/bin/env python3
"""Writes the recording-source search's test sound: a looping 1 kHz tone,
stereo, clearly louder on the right so that an input that records what the
computer plays can be told from one that picks up noise on both sides."""
import math
import struct
import sys
import wave

RATE = 44100
SECONDS = 1
LEFT, RIGHT = 0.25, 0.75


def main(path):
    frames = bytearray()
    for n in range(RATE * SECONDS):
        s = math.sin(2 * math.pi * 1000 * n / RATE)
        frames += struct.pack("<hh", int(32767 * LEFT * s), int(32767 * RIGHT * s))
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


if __name__ == "__main__":
    main(sys.argv[1])
