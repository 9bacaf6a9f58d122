// Music glue over the sound back end (stubs being filled in).
#include "vlm.h"

void vlm_loadMusic(const char *) {}
void vlm_startMusic(void) {}
void vlm_sound_getSpectrum(float *, float *, int) {}
void vlm_fmod_errcheck(int) {}
