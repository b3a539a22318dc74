#version 120
// Seed boxes: every box of the cloud is pushed out from the world origin by
// "powah", each by its own amount and on its own phase taken from its seed
// ("seedHax", one value per box) and from "anim", the layer's start time.
uniform float anim;
uniform float powah;
attribute float seedHax;
varying float seed;
varying vec3 eyePosition;

void main()
{
    vec3 p = gl_Vertex.xyz;
    float phase = sin(anim * 2.0 + seedHax * 6.2831853);
    float push = max(powah, 0.0) * (2.0 + 3.0 * seedHax) * (0.6 + 0.4 * phase);
    p += normalize(p + vec3(0.0, 0.0, 0.001)) * push;
    vec4 eye = gl_ModelViewMatrix * vec4(p, 1.0);
    eyePosition = eye.xyz;
    seed = seedHax;
    gl_Position = gl_ProjectionMatrix * eye;
}
