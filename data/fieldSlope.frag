#version 120
// How the metaball field's green level rises and bends between lookups 10
// pixels apart at 1280 wide, for the final composite's ripple: along x and
// y, the difference of the levels either side (xy) and their sum less
// twice the level at the texel (zw). Drawn at the field's own size
// into floats (either may be negative). The composite works out from these
// and the field at its pixel what the two levels either side read once
// each is taken as white past 1, which is the slope it moves the pixel by:
// one lookup here instead of four in the field.
uniform sampler2D field;
varying vec2 uv;

float greenAt(vec2 at)
{
    return texture2D(field, at).g;
}

void main()
{
    float e = 1.0 / 256.0;
    float g = greenAt(uv);
    vec2 up = vec2(greenAt(uv + vec2(e, 0.0)), greenAt(uv + vec2(0.0, e)));
    vec2 down = vec2(greenAt(uv - vec2(e, 0.0)), greenAt(uv - vec2(0.0, e)));
    gl_FragColor = vec4(up - down, up + down - 2.0 * g);
}
