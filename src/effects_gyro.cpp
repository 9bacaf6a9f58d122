// Gyro loader and typewriter text: circles, the tumbling-ring loader, the typewriter.
#include "effects_gyro.h"
#include "effects_screen.h"
#include "noise.h"
#include "vlm_state.h"
#include <GL/glew.h>
#include <math.h>
#include <string.h>

static const float DEGREE = 0.017453277f;  // radians per degree, from pi taken as 3.14159
static const int TYPE_INTERVAL_MS = 100;   // one character per 100 ms of the demo clock

// One GL_LINE_LOOP through the circle's points at whole degrees i < limitDeg.
static void circlePoints(float radius, float limitDeg)
{
    glPushMatrix();
    glBegin(GL_LINE_LOOP);
    for (int i = 0; (float)i < limitDeg && i < 360; i++) {
        float a = (float)i * DEGREE;
        glVertex2f(radius * cosf(a), radius * sinf(a));
    }
    glEnd();
    glPopMatrix();
}

void vlm_drawCircle(float radius) { circlePoints(radius, 360); }

void vlm_drawLoadingCircle(float radius, float fraction) { circlePoints(radius, fraction * 360); }

// One ring of radius 10 turned by `angleDeg` about an axis of noise at t; seeds per axis.
static void tumblingRing(float angleDeg, float t, int seedX, int seedY, int seedZ)
{
    float y = t * 0.5f;
    glPushMatrix();
    glRotatef(angleDeg, vlm_perlin2DNoise(0, y, seedX), vlm_perlin2DNoise(0, y, seedY),
              vlm_perlin2DNoise(0, y, seedZ));
    vlm_drawCircle(10);
    glPopMatrix();
}

void vlm_drawGyroLoader(float fraction, float t)
{
    float s = sinf(10 * t);
    glColor4f(1, 1, 0, 1);  // the rings stay yellow: the colour changes only for the text
    tumblingRing(150 * t, t, 123, 143534, 123123);
    tumblingRing(100 * t, t, 3123, 12534, 188448);
    tumblingRing(180 * t, t, 8983221, 144, 17874);

    glPushMatrix();
    glRotatef(0, 0, 0, 0);
    vlm_drawLoadingCircle(15, fraction);
    glPopMatrix();

    glPushMatrix();
    glRotatef(0, 0, 0, 0);
    float grey = (s + 1) * 0.5f + 0.2f;  // 0.2 .. 1.2, about 1.6 pulses a second
    glColor4f(grey, grey, grey, 1);
    vlm_drawPolygonText("Loading...", -10, -20, 0);
    glPopMatrix();
}

bool vlm_typeWriterStep(VlmTypeWriter *state, const char *string, int nowMs)
{
    int length = (int)strlen(string);
    // Only a change of length restarts: another string of the same length keeps the copy.
    if (length != state->length) state->loaded = 0;
    if (state->loaded == 0) {
        state->position = 0;
        state->length = length;
        state->copy.assign(string, (size_t)length);
        state->print.clear();
        state->startMs = nowMs;
        state->loaded++;
        return false;
    }
    int position = (nowMs - state->startMs) / TYPE_INTERVAL_MS;
    state->position = position < state->length ? position : state->length;
    if (state->position < 0) return false;
    state->print.assign(state->copy, 0, (size_t)state->position);
    return true;
}

void vlm_typeWriterText(const char *string, float x, float y, float z)
{
    static VlmTypeWriter state = {0, 0, "", "", 0, 0};
    if (vlm_typeWriterStep(&state, string, (int)vlm_getTime()))
        vlm_drawPolygonText(state.print.c_str(), x, y, z);
}
