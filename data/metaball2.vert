#version 120
// One blob of the metaball field. The blob's mesh is a polygon around the
// unit circle; its corners are placed around the blob's centre "pos",
// scaled to the blob's reach ("size" times blobReach), so a blob only costs
// the pixels it can touch. Near its rim a blob adds less than half a level
// of 255 to the field, which an 8-bit field never shows: the polygon is
// shrunk to the radius where the blob's opacity (bump times "strength"
// times a half) reaches half a level. A blob too faint to show anywhere
// collapses to nothing.
uniform float size;
uniform float strength;
uniform vec2 pos;
varying vec2 local;

const float blobReach = 1.6;

void main()
{
    // bump = (1 - r^2)^2 >= 1 / (255 * strength)
    float visible = strength * 255.0 > 1.0 ? sqrt(1.0 - inversesqrt(strength * 255.0)) : 0.0;
    local = gl_Vertex.xy * visible;
    gl_Position = vec4(pos + local * size * blobReach, 0.0, 1.0);
}
