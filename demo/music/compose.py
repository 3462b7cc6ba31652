#!/usr/bin/python3
"""The demo disc's music: six short pieces (about ten seconds each) synthesised from scratch - a bass,
a bell-like arpeggio and a melody over a four-chord progression - written as one raw CD audio image
(music.bin, 44.1 kHz 16-bit little-endian stereo) and its CUE sheet (music.cue). Deterministic: the
same run gives the same bytes, so the disc id and its CDDB entry (demo/cddb/misc) stay valid.

    compose.py OUTPUT_FOLDER      writes music.bin and music.cue there, prints the disc id
"""

import array
import math
import os
import random
import sys

RATE = 44100
SAMPLES_PER_FRAME = 588
TABLE_SIZE = 4096
PREGAP_FRAMES = 150

# name, tonic (MIDI note), minor?, beats per minute, the progression (scale degrees, 0-based), seed
PIECES = [
    ("First Light", 60, False, 100, [0, 4, 5, 3]),
    ("Harbour Waltz", 65, False, 112, [0, 3, 4, 0]),
    ("Slow River", 57, True, 88, [0, 5, 2, 6]),
    ("Lantern Steps", 55, False, 108, [0, 5, 3, 4]),
    ("Quiet Snow", 62, True, 84, [0, 3, 6, 2]),
    ("Homeward", 60, False, 96, [3, 4, 5, 0]),
]
TITLE = "Northern Sketches"
PERFORMER = "discdeck demo"
BEATS_PER_CHORD = 4
MAJOR = [0, 2, 4, 5, 7, 9, 11]
MINOR = [0, 2, 3, 5, 7, 8, 10]


def wave_table(harmonics):
    table = [sum(weight * math.sin(2 * math.pi * k * i / TABLE_SIZE) for k, weight in harmonics)
             for i in range(TABLE_SIZE)]
    peak = max(abs(v) for v in table)
    return [v / peak for v in table]


BELL = wave_table([(1, 1.0), (2, 0.35), (3, 0.12), (5, 0.05)])
SOFT = wave_table([(1, 1.0), (2, 0.2), (3, 0.05)])
BASS = wave_table([(1, 1.0), (2, 0.45), (3, 0.1)])


def frequency(note):
    return 440.0 * 2 ** ((note - 69) / 12)


def add_note(buffer, start_s, seconds, note, table, volume, decay_s):
    """One note into a mono buffer: a 5 ms rise (no click), then an exponential decay; it stops
    where it has died away, or fades out where its time or the buffer ends."""
    start = int(start_s * RATE)
    length = min(int(seconds * RATE), len(buffer) - start)
    increment = frequency(note) * TABLE_SIZE / RATE
    fall = math.exp(-1.0 / (decay_s * RATE))
    rise = int(0.005 * RATE)
    # A held note that is cut short fades over its last 10 ms instead of stopping dead.
    tail = max(1, min(int(0.01 * RATE), length))
    phase = 0.0
    level = volume
    for i in range(length):
        gain = level * min(1.0, i / rise, (length - i) / tail)
        buffer[start + i] += table[int(phase) & (TABLE_SIZE - 1)] * gain
        phase += increment
        level *= fall
        if level < volume * 0.002:
            break


