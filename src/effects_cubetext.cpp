// Cube text: the stroke font, strings typed letter by letter, glyphs, and single strokes.
#include "effects_cubetext.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const float LETTER_ADVANCE = 18;  // units from one letter's origin to the next
static const float STROKE_WIDTH = 0.7f;  // tube thickness of glyph strokes, units
static const float TYPED_PROGRESS = 0.99f;  // a whole number would have the fraction 0

// Polylines in font units, y pointing down the screen; 0 ends a glyph, so a coordinate meant
// to be 0 is -0.01 and one just above it 0.99 (a point with a 0 coordinate gets no cube).
const float char_array[VLM_CUBEFONT_GLYPHS][VLM_CUBEFONT_FLOATS] = {
    // 0: a, 9 points
    {-0.01f, 15, -0.01f, -0.01f, 11, -0.01f, 11, 14, 9, 14, 9, 6, 2, 6, 2, 5, 3, 5},
    // 1: b, 13 points
    {-0.01f, 15, -0.01f, -0.01f, 8, -0.01f, 11, 3, 11, 5, 9, 7, 9, 9, 11, 11, 11, 13, 9, 15, 4, 15, 4, 2, 6, 2},
    // 2: c, 9 points
    {-0.01f, 15, -0.01f, -0.01f, 12, -0.01f, 12, 2, 9, 2, 5, 6, 5, 0.99f, 9, 14, 12, 14},
    // 3: d, 9 points
    {-0.01f, 15, -0.01f, -0.01f, 9, -0.01f, 12, 3, 12, 12, 0.99f, 14, 2, 14, 2, 2, 5, 2},
    // 4: e, 13 points
    {-0.01f, 15, -0.01f, -0.01f, 15, -0.01f, 15, 2, 2, 2, 2, 6, 6, 6, 6, 8, 2, 8, 2, 12, 15, 12, 15, 14, 2, 14},
    // 5: f, 10 points
    {-0.01f, 15, -0.01f, -0.01f, 15, -0.01f, 15, 2, 2, 2, 2, 7, 5, 7, 5, 9, 2, 9, 2, 13},
    // 6: g, 10 points
    {-0.01f, 15, -0.01f, -0.01f, 15, -0.01f, 15, 2, 2, 2, 2, 13, 13, 13, 13, 9, 0.99f, 9, 0.99f, 11},
    // 7: h, 12 points
    {-0.01f, 15, -0.01f, -0.01f, 2, -0.01f, 2, 5, 13, 5, 13, -0.01f, 15, -0.01f, 15, 13, 13, 13, 13, 8, 2, 8, 2, 14},
    // 8: i, 9 points
    {-0.01f, 15, -0.01f, 12, 6, 12, 6, 3, 4, 3, 4, -0.01f, 9, -0.01f, 9, 13, 8, 13},
    // 9: j, 8 points
    {-0.01f, 15, -0.01f, -0.01f, 11, -0.01f, 11, 11, 8, 14, 6, 14, 3, 11, 3, 8},
    // 10: k, 11 points
    {-0.01f, 15, -0.01f, -0.01f, 2, -0.01f, 2, 8, 0.99f, -0.01f, 12, -0.01f, 3, 9, 8, 14, 6, 14, 2, 0.99f, 2, 14},
    // 11: l, 8 points
    {-0.01f, 15, -0.01f, 13, 9, 13, 9, 11, 2, 11, 2, -0.01f, -0.01f, -0.01f, -0.01f, 11},
    // 12: m, 12 points
    {-0.01f, 15, -0.01f, -0.01f, 2, -0.01f, 8, 6, 14, -0.01f, 15, -0.01f, 15, 14, 13, 14, 13, 4, 8, 9, 2, 3, 2, 14},
    // 13: n, 7 points
    {-0.01f, 15, -0.01f, -0.01f, 1, -0.01f, 15, 14, 15, 1, 13, 1, 13, 9},
    // 14: o, 6 points
    {-0.01f, 15, -0.01f, 12, 13, 12, 13, 1, 2, 1, 2, 11},
    // 15: p, 6 points
    {-0.01f, 15, -0.01f, -0.01f, 15, -0.01f, 15, 8, 2, 8, 2, 2},
    // 16: q, 7 points
    {-0.01f, 15, -0.01f, 13, 14, 13, 14, 1, 8, 1, 8, 7, 13, 7},
    // 17: r, 8 points
    {-0.01f, 15, -0.01f, -0.01f, 15, -0.01f, 15, 7, 3, 7, 3, 8, 8, 13, 12, 13},
    // 18: s, 9 points
    {-0.01f, 15, -0.01f, 13, 15, 13, 15, 7, -0.01f, 7, -0.01f, -0.01f, 15, -0.01f, 15, 3, 12, 3},
    // 19: t, 10 points
    {-0.01f, 15, -0.01f, 13, 7, 13, 7, 2, -0.01f, 2, -0.01f, -0.01f, 15, -0.01f, 15, 2, 9, 2, 9, 11},
    // 20: u, 9 points
    {-0.01f, 15, -0.01f, -0.01f, 2, -0.01f, 2, 0.99f, 13, 0.99f, 13, -0.01f, 15, -0.01f, 15, 12, 2, 12},
    // 21: v, 7 points
    {-0.01f, 15, -0.01f, 12, 8, 12, -0.01f, 4, -0.01f, 2, 9, 11, 14, 2},
    // 22: w, 6 points
    {-0.01f, 15, -0.01f, 7, 5, 12, 7, 0.99f, 9, 12, 14, 7},
    // 23: x, 11 points
    {-0.01f, 15, -0.01f, 13, 7, 6, 13, 12, 13, 11, 8, 6, 14, -0.01f, 13, -0.01f, 8, 5, 7, 5, 2, -0.01f},
    // 24: y, 10 points
    {-0.01f, 15, -0.01f, 13, 8, 13, 8, 6, 9, 6, 15, -0.01f, 14, -0.01f, 9, 5, 7, 5, 2, -0.01f},
    // 25: z, 5 points
    {-0.01f, 15, -0.01f, 13, 15, 13, -0.01f, -0.01f, 15, -0.01f},
    // 26: code 123, 7 points
    {-0.01f, 15, -0.01f, 13, 7, 1, 14, 12, 13, 12, 9, 7, 5, 7},
    // 27: code 124, 7 points
    {-0.01f, 15, -0.01f, 13, 7, 1, 14, 12, 13, 12, 9, 7, 5, 7},
};

