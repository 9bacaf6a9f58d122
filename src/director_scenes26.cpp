// The arithmetic and counted geometry of scenes 2 to 6. Loop counters of geometry are
// single-precision floats stepped by a float increment: the counts that result (101 cubes per
// ring, 501 x 21 strip squares) are part of the picture. Immediate mode; nothing is cached.
#include "director_scenes26.h"
#include "director.h"
#include "models_obj.h"
#include "noise.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cmath>

// A unit cube of edge `edge`: translated, turned `angleDeg` about (ax, ay, az), then scaled.
static void box(float x, float y, float z, float angleDeg, float ax, float ay, float az,
                float sx, float sy, float sz, double edge)
{
    glPushMatrix();
    glTranslatef(x, y, z);
    if (angleDeg != 0) glRotatef(angleDeg, ax, ay, az);
    glScalef(sx, sy, sz);
    glutSolidCube(edge);
    glPopMatrix();
}

// ---------------------------------------------------------------- scene 2

float scene2_fade(float t)
{
    return t < 1 ? (1 - t) * 10 + 1 : 5;
}

vec3 scene2_wanderPoint(float t)
{
    vec3 P = {vlm_perlin2DNoise(t, 0, 32) + 3, vlm_perlin2DNoise(t, 0, 44), 0};
    return P;
}

int scene2_drawBoxes(float t, float M)
{
    int boxes = 0;
    for (float i = -20; i < 20; i += 1) {
        float z = -scene1_rowDistance(t, (int)i);
        box(3, -M - 2, z, 0, 0, 0, 1, 1, 0.2f, 3, 1);
        box(5, M - 4, z, 30 * (M + 2.5f), 0, 0, 1, 1, 0.2f, 3, 1);
        box(1, M - 4, z, -30 * (M + 2.5f), 0, 0, 1, 1, 0.2f, 3, 1);
        box(1, M - 4, z, 3, -4, 0, 1, 1, 1, 5, 2);
        boxes += 4;
    }
    return boxes;
}

