// The web's SDL keeps the key symbols in SDL_keycode.h.
#pragma once

#include <SDL_keycode.h>
