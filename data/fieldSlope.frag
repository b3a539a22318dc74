#version 120
// What the final composite's ripple needs of the metaball field, drawn at
// the field's own size into floats: along x and y, the difference between
// the green levels either side, 10 pixels apart at 1280 wide (xy; either
// sign), and the slow wobble the ripple adds (zw). The composite takes the
// difference as it is wherever neither side runs past 1; where one does,
// it works out from the field at its pixel how much of the difference is
// left once each side is read as white past 1. One lookup here instead of
// four in the field, and no sine or cosine per pixel.
uniform sampler2D field;
varying vec2 uv;

float greenAt(vec2 at)
{
    return texture2D(field, at).g;
}

void main()
{
    float e = 1.0 / 256.0;
    vec2 up = vec2(greenAt(uv + vec2(e, 0.0)), greenAt(uv + vec2(0.0, e)));
    vec2 down = vec2(greenAt(uv - vec2(e, 0.0)), greenAt(uv - vec2(0.0, e)));
    gl_FragColor = vec4(up - down, sin(uv.y * 30.0), cos(uv.x * 30.0));
}
