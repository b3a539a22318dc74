#version 120
// Eye and flash images: the image (unit 0) swirled around the centre by
// "disto" and scaled by "col"; drawn with a screen-like blend, so black
// adds nothing and "col" at 0 leaves the frame untouched.
uniform sampler2D tex;
uniform float disto;
uniform float t;
uniform vec4 col;
varying vec2 uv;

void main()
{
    vec2 d = uv - 0.5;
    float r = length(d);
    float a = disto * 0.6 * (1.0 - smoothstep(0.0, 0.7, r)) + sin(t * 2.0 + r * 12.0) * disto * 0.05;
    float s = sin(a), c = cos(a);
    vec2 p = vec2(c * d.x - s * d.y, s * d.x + c * d.y) * (1.0 + disto * 0.15) + 0.5;
    vec4 img = texture2D(tex, vec2(p.x, 1.0 - p.y));
    gl_FragColor = vec4(img.rgb * img.a, 1.0) * col;
}
