// The director: the scene table, the timeline state, the hand-over to playback and the
// scene changes. No GL here.
#include "director.h"
#include "scenes.h"
#include <vlm/vlm.h>
#include <cstdio>

// ---------------------------------------------------------------- scene table

// Every scene change falls on a section boundary of the music (tools/score.h).
#define DIRECTOR_ROW_ADDRESS(row) &row,
const SceneRow *const SCENES[DIRECTOR_SCENES] = {DIRECTOR_TABLE(DIRECTOR_ROW_ADDRESS)};
#undef DIRECTOR_ROW_ADDRESS

int director_sceneStartMs(int N)
{
    int ms = 0;
    for (int i = 0; i < N && i < DIRECTOR_SCENES; i++) ms = (int)(ms + SCENES[i]->seconds * 1000.0);
    return ms;
}

void director_printTimeline(void)
{
    for (int N = 0; N < DIRECTOR_SCENES; N++)
        printf("scene %d %s %d %d\n", N, SCENES[N]->name, director_sceneStartMs(N),
               director_sceneStartMs(N + 1) - director_sceneStartMs(N));
    printf("length %d\n", director_sceneStartMs(DIRECTOR_SCENES));
    fflush(stdout);
}

// ---------------------------------------------------------------- director state

float sceneTime[DIRECTOR_SCENE_SLOTS];
int queue = -1;
float loadingTime = 0;
int songStartPosition = 0;
int loaded = 0;
float mblur = 0;
float gColor = 0;

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
    queue = (int)vlm_Get(VLM_GET_START_SCENE);
    loaded++;
    for (int i = 0; i < DIRECTOR_PRINTED_SLOTS; i++) {
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
    return vlm_Get(VLM_GET_TIME_MS) / 1000 - loadingTime;
}

int director_heldWindow(unsigned int, unsigned int *startMs, unsigned int *endMs)
{
    if (!loaded || queue < 0 || queue >= DIRECTOR_SCENES) return -1;
    double start = loadingTime * 1000.0;
    *startMs = start > 0 ? (unsigned int)start : 0;
    *endMs = (unsigned int)(start + sceneTime[queue] * 1000.0);
    return queue;
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

void director_runBlocks(void (*block)(int N))
{
    for (int N = 0; N < DIRECTOR_SCENES; N++)
        if (queue == N) block(N);
}
