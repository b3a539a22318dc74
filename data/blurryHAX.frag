#version 120
// The finished frame at a point of the screen, before the final composite
// ripples, splits and lights it (lolvarlay.frag follows this file in the
// same program and calls finishedAt wherever it reads the frame):
//
//  1. Glow: the blurred frame ("blur") laid back over the frame ("frame",
//     the window as the layers below left it) as a soft haze where it is
//     bright, plus the metaball field ("field") shown as bodies with a
//     coloured rim along the field's edge; tinted by "col", with a flat
//     colour of strength fill.a on top.
//  2. The warm fill flash: the same glow tinted by "flashCol" with the flat
//     colour "flashFill", added on top twice.
//  3. The flash image ("flashImage") and the eye ("eyeImage"), swirled
//     around the centre by their distortion and added with a screen-like
//     blend, so black adds nothing and a level of 0 leaves the frame alone.
//  4. The title, credits or greetings card ("cardImage"), torn into
//     slices that slide sideways while its distortion is high, laid over
//     the frame by its alpha.
//
// The flash image is compiled in only where FLASH is defined, the eye only
// where EYE is and the card only where CARD is: a software renderer runs
// every branch of a shader, even one no pixel takes, so each part of the
// screen is drawn by a program with only the overlays that show there
// (their levels are above 0, and their images reach that far). Where the
// flash image and the eye swirl alike (the same distortion),
// SHARED_SWIRL has them read their images at one swirled point.
//
// Each step is clamped to 0..1, as a colour buffer clamps a layer drawn on
// its own. The field may run past 1 where blobs meet; it is read as white
// there (levelAt).
uniform sampler2D field;
uniform sampler2D blur;
uniform sampler2D frame;
uniform sampler2D flashImage;
uniform sampler2D eyeImage;
uniform sampler2D cardImage;
uniform vec4 col;
uniform vec4 fill;
uniform vec4 flashCol;
uniform vec4 flashFill;
uniform float flashLevel;
uniform float flashDisto;
uniform float cardFlash;
uniform float cardDisto;
uniform float t;
varying vec2 uv;

// The field's level: the mean of its tint (red; green is the tint's
// green, which the ripple follows), read as white (0.9999, three levels
// of 0.3333) where blobs meet and it runs past that.
float levelAt(vec2 at)
{
    return min(texture2D(field, at).r, 0.9999);
}

// How much of a field body and of its rim a field level shows.
vec2 bodyAndRim(float level)
{
    float body = smoothstep(0.25, 0.6, level);
    return vec2(body, body * (1.0 - smoothstep(0.6, 0.97, level)));
}

// One glow layer's premultiplied colour and opacity.
vec4 glowLayer(vec3 glow, float haze, vec2 shape, vec4 tint, vec4 flat)
{
    // A flash that decays past zero reads as no flash at all.
    float f = clamp(flat.a, 0.0, 1.0);
    vec3 c = clamp(glow * tint.rgb + flat.rgb * f, 0.0, 1.0);
    float a = clamp(clamp(tint.a, 0.0, 2.0) * max(haze * haze * 0.5 + shape.y * 0.6 + shape.x * 0.15, f), 0.0, 1.0);
    return vec4(c * a, a);
}

#if defined(FLASH) || defined(EYE)
// Where an image swirled around the centre by `disto` is read at `at`.
vec2 swirledAt(vec2 at, float disto)
{
    vec2 d = at - 0.5;
    float r = length(d);
    float a = disto * 0.6 * (1.0 - smoothstep(0.0, 0.7, r)) + sin(t * 2.0 + r * 12.0) * disto * 0.05;
    float s = sin(a), c = cos(a);
    vec2 p = vec2(c * d.x - s * d.y, s * d.x + c * d.y) * (1.0 + disto * 0.15) + 0.5;
    return vec2(p.x, 1.0 - p.y);
}

// An image's texel scaled by `level` and added as light that fades where
// it is brightest (source times one minus source).
vec3 addLight(vec3 under, vec4 img, float level)
{
    vec3 light = clamp(img.rgb * img.a * level, 0.0, 1.0);
    return clamp(under + light * (1.0 - light), 0.0, 1.0);
}
#endif

#ifdef CARD
// The card torn into 24 slices, with colour fringes while it is torn.
vec3 layCard(vec3 under, vec2 at)
{
    float slice = floor(at.y * 24.0);
    float shift = sin(slice * 12.9898 + t * 7.0) * 0.5 + sin(slice * 3.1 - t * 3.0) * 0.5;
    float d = cardDisto * cardDisto;
    vec2 p = vec2(at.x + shift * d * 0.05 + sin(at.y * 40.0 + t * 9.0) * d * 0.01, 1.0 - at.y);
    vec4 c = texture2D(cardImage, p);
    float r = texture2D(cardImage, p + vec2(d * 0.012, 0.0)).r;
    float b = texture2D(cardImage, p - vec2(d * 0.012, 0.0)).b;
    vec3 card = clamp(vec3(r, c.g, b), 0.0, 1.0);
    float a = clamp(c.a * clamp(cardFlash, 0.0, 1.0), 0.0, 1.0);
    return clamp(card * a + under * (1.0 - a), 0.0, 1.0);
}
#endif

vec3 finishedAt(vec2 at)
{
    // The layers and their blur are kept upside down.
    vec2 layersAt = vec2(at.x, 1.0 - at.y);
    vec3 c = texture2D(frame, layersAt).rgb;
    vec3 blurred = texture2D(blur, layersAt).rgb;
    vec2 shape = bodyAndRim(levelAt(at));
    vec3 glow = blurred * 0.6 + shape.y * vec3(0.45, 0.75, 1.0) * 0.8 + shape.x * vec3(0.1, 0.12, 0.2);
    float haze = clamp(dot(blurred, vec3(0.3, 0.5, 0.2)), 0.0, 1.0);
    vec4 g = glowLayer(glow, haze, shape, col, fill);
    vec4 w = glowLayer(glow, haze, shape, flashCol, flashFill);
    c = clamp(clamp(g.rgb + 2.0 * w.rgb, 0.0, 1.0) + c * (1.0 - g.a), 0.0, 1.0);

#ifdef SHARED_SWIRL
    // Kicked together, the flash image and the eye swirl alike.
    vec2 swirled = swirledAt(at, flashDisto);
    c = addLight(c, texture2D(flashImage, swirled), flashLevel);
    c = addLight(c, texture2D(eyeImage, swirled), cardFlash);
#else
#ifdef FLASH
    c = addLight(c, texture2D(flashImage, swirledAt(at, flashDisto)), flashLevel);
#endif
#ifdef EYE
    c = addLight(c, texture2D(eyeImage, swirledAt(at, cardDisto)), cardFlash);
#endif
#endif
#ifdef CARD
    c = layCard(c, at);
#endif
    return c;
}
