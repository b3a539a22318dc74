#version 120
// Vertical blur: one texel of the 256 x 256 blur target along y.
// The kernel follows in the next file.
uniform sampler2D tex;
varying vec2 uv;
const vec2 blurStep = vec2(0.0, 1.0 / 256.0);
