#version 120
// Blur pass: the quad's corners (-1..1) cover the whole target, and the
// texture on unit 0 is read whole across it.
varying vec2 uv;

void main()
{
    uv = gl_Vertex.xy * 0.5 + 0.5;
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
}
