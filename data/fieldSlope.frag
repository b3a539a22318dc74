#version 120
// The metaball field's slope, as the final composite's ripple moves a pixel
// by it: the green level's difference between lookups 10 pixels apart at
// 1280 wide, four times over, plus a slow wobble of the screen. Drawn at
// the field's own size into floats (negative where the field falls), so
// the composite makes one lookup here instead of four in the field and
// takes the sine and cosine from here too; it scales the move by the
// ripple's strength.
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
