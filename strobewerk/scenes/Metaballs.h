// The back layer of every frame: 169 soft blobs rising in streams across the
// screen, added up into a metaball field.
//
//   setUpParticles();      last step of the intro set-up, after metaballCopy
//                          and metaballProgram exist; loads
//                          exactBlobProgram and makes the field's framebuffer
//   drawMetaballs(state);  first step of every frame
//
// The particles and the pulse live in the show's state (SceneState.h);
// drawing only reads them. drawMetaballs draws each particle as a small polygon around its blob with
// additive blending (metaballProgram: "size", "strength", "pos") into a
// framebuffer object whose colour is metaballCopy, at a third of the
// window's resolution (metaballFieldSize); the later layers sample the field from
// there. While the final composite's distortion boost is on, the field is
// drawn exactly instead: at the window's resolution with exactBlobProgram,
// which reads the tint from grad2Texture on unit 0. metaballCopy follows
// the window size (it is re-sized when the window is). The window itself
// is not drawn to (the frame begins cleared); depth testing and blending
// are left disabled.
// A held note (4, 3) makes the blobs pulse faster.
#pragma once

struct sSceneState;

// The blob program that reads its tint from grad2Texture ("metaball2.vert",
// "metaballExact.frag"; same uniforms as metaballProgram).
namespace vorn {
class cShaderProgram;
}
extern vorn::cShaderProgram* exactBlobProgram;

void setUpParticles();
void drawMetaballs(const sSceneState& state);