int scene2_drawRings(float t, float M)
{
    int cubes = 0;
    for (float z0 = -100; z0 < 100; z0 += 10) {
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

// ---------------------------------------------------------------- scene 3

float scene3_fade(float t)
{
    float fade = 0.4f * t;
    if (0.4f * t > 1) fade = 1;
    if (t > 6) fade = 0;
    return fade;
}

void scene3_screenEffects(float t)
{
    VLM_SCREEN_RGBDIST = vlm_perlin2DNoise(0, 30 * t, 123) * 40 * (0.01f * t);
    VLM_SCREEN_DIST = vlm_perlin2DNoise(0, 30 * t, 123) * 40 * (0.01f * t);
    VLM_SCREEN_WOBBLE = vlm_perlin2DNoise(0, 0.01f * t, 123);
    if (t > 6) { // the crash: inverted and amplified, -11 at 6 s to -12.5 at 7.5 s
        float burst = 1 - t - 6;
        VLM_SCREEN_RGBDIST *= burst;
        VLM_SCREEN_DIST *= burst;
        VLM_SCREEN_WOBBLE *= burst;
    }
}

float scene3_cubeHeight(float t, float x)
{
    return (float)(sin(50 * t) * vlm_perlin2DNoise(10 * t + x, 10 * t + x, 42) * t);
}

// ---------------------------------------------------------------- scenes 4 to 6

void scenes46_screenEffects(float t)
{
    VLM_SCREEN_RGBDIST = vlm_perlin2DNoise(0, 30 * t, 123) * 4;
    VLM_SCREEN_DIST = vlm_perlin2DNoise(0, 30 * t, 123) * 0.01f;
    VLM_SCREEN_WOBBLE = vlm_perlin2DNoise(0, 0.01f * t, 123);
}

// ---------------------------------------------------------------- scene 4

float scene4_fade(float t)
{
    float fade = 10 * t;
    if (t > 1) fade = 10;
    return fade;
}

float scene4_bend(float t)
{
    float b = (float)(5 * cos(3.4 * (t + 1)));
    if (b > 2.5f) b = 2.5f;
    if (b < -2.5f) b = -2.5f;
    return b;
}

float scene4_roadDistance(float t, int k)
{
    int n = (int)(35 * t / 10); // toward zero, also for negative scene times
    return 10 * k + (35 * t - 10 * n);
}

int scene4_drawRoad(float t, float b)
{
    int slabs = 0;
    for (float k = -20; k < 20; k += 1) {
        float z = scene4_roadDistance(t, (int)k);
        box(0, -2 - b, z, 0, 0, 0, 1, 1, 0.2f, 3, 1);
        box(2, b - 4, z, (b + 2.5f) * 30, 0, 0, 1, 1, 0.2f, 3, 1);
        box(-2, b - 4, z, (b + 2.5f) * -30, 0, 0, 1, 1, 0.2f, 3, 1);
        slabs += 3;
    }
    return slabs;
}

int scene4_drawGrid(float cell)
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

// ---------------------------------------------------------------- scene 5

float scene5_fade(float t)
{
    float fade = 0.1f * t < 1 ? t : 10;
    if (t > 21) fade = (t - 21) * -10 + 10;
    return fade;
}

int scene5_drawStrip(float cell)
{
    int quads = 0;
    glBegin(GL_QUADS);
    // The x bound is a float and the w bound a double: with 0.01 accumulated in single
    // precision the loops run 501 and 21 times, not 500 and 20.
    for (float x = -2.5f; x < 2.5f; x += cell) {
        for (float w = -0.1f; w < 0.1; w += cell) {
            glVertex3f(x, 0, w);
            glVertex3f(x, 0, w + cell);
            glVertex3f(x + cell, 0, w + cell);
            glVertex3f(x + cell, 0, w);
            quads++;
        }
    }
    glEnd();
    return quads;
}

// ---------------------------------------------------------------- scene 6

// Heading (18), 6 blanks, twelve names (4 blanks after the first, 3 between the others),
// 25 blanks, then the credits: code (18), 4 blanks, music (12).
const char SCENE6_GREETINGS[] =
    "greetz and respect"
    "      "
    "Glasspan    Mothwire   Heronfax   Lumenhaus   Vektormule   Kelpware   Orchidine   "
    "Quiltbyte   Sunbarrel   Noxfjord   Moss Relay   Snowmelt Jam"
    "                         "
    "code by quillfrost"
    "    "
    "music: Orvel";

float scene6_travel(float t)
{
    return (float)(t + 0.1 * sin(6.8 * t));
}

float scene6_rowDistance(float s, int r)
{
    int n = (int)(s * 24 / 4); // toward zero, also for negative travel
    return 4 * r + (24 * s - 4 * n);
}

int scene6_drawTunnel(float t, float s, int pipe, int ring)
{
    int models = 0;
    float shift = scene6_rowDistance(s, 0); // the same truncated offset for every row
    for (float r = -50; r < 50; r += 1) {
        float z = 4 * r + shift;
        for (float a = 0; a < 360; a += 45) {
            glPushMatrix();
            glTranslatef(0, 0, -z);
            glRotatef(90, 1, 0, 0);
            glRotatef(a, 0, 1, 0);
            glTranslatef(-6, 0, 0);
            vlm_renderOBJ(pipe);
            glPopMatrix();
            models++;
        }
    }
    for (float r = -50; r < 50; r += 1) {
        float z = 4 * r + shift;
        for (float a = 0; a < 360; a += 45) {
            glPushMatrix();
            glTranslatef(0, 0, -z);
            glRotatef(90, 1, 0, 0);
            glRotatef(a + r + 30 * t, 0, 1, 0);
            glTranslatef(-10, 0, 0);
            vlm_renderOBJ(ring);
            glPopMatrix();
            models++;
        }
    }
    return models;
}

int scene6_drawStrip(float cell)
{
    int quads = 0;
    glBegin(GL_QUADS);
    for (float x = -0.5f; x < 0.5f; x += cell) {
        for (float w = -200; w < 200; w += 0.5f) {
            glVertex3f(x, 0, w);
            glVertex3f(x, 0, w + 0.5f);
            glVertex3f(x + 0.5f, 0, w + 0.5f);
            glVertex3f(x + 0.5f, 0, w);
            quads++;
        }
    }
    glEnd();
    return quads;
}
