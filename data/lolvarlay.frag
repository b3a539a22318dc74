// Final composite (after blurryHAX.frag, in the same program): the finished
// frame laid over itself with three boosts that held notes sweep:
// "distBoost" ripples it through the metaball field, "specBoost" splits
// the colour channels apart and "mixBoost" pours the field in as coloured
// light; then the corners are darkened.
//
// The ripple moves each pixel along the field's slope ("slope", drawn from
// the field by fieldSlope.frag at the field's size, with a slow wobble in
// it). The field is kept in floating point and is smooth, so the slope is
// too: no renderer's rounding shows in it.
//
// The frame is finished where it is read (finishedAt), so the whole of
// the frame's finish is one pass: once where nothing is split, once per
// colour channel while "specBoost" splits them. The ripple is compiled in
// only where RIPPLE is defined and the split only where SPLIT is: a
// software renderer runs both sides of a branch.
uniform float mixBoost;
uniform float specBoost;
uniform float distBoost;
uniform sampler2D slope;

void main()
{
    vec3 here = fieldAt(uv);
    vec2 p = uv;
#ifdef RIPPLE
    {
        float g = texture2D(field, uv).g;
        vec4 s = texture2D(slope, uv) * 0.5;
        vec2 up = min(g + s.zw + s.xy, 1.0);
        vec2 down = min(g + s.zw - s.xy, 1.0);
        vec2 grad = up - down;
        p += grad * distBoost * 4.0 + vec2(sin(uv.y * 30.0), cos(uv.x * 30.0)) * distBoost * 0.02;
    }
#endif
#ifdef SPLIT
    vec2 spread = (uv - 0.5) * specBoost * 0.08;
    vec3 c = vec3(finishedAt(p + spread).r, finishedAt(p).g, finishedAt(p - spread).b);
#else
    vec3 c = finishedAt(p);
#endif
    // The field's edge as coloured light, its bodies as a faint wash.
    vec2 shape = bodyAndRim(dot(here, vec3(0.3333)));
    float m = max(mixBoost, 0.0);
    c += (shape.y * vec3(1.0, 0.5, 0.9) * 2.5 + shape.x * vec3(0.2, 0.3, 0.5)) * m;
    vec2 d = uv - 0.5;
    c *= 1.0 - dot(d, d) * 0.5;
    gl_FragColor = vec4(c, 1.0);
}
