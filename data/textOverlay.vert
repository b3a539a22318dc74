#version 120
// Full-screen overlay: the quad's corners (-1..1) are placed directly in
// clip space, whatever the modelview and projection matrices hold.
uniform float sizeX;
uniform float sizeY;
varying vec2 uv;

void main()
{
    uv = gl_Vertex.xy * 0.5 + 0.5;
    gl_Position = vec4(gl_Vertex.x * sizeX, gl_Vertex.y * sizeY, 0.0, 1.0);
}
