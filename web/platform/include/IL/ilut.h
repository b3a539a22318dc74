// See il.h: the renderer choice means nothing in the web build.
#pragma once

#include <IL/il.h>

#define ILUT_OPENGL 0
inline ILboolean ilutRenderer(ILenum) { return IL_TRUE; }
