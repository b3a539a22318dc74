// The few desktop SDL 1.2 names the web's SDL spells otherwise or lacks;
// the web build includes this header before every source file.
#pragma once

#ifdef __cplusplus
#include <SDL.h>

// The keyboard's state, by key.
#define SDL_GetKeyState SDL_GetKeyboardState
// The browser paces the frames (one per animation frame): asking for the
// swap interval has no meaning there, and the attribute set in its place
// is one live play sets anyway.
#define SDL_GL_SWAP_CONTROL SDL_GL_DOUBLEBUFFER
#endif
