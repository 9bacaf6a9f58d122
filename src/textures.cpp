// Textures, screenshots and capture (stub until the loaders land).
#include "textures.h"
unsigned vlm_loadPNG(const char *) { return 0; }
void vlm_screenshot(int, int, const char *, int) {}
void vlm_captureStep(void) {}
unsigned vlm_loadTGA(const char *) { return 0; }
unsigned vlm_loadBlack(void) { return 0; }
VlmImage vlm_decodePNG(const unsigned char *, size_t, const char *) { return {false, "", 0, 0, 4, {}}; }
VlmImage vlm_decodeTGA(const unsigned char *, size_t, const char *) { return {false, "", 0, 0, 3, {}}; }
