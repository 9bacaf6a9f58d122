// Sound back end (stubs being filled in).
#include "audio.h"

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM **) { return FMOD_ERR_OUTPUT_INIT; }
FMOD_RESULT FMOD_System_GetVersion(FMOD_SYSTEM *, unsigned int *) { return FMOD_ERR_INVALID_HANDLE; }
FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM *, int, FMOD_INITFLAGS, void *) { return FMOD_ERR_INVALID_HANDLE; }
FMOD_RESULT FMOD_System_CreateSound(FMOD_SYSTEM *, const char *, FMOD_MODE, void *, FMOD_SOUND **) { return FMOD_ERR_INVALID_HANDLE; }
FMOD_RESULT FMOD_Sound_GetLength(FMOD_SOUND *, unsigned int *, FMOD_TIMEUNIT) { return FMOD_ERR_INVALID_HANDLE; }
FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM *, FMOD_CHANNELINDEX, FMOD_SOUND *, FMOD_BOOL, FMOD_CHANNEL **) { return FMOD_ERR_INVALID_HANDLE; }
FMOD_RESULT FMOD_Channel_GetPosition(FMOD_CHANNEL *, unsigned int *p, FMOD_TIMEUNIT) { if (p) *p = 0; return FMOD_ERR_INVALID_HANDLE; }
FMOD_RESULT FMOD_Channel_SetPosition(FMOD_CHANNEL *, unsigned int, FMOD_TIMEUNIT) { return FMOD_ERR_INVALID_HANDLE; }
FMOD_RESULT FMOD_Channel_GetPaused(FMOD_CHANNEL *, FMOD_BOOL *p) { if (p) *p = 0; return FMOD_ERR_INVALID_HANDLE; }
FMOD_RESULT FMOD_Channel_SetPaused(FMOD_CHANNEL *, FMOD_BOOL) { return FMOD_ERR_INVALID_HANDLE; }
FMOD_RESULT FMOD_Channel_GetSpectrum(FMOD_CHANNEL *, float *, int, int, FMOD_DSP_FFT_WINDOW) { return FMOD_ERR_INVALID_HANDLE; }
const char *FMOD_ErrorString(FMOD_RESULT r) { return r == FMOD_OK ? "No errors." : "Unknown error."; }
int vlm_audio_outputKind(FMOD_SYSTEM *) { return 0; }
