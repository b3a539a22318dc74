#include "strobewerk/FrameState.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include "vorn/DirectFrameBuffer.h"

std::int32_t windowWidth = 800;
std::int32_t windowHeight = 600;
vorn::mat4f projectionMatrix;
vorn::cDirectFrameBuffer windowFrameBuffer(800, 600, 0);

void makePerspective(vorn::mat4f& matrix, float fovDegrees, float aspect, float zNear, float zFar)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(fovDegrees, aspect, zNear, zFar);
    glGetFloatv(GL_PROJECTION_MATRIX, matrix.data());
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void loadCamera(const vorn::mat4f& view, const vorn::mat4f& projection)
{
    glMatrixMode(GL_MODELVIEW);
    glMultMatrixf(view.data());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMultMatrixf(projection.data());
    glMatrixMode(GL_MODELVIEW);
}
