// Picture comparison for the fidelity tool and its tests: peak signal to
// noise ratio and structural similarity of two RGB frames of one size.
//
// Frames are 8-bit RGB, rows packed without padding. Both measures leave
// out a border of `border` pixels on every side (a frame's outermost
// pixels are where a lower-resolution intermediate differs most and where
// nobody looks). Pure functions: no window needed.
#pragma once

#include <cstddef>
#include <vector>

struct sRgbFrame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // width * height * 3
};

// PSNR in dB over the three channels; +infinity for identical frames.
// Frames of different sizes compare as 0 dB.
double framePsnr(const sRgbFrame& a, const sRgbFrame& b, int border = 1);

// Mean SSIM of the frames' luma (0.299 R + 0.587 G + 0.114 B) over 7 x 7
// windows around every pixel; 1 for identical frames, 0 for different
// sizes.
double frameSsim(const sRgbFrame& a, const sRgbFrame& b, int border = 1);
