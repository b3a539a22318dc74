// Where an image can show anything, checked against what a linear,
// repeating lookup of it actually reads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "vorn/ImageCoverage.h"

using vorn::imageCoverage;
using vorn::sImageCoverage;

namespace {

struct sImage {
    int width, height;
    std::vector<std::uint8_t> texels;

    sImage(int w, int h) : width(w), height(h), texels(static_cast<size_t>(w) * static_cast<size_t>(h) * 4u, 0) {}
    void set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
    {
        std::uint8_t* t = &texels[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4u];
        t[0] = r, t[1] = g, t[2] = b, t[3] = a;
    }
    sImageCoverage coverage() const { return imageCoverage(texels.data(), width, height); }

    // What a linear lookup with repeat wrapping reads at (s, t): alpha, and
    // colour times alpha (the light an overlay adds), as GL filters them.
    struct sRead {
        double alpha, light;
    };
    sRead read(double s, double t) const
    {
        const double u = s * width - 0.5, v = t * height - 0.5;
        const double x0 = std::floor(u), y0 = std::floor(v);
        sRead sum{0.0, 0.0};
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) {
                const double w = (i ? u - x0 : 1.0 - (u - x0)) * (j ? v - y0 : 1.0 - (v - y0));
                const int x = ((static_cast<int>(x0) + i) % width + width) % width;
                const int y = ((static_cast<int>(y0) + j) % height + height) % height;
                const std::uint8_t* t = &texels[(static_cast<size_t>(y) * static_cast<size_t>(width) +
                                                  static_cast<size_t>(x)) * 4u];
                sum.alpha += w * t[3];
                sum.light += w * t[3] * (t[0] + t[1] + t[2]);
            }
        return sum;
    }
};

} // namespace

TEST(ImageCoverage, NothingIsReadOutsideTheOpaqueRowsOrBeyondTheLitRadius)
{
    sImage image(64, 32);
    // A lit blob off centre, and an opaque black texel lower down: it
    // counts for the rows, not for the light.
    image.set(40, 20, 200, 100, 50, 255);
    image.set(41, 20, 0, 0, 90, 30);
    image.set(20, 9, 0, 0, 0, 255);
    const sImageCoverage c = image.coverage();
    ASSERT_LT(c.opaqueFromT, c.opaqueToT);
    ASSERT_GT(c.litRadius, 0.0f);
    ASSERT_LT(c.litRadius, 0.5f);

    // Probe the image densely, over more than one repeat: outside the
    // reported reach a lookup reads exactly nothing.
    for (int j = -40; j < 104; ++j)
        for (int i = -70; i < 200; ++i) {
            const double s = i / 128.0 + 0.001, t = j / 64.0 + 0.0007;
            const sImage::sRead r = image.read(s, t);
            const double tInTile = t - std::floor(t);
            if (tInTile <= c.opaqueFromT || tInTile >= c.opaqueToT) {
                EXPECT_EQ(r.alpha, 0.0) << s << ", " << t;
            }
            // The distance to the nearest repeat of the centre.
            const double ds = s - std::floor(s) - 0.5, dt = tInTile - 0.5;
            if (std::hypot(ds, dt) > c.litRadius) {
                EXPECT_EQ(r.light, 0.0) << s << ", " << t;
            }
        }

    // And the reach is tight: within a texel of its edges, a lookup reads
    // something.
    EXPECT_GT(image.read(40.5 / 64.0, c.opaqueToT - 1.2 / 32.0).alpha, 0.0);
    EXPECT_GT(image.read(20.5 / 64.0, c.opaqueFromT + 1.2 / 32.0).alpha, 0.0);
    EXPECT_NEAR(c.litRadius, std::hypot(41.5 / 64.0 - 0.5, 20.5 / 32.0 - 0.5) + std::hypot(1.0 / 64, 1.0 / 32),
                1e-5);
}

TEST(ImageCoverage, EdgesEmptinessAndImagesWithoutAlpha)
{
    // Opaque rows at an edge are read from the other edge too: no limit.
    sImage edge(8, 8);
    edge.set(3, 0, 10, 10, 10, 255);
    EXPECT_TRUE(std::isinf(edge.coverage().opaqueFromT));
    EXPECT_TRUE(std::isinf(edge.coverage().opaqueToT));
    sImage top(8, 8);
    top.set(3, 7, 10, 10, 10, 255);
    EXPECT_TRUE(std::isinf(top.coverage().opaqueFromT) && std::isinf(top.coverage().opaqueToT));

    // A fully transparent image can be read nowhere.
    const sImageCoverage empty = sImage(8, 8).coverage();
    EXPECT_GE(empty.opaqueFromT, empty.opaqueToT);
    EXPECT_LT(empty.litRadius, 0.0f);

    // Opaque but black everywhere: rows, but no light.
    sImage black(8, 8);
    black.set(4, 4, 0, 0, 0, 255);
    EXPECT_LT(black.coverage().opaqueFromT, black.coverage().opaqueToT);
    EXPECT_LT(black.coverage().litRadius, 0.0f);

    // No pixels at all, and the default, cover everything.
    const sImageCoverage none = imageCoverage(nullptr, 0, 0);
    const sImageCoverage all = sImageCoverage::everywhere();
    for (const sImageCoverage& c : {none, all}) {
        EXPECT_TRUE(std::isinf(c.opaqueFromT) && c.opaqueFromT < 0.0f);
        EXPECT_TRUE(std::isinf(c.opaqueToT) && c.opaqueToT > 0.0f);
        EXPECT_TRUE(std::isinf(c.litRadius));
    }
}
