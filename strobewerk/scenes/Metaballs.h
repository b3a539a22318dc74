// The back layer of every frame: 169 soft blobs rising in streams across the
// screen, added up into a metaball field.
//
//   setUpParticles();      last step of the intro set-up, after metaballCopy
//                          and metaballProgram exist; makes the field's
//                          framebuffer
//   drawMetaballs(state);  first step of every frame
//
// The particles and the pulse live in the show's state (SceneState.h);
// drawing only reads them. drawMetaballs draws each particle as a small
// polygon around its blob with additive blending (metaballProgram: "size",
// "strength", "pos") into a framebuffer object whose colour is
// metaballCopy, at a quarter of the window's resolution (metaballFieldSize);
// the later layers sample the field from there with linear filtering.
//
// The field is kept in floating point (fieldFormat), so it is the same sum
// on every renderer, however each rounds a blend into a colour buffer, and
// it is not clamped: where blobs meet it runs past 1, and its readers take
// that as white. The final composite's ripple follows the field's slope,
// which an 8-bit field would tear into steps of a level of 255.
//
// metaballCopy follows the window size (it is re-sized when the window
// is). The window itself is not drawn to (the frame begins cleared); depth
// testing and blending are left disabled.
// A held note (4, 3) makes the blobs pulse faster.
#pragma once

#include <GL/glew.h>

struct sSceneState;

// The field's texel format: two 32-bit floats, the sums of the blobs' mean
// level and of their green. The ripple follows differences between
// neighbouring levels, which 16-bit floats (a 2000th of the sum) rounded
// enough to move it by a fraction of a pixel; 32-bit ones cost a software
// renderer no more.
constexpr GLint fieldFormat = GL_RG32F;

// The field's slope (metaballSlope, fieldSlope.frag): four 32-bit floats,
// either side of zero.
constexpr GLint slopeFormat = GL_RGBA32F_ARB;

void setUpParticles();
void drawMetaballs(const sSceneState& state);

// Draws the slope of the field drawMetaballs last drew into metaballSlope,
// at the field's size: what the final composite's ripple reads. Only the
// frames that ripple need it.
void drawMetaballSlope();

// Draws the field and its slope at the window's full resolution instead of
// a quarter: the exact field, the yardstick the usual field is held to (the
// fidelity tool's reference frames, the tests). Off by default.
void setExactMetaballField(bool on);
