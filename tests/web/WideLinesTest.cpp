#include <gtest/gtest.h>

#include <cmath>

#include "WideLines.h"

using vorn::mat4f;
using vorn::vec3f;

namespace {

// A perspective projection as gluPerspective builds it (90 degrees, 16:9).
mat4f perspective(float nearZ, float farZ)
{
    mat4f p;
    const float f = 1.0f;
    p.m[0] = f / (16.0f / 9.0f);
    p.m[5] = f;
    p.m[10] = (farZ + nearZ) / (nearZ - farZ);
    p.m[11] = -1.0f;
    p.m[14] = 2.0f * farZ * nearZ / (nearZ - farZ);
    p.m[15] = 0.0f;
    return p;
}

// The pixel extent of the corners across x and y, in a 640 x 360 viewport.
struct sExtent {
    float width;
    float height;
};

sExtent pixelExtent(const std::vector<vec3f>& corners)
{
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const vec3f& c : corners) {
        minX = std::fmin(minX, c.x);
        maxX = std::fmax(maxX, c.x);
        minY = std::fmin(minY, c.y);
        maxY = std::fmax(maxY, c.y);
    }
    return {(maxX - minX) * 320.0f, (maxY - minY) * 180.0f};
}

} // namespace

// Each segment gives two triangles as wide across its major axis as the
// line is, spanning the segment along it, whichever axis is the major one.
TEST(WideLines, CoverTheWidthAcrossTheMajorAxis)
{
    const mat4f identity;
    // x-major: from (-0.5, 0) to (0.5, 0.1): 320 pixels along, 7 across.
    const std::vector<vec3f> flat = wideLineTriangles(identity, identity, 640, 360, 7.0f,
                                                      {vec3f(-0.5f, 0.0f, 0.0f), vec3f(0.5f, 0.1f, 0.0f)});
    ASSERT_EQ(flat.size(), 6u);
    const sExtent e = pixelExtent(flat);
    EXPECT_NEAR(e.width, 320.0f, 1e-3f);
    EXPECT_NEAR(e.height, 0.1f * 180.0f + 7.0f, 1e-3f);
    // y-major: widened in x instead.
    const std::vector<vec3f> steep = wideLineTriangles(identity, identity, 640, 360, 7.0f,
                                                       {vec3f(0.0f, -0.5f, 0.0f), vec3f(0.05f, 0.5f, 0.0f)});
    ASSERT_EQ(steep.size(), 6u);
    EXPECT_NEAR(pixelExtent(steep).width, 0.05f * 320.0f + 7.0f, 1e-3f);
    EXPECT_NEAR(pixelExtent(steep).height, 180.0f, 1e-3f);
    // Two segments, two quads; an odd point left over draws nothing.
    EXPECT_EQ(wideLineTriangles(identity, identity, 640, 360, 7.0f,
                                {vec3f(0, 0, 0), vec3f(0.5f, 0, 0), vec3f(0, 0, 0), vec3f(0, 0.5f, 0), vec3f(1, 1, 0)})
                  .size(),
              12u);
}

// Points go through the modelview and the projection, and a segment that
// reaches behind the eye is cut at the near plane instead of flipping
// through infinity; one wholly behind it is left out.
TEST(WideLines, FollowTheCameraAndStopAtTheNearPlane)
{
    const mat4f projection = perspective(0.1f, 100.0f);
    const mat4f moved = mat4f::translation(vec3f(0.0f, 0.0f, -10.0f));
    // (1, 0, 0) ten units ahead lands at x = 0.1 / (16/9) in device units.
    const std::vector<vec3f> ahead = wideLineTriangles(moved, projection, 640, 360, 3.0f,
                                                       {vec3f(-1.0f, 0.0f, 0.0f), vec3f(1.0f, 0.0f, 0.0f)});
    ASSERT_EQ(ahead.size(), 6u);
    EXPECT_NEAR(pixelExtent(ahead).width, 2.0f * 0.1f * 9.0f / 16.0f * 320.0f, 1e-2f);
    EXPECT_NEAR(pixelExtent(ahead).height, 3.0f, 1e-3f);

    const std::vector<vec3f> through = wideLineTriangles(
        mat4f(), projection, 640, 360, 3.0f, {vec3f(0.5f, 0.0f, -1.0f), vec3f(0.5f, 0.0f, 5.0f)});
    ASSERT_EQ(through.size(), 6u);
    for (const vec3f& c : through) {
        EXPECT_TRUE(std::isfinite(c.x) && std::isfinite(c.y));
        EXPECT_GE(c.z, -1.0f - 1e-4f);
        EXPECT_GT(c.x, 0.0f); // never mirrored to the other side
    }
    EXPECT_TRUE(wideLineTriangles(mat4f(), projection, 640, 360, 3.0f,
                                  {vec3f(0.0f, 0.0f, 1.0f), vec3f(1.0f, 0.0f, 5.0f)})
                    .empty());
}
