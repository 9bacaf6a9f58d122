/// @file
/// Textured cubes: immediate-mode cubes centred on the origin of the current transform, with
/// one texture on every face or up to three textures on units 0, 1 and 2 for a multi-texturing
/// shader. No normals are given (the current normal applies). Owns nothing, reads no files;
/// needs a current GL context.
#pragma once

/// A cube of half edge `s` with `texture` on every face, bound on unit 0 (made active whichever
/// unit was), in white; unit 0 is left active with GL_TEXTURE_2D disabled, the current colour
/// white.
void vlm_drawTexturedCube(float s, unsigned texture);
/// The same cube; each non-zero texture k is bound on unit k, every corner gives its (u, v) to
/// units 0, 1 and 2. GL_TEXTURE_2D is disabled on all three units after; unit 2 is left active,
/// the current colour white.
void vlm_drawMultiTexturedCube(float s, unsigned texture0, unsigned texture1, unsigned texture2);

/// The 24 corners in GL_QUADS order (front, back, top, bottom, right, left): u, v, then the
/// position in units of s (-1 or 1 per axis).
extern const float VLM_CUBE_CORNERS[24][5];
