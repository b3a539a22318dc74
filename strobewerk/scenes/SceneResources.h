// The programs, textures and meshes of the frame composition, and the
// full-screen quad that every 2D layer and blur pass draws.
//
// Everything is created once at start-up by the set-ups, in this order
// (runSceneSetUps in Runtime.cpp calls them):
//   setUpScene1       "initing scene1"; makes nothing the frame uses;
//   setUpScene2       "initing scene2"; the final composite, the quad, the
//                     background, party, card and eye images, the
//                     background, line, glow, card and eye programs and the
//                     window-sized screenCopy;
//   setUpEyeOverlay   the flash program, the seed-box program and colour
//                     scheme, the two flash images, the seed-boxes mesh;
//   setUpIntro        the window-sized metaballCopy, the gradient, the
//                     metaball program and the particles.
// Missing files are reported by the engine and the set-up goes on; the
// object exists and is drawn in whatever state it was left.
//
// drawOverlay / drawOverlayColoured draw `quadMesh` (corners -1..1) with a
// program that places the corners on the screen itself; every caller passes
// sizeX = sizeY = 1.
#pragma once

#include <vector>

#include "vorn/Vec4f.h"

namespace vorn {
class cShaderProgram;
class cTexture;
class cMesh;
}

extern vorn::cShaderProgram* lolvarlayProgram;
extern vorn::cShaderProgram* terskelProgram;
extern vorn::cShaderProgram* lineProgram;
extern vorn::cShaderProgram* blurryProgram;
extern vorn::cShaderProgram* textOverlayProgram;
extern vorn::cShaderProgram* eyeOverlayProgram;
extern vorn::cShaderProgram* flashOverlayProgram;
extern vorn::cShaderProgram* box2Program;
extern vorn::cShaderProgram* metaballProgram;

extern vorn::cTexture* happyTexture;
extern vorn::cTexture* partyTexture;
// Title cards (0, 1), credits (2), greetings (3 .. 8).
extern std::vector<vorn::cTexture*> cardImages;
extern vorn::cTexture* eyeTexture;
// Copies of the window, sized to the window at start-up (not resized).
extern vorn::cTexture* screenCopy;
extern vorn::cTexture* metaballCopy;
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

// Copies the lower-left corner of the window, of the texture's own size,
// into the texture bound on the current unit.
void copyWindowInto(vorn::cTexture* target);
