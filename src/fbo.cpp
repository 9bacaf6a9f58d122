// Render targets (stub until the targets land).
#include "fbo.h"
int vlm_loadFBO(int, int) { return 0; }
unsigned vlm_enableFBO(int, float, float, float) { return 0; }
void vlm_enableMultiTargetFBO(int, float, float, float, unsigned textures[2]) { textures[0] = textures[1] = 0; }
void vlm_disableFBO(float, float, float) {}
int vlm_loadDepthFBO(int, int) { return 0; }
unsigned vlm_fboTexture(int, int) { return 0; }
