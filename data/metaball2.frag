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

vec3 tintAt(float r)
{
    float x = 2.0 * r - 1.0;
    vec3 c = vec3(13.2321559, 8.6939262, 4.8396840);
    c = c * x + vec3(24.0148253, 13.7928585, 9.1782835);
    c = c * x + vec3(-25.5466675, -18.6997311, -8.8681140);
    c = c * x + vec3(-52.5609151, -29.3473335, -20.2737735);
    c = c * x + vec3(15.8358963, 14.9634015, 4.6561486);
    c = c * x + vec3(39.9919933, 21.1922748, 15.6879356);
    c = c * x + vec3(-2.3974791, -5.3542535, 0.0626375);
    c = c * x + vec3(-12.0416930, -5.6543689, -4.8984564);
    c = c * x + vec3(-1.0423553, 0.5461832, -0.6830850);
    c = c * x + vec3(0.6555782, -0.1689627, 0.1991126);
    c = c * x + vec3(0.9436245, 0.6426358, 0.8729511);
    return clamp(c, 0.0, 1.0);
}

void main()
{
    float r2 = dot(local, local);
    if (r2 >= 1.0)
        discard;
    float bump = (1.0 - r2) * (1.0 - r2);
    vec3 tint = tintAt(sqrt(r2));
    gl_FragColor = vec4(dot(tint, vec3(0.3333)), tint.g, 0.0, bump * strength * blobPeak);
}
