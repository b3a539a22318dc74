#version 120
// Glow: the blurred frame (unit 0) plus the metaball field (unit 1, "tex2"),
// tinted by "col" and laid over the frame in proportion to its brightness.
// "fill" adds a flat colour of strength fill.a on top (the warm flash).
uniform sampler2D tex;
uniform sampler2D tex2;
uniform vec4 col;
uniform vec4 fill;
varying vec2 uv;

void main()
{
    vec3 blur = texture2D(tex, uv).rgb;
    vec3 field = texture2D(tex2, uv).rgb;
    vec3 glow = blur * 1.4 + field * 0.45;
    float strength = clamp(max(max(glow.r, glow.g), glow.b), 0.0, 1.0);
    // A flash that decays past zero reads as no flash at all.
    float f = clamp(fill.a, 0.0, 1.0);
    vec3 c = glow * col.rgb + fill.rgb * f;
    gl_FragColor = vec4(c, clamp(col.a, 0.0, 2.0) * max(strength, f));
}
