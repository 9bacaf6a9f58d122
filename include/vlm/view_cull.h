/// @file view_cull.h
/// View culling: whether a box of the current object space can show anything under the current
/// model-view and projection matrices. For drawing that places vertices with those matrices
/// (fixed-function drawing, and programs that use gl_ModelViewProjectionMatrix); a piece found
/// outside produces no pixel, so it need not be sent. The framework's own model and quad
/// drawing cull this way; a demo uses it for geometry it sends itself, many pieces under one
/// matrix (read the matrix once, then test every piece).
#pragma once

/// Reads GL's current projection and model-view matrices (glGetFloatv) and writes their
/// product, projection times model-view, to `clip`: column-major, as GL keeps matrices.
/// Needs a current GL context; changes no GL state. The result holds for the matrices as they
/// are now: read it again after a glTranslate, glRotate, glLoadIdentity or the like.
void vlm_viewClipMatrix(float clip[16]);

/// Whether the box with corners `lo` and `hi` (object units, lo <= hi on every axis) lies
/// wholly outside the view volume of `clip` (from vlm_viewClipMatrix), with a margin of 2 % of
/// the volume on every side, so that a piece touching the border is always drawn.
/// Returns 1 when it is outside (nothing of it can show), 0 when some of it may show. Pure
/// arithmetic: reads no GL state.
int vlm_boxOutsideClip(const float clip[16], const float lo[3], const float hi[3]);
