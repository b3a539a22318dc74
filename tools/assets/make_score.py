#!/usr/bin/env python3
"""Writes the production's score, data/morvelane.mid.

A format 1 Standard MIDI File at 128 beats per minute in F sharp minor,
98 bars of 4/4 (a little over three minutes). The music is written below as
plain Python: change a pattern, run tools/assets/make_all.sh, and the score,
the note list and the soundtrack are made again.

The visuals read three of the track chunks as cues (pitch class C to D sharp
are hits with codes 0 to 3, E to B are held notes with code = class mod 4):

  chunk 1  cues for flashes and titles
           hi-mid tom (C, hit 0)           -> warm fill flash, on the drum fills
           tubular bell C sharp (hit 1)    -> next title card, at start and end
  chunk 3  cues for the camera
           kick (C, hit 0)                 -> camera shake, on the strong beats
           side stick (C sharp, hit 1)     -> dolly in
           snare accent (D, hit 2)         -> dolly out
           riser strings E (held 0)        -> turn about the side axis
           crash 2 / strings A (held 1)    -> turn about the up axis
  chunk 4  cues for the layers
           taiko C (hit 0)                 -> seed boxes on and kick
           crash 1 (C sharp, hit 1)        -> flash image
           tubular bell D (hit 2)          -> next greetings card
           sweep pad E (held 0)            -> distortion boost
           sweep pad A (held 1)            -> spectrum boost
           sweep pad F sharp (held 2)      -> mix boost
           sweep pad B (held 3)            -> metaball speed

Every other note lives in chunks 2 and 5 to 9, which the visuals ignore.
Usage: make_score.py [output path]   (default data/morvelane.mid)
"""

import os
import struct
import sys

DIVISION = 480                 # ticks per quarter note
BPM = 128                      # 468750 us per beat: the converter's tempo value is exact
US_PER_BEAT = 60_000_000 // BPM
SIXTEENTH = DIVISION // 4
BAR = DIVISION * 4
SONG_BARS = 96                 # music; two more bars let the reverb ring out
END_TICK = (SONG_BARS + 2) * BAR

# General MIDI programs (0-based) and the channel each part plays on.
PAD, BASS, LEAD, ARP, BELLS, TAIKO, RISER, SWEEP, MUSICBOX, DRUMS = range(10)
PROGRAMS = {PAD: 89, BASS: 38, LEAD: 81, ARP: 5, BELLS: 14, TAIKO: 116,
            RISER: 50, SWEEP: 95, MUSICBOX: 10}

# GM percussion keys.
KICK, SIDESTICK, SNARE, CLAP, CLOSED_HAT, OPEN_HAT = 36, 37, 38, 39, 42, 46
TOM_FLOOR, TOM_LOW, TOM_LOWMID, TOM_HIMID, TOM_HIGH = 43, 45, 47, 48, 50
CRASH1, CRASH2, RIDE = 49, 57, 51

# F sharp minor: i - VI - III - VII, two bars each (an 8-bar phrase).
PROGRESSION = [
    # root (bass), pad voicing, chord tones for the arpeggio
    (42, [54, 57, 61, 66], [66, 69, 73, 78]),   # F#m
    (38, [57, 62, 66, 69], [62, 66, 69, 74]),   # D
    (45, [57, 61, 64, 69], [69, 73, 76, 81]),   # A
    (40, [56, 59, 64, 68], [64, 68, 71, 76]),   # E
]

