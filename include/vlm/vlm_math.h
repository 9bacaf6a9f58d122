// Vector math, interpolation and curves: vec3/vec3i, component-wise operations, cosine
// and linear interpolation, a saw wave, a quadratic Bezier curve and a tube drawn along it.
// Nothing here allocates; results go through caller-given output addresses.
#pragma once

struct vec3 { float x, y, z; };
struct vec3i { int x, y, z; };

void vlm_vec3i_add(const vec3i *a, const vec3i *b, vec3i *out);
void vlm_vec3i_mult(const vec3i *a, const vec3i *b, vec3i *out);
// out = a + (b - a) * t per component, truncated toward zero.
void vlm_vec3i_linear_interpolate(const vec3i *a, const vec3i *b, vec3i *out, float t);
// The cross product a x b (despite the name); out must not be a or b.
void vlm_vec3_dot(const vec3 *a, const vec3 *b, vec3 *out);
// dst = src / |src|; the zero vector gives non-numbers.
void vlm_vec3_normalize(const vec3 *src, vec3 *dst);
void vlm_vec3_mult(const vec3 *a, const vec3 *b, vec3 *out);
// Cosine easing from a (t = 0) to b (t = 1) per component; returns out.
vec3 *vlm_vec3_cos_interpolate(const vec3 *a, const vec3 *b, vec3 *out, float t);
void vlm_vec3_linear_interpolate(const vec3 *a, const vec3 *b, vec3 *out, float t);
// (1 - w) a + w b with the cosine weight w of t; t = 2 gives a again.
float vlm_cos_interpolate(float a, float b, float t);
// 1 - fractional part of x (truncated toward zero): falls 1 -> 0 over each unit.
float vlm_sawWave(float x);
// p0 t^2 + p1 2t(1-t) + p2 (1-t)^2: t = 0 gives p2, t = 1 gives p0; returns out.
vec3 *vlm_bezierCurve(vec3 p0, vec3 p1, vec3 p2, vec3 *out, float t);
// Draws the curve as a square tube of side 1 (GL_QUAD_STRIPs), t from 0 by step to end.
void vlm_draw3DSpline(vec3 p0, vec3 p1, vec3 p2, float step, float end);
