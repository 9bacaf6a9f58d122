// Screen quads and overlay text: full-viewport textured quads (one, two or three texture
// units), a textured rectangle, and polygon-glyph text from "tools/crounded.ttf"
// (one font, made on the first text call and kept for the run).
#pragma once

// Pushes identity model-view and projection matrices (vertices are then device coordinates),
// leaving the matrix mode GL_PROJECTION; the pop restores both and leaves GL_MODELVIEW.
void vlm_pushScreenMatrices(void);
void vlm_popScreenMatrices(void);
// Draws `texture` over the whole viewport in white; both matrix stacks are restored and
// the matrix mode is left GL_MODELVIEW. Texture row 0 lands at the bottom.
void vlm_renderFullscreen(unsigned texture);
// Draws `string` as one line of polygon glyphs (1 em = 4 units) from (x, y, z) of the
// current model-view transform. A missing font file: "[!] " and status 255.
void vlm_drawPolygonText(const char *string, float x, float y, float z);
// Overlay hook: draws nothing.
void vlm_infoText(float x, float y);
// Full-viewport quad with t0 on unit 0 and t1 on unit 1; unit 1 is left active.
void vlm_renderFullscreenDouble(unsigned texture0, unsigned texture1);
// As above with t2 on unit 2; unit 2 is left active.
void vlm_renderFullscreenTriple(unsigned texture0, unsigned texture1, unsigned texture2);
// A textured rectangle of half sizes (halfWidth, halfHeight) at (x, y, z), turned upside
// down about the x axis, with linear filtering.
void vlm_draw2DTexture(float x, float y, float z, float halfWidth, float halfHeight,
                       unsigned texture);