# The lead riff of one phrase: per bar a list of (16th position, 16ths, key).
# A 3-3-2 push in the odd bars, an answer in the even ones.
LEAD_RIFF = [
    [(0, 3, 73), (3, 3, 73), (6, 2, 71), (8, 3, 69), (11, 3, 71), (14, 2, 73)],
    [(0, 6, 69), (6, 2, 66), (8, 4, 69), (12, 4, 71)],
    [(0, 3, 74), (3, 3, 74), (6, 2, 73), (8, 3, 69), (11, 3, 66), (14, 2, 69)],
    [(0, 8, 66), (8, 4, 64), (12, 4, 66)],
    [(0, 3, 76), (3, 3, 76), (6, 2, 73), (8, 3, 69), (11, 3, 73), (14, 2, 76)],
    [(0, 6, 73), (6, 2, 71), (8, 4, 69), (12, 4, 73)],
    [(0, 3, 71), (3, 3, 71), (6, 2, 68), (8, 3, 64), (11, 3, 68), (14, 2, 71)],
    [(0, 8, 68), (8, 4, 69), (12, 4, 71)],
]

# Song sections, by bar (end exclusive).
INTRO, BUILD, DROP1, BREAK, DROP2, OUTRO, ENDING = (
    (0, 8), (8, 16), (16, 32), (32, 48), (48, 72), (72, 92), (92, 96))

# Camera dolly moves: start with a move in and alternate, so the camera swings
# between its closest distance and one move out, never drifting away.
DOLLY_IN_BARS = [8, 20, 28, 40, 52, 60, 68, 80, 92]
DOLLY_OUT_BARS = [16, 24, 32, 48, 56, 64, 72, 88]


def within(bar, section):
    return section[0] <= bar < section[1]


