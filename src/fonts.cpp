// Texture strip font (stub until the loader lands).
#include "fonts.h"

int FONTLIST = 0;
int FONTQ = 0;
int vlm_loadTextureFont(const char *, int) { return 0; }
void vlm_text(const char *, float, float, float, float, float, float, float) {}
void vlm_testTextureFont(void) {}
