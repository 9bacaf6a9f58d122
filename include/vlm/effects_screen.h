/// @file
/// Screen quads and overlay text: full-viewport textured quads (one, two or three texture
/// units), a textured rectangle, and polygon-glyph text from "tools/crounded.ttf"
/// (one font, made on the first text call and kept for the run; the path is relative to the
/// working directory). Owns the font. Every call needs a current GL context.
#pragma once

/// Pushes identity model-view and projection matrices (vertices are then device coordinates,
/// -1..1 both ways), leaving the matrix mode GL_PROJECTION: select GL_MODELVIEW before
/// transforming what is drawn.
void vlm_pushScreenMatrices(void);
/// Pops what vlm_pushScreenMatrices pushed: expects GL_PROJECTION selected (as the push left
/// it), pops it, then pops the model-view and leaves GL_MODELVIEW selected.
void vlm_popScreenMatrices(void);
/// Draws `texture` over the whole viewport on the active unit, at depth 0 under the current
/// depth test and program (disable GL_DEPTH_TEST first to draw over a frame); both matrix
/// stacks are restored, the matrix mode is left GL_MODELVIEW, the current colour white and
/// GL_TEXTURE_2D disabled. Texture row 0 lands at the bottom, as render targets store it.
void vlm_renderFullscreen(unsigned texture);
/// Draws `string` as one line of polygon glyphs (1 em = 4 units) from (x, y, z) of the
/// current model-view transform, in the current colour; the matrices are left as they were.
/// A missing font: "[!] Unable to open the font tools/crounded.ttf" and exit -1 (status 255).
void vlm_drawPolygonText(const char *string, float x, float y, float z);
/// Overlay hook: draws nothing and changes nothing.
void vlm_infoText(float x, float y);
/// Full-viewport quad for a program that samples units 0 and 1: texture0 on unit 0, texture1
/// on unit 1, each corner's coordinate on both. Unit 1 is left active, with GL_TEXTURE_2D on
/// the unit active at the call left enabled; matrices as vlm_renderFullscreen.
void vlm_renderFullscreenDouble(unsigned texture0, unsigned texture1);
/// As vlm_renderFullscreenDouble with texture2 on unit 2; unit 2 is left active, with
/// GL_TEXTURE_2D left enabled on unit 1 and on the unit active at the call.
void vlm_renderFullscreenTriple(unsigned texture0, unsigned texture1, unsigned texture2);
/// A textured rectangle of half sizes (halfWidth, halfHeight) in the x-y plane, turned upside
/// down by a half turn about x before it is moved by (-x, -y, z): its centre lands at
/// (-x, y, -z) of the current transform. On the active unit; sets the texture's filtering to
/// linear for good. Matrices left as they were, GL_TEXTURE_2D disabled.
void vlm_draw2DTexture(float x, float y, float z, float halfWidth, float halfHeight,
                       unsigned texture);
