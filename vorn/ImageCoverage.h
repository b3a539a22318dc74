// sImageCoverage: where in an image a lookup can read anything, so that a
// draw can leave an image out of the parts of the screen where it could
// only read nothing (fully transparent, or black times alpha).
//
//     sImageCoverage c = imageCoverage(rgba, width, height);
//     if (t <= c.opaqueFromT || t >= c.opaqueToT)   // reads alpha 0 there
//
// cTexture works it out once when it loads an image (coverage()). Both
// figures are in texture coordinates and take a linear lookup's footprint
// (a texel either way) into account:
//  - opaqueFromT, opaqueToT: the rows a lookup can read opacity from
//    (alpha above 0): a lookup whose t lies outside (opaqueFromT, opaqueToT)
//    reads alpha 0, whatever its s. Where the opaque rows reach the first or
//    last row, a repeating lookup reads them from the other edge too, and
//    the range is left open (infinite) on both sides.
//  - litRadius: how far from the image's centre (0.5, 0.5) a lookup can
//    read light (a texel whose colour times alpha is not black); a
//    repeating image has the same reach around every point (0.5 + i,
//    0.5 + j). Below 0 where the image has no light at all.
// An image without alpha (not four channels a texel) is opaque everywhere.
#pragma once

#include <cstdint>
#include <limits>

namespace vorn {

struct sImageCoverage {
    float opaqueFromT = -std::numeric_limits<float>::infinity();
    float opaqueToT = std::numeric_limits<float>::infinity();
    float litRadius = std::numeric_limits<float>::infinity();

    // Opaque and lit everywhere: what a texture not loaded from an image
    // (a render target) reports.
    static sImageCoverage everywhere() { return {}; }
};

// `texels`: width * height texels of four 8-bit channels, alpha last, the
// first row first (t = 0).
sImageCoverage imageCoverage(const std::uint8_t* texels, int width, int height);

} // namespace vorn
