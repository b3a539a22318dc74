// composeFrame: draws one frame of the production, the same fixed stack of
// layers every frame, from the metaball field at the back to the final
// composite at the front.
//
// The show calls it once per frame with the window target begun (depth
// testing on, identity modelview) and the show's state at the frame's song
// time (SceneState.h): cues (notes of the note list, joystick inputs) have
// pushed up its effect values and time has decayed them. The frame only
// reads the state.
//
// The layers in order: metaballs (and the field's slope while the
// distortion ripples); background, camera, shake, point lines and seed
// boxes, drawn into screenCopy; the blur; the final composite, which draws
// the glow, the fill flash and the flash image, eye and card overlays in
// the same pass (a frame with its colours split in two) into the window.
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
    finalComposite,
};
constexpr int layerCount = 6;
const char* layerName(eLayer layer);

using LayerObserver = void (*)(eLayer);
void setLayerObserver(LayerObserver observer);

void composeFrame(const sSceneState& state, std::int32_t songTimeMs);

// How many card and flash images the set-ups loaded (the state's step
// picks among them).
sSceneCounts sceneCounts();

// The final composite's program leaves out the parts a frame does not
// need (the overlays at level 0 or below, the ripple and the colour split
// while their boosts are 0, the eye and the card where they cannot
// reach). With this set every frame is drawn in one pass with the program
// that has them all (tests compare the two pictures); the flash image and
// the eye still share their swirl only where they swirl alike.
void setDrawEveryLayer(bool on);
