#version 120
// Glow: the blurred frame (unit 0) laid back over the frame as a soft haze
// where it is bright, plus the metaball field (unit 1, "tex2") shown as
// bodies with a coloured rim along the field's edge; tinted by "col".
// "fill" adds a flat colour of strength fill.a on top (the warm flash).
uniform sampler2D tex;
uniform sampler2D tex2;
uniform vec4 col;
uniform vec4 fill;
varying vec2 uv;

void main()
{
    vec3 blur = texture2D(tex, uv).rgb;
    float level = dot(texture2D(tex2, uv).rgb, vec3(0.3333));
    float body = smoothstep(0.25, 0.6, level);
    float rim = body * (1.0 - smoothstep(0.6, 0.97, level));
    vec3 glow = blur * 0.6 + rim * vec3(0.45, 0.75, 1.0) * 0.8 + body * vec3(0.1, 0.12, 0.2);
    float haze = clamp(dot(blur, vec3(0.3, 0.5, 0.2)), 0.0, 1.0);
    // A flash that decays past zero reads as no flash at all.
    float f = clamp(fill.a, 0.0, 1.0);
    vec3 c = glow * col.rgb + fill.rgb * f;
    float a = max(haze * haze * 0.5 + rim * 0.6 + body * 0.15, f);
    gl_FragColor = vec4(c, clamp(col.a, 0.0, 2.0) * a);
}