def chord_notes(tonic, scale, degree):
    """The triad on a scale degree, as MIDI notes from the tonic's octave."""
    notes = []
    for step in (0, 2, 4):
        index = degree + step
        notes.append(tonic + scale[index % 7] + 12 * (index // 7))
    return notes


def compose(number, name, tonic, minor, bpm, progression):
    scale = MINOR if minor else MAJOR
    beat = 60.0 / bpm
    seconds = beat * BEATS_PER_CHORD * len(progression) + 1.2  # the last chord rings on
    frames = math.ceil(seconds * RATE / SAMPLES_PER_FRAME)
    length = frames * SAMPLES_PER_FRAME
    bass, arpeggio, melody = [0.0] * length, [0.0] * length, [0.0] * length
    rng = random.Random(number * 7919)
    pattern = [0, 1, 2, 1, 0, 2, 1, 2] if number % 2 else [0, 2, 1, 2, 0, 1, 2, 1]
    previous = 4
    for bar, degree in enumerate(progression):
        start = bar * BEATS_PER_CHORD * beat
        triad = chord_notes(tonic, scale, degree)
        last_bar = bar == len(progression) - 1
        add_note(bass, start, BEATS_PER_CHORD * beat + (1.2 if last_bar else 0), triad[0] - 24, BASS, 0.55, 1.6)
        for step in range(BEATS_PER_CHORD * 2):
            add_note(arpeggio, start + step * beat / 2, beat * 1.5, triad[pattern[step]] + 12, BELL, 0.22, 0.35)
        for step in range(BEATS_PER_CHORD):
            # A walk over the scale that leans on the chord's tones and ends on the tonic.
            if last_bar and step == BEATS_PER_CHORD - 1:
                position = 7
            else:
                choices = [previous + d for d in (-2, -1, 1, 2) if 0 <= previous + d <= 11]
                tones = [c for c in choices if (c - degree) % 7 in (0, 2, 4)]
                position = rng.choice(tones if tones and rng.random() < 0.7 else choices)
            previous = position
            note = tonic + 12 + scale[position % 7] + 12 * (position // 7)
            held = beat * (2.4 if last_bar and step == BEATS_PER_CHORD - 1 else 0.95)
            add_note(melody, start + step * beat, held, note, SOFT, 0.3, 0.8)
    # Each voice in its place: bass in the middle, arpeggio right, melody left.
    left = [0.5 * b + 0.35 * a + 0.65 * m for b, a, m in zip(bass, arpeggio, melody)]
    right = [0.5 * b + 0.65 * a + 0.35 * m for b, a, m in zip(bass, arpeggio, melody)]
    fade = int(0.4 * RATE)
    for i in range(fade):
        left[length - fade + i] *= 1 - i / fade
        right[length - fade + i] *= 1 - i / fade
    return left, right


def digit_sum(n):
    return sum(int(d) for d in str(n))


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    pieces = [compose(i + 1, *piece[:5]) for i, piece in enumerate(PIECES)]
    peak = max(max(abs(v) for v in channel) for piece in pieces for channel in piece)
    scale = 0.8 * 32767 / peak
    starts = []
    frames = 0
    with open(os.path.join(folder, "music.bin.part"), "wb") as out:
        for left, right in pieces:
            starts.append(frames)
            samples = array.array("h", [0]) * (2 * len(left))
            samples[0::2] = array.array("h", (int(round(v * scale)) for v in left))
            samples[1::2] = array.array("h", (int(round(v * scale)) for v in right))
            if sys.byteorder != "little":
                samples.byteswap()
            out.write(samples.tobytes())
            frames += len(left) // SAMPLES_PER_FRAME
    os.replace(os.path.join(folder, "music.bin.part"), os.path.join(folder, "music.bin"))

    lines = ['REM The demo music, made by demo/music/compose.py', 'PERFORMER "%s"' % PERFORMER,
             'TITLE "%s"' % TITLE, 'FILE "music.bin" BINARY']
    for number, (piece, start) in enumerate(zip(PIECES, starts), 1):
        lines += ["  TRACK %02d AUDIO" % number, '    TITLE "%s"' % piece[0],
                  "    INDEX 01 %02d:%02d:%02d" % (start // 4500, start // 75 % 60, start % 75)]
    with open(os.path.join(folder, "music.cue"), "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")

    # The CDDB disc id of the disc a drive reports for this sheet.
    offsets = [start + PREGAP_FRAMES for start in starts]
    lead_out = frames + PREGAP_FRAMES
    checksum = sum(digit_sum(offset // 75) for offset in offsets)
    disc_id = (checksum % 255) << 24 | (lead_out // 75 - offsets[0] // 75) << 8 | len(offsets)
    print("%08x" % disc_id)
    return 0


if __name__ == "__main__":
    sys.exit(main())
