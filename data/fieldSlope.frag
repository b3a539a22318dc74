#version 120
// What the final composite's ripple needs of the metaball field, drawn at
// the field's own size into floats: along x and y, the green level to the
// side ahead (xy) and to the side behind (zw), the two sides 10 pixels
// apart at 1280 wide. The composite reads each as white past 1 and moves
// the pixel by their difference: one lookup here instead of four in the
// field. Drawn at the window's size, this is the ripple's exact slope.
uniform sampler2D field;
varying vec2 uv;

float greenAt(vec2 at)
{
    return texture2D(field, at).g;
}

void main()
{
    float e = 1.0 / 256.0;
    vec2 ahead = vec2(greenAt(uv + vec2(e, 0.0)), greenAt(uv + vec2(0.0, e)));
    vec2 behind = vec2(greenAt(uv - vec2(e, 0.0)), greenAt(uv - vec2(0.0, e)));
    gl_FragColor = vec4(ahead, behind);
}
