// Where an image can show anything, checked against what a linear,
// repeating lookup of it reads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "vorn/ImageCoverage.h"

namespace {

struct sImage {
    int w, h;
    std::vector<std::uint8_t> texels = std::vector<std::uint8_t>(size_t(w) * size_t(h) * 4u, 0);

    std::uint8_t* at(int x, int y) { return &texels[(size_t(y) * size_t(w) + size_t(x)) * 4u]; }
    vorn::sImageCoverage coverage() const { return vorn::imageCoverage(texels.data(), w, h); }
    // Alpha, and colour times alpha, as GL's linear filter with repeat
    // wrapping reads them at (s, t).
    std::pair<double, double> read(double s, double t) const
    {
        const double u = s * w - 0.5, v = t * h - 0.5, x0 = std::floor(u), y0 = std::floor(v);
        double alpha = 0.0, light = 0.0;
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) {
                const double weight = (i ? u - x0 : 1.0 - (u - x0)) * (j ? v - y0 : 1.0 - (v - y0));
                const int x = ((int(x0) + i) % w + w) % w, y = ((int(y0) + j) % h + h) % h;
                const std::uint8_t* p = &texels[(size_t(y) * size_t(w) + size_t(x)) * 4u];
                alpha += weight * p[3];
                light += weight * p[3] * (p[0] + p[1] + p[2]);
            }
        return {alpha, light};
    }
};

} // namespace

TEST(ImageCoverage, NothingIsReadOutsideTheOpaqueRowsOrBeyondTheLitRadius)
{
    sImage image{64, 32};
    // Light off centre, and an opaque black texel lower down: it counts for
    // the rows, not for the light.
    image.at(40, 20)[0] = 200, image.at(40, 20)[3] = 255;
    image.at(41, 20)[2] = 90, image.at(41, 20)[3] = 30;
    image.at(20, 9)[3] = 255;
    const vorn::sImageCoverage c = image.coverage();
    // Tight: a texel either way of the outermost texels.
    EXPECT_NEAR(c.opaqueFromT, 8.5 / 32, 1e-6);
    EXPECT_NEAR(c.opaqueToT, 21.5 / 32, 1e-6);
    EXPECT_NEAR(c.litRadius, std::hypot(41.5 / 64 - 0.5, 20.5 / 32 - 0.5) + std::hypot(1.0 / 64, 1.0 / 32), 1e-5);
    // Probed over more than one repeat, a lookup outside reads nothing.
    for (int j = -40; j < 104; ++j)
        for (int i = -70; i < 200; ++i) {
            const double s = i / 128.0 + 0.001, t = j / 64.0 + 0.0007, tile = t - std::floor(t);
            const auto [alpha, light] = image.read(s, t);
            const bool outsideRows = tile <= c.opaqueFromT || tile >= c.opaqueToT;
            ASSERT_TRUE(!outsideRows || alpha == 0.0) << s << ", " << t;
            ASSERT_TRUE(std::hypot(s - std::floor(s) - 0.5, tile - 0.5) <= c.litRadius || light == 0.0) << s << ", " << t;
        }

    // Opaque rows at an edge are read from the other edge too: no limit.
    sImage edge{8, 8};
    edge.at(3, 7)[3] = 255;
    EXPECT_TRUE(std::isinf(edge.coverage().opaqueFromT) && std::isinf(edge.coverage().opaqueToT));
    // Fully transparent: read nowhere; no pixels at all: everywhere.
    const vorn::sImageCoverage empty = sImage{8, 8}.coverage(), none = vorn::imageCoverage(nullptr, 0, 0);
    EXPECT_GE(empty.opaqueFromT, empty.opaqueToT);
    EXPECT_LT(empty.litRadius, 0.0f);
    EXPECT_TRUE(std::isinf(none.opaqueToT) && std::isinf(none.litRadius));
}
