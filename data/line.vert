#version 120
// Point lines: world-space points under the camera and the shake.
void main()
{
    gl_Position = ftransform();
}
