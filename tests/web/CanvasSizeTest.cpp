#include <gtest/gtest.h>

#include <limits>

#include "CanvasSize.h"

namespace {

long long pixels(const sCanvasSize& size)
{
    return static_cast<long long>(size.width) * size.height;
}

TEST(CanvasSize, TakesTheScreensDevicePixelsBelowTheCeiling)
{
    const sCanvasSize plain = canvasDrawingSize(640.0, 360.0, 1.0);
    EXPECT_EQ(plain.width, 640);
    EXPECT_EQ(plain.height, 360);
    const sCanvasSize retina = canvasDrawingSize(640.0, 360.0, 2.0);
    EXPECT_EQ(retina.width, 1280);
    EXPECT_EQ(retina.height, 720);
    // A fractional layout size and ratio (a zoomed page, a 1.5x laptop).
    const sCanvasSize laptop = canvasDrawingSize(853.33, 480.0, 1.5);
    EXPECT_EQ(laptop.width, 1279);
    EXPECT_EQ(laptop.height, 720);
}

TEST(CanvasSize, AScreenPastTheCeilingDrawsAt1080pKeepingItsShape)
{
    // A 4K monitor: its layout at 1.5 or 2 device pixels.
    for (const double ratio : {1.5, 2.0, 3.0}) {
        const sCanvasSize size = canvasDrawingSize(3840.0 / ratio, 2160.0 / ratio, ratio);
        EXPECT_EQ(size.width, 1920) << ratio;
        EXPECT_EQ(size.height, 1080) << ratio;
    }
    // A phone held upright, then turned: the same pixel count both ways,
    // never above the ceiling, the shape kept to a pixel.
    const sCanvasSize upright = canvasDrawingSize(412.0, 915.0, 3.5);
    const sCanvasSize turned = canvasDrawingSize(915.0, 412.0, 3.5);
    EXPECT_LE(pixels(upright), canvasPixelCeiling);
    EXPECT_GT(pixels(upright), canvasPixelCeiling * 99 / 100);
    EXPECT_EQ(upright.width, turned.height);
    EXPECT_EQ(upright.height, turned.width);
    EXPECT_NEAR(double(upright.width) / upright.height, 412.0 / 915.0, 0.002);
    // A window wider than the ceiling at one device pixel is scaled too.
    EXPECT_LE(pixels(canvasDrawingSize(5120.0, 1440.0, 1.0)), canvasPixelCeiling);
}

TEST(CanvasSize, OddInputsGiveAUsableSizeOrNone)
{
    // A ratio the browser cannot tell counts as one device pixel.
    for (const double ratio : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        const sCanvasSize size = canvasDrawingSize(640.0, 360.0, ratio);
        EXPECT_EQ(size.width, 640);
        EXPECT_EQ(size.height, 360);
    }
    // A hidden canvas has no size; a sliver keeps one pixel.
    EXPECT_EQ(pixels(canvasDrawingSize(0.0, 360.0, 1.0)), 0);
    EXPECT_EQ(pixels(canvasDrawingSize(640.0, -5.0, 1.0)), 0);
    const sCanvasSize sliver = canvasDrawingSize(0.4, 360.0, 1.0);
    EXPECT_EQ(sliver.width, 1);
    EXPECT_EQ(sliver.height, 360);
}

} // namespace
