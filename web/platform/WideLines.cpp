#include "WideLines.h"

#include <cmath>

#include "vorn/Vec4f.h"

namespace {

// Signed distance of a clip-space point in front of the near plane (z = -w).
float nearSide(const vorn::vec4f& c)
{
    return c.z + c.w;
}

vorn::vec4f lerp(const vorn::vec4f& a, const vorn::vec4f& b, float t)
{
    return vorn::vec4f(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t, a.w + (b.w - a.w) * t);
}

vorn::vec3f toDevice(const vorn::vec4f& c)
{
    return vorn::vec3f(c.x / c.w, c.y / c.w, c.z / c.w);
}

} // namespace

std::vector<vorn::vec3f> wideLineTriangles(const vorn::mat4f& modelView, const vorn::mat4f& projection,
                                           int viewportWidth, int viewportHeight, float width,
                                           const std::vector<vorn::vec3f>& points)
{
    std::vector<vorn::vec3f> corners;
    if (viewportWidth <= 0 || viewportHeight <= 0)
        return corners;
    const vorn::mat4f toClip = projection * modelView;
    for (std::size_t i = 0; i + 1 < points.size(); i += 2) {
        vorn::vec4f a = toClip * vorn::vec4f(points[i], 1.0f);
        vorn::vec4f b = toClip * vorn::vec4f(points[i + 1], 1.0f);
        const float da = nearSide(a);
        const float db = nearSide(b);
        if (da < 0.0f && db < 0.0f)
            continue;
        if (da < 0.0f)
            a = lerp(a, b, da / (da - db));
        else if (db < 0.0f)
            b = lerp(b, a, db / (db - da));
        if (a.w <= 0.0f || b.w <= 0.0f)
            continue;
        const vorn::vec3f p = toDevice(a);
        const vorn::vec3f q = toDevice(b);
        // Half the width, across the major axis, in device units (the
        // viewport spans 2 of them).
        const bool xMajor = std::fabs((q.x - p.x) * float(viewportWidth)) >= std::fabs((q.y - p.y) * float(viewportHeight));
        const vorn::vec3f across = xMajor ? vorn::vec3f(0.0f, width / float(viewportHeight), 0.0f)
                                          : vorn::vec3f(width / float(viewportWidth), 0.0f, 0.0f);
        corners.insert(corners.end(), {p - across, q - across, q + across, p - across, q + across, p + across});
    }
    return corners;
}
