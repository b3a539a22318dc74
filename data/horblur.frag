#version 120
// Horizontal blur: one texel of the 256 x 256 blur target along x.
// The kernel follows in the next file.
uniform sampler2D tex;
varying vec2 uv;
const vec2 blurStep = vec2(1.0 / 256.0, 0.0);
