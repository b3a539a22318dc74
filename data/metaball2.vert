#version 120
// One blob of the metaball field. The quad's corners (-1..1) are placed
// around the blob's centre "pos", scaled to the blob's reach ("size" times
// blobReach), so a blob only costs the pixels it can touch. A blob with no
// strength collapses to nothing.
uniform float size;
uniform float strength;
uniform vec2 pos;
varying vec2 local;

const float blobReach = 1.6;

void main()
{
    local = gl_Vertex.xy;
    float reach = strength > 0.0 ? size * blobReach : 0.0;
    gl_Position = vec4(pos + gl_Vertex.xy * reach, 0.0, 1.0);
}
