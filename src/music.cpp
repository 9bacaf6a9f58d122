// Music: opens the song as a stream during loading, starts it (or the silent clock) when the demo
// starts, and turns every failure of the sound back end into a fatal message.
#include "vlm.h"
#include "audio.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

void vlm_fmod_errcheck(int result)
{
    if (result == FMOD_OK) return;
    printf("[!] FMOD error! (%d) %s\n", result, FMOD_ErrorString(result));
    fflush(stdout);
    exit(-1);
}

void vlm_loadMusic(const char *path)
{
    if (!SOUND_ON) return;
    vlm_fmod_errcheck(FMOD_System_Create(&system0));
    vlm_fmod_errcheck(FMOD_System_GetVersion(system0, &version0));
    vlm_fmod_errcheck(FMOD_System_Init(system0, 1, FMOD_INIT_NORMAL, nullptr));
    vlm_fmod_errcheck(FMOD_System_CreateSound(system0, path,
                                              FMOD_2D | FMOD_SOFTWARE | FMOD_CREATESTREAM,
                                              nullptr, &sound0));
}

void vlm_startMusic(void)
{
    if (CAPTURE) return;
    if (!SOUND_ON) {
        SOUND_MUTE_START += 1;
        return;
    }
    if (!system0) {
        printf("[/] No soundfile loaded.\n");
        return;
    }
    FMOD_Sound_GetLength(sound0, &SONGLENGTH, FMOD_TIMEUNIT_MS);
    vlm_fmod_errcheck(FMOD_System_PlaySound(system0, FMOD_CHANNEL_FREE, sound0, 0, &channel0));
}

void vlm_sound_getSpectrum(float *spectrumRight, float *spectrumLeft, int count)
{
    if (count <= 0) return;
    FMOD_BOOL paused = 0;
    FMOD_Channel_GetPaused(channel0, &paused);
    if (paused) {
        memset(spectrumRight, 0, sizeof(float) * count);
        memset(spectrumLeft, 0, sizeof(float) * count);
        return;
    }
    printf("getting spectrum\n");
    FMOD_Channel_GetSpectrum(channel0, spectrumLeft, count, 0, FMOD_DSP_FFT_WINDOW_BLACKMAN);
    FMOD_Channel_GetSpectrum(channel0, spectrumRight, count, 1, FMOD_DSP_FFT_WINDOW_BLACKMAN);
}