int vlm_cubeGlyphPoints(int glyph)
{
    if (glyph < 0 || glyph >= VLM_CUBEFONT_GLYPHS) return 0;
    int k = 0;
    while (k < VLM_CUBEFONT_FLOATS && char_array[glyph][k] != 0) k++;
    return k / 2;
}

void vlm_drawCubeString(const char *string, float progress)
{
    // Nothing is typed before the first letter starts (this also keeps n off negative slots).
    if (!(progress > 0)) return;
    int length = (int)strlen(string);
    int n = progress < (float)length ? (int)progress : length;
    for (int i = 0; i < n; i++) {
        if (string[i] == ' ') continue;
        glColor4f(1, 1, 1, 1);
        glPushMatrix();
        glTranslatef(LETTER_ADVANCE * i, 0, 0);
        vlm_drawCubeChar(string[i], TYPED_PROGRESS);
        glPopMatrix();
    }
    if (n < length && string[n] != ' ') {
        // The letter being typed keeps the caller's colour.
        glPushMatrix();
        glTranslatef(LETTER_ADVANCE * n, 0, 0);
        vlm_drawCubeChar(string[n], progress - n);
        glPopMatrix();
    }
}

void vlm_drawCubeChar(char character, float progress)
{
    float fraction = progress - truncf(progress);
    signed char glyph = (signed char)(character - 97);
    if (glyph < 0 || glyph > VLM_CUBEFONT_GLYPHS - 1) {
        printf("[DEV] vlm_drawCubeChar() char 0x%x not valid in charset\n", (unsigned)(int)glyph);
        fflush(stdout);
        exit(-1);
    }
    const float *points = char_array[(int)glyph];
    int count = vlm_cubeGlyphPoints(glyph);
    for (int j = 0; j + 1 < count; j++) {
        vec3 from = {points[2 * j], points[2 * j + 1], 0};
        vec3 to = {points[2 * j + 2], points[2 * j + 3], 0};
        glPushMatrix();
        glRotatef(180, 1, 0, 0);  // the font's y axis points down the screen; z is mirrored
        vlm_drawCubeLine(&from, &to, fraction, STROKE_WIDTH);
        glPopMatrix();
    }
}

// A solid cube of edge `edge` centred on p, unless p has a zero x or y (the font's markers).
static void cornerCube(const vec3 &p, float edge)
{
    if (p.x == 0 || p.y == 0) return;
    glPushMatrix();
    glTranslatef(p.x, p.y, p.z);
    glutSolidCube(edge);
    glPopMatrix();
}

static void stripVertex(const vec3 &p, const vec3 &side, float sideSign, float depth)
{
    glVertex3f(p.x + side.x * sideSign, p.y + side.y * sideSign, p.z + depth);
}

void vlm_drawCubeLine(const vec3 *from, const vec3 *to, float fraction, float width)
{
    float h = width * 0.5f;
    vec3 end;
    vlm_vec3_linear_interpolate(from, to, &end, fraction);
    float dx = from->x - end.x, dy = from->y - end.y;
    float length = sqrtf(dx * dx + dy * dy);
    cornerCube(*from, 3 * h);
    cornerCube(end, 3 * h);
    // A stroke of zero length has no direction for its side offset: corner cubes only.
    if (!(length > 0)) return;
    vec3 side = {(end.y - from->y) * h / length, (from->x - end.x) * h / length, 0};

    // Four sides around the stroke, normals fixed whatever its direction; the first pair
    // is repeated at the end to close the tube.
    glBegin(GL_QUAD_STRIP);
    glNormal3f(0, 1, 0);
    stripVertex(*from, side, 1, -h), stripVertex(end, side, 1, -h);
    glNormal3f(1, 0, 0);
    stripVertex(*from, side, 1, h), stripVertex(end, side, 1, h);
    glNormal3f(0, 1, 0);
    stripVertex(*from, side, -1, h), stripVertex(end, side, -1, h);
    glNormal3f(0, -1, 0);
    stripVertex(*from, side, -1, -h), stripVertex(end, side, -1, -h);
    stripVertex(*from, side, 1, -h), stripVertex(end, side, 1, -h);
    glEnd();
}
