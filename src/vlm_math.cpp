// Vector math, interpolation and curves. Formulas are evaluated in double and each stored
// component is rounded to float, so results match single-precision storage exactly.
#include "vlm_math.h"
#include <GL/gl.h>
#include <math.h>

void vlm_vec3i_add(const vec3i *a, const vec3i *b, vec3i *out)
{
    out->x = a->x + b->x;
    out->y = a->y + b->y;
    out->z = a->z + b->z;
}

void vlm_vec3i_mult(const vec3i *a, const vec3i *b, vec3i *out)
{
    out->x = a->x * b->x;
    out->y = a->y * b->y;
    out->z = a->z * b->z;
}

static int lerpTruncated(int a, int b, float t)
{
    return (int)((double)a + (double)(b - a) * (double)t);
}

void vlm_vec3i_linear_interpolate(const vec3i *a, const vec3i *b, vec3i *out, float t)
{
    out->x = lerpTruncated(a->x, b->x, t);
    out->y = lerpTruncated(a->y, b->y, t);
    out->z = lerpTruncated(a->z, b->z, t);
}

void vlm_vec3_dot(const vec3 *a, const vec3 *b, vec3 *out)
{
    out->x = (float)((double)a->y * b->z - (double)a->z * b->y);
    out->y = (float)((double)a->z * b->x - (double)a->x * b->z);
    out->z = (float)((double)a->x * b->y - (double)a->y * b->x);
}

void vlm_vec3_normalize(const vec3 *src, vec3 *dst)
{
    double x = src->x, y = src->y, z = src->z;
    float len = (float)sqrt(x * x + y * y + z * z);
    dst->x = (float)(x / len);
    dst->y = (float)(y / len);
    dst->z = (float)(z / len);
}

void vlm_vec3_mult(const vec3 *a, const vec3 *b, vec3 *out)
{
    out->x = (float)((double)a->x * b->x);
    out->y = (float)((double)a->y * b->y);
    out->z = (float)((double)a->z * b->z);
}

// The easing weight: u and w are each rounded to float, and the pi constant is the
// eight-decimal 3.14159265, which the look of every eased camera depends on.
static float cosineWeight(float t)
{
    float u = (float)((double)t * 3.14159265);
    return (float)((1.0 - cos((double)u)) * 0.5);
}

static float blend(float a, float b, float w)
{
    return (float)((1.0 - (double)w) * (double)a + (double)w * (double)b);
}

vec3 *vlm_vec3_cos_interpolate(const vec3 *a, const vec3 *b, vec3 *out, float t)
{
    float w = cosineWeight(t);
    out->x = blend(a->x, b->x, w);
    out->y = blend(a->y, b->y, w);
    out->z = blend(a->z, b->z, w);
    return out;
}

void vlm_vec3_linear_interpolate(const vec3 *a, const vec3 *b, vec3 *out, float t)
{
    out->x = (float)((double)a->x + ((double)b->x - a->x) * t);
    out->y = (float)((double)a->y + ((double)b->y - a->y) * t);
    out->z = (float)((double)a->z + ((double)b->z - a->z) * t);
}

float vlm_cos_interpolate(float a, float b, float t)
{
    return blend(a, b, cosineWeight(t));
}

float vlm_sawWave(float x)
{
    float fraction = x - truncf(x);
    return 1.0f - fraction;
}

static float bezierComponent(float p0, float p1, float p2, float t)
{
    double s = 1.0 - (double)t;
    return (float)((double)p0 * t * t + (double)p1 * 2.0 * t * s + (double)p2 * s * s);
}

vec3 *vlm_bezierCurve(vec3 p0, vec3 p1, vec3 p2, vec3 *out, float t)
{
    out->x = bezierComponent(p0.x, p1.x, p2.x, t);
    out->y = bezierComponent(p0.y, p1.y, p2.y, t);
    out->z = bezierComponent(p0.z, p1.z, p2.z, t);
    return out;
}

static void vertexAt(const vec3 *p, float dy, float dz)
{
    glVertex3f(p->x, p->y + dy, p->z + dz);
}

// One segment of the tube: the four edges offset by (0,0,0), (0,1,0), (0,1,1), (0,0,1).
static void drawTubeSegment(const vec3 *p, const vec3 *q)
{
    static const float offsets[5][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i < 5; i++) {
        vertexAt(p, offsets[i][0], offsets[i][1]);
        vertexAt(q, offsets[i][0], offsets[i][1]);
    }
    glEnd();
}

void vlm_draw3DSpline(vec3 p0, vec3 p1, vec3 p2, float step, float end)
{
    vec3 previous = {0, 0, 0}, current = {0, 0, 0};
    // t is a float stepped by a float: the segment count follows its rounding. The threshold
    // is compared in double: a float 3 * step can round to meet t one step early.
    const double firstDrawn = 3.0 * (double)step;
    for (float t = 0.0f; end >= t; t += step) {
        previous = current;
        vlm_bezierCurve(p0, p1, p2, &current, t);
        if ((double)t >= firstDrawn) {
            drawTubeSegment(&previous, &current);
            if (t >= 1.0f) break;
        }
    }
}
