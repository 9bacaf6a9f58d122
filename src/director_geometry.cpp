// The counted geometry of scenes 0 and 1. Loop counters are single-precision floats stepped
// by a float increment: the counts that result (667 x 667 cells, 101 cubes per ring) are part
// of the picture. Immediate mode every frame; nothing is cached.
#include "director.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cmath>

int scene0_drawPlane(float cell)
{
    int quads = 0;
    glBegin(GL_QUADS);
    for (float x = -100; x < 100; x += cell) {
        for (float z = -100; z < 100; z += cell) {
            glVertex3f(x, 0, z);
            glVertex3f(x, 0, z + cell);
            glVertex3f(x + cell, 0, z + cell);
            glVertex3f(x + cell, 0, z);
            quads++;
        }
    }
    glEnd();
    return quads;
}

int scene1_drawRings(float t, float M)
{
    int cubes = 0;
    for (float z0 = -200; z0 < 200; z0 += 20) {
        glPushMatrix();
        glTranslatef(3, 0, z0);
        glRotatef(40 * t * (float)sin(z0), 0, 0, (float)sin(2 * z0));
        for (float a = 0; a < 1; a += 0.01f) { // 101 cubes: the last lands on the first
            glPushMatrix();
            glRotatef(360 * a, 0, 0, 1);
            glTranslatef(2 * M + 20, 0, 0);
            glutSolidCube(1);
            glPopMatrix();
            cubes++;
        }
        glPopMatrix();
    }
    return cubes;
}
