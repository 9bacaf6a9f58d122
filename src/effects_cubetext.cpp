// Cube text (stub until the strokes land).
#include "effects_cubetext.h"

const float char_array[VLM_CUBEFONT_GLYPHS][VLM_CUBEFONT_FLOATS] = {};
void vlm_drawCubeString(const char *, float) {}
void vlm_drawCubeChar(char, float) {}
void vlm_drawCubeLine(const vec3 *, const vec3 *, float, float) {}
int vlm_cubeGlyphPoints(int) { return 0; }
