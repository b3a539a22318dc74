#version 120
// Background: the "happy" image tiled and scrolling diagonally, its levels
// squeezed between a black point (blackTer) and a white point (whiteTer)
// so the picture breathes between washed-out and high-contrast.
uniform sampler2D tex;
uniform float blackTer;
uniform float scroller;
uniform float whiteTer;
uniform vec4 col;
varying vec2 uv;

void main()
{
    vec2 p = uv * vec2(2.0, 1.5) + vec2(scroller, scroller * 0.37);
    p.x += sin(p.y * 6.2831 + scroller * 3.0) * 0.02;
    vec3 c = texture2D(tex, p).rgb;
    float lo = blackTer * 0.2;
    float hi = 1.0 - whiteTer * 0.3;
    c = clamp((c - vec3(lo)) / max(hi - lo, 0.05), 0.0, 1.0);
    // Darker towards the edges so the layers in front stand out.
    vec2 d = uv - 0.5;
    float vignette = 1.0 - dot(d, d) * 1.6;
    gl_FragColor = vec4(c * vignette * 0.75, 1.0) * col;
}
