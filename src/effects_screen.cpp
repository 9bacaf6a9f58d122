// Screen quads and overlay text.
#include "effects_screen.h"
#include <GL/glew.h>
#include <FTGL/ftgl.h>
#include <stdio.h>
#include <stdlib.h>

static const char *FONT_PATH = "tools/crounded.ttf";

void vlm_pushScreenMatrices(void)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
}

void vlm_popScreenMatrices(void)
{
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// Texture (0,0) at the bottom left, as render targets store their rows.
static const float CORNERS[4][4] = {
    {0, 0, -1, -1}, {1, 0, 1, -1}, {1, 1, 1, 1}, {0, 1, -1, 1}};  // s, t, x, y

void vlm_renderFullscreen(unsigned texture)
{
    vlm_pushScreenMatrices();
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    for (const float *c : CORNERS) {
        glTexCoord2f(c[0], c[1]);
        glVertex2d(c[2], c[3]);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    vlm_popScreenMatrices();
}

static void bindOnUnit(GLenum unit, unsigned texture, bool enable)
{
    glActiveTexture(unit);
    if (enable) glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
}

// The quad of the multi-unit variants: every used unit gets each corner's coordinate.
static void multiUnitQuad(int units)
{
    glBegin(GL_QUADS);
    for (const float *c : CORNERS) {
        for (int u = 0; u < units; u++) glMultiTexCoord2f(GL_TEXTURE0 + u, c[0], c[1]);
        glVertex2d(c[2], c[3]);
    }
    glEnd();
}

void vlm_renderFullscreenDouble(unsigned texture0, unsigned texture1)
{
    vlm_pushScreenMatrices();
    glEnable(GL_TEXTURE_2D);
    bindOnUnit(GL_TEXTURE0, texture0, false);
    bindOnUnit(GL_TEXTURE1, texture1, true);
    multiUnitQuad(2);
    vlm_popScreenMatrices();
    glDisable(GL_TEXTURE_2D);
}

void vlm_renderFullscreenTriple(unsigned texture0, unsigned texture1, unsigned texture2)
{
    vlm_pushScreenMatrices();
    glEnable(GL_TEXTURE_2D);
    bindOnUnit(GL_TEXTURE0, texture0, false);
    bindOnUnit(GL_TEXTURE1, texture1, true);
    bindOnUnit(GL_TEXTURE2, texture2, true);
    multiUnitQuad(3);
    vlm_popScreenMatrices();
    glDisable(GL_TEXTURE_2D);
}

void vlm_draw2DTexture(float x, float y, float z, float halfWidth, float halfHeight,
                       unsigned texture)
{
    glPushMatrix();
    glRotatef(180, 1, 0, 0);
    glTranslatef(-x, -y, z);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(-halfWidth, halfHeight);
    glTexCoord2f(1, 0); glVertex2f(halfWidth, halfHeight);
    glTexCoord2f(1, 1); glVertex2f(halfWidth, -halfHeight);
    glTexCoord2f(0, 1); glVertex2f(-halfWidth, -halfHeight);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

// The polygon font, made on the first text call; 1 em = 4 units of the current transform.
static FTGL::FTGLfont *polygonFont(void)
{
    static FTGL::FTGLfont *font = nullptr;
    static int loaded = 0;
    if (loaded++ == 0) {
        font = FTGL::ftglCreatePolygonFont(FONT_PATH);
        if (!font) {
            printf("[!] Unable to open the font %s\n", FONT_PATH);
            fflush(stdout);
            exit(-1);
        }
        FTGL::ftglSetFontFaceSize(font, 4, 72);
    }
    return font;
}

void vlm_drawPolygonText(const char *string, float x, float y, float z)
{
    FTGL::FTGLfont *font = polygonFont();
    glPushMatrix();
    glTranslatef(x, y, z);
    FTGL::ftglRenderFont(font, string, FTGL::RENDER_ALL);
    glPopMatrix();
}

void vlm_infoText(float x, float y)
{
}
