#version 120
// One blob: a smooth bump, 1 at the centre and 0 at the rim of its quad,
// tinted by the distance from the centre and faded by its strength. Drawn
// with additive blending (source alpha, one), so overlapping blobs add up
// into one field: a lone blob peaks at half brightness, and where blobs
// meet the field runs up to white.
//
// The tint is the colour ramp of grad2.png (white at the centre, through
// pink to deep violet at the rim), held here as a polynomial in the
// distance: a texture lookup per fragment cost most of the layer on a
// software renderer, the series a few multiply-adds. It follows the ramp
// to within a few levels of 255 where the bump is bright enough to show.
//
// The field keeps two numbers of the tint: its mean level (red), which is
// what the glow and the field's light show, and its green, which the
// final composite's ripple follows.
varying vec2 local;
varying float strength;

const float blobPeak = 0.5;

// The ramp's mean level and its green, each a polynomial in the distance
// (the mean's coefficients are 0.3333 of the sum of the three channels',
// the weight the field's readers gave each channel).
vec2 tintAt(float r)
{
    float x = 2.0 * r - 1.0;
    vec2 c = vec2(8.9210298, 8.6939262);
    c = c * x + vec2(15.6604229, 13.7928585);
    c = c * x + vec2(-17.7030670, -18.6997311);
    c = c * x + vec2(-34.0572680, -29.3473335);
    c = c * x + vec2(11.8173003, 14.9634015);
    c = c * x + vec2(25.6215055, 21.1922748);
    c = c * x + vec2(-2.5627754, -5.3542535);
    c = c * x + vec2(-7.5307529, -5.6543689);
    c = c * x + vec2(-0.3930464, 0.5461832);
    c = c * x + vec2(0.2285532, -0.1689627);
    c = c * x + vec2(0.8196552, 0.6426358);
    return clamp(c, 0.0, 1.0);
}

void main()
{
    float r2 = dot(local, local);
    if (r2 >= 1.0)
        discard;
    float bump = (1.0 - r2) * (1.0 - r2);
    vec2 tint = tintAt(sqrt(r2));
    gl_FragColor = vec4(tint, 0.0, bump * strength * blobPeak);
}
