/// @file
/// Vector math, interpolation and curves: vec3/vec3i, component-wise operations, cosine
/// and linear interpolation, a saw wave, a quadratic Bezier curve and a tube drawn along it.
/// Nothing here allocates; results go through caller-given output addresses. Owns nothing and
/// reads no files; only vlm_draw3DSpline touches GL.
#pragma once

/// A point or direction in model units, or three angles in radians (camera tracks).
struct vec3 { /** @{ */ /** One component each. */ float x, y, z; /** @} */ };
/// Three integers.
struct vec3i { /** @{ */ /** One component each. */ int x, y, z; /** @} */ };

/// out = a + b per component (wrapping int arithmetic).
void vlm_vec3i_add(const vec3i *a, const vec3i *b, vec3i *out);
/// out = a * b per component.
void vlm_vec3i_mult(const vec3i *a, const vec3i *b, vec3i *out);
/// out = a + (b - a) * t per component, truncated toward zero.
void vlm_vec3i_linear_interpolate(const vec3i *a, const vec3i *b, vec3i *out, float t);
/// The cross product a x b (despite the name); out must not be a or b.
void vlm_vec3_dot(const vec3 *a, const vec3 *b, vec3 *out);
/// dst = src / |src|; the zero vector gives non-numbers.
void vlm_vec3_normalize(const vec3 *src, vec3 *dst);
/// out = a * b per component.
void vlm_vec3_mult(const vec3 *a, const vec3 *b, vec3 *out);
/// Cosine easing from a (t = 0) to b (t = 1) per component; returns out.
vec3 *vlm_vec3_cos_interpolate(const vec3 *a, const vec3 *b, vec3 *out, float t);
/// out = a + (b - a) t per component; t is not clamped.
void vlm_vec3_linear_interpolate(const vec3 *a, const vec3 *b, vec3 *out, float t);
/// (1 - w) a + w b with the cosine weight w of t; t = 2 gives a again.
float vlm_cos_interpolate(float a, float b, float t);
/// 1 - fractional part of x (truncated toward zero): falls 1 -> 0 over each unit.
float vlm_sawWave(float x);
/// p0 t^2 + p1 2t(1-t) + p2 (1-t)^2: t = 0 gives p2, t = 1 gives p0; returns out.
vec3 *vlm_bezierCurve(vec3 p0, vec3 p1, vec3 p2, vec3 *out, float t);
/// Draws the curve as a square tube of side 1 (GL_QUAD_STRIPs, no normals) with the current
/// transform and colour, t from 0 by step to end.
void vlm_draw3DSpline(vec3 p0, vec3 p1, vec3 p2, float step, float end);
