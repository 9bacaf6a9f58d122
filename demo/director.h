// The demo's timeline: the scene table (durations, loading steps, blocks), the current scene
// and the music time it began at, the hand-over from loading to playback and the scene
// changes. The arithmetic is plain functions without GL so that tests drive the director on
// the silent clock. All times are seconds (float) unless a name says ms.
//
// Index: scene table | director state | hand-over and scene changes
#pragma once
#include <cstdlib>

// ---------------------------------------------------------------- scene table
#define DIRECTOR_SCENE_SLOTS 12 // entries of sceneTime; scenes 0..6 are set, the rest stay 0
#define DIRECTOR_SCENES 7       // scene blocks 0..6

// The durations loading stage 1 stores into sceneTime, seconds: 216 s in all.
extern const float SCENE_DURATIONS[DIRECTOR_SCENES];
// Each scene's loading step, run in this order by loading stage 1.
extern void (*const SCENE_LOADS[DIRECTOR_SCENES])(void);
// Each scene's block, run by drawScene while `queue` equals its number.
extern void (*const SCENE_BLOCKS[DIRECTOR_SCENES])(void);

// ---------------------------------------------------------------- director state
extern float sceneTime[DIRECTOR_SCENE_SLOTS]; // duration of each scene, seconds
extern int queue;             // current scene; -1 while loading (no block runs)
extern float loadingTime;     // music time (s) at which the current scene began
extern int songStartPosition; // ms at which playback starts for a start scene above 0
extern int loaded;            // 0 while loading, 1 once playback has been handed over
extern float mblur;           // motion-blur factor of the accumulation step (always 0)
extern float gColor;          // grey level of the window clear colour (never changed)

// ---------------------------------------------------------------- hand-over and scene changes
// Start position in ms for start scene `startScene`: the whole seconds of the durations of
// the scenes before it, summed over at most the DIRECTOR_SCENE_SLOTS entries of the table.
int director_startPosition(int startScene);
// The hand-over in the frame loading completes: queue = start scene, loaded = 1, the
// "sceneTime[%d] = %f" lines and demo lengths, music start, and the seek for a start scene.
void director_handOver(void);
// Seconds since the current scene began: the demo clock in seconds minus loadingTime.
float director_sceneClock(void);

enum SceneChange { SCENE_STAYS = 0, SCENE_FORWARD, SCENE_BACK, DEMO_END };
// The end-of-block test of scene N at scene time t: past its duration the next scene takes
// over (loadingTime += duration); scenes 1..6 below -3 s step back (loadingTime -= previous
// duration). Scene 6 running out is DEMO_END, after the same hand-over (queue 7, loadingTime
// past the demo), so the process ends with the clock where the next scene would begin.
SceneChange director_sceneChange(int N, float t);
// Runs the scene blocks 0..6 in order; block N runs when queue equals N at its test, so a
// forward change lets the next block run in the same frame.
void director_runBlocks(void (*const blocks[DIRECTOR_SCENES])(void));

// The end-of-block scene change of scene N at scene time t; the end of the demo ends the
// process at once with status 0 (that frame is neither post-processed nor shown).
inline void sceneChange(int N, float t)
{
    if (director_sceneChange(N, t) == DEMO_END) exit(0);
}
