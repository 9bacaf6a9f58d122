// Gyro loader and typewriter (stub until the drawing lands).
#include "effects_gyro.h"

void vlm_drawCircle(float) {}
void vlm_drawLoadingCircle(float, float) {}
void vlm_drawGyroLoader(float, float) {}
void vlm_typeWriterText(const char *, float, float, float) {}
bool vlm_typeWriterStep(VlmTypeWriter *, const char *, int) { return false; }
