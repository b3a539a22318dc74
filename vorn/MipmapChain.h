// The sizes of the mipmap levels that cTexture builds on the CPU.
//
// A 2D image of W x H gets floor(log2(max(W, H))) + 1 levels: level i is
// (W >> i) x (H >> i), except that a side which has reached 1 stays 1. So
// 256 x 128 gives 256x128, 128x64, ..., 2x1, 1x1 (nine levels) and 100 x 100
// gives 100, 50, 25, 12, 6, 3, 1 (seven). Cube faces count their levels from
// the smaller side. cTexture::load follows exactly these sizes; they are kept
// here, without GL, so they can be checked directly.
#pragma once

#include <vector>

namespace vorn {

struct mipmapLevelSize {
    int width;
    int height;
    bool operator==(const mipmapLevelSize& o) const { return width == o.width && height == o.height; }
};

// True for 1, 2, 4, ...; the loader's test is w & (w - 1) == 0, which also
// lets 0 through.
inline bool isPowerOfTwoSize(int w) { return (w & (w - 1)) == 0; }

// The levels of a 2D image of width x height, level 0 first; empty when
// either side is not positive.
std::vector<mipmapLevelSize> mipmapLevelSizes(int width, int height);

// The levels of a cube face: from min(width, height) down, each level
// (width >> k) x (height >> k).
std::vector<mipmapLevelSize> cubeMipmapLevelSizes(int width, int height);

} // namespace vorn
