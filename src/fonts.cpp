// Texture strip font: glyph display lists over a TGA strip image, text placed in 3D, and a
// routine that shows the whole font image.
#include "fonts.h"
#include "textures.h"
#include <GL/glew.h>
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>

int FONTLIST = 0;
int FONTQ = 0;

static void fontFatal(const char *message)
{
    puts(message);
    fflush(stdout);
    exit(-1);
}

// Warns once per blank in `path`; true when its lower-case form ends in "tga".
static bool checkFontPath(const char *path)
{
    std::string lower(path);
    for (char &c : lower) {
        c = (char)tolower((unsigned char)c);
        if (isblank((unsigned char)c)) printf("[/] \"%s\" contains whitespaces. is bad\n", path);
    }
    return lower.size() >= 3 && lower.compare(lower.size() - 3, 3, "tga") == 0;
}

// Glyph list: a 2 x 2 square in the x-y plane showing strip [u0, u1] of the whole image height.
static void compileGlyph(GLuint list, GLuint texture, float u0, float u1)
{
    glNewList(list, GL_COMPILE);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, 0), glVertex3f(-1, -1, 0);
    glTexCoord2f(u1, 0), glVertex3f(1, -1, 0);
    glTexCoord2f(u1, 1), glVertex3f(1, 1, 0);
    glTexCoord2f(u0, 1), glVertex3f(-1, 1, 0);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glEndList();
}

int vlm_loadTextureFont(const char *path, int count)
{
    // A negative count has no glyphs either.
    if (count <= 0) fontFatal("[!] No fontindex was given (argument 2 of function vlm_loadTextureFont()");
    // Without an image the glyphs bind texture 0 and show as plain white squares.
    GLuint texture = checkFontPath(path) ? vlm_loadTGA(path) : 0;
    GLuint base = glGenLists(count);
    float strip = 1.0f / count;
    for (int i = 0; i < count; i++) compileGlyph(base + i, texture, i * strip, (i + 1) * strip);
    FONTQ = count;
    FONTLIST = (int)base;
    return (int)base;
}

void vlm_text(const char *string, float spacing, float x, float y, float z, float rotX,
              float rotY, float rotZ)
{
    if (FONTQ == 0) fontFatal("[!] vlm_text() no font loaded.");
    glPushMatrix();
    glTranslatef(x, y, z);
    glRotatef(rotX, 1, 0, 0);
    glRotatef(rotY, 0, 1, 0);
    glRotatef(rotZ, 0, 0, 1);
    float depth = 0.01f;  // each glyph a little nearer, so overlapping squares don't z-fight
    for (int i = 0; string[i]; i++) {
        int c = tolower((unsigned char)string[i]);
        if (isblank(c)) continue;
        int glyph = c - 97;
        // A character the font has no strip for draws nothing: the list number would belong
        // to another font or to somebody else's lists.
        if (glyph >= 0 && glyph < FONTQ) {
            glPushMatrix();
            glTranslatef(i * spacing, 0, depth);
            glCallList((GLuint)(FONTLIST + glyph));
            glPopMatrix();
        }
        depth += 0.01f;
    }
    glPopMatrix();
}

void vlm_testTextureFont(void)
{
    static int loaded = 0;
    static GLuint texture = 0;
    if (loaded++ == 0) {
        texture = vlm_loadTGA("data/font.tga");
        printf("%d\n", (int)texture);
    }
    glEnable(GL_TEXTURE_2D);
    // The texture just loaded, not whichever texture happened to be created first.
    glBindTexture(GL_TEXTURE_2D, texture);
    glPushMatrix();
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex3f(0, 0, 0);
    glTexCoord2f(1, 0), glVertex3f(10, 0, 0);
    glTexCoord2f(1, 1), glVertex3f(10, 10, 0);
    glTexCoord2f(0, 1), glVertex3f(0, 10, 0);
    glEnd();
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
}
