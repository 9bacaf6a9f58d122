// Fixed-function lighting: light 0's fixed values and the three record operations.
#include "lighting.h"
#include <GL/gl.h>

static const GLfloat ambientLight[4] = {0.1f, 0.1f, 0.1f, 1.0f};
static const GLfloat diffuseLight[4] = {0.5f, 0.5f, 0.5f, 1.0f};
static const GLfloat specularLight[4] = {0.3f, 0.3f, 0.3f, 1.0f};
// w = -10: a point light at (0, 0, 1) of the model-view current at the call.
static const GLfloat position[4] = {0.0f, 0.0f, -10.0f, -10.0f};
static const GLfloat shininess[4] = {0.5f, 0.5f, 0.5f, 1.0f};

void vlm_setLight0(int on)
{
    if (!on) {
        glDisable(GL_LIGHTING);
        return;
    }
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambientLight);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuseLight);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specularLight);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambientLight);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuseLight);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specularLight);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess[0]);
    // The last mode wins: the current colour ends up driving the specular colour.
    glColorMaterial(GL_FRONT_AND_BACK, GL_EMISSION);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glColorMaterial(GL_FRONT_AND_BACK, GL_SPECULAR);
    glEnable(GL_COLOR_MATERIAL);
}

void vlm_setLightData(float *record, float a, float b, float c, float d)
{
    record[0] = a;
    record[1] = b;
    record[2] = c;
    record[3] = d;
}

void vlm_setAmbientLight(float red, float green, float blue, float alpha)
{
    const GLfloat colour[4] = {red, green, blue, alpha};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, colour);
}

// Record layout: ambient [0..2], diffuse [3..5], specular [6..8], position [9..11].
// Diffuse and specular are read as four floats (the fourth is the next group's first);
// the position's fourth float would lie past the record, so it is taken as w = 1.
void vlm_enableLight(const float *record, int n)
{
    GLenum light = GL_LIGHT0 + n;
    const GLfloat place[4] = {record[9], record[10], record[11], 1.0f};
    glEnable(GL_LIGHTING);
    glEnable(light);
    glLightfv(light, GL_DIFFUSE, record + 3);
    glLightfv(light, GL_SPECULAR, record + 6);
    glLightfv(light, GL_POSITION, place);
}
