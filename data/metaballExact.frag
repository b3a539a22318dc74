#version 120
// One blob, drawn exactly: a smooth bump, 1 at the centre and 0 at the
// rim of its quad, coloured from the gradient on unit 0 by the distance
// from the centre and faded by "strength". Drawn with additive blending
// (source alpha, one), so
// overlapping blobs add up into one field: a lone blob peaks at half
// brightness, and where blobs meet the field runs up to white.
//
// The production's usual blob (metaball2.frag) works the gradient out as
// a polynomial; this one reads the gradient itself, for the frames whose
// ripple shows the field's finest grain (see drawMetaballs).
uniform sampler2D tex;
uniform float strength;
varying vec2 local;

const float blobPeak = 0.5;

void main()
{
    float r2 = dot(local, local);
    if (r2 >= 1.0)
        discard;
    float bump = (1.0 - r2) * (1.0 - r2);
    vec3 tint = texture2D(tex, vec2(sqrt(r2), 0.5)).rgb;
    gl_FragColor = vec4(tint, bump * strength * blobPeak);
}
