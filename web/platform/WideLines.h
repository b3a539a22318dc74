// Lines wider than a pixel, as triangles. WebGL draws every line one pixel
// wide; the desktop draws a line of width w, w pixels thick across its
// major axis (an x-major line w pixels high in each column, a y-major line
// w pixels wide in each row), with no caps. wideLineTriangles builds that
// shape: the segments given (pairs of points, as between glBegin(GL_LINES)
// and glEnd) are put through the modelview and projection matrices, cut at
// the near plane, and widened in normalized device coordinates; the result
// is drawn as triangles with identity matrices (WebGL.cpp does).
//
//     std::vector<vorn::vec3f> corners =
//         wideLineTriangles(modelView, projection, 640, 360, 7.0f, points);
#pragma once

#include <vector>

#include "vorn/Mat4f.h"
#include "vorn/Vec3f.h"

// Six corners (two triangles) per visible segment, in normalized device
// coordinates; a segment wholly behind the near plane gives none.
std::vector<vorn::vec3f> wideLineTriangles(const vorn::mat4f& modelView, const vorn::mat4f& projection,
                                           int viewportWidth, int viewportHeight, float width,
                                           const std::vector<vorn::vec3f>& points);
