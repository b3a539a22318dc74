// The key-list curves, under the name the drawing code includes; the
// samplers themselves need no window and live in CurvesLogic.h.
#pragma once

#include "strobewerk/scenes/CurvesLogic.h"