def chord_of(bar):
    return PROGRESSION[(bar % 8) // 2]


class Chunk:
    """The events of one track chunk: (tick, order, bytes)."""

    def __init__(self, name):
        self.name = name
        self.events = []
        self.spans = {}             # key -> [(start, end)] of its notes

    def add(self, tick, data, order=1):
        self.events.append((tick, order, bytes(data)))

    def note(self, channel, tick, length, key, velocity):
        assert 0 <= key < 128 and 0 < velocity < 128 and length > 0
        # The converter pairs notes by key alone within a chunk, so two notes
        # of one key must never overlap there.
        spans = self.spans.setdefault(key, [])
        for start, end in spans:
            assert tick >= end or tick + length <= start, \
                f"{self.name}: key {key} overlaps at tick {tick}"
        spans.append((tick, tick + length))
        self.add(tick, [0x90 | channel, key, velocity], order=2)
        self.add(tick + length, [0x80 | channel, key, 0], order=0)

    def control(self, channel, tick, controller, value):
        self.add(tick, [0xB0 | channel, controller, value])

    def program(self, channel, program):
        self.add(0, [0xC0 | channel, program])

    def encode(self):
        body = bytearray(meta(0x03, self.name.encode("ascii")))
        last = 0
        for tick, _, data in sorted(self.events, key=lambda e: (e[0], e[1])):
            body += varlen(tick - last) + data
            last = tick
        body += varlen(END_TICK - last) + b"\xff\x2f\x00"
        return b"MTrk" + struct.pack(">I", len(body)) + body


def varlen(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def meta(kind, payload):
    return b"\x00\xff" + bytes([kind]) + varlen(len(payload)) + payload


def at(bar, sixteenth=0):
    return bar * BAR + sixteenth * SIXTEENTH


class Score:
    def __init__(self):
        self.conductor = Chunk("morvelane")
        self.cues_flash = Chunk("cues: fill flash, title cards")
        self.drums = Chunk("drums")
        self.cues_camera = Chunk("cues: shake, dolly, turn")
        self.cues_layers = Chunk("cues: seed boxes, flash images, greetings, boosts")
        self.pad = Chunk("pad")
        self.bass = Chunk("bass")
        self.lead = Chunk("lead")
        self.arp = Chunk("arpeggio")
        self.bells = Chunk("music box")
        self.chunks = [self.conductor, self.cues_flash, self.drums, self.cues_camera,
                       self.cues_layers, self.pad, self.bass, self.lead, self.arp,
                       self.bells]

    def encode(self):
        header = b"MThd" + struct.pack(">IHHH", 6, 1, len(self.chunks), DIVISION)
        return header + b"".join(c.encode() for c in self.chunks)


def write_setup(s):
    # Tempo, metre and key live in the conductor chunk, before any note.
    s.conductor.events.append((0, 0, b"\xff\x58\x04\x04\x02\x18\x08"))
    s.conductor.events.append((0, 0, b"\xff\x51\x03" + US_PER_BEAT.to_bytes(3, "big")))
    s.conductor.events.append((0, 0, b"\xff\x59\x02\x03\x01"))   # 3 sharps, minor
    # Mixer settings, each in the chunk that plays the channel first.
    mix = {  # channel: (chunk, volume, pan, reverb, chorus)
        PAD: (s.pad, 78, 64, 70, 40), BASS: (s.bass, 100, 64, 10, 0),
        LEAD: (s.lead, 82, 70, 60, 30), ARP: (s.arp, 62, 44, 55, 20),
        BELLS: (s.cues_flash, 80, 84, 80, 0), TAIKO: (s.cues_layers, 96, 64, 30, 0),
        RISER: (s.cues_camera, 88, 64, 70, 0), SWEEP: (s.cues_layers, 72, 60, 80, 40),
        MUSICBOX: (s.bells, 66, 90, 80, 0), DRUMS: (s.drums, 110, 64, 20, 0),
    }
    for channel, (chunk, volume, pan, reverb, chorus) in mix.items():
        if channel in PROGRAMS:
            chunk.program(channel, PROGRAMS[channel])
        chunk.control(channel, 0, 7, volume)
        chunk.control(channel, 0, 10, pan)
        chunk.control(channel, 0, 91, reverb)
        chunk.control(channel, 0, 93, chorus)


def write_pad(s):
    for bar in range(0, SONG_BARS, 2):
        if within(bar, ENDING):
            break
        _, voicing, _ = chord_of(bar)
        velocity = 70 if within(bar, BREAK) or within(bar, INTRO) else 56
        for key in voicing:
            s.pad.note(PAD, at(bar), 2 * BAR - SIXTEENTH, key, velocity)
    # The last chord rings over the ending.
    for key in [42, 54, 57, 61, 66]:
        s.pad.note(PAD, at(ENDING[0]), 4 * BAR, key, 76)


def write_bass(s):
    for bar in range(BUILD[0], ENDING[0]):
        if within(bar, BREAK) and bar < 44:
            continue
        root = chord_of(bar)[0]
        for beat in range(4):
            # Rolling sixteenths after every kick: root, octave, root.
            for step, key, velocity in ((1, root, 92), (2, root + 12, 78), (3, root, 88)):
                if within(bar, BREAK):
                    velocity -= 25          # the build-up in the break stays soft
                s.bass.note(BASS, at(bar, beat * 4 + step), SIXTEENTH - 10, key, velocity)
    # Closing note under the ending chord.
    s.bass.note(BASS, at(ENDING[0]), 2 * BAR, 30, 90)


def write_lead(s):
    phrases = [(DROP1[0], 0, 96), (DROP1[0] + 8, 0, 100),
               (BREAK[0], 0, 64), (BREAK[0] + 8, 0, 70),
               (DROP2[0], 0, 100), (DROP2[0] + 8, 0, 104), (DROP2[0] + 16, 12, 106)]
    for start, transpose, velocity in phrases:
        for offset, bar_notes in enumerate(LEAD_RIFF):
            for pos, length, key in bar_notes:
                s.lead.note(LEAD, at(start + offset, pos), length * SIXTEENTH - 20,
                            key + transpose, velocity - (pos % 4) * 4)


def write_arp(s):
    pattern = [0, 1, 2, 3, 2, 1, 0, 2]
    for bar in range(BUILD[0], ENDING[0]):
        tones = chord_of(bar)[2]
        base = 58 if within(bar, BREAK) else 68
        for step in range(16):
            key = tones[pattern[step % 8]]
            s.arp.note(ARP, at(bar, step), SIXTEENTH - 15, key, base + (8 if step % 4 == 0 else 0))


def write_music_box(s):
    # A slow chime over the intro and the break, an octave away from the cue bells.
    for bar in list(range(*INTRO)) + list(range(*BREAK)):
        tones = chord_of(bar)[2]
        for step, index in ((0, 0), (3, 2), (6, 1), (10, 3), (12, 2)):
            s.bells.note(MUSICBOX, at(bar, step), 3 * SIXTEENTH, tones[index] + 12 - 24 * (index == 3), 60)


def drum_bar(bar):
    """The drum hits of one bar: (16th position, key, velocity)."""
    hits = []
    full = within(bar, DROP1) or within(bar, DROP2) or within(bar, OUTRO)
    if within(bar, INTRO):
        if bar >= 4:
            hits += [(p, CLOSED_HAT, 40 + 10 * (p % 4 == 2)) for p in range(0, 16, 2)]
        return hits
    if within(bar, ENDING):
        return hits
    if within(bar, BREAK):
        if bar >= 40:
            hits += [(p, CLOSED_HAT, 46 + 8 * (p % 4 == 2)) for p in range(16)]
        if bar >= 44:
            # Snare build: quarters, eighths, sixteenths, louder every bar.
            step = {44: 4, 45: 2, 46: 1, 47: 1}[bar]
            for p in range(0, 16, step):
                hits.append((p, SNARE, 50 + (bar - 44) * 18 + p))
        return hits
    # Build, drops and outro: four on the floor.
    hits += [(p, KICK, 118) for p in (0, 4, 8, 12)]
    hits += [(p, CLOSED_HAT, 60 + 16 * (p % 4 == 2)) for p in range(16)]
    if full or bar >= 12:
        hits += [(4, CLAP, 100), (12, CLAP, 104)]
    if full:
        hits += [(p, OPEN_HAT, 72) for p in (2, 6, 10, 14)]
        hits += [(4, SNARE, 70), (12, SNARE, 74)]
    if bar % 8 == 7:
        # Fill over the last two beats: the hi-mid tom flashes the screen.
        hits = [h for h in hits if h[0] < 8 or h[1] in (CLOSED_HAT,)]
        hits += [(8, TOM_HIGH, 100), (9, TOM_HIGH, 92), (10, TOM_HIMID, 108), (11, TOM_HIMID, 96),
                 (12, TOM_LOWMID, 104), (13, TOM_LOWMID, 96), (14, TOM_LOW, 110), (15, TOM_FLOOR, 116)]
    if bar % 8 == 0 and (full or bar == BUILD[0]):
        hits.append((0, CRASH1, 112))
    return hits


def shake_positions(bar):
    """Sixteenths of a bar whose kick also shakes the camera."""
    if within(bar, DROP2):
        return (0, 8)
    if within(bar, BUILD) or within(bar, DROP1) or within(bar, OUTRO):
        return (0,)
    return ()


def write_drums(s):
    for bar in range(SONG_BARS):
        for pos, key, velocity in drum_bar(bar):
            tick = at(bar, pos)
            length = SIXTEENTH - 20
            if key == KICK and pos in shake_positions(bar):
                s.cues_camera.note(DRUMS, tick, length, key, velocity)
            elif key == TOM_HIMID:
                s.cues_flash.note(DRUMS, tick, length, key, velocity)
            elif key == CRASH1:
                s.cues_layers.note(DRUMS, tick, BAR // 2, key, velocity)
            else:
                s.drums.note(DRUMS, tick, length, key, velocity)
    # The closing hit.
    s.cues_camera.note(DRUMS, at(ENDING[0]), SIXTEENTH, KICK, 124)
    s.cues_layers.note(DRUMS, at(ENDING[0]), BAR, CRASH1, 120)


def write_camera_cues(s):
    for bar in DOLLY_IN_BARS:       # a rim click pulls the camera in
        s.cues_camera.note(DRUMS, at(bar), SIXTEENTH - 20, SIDESTICK, 100)
    for bar in DOLLY_OUT_BARS:      # a snare accent pushes it out
        s.cues_camera.note(DRUMS, at(bar), SIXTEENTH - 20, SNARE, 116)
    # Crash 2 rings for a bar while the camera swings round its up axis.
    for bar in (20, 28, 52, 60, 68, 76, 84):
        s.cues_camera.note(DRUMS, at(bar), BAR, CRASH2, 100)
    # Rising strings before each drop turn it about the side axis (E, held).
    for start, bars in ((BUILD[1] - 1, 1), (DROP1[1] - 1, 1), (BREAK[1] - 2, 2), (DROP2[1] - 1, 1)):
        riser(s, start, bars, 76)
    # In the break the strings hold an A: a slow swing about the up axis.
    for bar in (34, 38):
        riser(s, bar, 2, 69, top=80)


def riser(s, bar, bars, key, top=120):
    steps = bars * 16
    for i in range(steps):
        s.cues_camera.control(RISER, at(bar, i), 11, 30 + (top - 30) * i // (steps - 1))
    s.cues_camera.note(RISER, at(bar), bars * BAR, key, 100)
    s.cues_camera.control(RISER, at(bar + bars), 11, 100)


def write_layer_cues(s):
    # Taiko on a low C (a thud more than a pitch, so it sits under any chord):
    # the seed boxes appear with the first drop, then pulse on beat 3.
    s.cues_layers.note(TAIKO, at(DROP1[0]), DIVISION, 36, 120)
    for bar in list(range(DROP1[0], DROP1[1])) + list(range(DROP2[0], DROP2[1])) + list(range(72, 88)):
        s.cues_layers.note(TAIKO, at(bar, 8), DIVISION, 36, 92 + 12 * (bar % 2))
    # Greetings: a low bell D every two bars near the end (credits, then six cards).
    for bar in range(OUTRO[0], OUTRO[1], 2):
        s.cues_layers.note(BELLS, at(bar), 2 * DIVISION, 74, 96)
    # Sweep pad: per chord one held note that fits it, each steering a boost.
    boost_for_chord = [66, 69, 64, 71]        # F# mix, A spectrum, E distortion, B metaballs
    for bar in range(DROP1[0], DROP1[1], 2):
        s.cues_layers.note(SWEEP, at(bar), 2 * BAR, boost_for_chord[(bar % 8) // 2], 84)
    for bar in range(DROP2[0], DROP2[1], 2):
        s.cues_layers.note(SWEEP, at(bar), 2 * BAR, boost_for_chord[(bar % 8) // 2], 88)
    for bar in range(OUTRO[0], OUTRO[1] - 4, 4):
        s.cues_layers.note(SWEEP, at(bar), 4 * BAR, 69 if bar % 8 == 0 else 66, 72)
    # The break: long metaball swells (B) answered by the spectrum (A).
    for bar, key in ((32, 71), (36, 69), (40, 71), (44, 64)):
        s.cues_layers.note(SWEEP, at(bar), 4 * BAR, key, 76)


def write_title_cues(s):
    # Bell C sharp: the team card, then the title; again as the song closes.
    for bar in (0, 4, ENDING[0], ENDING[0] + 2):
        s.cues_flash.note(BELLS, at(bar), 3 * DIVISION, 85, 100)


def build():
    s = Score()
    write_setup(s)
    write_title_cues(s)
    write_pad(s)
    write_bass(s)
    write_lead(s)
    write_arp(s)
    write_music_box(s)
    write_drums(s)
    write_camera_cues(s)
    write_layer_cues(s)
    return s


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "morvelane.mid")
    data = build().encode()
    with open(out, "wb") as f:
        f.write(data)
    seconds = END_TICK / DIVISION * US_PER_BEAT / 1e6
    print(f"wrote {os.path.normpath(out)}: {len(data)} bytes, {seconds:.1f} s")


if __name__ == "__main__":
    main()
