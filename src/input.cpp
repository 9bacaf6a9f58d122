// Keyboard, mouse and camera editor (stubs being filled in).
#include "vlm.h"

int VLM_KEYSTATE[2];
int VLM_EDIT_MOUSE[5];

void vlm_handleKeypress(unsigned char, int, int) {}
void vlm_handleKeyRelease(unsigned char, int, int) {}
void vlm_handleSpecialKeys(int, int, int) {}
void vlm_handleMouseState(int, int, int, int) {}
void vlm_handleMouseMove(int, int) {}
void vlm_initEditMode(void) {}
void vlm_moveEditCamera(void) {}
