// The per-frame inputs of the production, read in one place.
//
// Once per frame, right before the frame is drawn, the main loop copies
// SDL's keyboard state into `currentKeys` (readKeyboard) and the state of
// joystick 0 into `joystickState` (readJoystick). The main loop asks the
// keyboard copy (isKeyDown) and hands the joystick copy to the show's input
// log (sceneInputOf); the layers meet the joystick only through the show's
// state. A test sets them by writing the two globals directly.
//
// Without a joystick (a null handle) every button reads released, every
// axis 0 and the hat centred.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "strobewerk/scenes/SceneState.h"

struct _SDL_Joystick;

struct sJoystickState {
    static constexpr int buttonCount = 32;
    static constexpr int axisCount = 8;
    std::array<std::uint8_t, buttonCount> buttons{};
    std::array<std::int16_t, axisCount> axes{};
    std::uint8_t hat = 0; // centred
};

// The first joystick, opened at start-up; null when there is none.
extern _SDL_Joystick* joystick;

// This frame's copy of SDL's keyboard state, one byte per key symbol.
extern std::vector<std::uint8_t> currentKeys;

// This frame's copy of joystick 0.
extern sJoystickState joystickState;

// True when the byte of `currentKeys` for the key symbol is non-zero (an
// index past the copy reads released).
bool isKeyDown(std::uint8_t key);

// The joystick as the show's step reads it (axes 0 to 3, the buttons, the
// hat).
sSceneInput sceneInputOf(const sJoystickState& state);

// Copies SDL's keyboard state into `currentKeys` (after SDL_PumpEvents).
void readKeyboard();
// Reads buttons, axes and hat 0 of `stick` into `joystickState`; a null
// handle gives the released, centred state.
void readJoystick(_SDL_Joystick* stick);
