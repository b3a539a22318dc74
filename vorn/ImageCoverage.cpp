#include "vorn/ImageCoverage.h"

#include <algorithm>
#include <cmath>

namespace vorn {

sImageCoverage imageCoverage(const std::uint8_t* texels, int width, int height)
{
    sImageCoverage coverage;
    if (texels == nullptr || width <= 0 || height <= 0)
        return coverage;
    int firstOpaque = height, lastOpaque = -1;
    double farthestLit2 = -1.0;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = texels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4u;
        const double dy = (y + 0.5) / height - 0.5;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* texel = row + static_cast<std::size_t>(x) * 4u;
            if (texel[3] == 0)
                continue;
            firstOpaque = std::min(firstOpaque, y);
            lastOpaque = y;
            if (texel[0] == 0 && texel[1] == 0 && texel[2] == 0)
                continue;
            const double dx = (x + 0.5) / width - 0.5;
            farthestLit2 = std::max(farthestLit2, dx * dx + dy * dy);
        }
    }
    const double inf = std::numeric_limits<double>::infinity();
    if (lastOpaque < 0) {
        coverage.opaqueFromT = coverage.opaqueToT = 0.0f;
        coverage.litRadius = -1.0f;
        return coverage;
    }
    // A linear lookup at t reads the rows whose centres lie within a texel
    // of it: row j from (j - 0.5) / height to (j + 1.5) / height. A
    // repeating lookup near one edge reads the other edge's row as well.
    const bool reachesAnEdge = firstOpaque == 0 || lastOpaque == height - 1;
    coverage.opaqueFromT = static_cast<float>(reachesAnEdge ? -inf : (firstOpaque - 0.5) / height);
    coverage.opaqueToT = static_cast<float>(reachesAnEdge ? inf : (lastOpaque + 1.5) / height);
    if (farthestLit2 < 0.0) {
        coverage.litRadius = -1.0f;
        return coverage;
    }
    // Within a texel either way of a lit texel's centre, a lookup reads it.
    const double footprint = std::hypot(1.0 / width, 1.0 / height);
    coverage.litRadius = static_cast<float>(std::sqrt(farthestLit2) + footprint);
    return coverage;
}

} // namespace vorn
