#version 120
// Seed boxes: every box of the cloud is pushed out from the world origin by
// "powah", each by its own amount and on its own phase taken from its seed
// ("seedHax", one value per box) and from "anim", the layer's start time.
// Its colour is read here, once a corner, from the colour scheme on unit 0
// at its seed: the same over the whole box, so its pixels need not each
// read it.
uniform sampler2D tex;
uniform float anim;
uniform float powah;
attribute float seedHax;
varying vec3 scheme;
varying vec3 eyePosition;

void main()
{
    vec3 p = gl_Vertex.xyz;
    float phase = sin(anim * 2.0 + seedHax * 6.2831853);
    float push = max(powah, 0.0) * (2.0 + 3.0 * seedHax) * (0.6 + 0.4 * phase);
    p += normalize(p + vec3(0.0, 0.0, 0.001)) * push;
    vec4 eye = gl_ModelViewMatrix * vec4(p, 1.0);
    eyePosition = eye.xyz;
    scheme = texture2DLod(tex, vec2(fract(seedHax + anim * 0.05), 0.5), 0.0).rgb;
    gl_Position = gl_ProjectionMatrix * eye;
}
