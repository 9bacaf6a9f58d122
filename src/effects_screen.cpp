// Screen quads and overlay text (stub until the routines land).
#include "effects_screen.h"
void vlm_renderFullscreen(unsigned) {}
void vlm_drawPolygonText(const char *, float, float, float) {}
void vlm_infoText(float, float) {}
void vlm_renderFullscreenDouble(unsigned, unsigned) {}
void vlm_renderFullscreenTriple(unsigned, unsigned, unsigned) {}
void vlm_draw2DTexture(float, float, float, float, float, unsigned) {}
