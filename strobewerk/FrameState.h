// What every frame's layers read besides the show's state and the frame's
// song time (both passed to them): the window's size, the scenes'
// projection and the render target that stands for the window.
//
// The show writes these (onResize); the scenes only read them. Tests and
// benchmarks set them directly to draw at a chosen size.
#pragma once

#include <cstdint>

#include "vorn/Mat4f.h"

namespace vorn {
class cDirectFrameBuffer;
}

// Current window size in pixels.
extern std::int32_t windowWidth;
extern std::int32_t windowHeight;
// Perspective projection of the scenes (identity until the first onResize).
extern vorn::mat4f projectionMatrix;
// The render target that stands for the window. Nothing of it is cleared
// when a frame begins: the final composite draws every pixel of the window,
// without depth testing (the layers that test depth have a depth buffer of
// their own), and clears it to black itself when its program could not be
// built.
extern vorn::cDirectFrameBuffer windowFrameBuffer;

// Fills `matrix` with gluPerspective(fov, aspect, zNear, zFar), computed on
// the GL projection stack (saved and restored); leaves modelview mode.
void makePerspective(vorn::mat4f& matrix, float fovDegrees, float aspect, float zNear, float zFar);

// Multiplies `view` onto the modelview matrix and loads `projection` as
// the projection matrix; leaves modelview mode.
void loadCamera(const vorn::mat4f& view, const vorn::mat4f& projection);
