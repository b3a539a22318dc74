#version 120
// Final composite: the finished frame ("tex2", unit 1) laid over itself with
// three boosts that held notes sweep: "distBoost" ripples it through the
// metaball field (unit 0), "specBoost" splits the colour channels apart and
// "mixBoost" pours the field in as coloured light.
uniform sampler2D tex;
uniform sampler2D tex2;
uniform float mixBoost;
uniform float specBoost;
uniform float distBoost;
varying vec2 uv;

void main()
{
    vec3 field = texture2D(tex, uv).rgb;
    float e = 1.0 / 256.0;
    vec2 grad = vec2(texture2D(tex, uv + vec2(e, 0.0)).g - texture2D(tex, uv - vec2(e, 0.0)).g,
                     texture2D(tex, uv + vec2(0.0, e)).g - texture2D(tex, uv - vec2(0.0, e)).g);
    vec2 p = uv + grad * distBoost * 4.0 + vec2(sin(uv.y * 30.0), cos(uv.x * 30.0)) * distBoost * 0.02;
    vec2 spread = (uv - 0.5) * specBoost * 0.08;
    vec3 c = vec3(texture2D(tex2, p + spread).r, texture2D(tex2, p).g, texture2D(tex2, p - spread).b);
    // The field's edge as coloured light, its bodies as a faint wash.
    float level = dot(field, vec3(0.3333));
    float body = smoothstep(0.25, 0.6, level);
    float rim = body * (1.0 - smoothstep(0.6, 0.97, level));
    float m = max(mixBoost, 0.0);
    c += (rim * vec3(1.0, 0.5, 0.9) * 2.5 + body * vec3(0.2, 0.3, 0.5)) * m;
    vec2 d = uv - 0.5;
    c *= 1.0 - dot(d, d) * 0.5;
    gl_FragColor = vec4(c, 1.0);
}
