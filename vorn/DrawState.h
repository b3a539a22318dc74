// sDrawState: the whole blend and depth set-up a layer draws with, stated
// in one call instead of inherited from whatever the layer before left.
//
//     useDrawState({eBlend::over, true});   // before the layer's draws
//
// useDrawState gives GL only what differs from the state it last set.
// Whoever changes blending or depth testing without it (the frame's
// caller, a test) calls forgetDrawState, and the next useDrawState sets
// everything again; the frame does so at its start.
#pragma once

namespace vorn {

enum class eBlend {
    off,
    over, // source alpha, one minus source alpha
    add,  // source alpha, one
};

struct sDrawState {
    eBlend blend;
    bool depthTest;
};

void useDrawState(const sDrawState& state);
void forgetDrawState();

} // namespace vorn
