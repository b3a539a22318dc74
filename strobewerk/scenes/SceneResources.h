// The programs, textures and meshes of the frame composition, and the
// full-screen quad that every 2D layer and blur pass draws.
//
// Everything is created once at start-up by the set-ups, in this order
// (runSceneSetUps in show/Show.cpp calls them, then the blur chain's):
//   setUpScene1       "initing scene1"; makes nothing the frame uses;
//   setUpScene2       "initing scene2"; the final composite, the quad, the
//                     background, party, card and eye images, the
//                     background and line programs and the window-sized
//                     screenCopy;
//   setUpEyeOverlay   the seed-box program and colour scheme, the two
//                     flash images, the seed-boxes mesh;
//   setUpIntro        metaballCopy and metaballSlope, the gradient, the
//                     metaball and slope programs and the field's
//                     framebuffers.
// Missing files are reported by the engine and the set-up goes on; the
// object exists and is drawn in whatever state it was left.
//
// drawOverlay / drawOverlayColoured draw `quadMesh` (corners -1..1) with a
// program that places the corners on the screen itself; every caller passes
// sizeX = sizeY = 1.
#pragma once

#include <GL/glew.h>

#include <vector>

#include "strobewerk/scenes/CompositionLogic.h"
#include "vorn/Vec4f.h"

namespace vorn {
class cShaderProgram;
class cTexture;
class cMesh;
class cOffscreenFrameBuffer;
}

// The final composite, which also draws the glow, the fill flash and the
// flash, eye and card overlays (see Composition.cpp): one program for each
// combination of the parts a frame needs, indexed by
// sFinalCompositeParts::variant() (the split variants with and without
// overlays share one; finalCompositeProgramVariant), and the programs of a
// split frame's first pass, indexed by the variant's overlay bits
// (sFinalCompositeParts::overlayBits; those without both images of the
// shared swirl share the program without it). Their samplers, one unit each, in unit order: the
// metaball field, the blur, the layers (screenCopy), the flash image, the
// eye, the card, the field's slope and the finished frame of a split
// frame's first pass.
extern vorn::cShaderProgram* finalCompositePrograms[finalCompositeVariants];
constexpr int finalFinishVariants = 16;
extern vorn::cShaderProgram* finalFinishPrograms[finalFinishVariants];
constexpr int finalCompositeUnits = 8;
extern const char* const finalCompositeSamplers[finalCompositeUnits];
extern vorn::cShaderProgram* terskelProgram;
extern vorn::cShaderProgram* lineProgram;
extern vorn::cShaderProgram* box2Program;
extern vorn::cShaderProgram* metaballProgram;
// Draws the field's slope for the ripple (fieldSlope.frag).
extern vorn::cShaderProgram* fieldSlopeProgram;

extern vorn::cTexture* happyTexture;
extern vorn::cTexture* partyTexture;
// Title cards (0, 1), credits (2), greetings (3 .. 8).
extern std::vector<vorn::cTexture*> cardImages;
extern vorn::cTexture* eyeTexture;
// The layers below the blur, drawn into it upside down (Composition.cpp),
// which the blur and the final composite read; it follows the window's
// size.
extern vorn::cTexture* screenCopy;
// The metaball field, in floating point at a quarter of the window's size
// (Metaballs.h).
extern vorn::cTexture* metaballCopy;
// The field's slope, at the field's size, in floating point (Metaballs.h).
extern vorn::cTexture* metaballSlope;
extern vorn::cTexture* colorschemeTexture;
extern std::vector<vorn::cTexture*> flashImages;
extern vorn::cTexture* grad2Texture;

// Four corners (-1, -1, 0) .. (-1, 1, 0) as two triangles.
extern vorn::cMesh* quadMesh;
// Builds such a quad (the scene set-up makes quadMesh with it).
vorn::cMesh* makeQuadMesh();

void setUpScene1();
void setUpScene2();
void setUpEyeOverlay();
void setUpIntro();

// Sets "sizeX" and "sizeY", then draws quadMesh with the program.
void drawOverlay(vorn::cShaderProgram* program, float sizeX, float sizeY);
// As drawOverlay, with "col" set to the colour as well.
void drawOverlayColoured(vorn::cShaderProgram* program, const vorn::vec4f& colour, float sizeX, float sizeY);

// Gives `texture` an empty image of width x height (an 8-bit RGBA one, or
// of `internalFormat` in floats), filtered linearly and clamped at its
// edges: what the window's copies, the metaball field and the blur's
// targets are made of.
void giveEmptyImage(vorn::cTexture* texture, int width, int height, GLint internalFormat = GL_RGBA);

// A texture the frame draws into through a framebuffer object of its own,
// kept at the size each frame asks for (the layers', a split frame's
// finished frame, the metaball field and its slope). prepare gives the
// texture (which a resize or a test may have replaced) an empty image of
// that size and format when it has another, makes it the framebuffer's
// colour, gives the framebuffer a depth buffer of that size when asked,
// and sizes its viewport; frameBuffer->begin() then draws into it, clearing
// what clearMask says to black.
struct sTextureTarget {
    vorn::cOffscreenFrameBuffer* frameBuffer = nullptr;
    vorn::cTexture* attached = nullptr;

    void prepare(vorn::cTexture* texture, int width, int height, GLint internalFormat, GLbitfield clearMask,
                 bool depth = false);
};
