// Final composite (after blurryHAX.frag, in the same program): the finished
// frame laid over itself with three boosts that held notes sweep:
// "distBoost" ripples it through the metaball field, "specBoost" splits
// the colour channels apart and "mixBoost" pours the field in as coloured
// light; then the corners are darkened.
//
// The ripple moves each pixel along the field's slope, taken between
// lookups 10 pixels apart at 1280 wide (fieldSlope.frag keeps the levels
// either side at the field's size; each is read as white past 1 here, so
// the field's bright bodies stay as still as they did), plus a slow
// wobble.
// The field is kept in floating point and is smooth, so the slope is too:
// no renderer's rounding shows in it.
//
// Where nothing is split the frame is finished where it is read
// (finishedAt), all in this one pass. A split frame is finished first, by
// this program's FINISH variant, into "finished", and the split reads that
// once per colour channel. The ripple is compiled in only where RIPPLE is
// defined, the split only where SPLIT is and the light only where LIGHT
// is: a software renderer runs every branch.
uniform float mixBoost;
uniform float specBoost;
uniform float distBoost;
uniform sampler2D slope;
uniform sampler2D finished;

#ifdef FINISH
void main()
{
    gl_FragColor = vec4(finishedAt(uv), 1.0);
}
#else
void main()
{
    vec2 p = uv;
#ifdef RIPPLE
    {
        vec4 s = texture2D(slope, uv);
        vec2 grad = min(s.xy, 1.0) - min(s.zw, 1.0);
        p += grad * distBoost * 4.0 + vec2(sin(uv.y * 30.0), cos(uv.x * 30.0)) * distBoost * 0.02;
    }
#endif
#ifdef SPLIT
    vec2 spread = (uv - 0.5) * specBoost * 0.08;
    vec3 c = vec3(texture2D(finished, p + spread).r, texture2D(finished, p).g, texture2D(finished, p - spread).b);
#else
    vec3 c = finishedAt(p);
#endif
#ifdef LIGHT
    // The field's edge as coloured light, its bodies as a faint wash.
    vec2 shape = bodyAndRim(levelAt(uv));
    float m = max(mixBoost, 0.0);
    c += (shape.y * vec3(1.0, 0.5, 0.9) * 2.5 + shape.x * vec3(0.2, 0.3, 0.5)) * m;
#endif
    vec2 d = uv - 0.5;
    c *= 1.0 - dot(d, d) * 0.5;
    gl_FragColor = vec4(c, 1.0);
}
#endif
