#version 120
// Seed boxes: each box takes its colour from the colour scheme at its seed
// (read by box2.vert), flat-lit by the face's facing (from the screen-space
// derivatives of the position, as the boxes carry no normals) and
// brightened by "powah".
uniform float powah;
varying vec3 scheme;
varying vec3 eyePosition;

void main()
{
    vec3 normal = normalize(cross(dFdx(eyePosition), dFdy(eyePosition)));
    float light = 0.35 + 0.65 * abs(normal.z);
    vec3 colour = (scheme * 0.85 + 0.15) * light * (1.0 + max(powah, 0.0) * 0.08);
    gl_FragColor = vec4(colour, 1.0);
}
