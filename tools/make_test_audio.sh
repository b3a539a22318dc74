#!/usr/bin/env bash
# Makes the small mp3 files the runtime tests play, into tests/data/.
# Needs sox and lame. The files are committed; run this again only to
# change them.
#   tone_l40_r80.mp3  1 s stereo at 44100 Hz: left a sine centred on
#                     spectrum bin 40 (40 * 44100 / 1024 Hz), right one on
#                     bin 80, both at half of full scale.
#   click_1500ms.mp3  3 s mono at 44100 Hz: silence with one short loud
#                     click starting at 1500 ms.
#   silence.mp3       0.5 s mono silence.
set -euo pipefail
cd "$(dirname "$0")/.."
out=tests/data
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rate=44100
bin40=$(awk "BEGIN { printf \"%.6f\", 40 * $rate / 1024 }")
bin80=$(awk "BEGIN { printf \"%.6f\", 80 * $rate / 1024 }")

sox -n -r $rate -b 16 -c 2 "$work/tone.wav" synth 1 sine "$bin40" sine "$bin80" gain -6.0206
# A click: 2 ms of a 2 kHz square wave at 0.8 between silence.
sox -n -r $rate -b 16 -c 1 "$work/before.wav" trim 0 1.5
sox -n -r $rate -b 16 -c 1 "$work/burst.wav" synth 0.002 square 2000 gain -1.9382
sox -n -r $rate -b 16 -c 1 "$work/after.wav" trim 0 1.498
sox "$work/before.wav" "$work/burst.wav" "$work/after.wav" "$work/click.wav"
sox -n -r $rate -b 16 -c 1 "$work/silence.wav" trim 0 0.5

# Constant bit rate with the encoder's gapless tag, so the decoder can drop
# the encoder delay and padding and land on the exact sample.
lame --quiet -b 320 --cbr -m s "$work/tone.wav" "$out/tone_l40_r80.mp3"
lame --quiet -b 320 --cbr -m m "$work/click.wav" "$out/click_1500ms.mp3"
lame --quiet -b 128 --cbr -m m "$work/silence.wav" "$out/silence.mp3"
ls -l "$out"/*.mp3
