// The director's state and arithmetic: scene time table, loading counters and bar, the
// hand-over to playback and the scene changes. No GL here.
#include "director.h"
#include "noise.h"
#include "vlm.h"
#include <cmath>
#include <cstdio>

float sceneTime[DIRECTOR_SCENE_SLOTS];
// Every scene change falls on a bar line of the music (128 bpm, 1.875 s a bar).
const float SCENE_DURATIONS[DIRECTOR_SCENES] = {30.0f, 15.0f, 30.0f, 7.5f, 45.0f, 22.5f, 66.0f};
int queue = -1;
float loadingTime = 0;
int songStartPosition = 0;
int loaded = 0;
float mblur = 0;
float gColor = 0;

float VLM_SCREEN_RGBDIST = 0, VLM_SCREEN_DIST = 0, VLM_SCREEN_WOBBLE = 0, VLM_SCREEN_FADE = 0;
int VLM_PP[5][4];

int l_texture, l_shader, l_models, l_music, l_fbo;
float progress = 0;

// ---------------------------------------------------------------- loading

int loading_selectStage(void)
{
    int *counters[5] = {&l_texture, &l_shader, &l_models, &l_music, &l_fbo};
    for (int stage = 0; stage < 5; stage++)
        if ((*counters[stage])++ == 0) return stage + 1;
    return 0;
}

int loading_advanceBar(int stageRan, float W)
{
    if (stageRan) progress += W / 34 * 2 / 6;
    // Growth includes equality so that a bar that lands exactly on W / 17 still completes.
    if (W / 34 * 2 * 6 / 6 >= progress) progress += 0.2f;
    return progress > W / 34 * 2;
}

void loading_reset(void)
{
    l_texture = l_shader = l_models = l_music = l_fbo = 0;
    progress = 0;
}

// ---------------------------------------------------------------- hand-over and scene changes

int director_startPosition(int startScene)
{
    int scenes = startScene < DIRECTOR_SCENE_SLOTS ? startScene : DIRECTOR_SCENE_SLOTS;
    int ms = 0;
    for (int i = 0; i < scenes; i++) ms += (int)sceneTime[i] * 1000; // whole seconds only
    return ms;
}

void director_handOver(void)
{
    queue = (int)vlm_Get(4);
    loaded++;
    for (int i = 0; i < 10; i++) {
        if (sceneTime[i] == 0) continue;
        printf("sceneTime[%d] = %f\n", i, sceneTime[i]);
        vlm_setDemoLength(sceneTime[i]);
    }
    fflush(stdout);
    vlm_startMusic();
    if (queue > 0) {
        printf("## got queue %d\n", queue);
        songStartPosition += director_startPosition(queue);
        printf("song start pos = %d\n", songStartPosition);
        fflush(stdout);
        vlm_skipTo(songStartPosition);
        loadingTime = songStartPosition / 1000;
    }
}

float director_sceneClock(void)
{
    return vlm_Get(5) / 1000 - loadingTime;
}

SceneChange director_sceneChange(int N, float t)
{
    if (t > sceneTime[N]) {
        queue = N + 1;
        loadingTime += sceneTime[N];
        return N == DIRECTOR_SCENES - 1 ? DEMO_END : SCENE_FORWARD;
    }
    if (N > 0 && t < -3) {
        queue = N - 1;
        loadingTime -= sceneTime[N - 1];
        return SCENE_BACK;
    }
    return SCENE_STAYS;
}

void director_runBlocks(void (*const blocks[DIRECTOR_SCENES])(void))
{
    for (int N = 0; N < DIRECTOR_SCENES; N++)
        if (queue == N) blocks[N]();
}

// ---------------------------------------------------------------- scene values

void director_screenEffects(float t)
{
    VLM_SCREEN_RGBDIST = vlm_perlin2DNoise(0, 30 * t, 123) * 10;
    VLM_SCREEN_DIST = vlm_perlin2DNoise(0, 30 * t, 123) * 0.1f;
    VLM_SCREEN_WOBBLE = vlm_perlin2DNoise(0, 0.01f * t, 123);
}

float scene0_fade(float t)
{
    float fade = t * 0.2f < 1 ? t * 0.2f : 1;
    if (t > 25) fade = (t - 25) + 1;
    return fade;
}

float scene1_fade(float t)
{
    float fade = t < 1 ? (1 - t) * 10 + 1 : 1;
    if (t > 13) fade = 1 - (t - 13);
    return fade;
}

float scene1_swing(float t)
{
    float M = (float)(5 * cos(3.4 * (t + 1)));
    if (M > 2.5f) M = 2.5f;
    if (M < -2.5f) M = -2.5f;
    return M;
}

float scene1_rowDistance(float t, int i)
{
    int n = (int)(t * 24 / 10); // toward zero, also for negative scene times
    return 10 * i + (24 * t - 10 * n);
}
