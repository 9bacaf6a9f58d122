// Textured cubes (stub until the drawing lands).
#include "effects_cubes.h"

const float VLM_CUBE_CORNERS[24][5] = {};
void vlm_drawTexturedCube(float, unsigned) {}
void vlm_drawMultiTexturedCube(float, unsigned, unsigned, unsigned) {}
