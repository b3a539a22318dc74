// See il.h: the web build's image utilities.
#pragma once

#include <IL/il.h>

void iluInit(void);
// Scales the bound image to width x height, nearest pixel.
ILboolean iluScale(ILuint width, ILuint height, ILuint depth);
