#version 120
// One corner of a blob of the metaball field. All blobs are one mesh: each
// is a polygon around the unit circle (the corner's position), and every
// corner carries its blob's "blob" attribute: the centre (xy), the size
// (z) and the strength (w). The corners are placed around the centre,
// scaled to the blob's reach (size times blobReach), so a blob only costs
// the pixels it can touch. The field is kept in floating point, so a blob
// is drawn out to its rim, where it fades to nothing with a level slope:
// the field has no step anywhere for the final composite's ripple to tear
// at. A blob of no strength collapses to nothing.
attribute vec4 blob;
varying vec2 local;
varying float strength;

const float blobReach = 1.6;

void main()
{
    strength = blob.w;
    local = gl_Vertex.xy * (blob.w > 0.0 ? 1.0 : 0.0);
    gl_Position = vec4(blob.xy + local * blob.z * blobReach, 0.0, 1.0);
}
