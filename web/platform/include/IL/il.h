// The web build's image library: the part of the desktop image library's
// interface the engine uses, over stb_image (ImageLibrary.cpp). PNGs decode
// to the same bytes; the mipmap levels are scaled the same way (nearest
// pixel). DDS files are not read.
#pragma once

typedef unsigned int ILuint;
typedef int ILint;
typedef unsigned int ILenum;
typedef unsigned char ILubyte;
typedef unsigned char ILboolean;

#define IL_FALSE 0
#define IL_TRUE 1

#define IL_PNG 0x042A
#define IL_DDS 0x0437

#define IL_COLOUR_INDEX 0x1900
#define IL_RGB 0x1907
#define IL_RGBA 0x1908
#define IL_LUMINANCE 0x1909
#define IL_LUMINANCE_ALPHA 0x190A
#define IL_BGRA 0x80E1
#define IL_UNSIGNED_BYTE 0x1401

#define IL_PAL_RGBA32 0x0404
#define IL_PAL_BGRA32 0x0407

#define IL_IMAGE_WIDTH 0x0DE4
#define IL_IMAGE_HEIGHT 0x0DE5
#define IL_IMAGE_BPP 0x0DE8
#define IL_IMAGE_FORMAT 0x0DEA
#define IL_IMAGE_TYPE 0x0DEB
#define IL_PALETTE_TYPE 0x0DEC

void ilInit(void);
void ilGenImages(ILint count, ILuint* images);
void ilBindImage(ILuint image);
void ilDeleteImages(ILint count, const ILuint* images);
ILboolean ilLoadL(ILenum type, const void* data, ILuint size);
ILint ilGetInteger(ILenum mode);
ILubyte* ilGetData(void);
ILboolean ilTexImage(ILuint width, ILuint height, ILuint depth, ILubyte bpp, ILenum format, ILenum type, void* data);
ILboolean ilConvertImage(ILenum format, ILenum type);
