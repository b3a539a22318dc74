#include "vorn/MipmapChain.h"

#include <algorithm>

namespace vorn {

std::vector<mipmapLevelSize> mipmapLevelSizes(int width, int height)
{
    std::vector<mipmapLevelSize> levels;
    if (width <= 0 || height <= 0)
        return levels;
    // A side that has reached 1 stays 1. (Level 0 counts too: a 1 x 4 image
    // continues 1x2, 1x1, never 0x2.)
    int i = 0;
    for (int n = std::max(width, height); n != 0; n >>= 1, ++i)
        levels.push_back({std::max(1, width >> i), std::max(1, height >> i)});
    return levels;
}

std::vector<mipmapLevelSize> cubeMipmapLevelSizes(int width, int height)
{
    std::vector<mipmapLevelSize> levels;
    if (width <= 0 || height <= 0)
        return levels;
    int k = 0;
    for (int n = std::min(width, height); n != 0; n >>= 1, ++k)
        levels.push_back({width >> k, height >> k});
    return levels;
}

} // namespace vorn
