// Textured cubes: one corner table, drawn with one texture or with three texture units.
#include "effects_cubes.h"
#include <GL/glew.h>

// u, v, then x, y, z in units of the half edge; four corners per face in GL_QUADS order.
const float VLM_CUBE_CORNERS[24][5] = {
    // front, z = +s
    {1, 1, -1, -1, 1}, {0, 1, 1, -1, 1}, {0, 0, 1, 1, 1}, {1, 0, -1, 1, 1},
    // back, z = -s
    {0, 1, -1, -1, -1}, {0, 0, -1, 1, -1}, {1, 0, 1, 1, -1}, {1, 1, 1, -1, -1},
    // top, y = +s
    {1, 0, -1, 1, -1}, {1, 1, -1, 1, 1}, {0, 1, 1, 1, 1}, {0, 0, 1, 1, -1},
    // bottom, y = -s
    {0, 0, -1, -1, -1}, {1, 0, 1, -1, -1}, {1, 1, 1, -1, 1}, {0, 1, -1, -1, 1},
    // right, x = +s
    {0, 1, 1, -1, -1}, {0, 0, 1, 1, -1}, {1, 0, 1, 1, 1}, {1, 1, 1, -1, 1},
    // left, x = -s
    {1, 1, -1, -1, -1}, {0, 1, -1, -1, 1}, {0, 0, -1, 1, 1}, {1, 0, -1, 1, -1},
};

static void cubeVertex(float s, const float *corner)
{
    glVertex3f(corner[2] * s, corner[3] * s, corner[4] * s);
}

void vlm_drawTexturedCube(float s, unsigned texture)
{
    // Texturing is switched on for unit 0 itself, not for whichever unit was active on entry
    // (after the multi-textured cube that is unit 2, and the cube would come out untextured).
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    for (const float *corner : VLM_CUBE_CORNERS) {
        glTexCoord2f(corner[0], corner[1]);
        cubeVertex(s, corner);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

void vlm_drawMultiTexturedCube(float s, unsigned texture0, unsigned texture1, unsigned texture2)
{
    const unsigned textures[3] = {texture0, texture1, texture2};
    for (int k = 0; k < 3; k++) {
        if (textures[k] == 0) continue;  // a unit without texture is left as it is
        glActiveTexture(GL_TEXTURE0 + k);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textures[k]);
    }
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    for (const float *corner : VLM_CUBE_CORNERS) {
        for (int k = 0; k < 3; k++) glMultiTexCoord2f(GL_TEXTURE0 + k, corner[0], corner[1]);
        cubeVertex(s, corner);
    }
    glEnd();
    for (int k = 0; k < 3; k++) {
        glActiveTexture(GL_TEXTURE0 + k);
        glDisable(GL_TEXTURE_2D);
    }
}
