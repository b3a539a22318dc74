#version 120
// Title, credits and greetings cards: the card image (unit 0), torn into
// horizontal slices that slide sideways while "disto" is high and settle
// as it decays; "col" tints it and its alpha fades the card.
uniform sampler2D tex;
uniform float disto;
uniform float t;
uniform vec4 col;
varying vec2 uv;

void main()
{
    float slice = floor(uv.y * 24.0);
    float shift = sin(slice * 12.9898 + t * 7.0) * 0.5 + sin(slice * 3.1 - t * 3.0) * 0.5;
    float d = disto * disto;
    vec2 p = vec2(uv.x + shift * d * 0.05 + sin(uv.y * 40.0 + t * 9.0) * d * 0.01, 1.0 - uv.y);
    vec4 c = texture2D(tex, p);
    // Colour fringes while it is torn.
    float r = texture2D(tex, p + vec2(d * 0.012, 0.0)).r;
    float b = texture2D(tex, p - vec2(d * 0.012, 0.0)).b;
    gl_FragColor = vec4(r, c.g, b, c.a * clamp(col.a, 0.0, 1.0)) * vec4(col.rgb, 1.0);
}
