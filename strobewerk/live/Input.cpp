#include "strobewerk/live/Input.h"

#include <SDL.h>

_SDL_Joystick* joystick = nullptr;
std::vector<std::uint8_t> currentKeys;
sJoystickState joystickState;

bool isKeyDown(std::uint8_t key)
{
    return key < currentKeys.size() && currentKeys[key] != 0;
}

sSceneInput sceneInputOf(const sJoystickState& state)
{
    sSceneInput input;
    for (int i = 0; i < sSceneInput::axisCount; ++i)
        input.axes[static_cast<std::size_t>(i)] = state.axes[static_cast<std::size_t>(i)];
    for (int i = 0; i < sJoystickState::buttonCount; ++i) {
        if (state.buttons[static_cast<std::size_t>(i)] == 1)
            input.buttons |= 1u << i; // a button is pressed when it reads 1
    }
    input.hat = state.hat;
    return input;
}

void readKeyboard()
{
    int length = 0;
    const Uint8* keys = SDL_GetKeyState(&length);
    if (keys == nullptr || length < 0)
        length = 0;
    currentKeys.resize(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        currentKeys[i] = keys[i];
}

void readJoystick(_SDL_Joystick* stick)
{
    joystickState = sJoystickState{};
    if (stick == nullptr)
        return;
    SDL_JoystickUpdate();
    const int buttons = SDL_JoystickNumButtons(stick);
    for (int i = 0; i < buttons && i < sJoystickState::buttonCount; ++i)
        joystickState.buttons[i] = SDL_JoystickGetButton(stick, i);
    const int axes = SDL_JoystickNumAxes(stick);
    for (int i = 0; i < axes && i < sJoystickState::axisCount; ++i)
        joystickState.axes[i] = SDL_JoystickGetAxis(stick, i);
    if (SDL_JoystickNumHats(stick) > 0)
        joystickState.hat = SDL_JoystickGetHat(stick, 0);
}
