// composeFrame: draws one frame of the production, the same fixed stack of
// layers every frame, from the metaball field at the back to the final
// composite at the front.
//
// The show calls it once per frame with the window target begun (cleared,
// depth testing on, identity modelview) and the show's state at the
// frame's song time (SceneState.h): cues (notes of the note list, joystick
// inputs) have pushed up its effect values and time has decayed them. The
// frame only reads the state.
//
// The layers in order: metaballs; background; camera, shake and point
// lines; seed boxes; screen copy and blur; glow, fill flash, flash image,
// eye and card overlays; second screen copy and final composite.
#pragma once

#include <cstdint>

struct sSceneState;
struct sSceneCounts;

// The layer groups of a frame, in drawing order. A frame observer set
// with setLayerObserver is told as each group has been issued, so a
// benchmark can time them (it may call glFinish); production runs set none.
enum class eLayer {
    metaballs,
    background,
    pointLines,
    seedBoxes,
    blur,
    overlays,
    finalComposite,
};
constexpr int layerCount = 7;
const char* layerName(eLayer layer);

using LayerObserver = void (*)(eLayer);
void setLayerObserver(LayerObserver observer);

void composeFrame(const sSceneState& state, std::int32_t songTimeMs);

// How many card and flash images the set-ups loaded (the state's step
// picks among them).
sSceneCounts sceneCounts();

// Loads vignetteProgram, the final composite's short form ("overlay.vert",
// "vignette.frag"), drawn while the composite's boosts are all 0. The last
// of the scene set-ups; without it the full composite is always drawn.
void setUpFinalVignette();
namespace vorn {
class cShaderProgram;
}
extern vorn::cShaderProgram* vignetteProgram;

// Layers that cannot change the picture are left out: the flash, eye and
// card overlays while their level is 0 or below, and the final composite
// takes its short form while its boosts are 0. With this set every layer
// is drawn in full all the same (tests compare the two pictures).
void setDrawEveryLayer(bool on);
