#version 120
// Glow: the blurred frame (unit 0) laid back over the frame as a soft haze
// where it is bright, plus the metaball field (unit 1, "tex2") shown as
// bodies with a coloured rim along the field's edge; tinted by "col".
// "fill" adds a flat colour of strength fill.a on top.
//
// The warm fill flash is the same glow tinted by "flashCol" with the flat
// colour "flashFill", added on top twice. All three come out of one draw:
// the output is the sum of the glow's and the flash's premultiplied
// colours, with the glow's opacity as alpha, for blending with (one, one
// minus source alpha). Each layer is clamped to 0..1 as a colour buffer
// would have clamped it when they were drawn one by one.
uniform sampler2D tex;
uniform sampler2D tex2;
uniform vec4 col;
uniform vec4 fill;
uniform vec4 flashCol;
uniform vec4 flashFill;
varying vec2 uv;

vec3 glow;
float haze;
float rim;
float body;

// One layer's premultiplied colour and opacity.
vec4 layer(vec4 tint, vec4 flat)
{
    // A flash that decays past zero reads as no flash at all.
    float f = clamp(flat.a, 0.0, 1.0);
    vec3 c = clamp(glow * tint.rgb + flat.rgb * f, 0.0, 1.0);
    float a = clamp(clamp(tint.a, 0.0, 2.0) * max(haze * haze * 0.5 + rim * 0.6 + body * 0.15, f), 0.0, 1.0);
    return vec4(c * a, a);
}

void main()
{
    vec3 blur = texture2D(tex, uv).rgb;
    float level = dot(texture2D(tex2, uv).rgb, vec3(0.3333));
    body = smoothstep(0.25, 0.6, level);
    rim = body * (1.0 - smoothstep(0.6, 0.97, level));
    glow = blur * 0.6 + rim * vec3(0.45, 0.75, 1.0) * 0.8 + body * vec3(0.1, 0.12, 0.2);
    haze = clamp(dot(blur, vec3(0.3, 0.5, 0.2)), 0.0, 1.0);
    vec4 g = layer(col, fill);
    vec4 w = layer(flashCol, flashFill);
    gl_FragColor = vec4(g.rgb + 2.0 * w.rgb, g.a);
}
