// What every frame's layers read: the song time and the frame's delta, the
// soundtrack's spectrum, the window's size, the scenes' projection and the
// render target that stands for the window.
//
// The runtime writes these once per frame before the composition draws
// (runFrame); the scenes only read them. Tests and benchmarks set them
// directly to draw a frame in a chosen state. Joystick and keyboard state
// live beside them in Input.h.
#pragma once

#include <cstdint>
#include <vector>

#include "vorn/Mat4f.h"

namespace vorn {
class cDirectFrameBuffer;
}

// Song clock in milliseconds: the start position plus all frame deltas.
extern std::int32_t songTime;
// Milliseconds between the last two frames' song times.
extern std::int32_t frameDelta;
// The soundtrack's spectrum, 512 magnitudes, lowest band first.
extern std::vector<float> spectrum;
// Current window size in pixels.
extern std::int32_t windowWidth;
extern std::int32_t windowHeight;
// Perspective projection of the scenes (identity until the first onResize).
extern vorn::mat4f projectionMatrix;
// The render target that stands for the window.
extern vorn::cDirectFrameBuffer windowFrameBuffer;

// Fills `matrix` with gluPerspective(fov, aspect, zNear, zFar), computed on
// the GL projection stack (saved and restored); leaves modelview mode.
void makePerspective(vorn::mat4f& matrix, float fovDegrees, float aspect, float zNear, float zFar);

// Multiplies `view` onto the modelview matrix and loads `projection` as
// the projection matrix; leaves modelview mode.
void loadCamera(const vorn::mat4f& view, const vorn::mat4f& projection);
