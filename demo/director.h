// The demo's timeline: the scene table (one row per scene, each defined in its scene file),
// the current scene
// and the music time it began at, the hand-over from loading to playback and the scene
// changes. The arithmetic is plain functions without GL so that tests drive the director on
// the silent clock. All times are seconds (float) unless a name says ms.
//
// Index: scene table | director state | hand-over and scene changes
#pragma once

// ---------------------------------------------------------------- scene table
// The scenes in playing order, one line each: the row its scene file defines. Everything that
// knows a scene's place in time (its start, the scene count, the demo's length) reads it from
// here; `demo --timeline` prints it for scripts and tests.
#define DIRECTOR_TABLE(SCENE)      \
    SCENE(SCENE0_OPENING)          \
    SCENE(SCENE1_WHITE_CORRIDOR)   \
    SCENE(SCENE2_DARK_CORRIDOR)    \
    SCENE(SCENE3_CRASH)            \
    SCENE(SCENE4_ROAD)             \
    SCENE(SCENE5_REACTORS)         \
    SCENE(SCENE6_TUNNEL)           \
    /* the end of the table */

#define DIRECTOR_COUNT_ROW(row) +1
constexpr int DIRECTOR_SCENES = 0 DIRECTOR_TABLE(DIRECTOR_COUNT_ROW);
#undef DIRECTOR_COUNT_ROW
// Entries of sceneTime: the scenes' lengths, the rest stay 0.
constexpr int DIRECTOR_SCENE_SLOTS = 12;
// The hand-over prints and registers the lengths of the first ten entries only.
constexpr int DIRECTOR_PRINTED_SLOTS = 10;
static_assert(DIRECTOR_SCENES <= DIRECTOR_PRINTED_SLOTS &&
                  DIRECTOR_PRINTED_SLOTS <= DIRECTOR_SCENE_SLOTS,
              "the hand-over would leave a scene's length unregistered");

struct GridRecording;

// The ids every scene's loading step makes; a scene's own ids extend these (scenes.h).
// -1 means not made yet.
struct SceneIds {
    int scene = -1;  // program from scene0.*: scene 0's plane draws with it, the others keep it
    int post = -1;   // its post program, which carries the picture into the chain
    int target = -1; // its render target, of the window's size
};

// The values one frame of a scene is drawn from.
struct SceneFrame {
    float t = 0;         // scene time, seconds
    bool played = false; // a played frame: the view follows camera slot 0 and the particle
                         // systems advance; the warm-up keeps its own view and draws none
};

// One scene: everything the director, loading and the warm-up know of it.
struct SceneRow {
    float seconds = 0;          // its length, stored into sceneTime by loading stage 1
    float paper = 0;            // 0 dark, 1 light: its target's clear grey and the post "paper"
    const char *track = nullptr; // camera track file put on slot 0 on its first frame
    float warmTime = 1;         // a scene time (s) at which every part of its picture is drawn
    void (*load)(void) = nullptr;       // loading step: programs, models, textures
    void (*firstFrame)(void) = nullptr; // first-frame work before the track (or none)
    void (*screen)(float t) = nullptr;  // sets the final pass's distortion values at time t
    float (*fade)(float t) = nullptr;   // the post pass's "fade" at time t
    void (*draw)(const SceneFrame &frame) = nullptr; // the frame, into the bound target
    GridRecording *grids[2] = {};       // recorded after the loading stages, in this order
    SceneIds *ids = nullptr;            // the ids its loading step made; loading adds the target
    const char *name = nullptr;         // one word: `demo --timeline` prints it
};

#define DIRECTOR_DECLARE_ROW(row) extern const SceneRow row;
DIRECTOR_TABLE(DIRECTOR_DECLARE_ROW)
#undef DIRECTOR_DECLARE_ROW
// The scenes in playing order; their ids are made in this order too.
extern const SceneRow *const SCENES[DIRECTOR_SCENES];
// Where scene N begins on the demo clock, in ms: the lengths before it summed as the framework
// sums the demo's length (truncated to ms after each scene). N = DIRECTOR_SCENES gives the
// demo's length.
int director_sceneStartMs(int N);
// `demo --timeline`: one "scene INDEX NAME START_MS LENGTH_MS" line per scene, then
// "length TOTAL_MS", to standard output.
void director_printTimeline(void);

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
// the scenes before it, summed over at most the DIRECTOR_SCENE_SLOTS entries of sceneTime.
int director_startPosition(int startScene);
// The hand-over in the frame loading completes: queue = start scene, loaded = 1, the
// "sceneTime[%d] = %f" lines and demo lengths, music start, and the seek for a start scene.
void director_handOver(void);
// Seconds since the current scene began: the demo clock in seconds minus loadingTime.
float director_sceneClock(void);
// The live hold's window: the scene the director is playing, from where it began (loadingTime)
// for its length, in ms of the demo clock. Returns the scene, or -1 before playback.
int director_heldWindow(unsigned int ms, unsigned int *startMs, unsigned int *endMs);

enum SceneChange { SCENE_STAYS = 0, SCENE_FORWARD, SCENE_BACK, DEMO_END };
// The end-of-block test of scene N at scene time t: past its duration the next scene takes
// over (loadingTime += duration); scenes after the first below -3 s step back
// (loadingTime -= previous duration). The last scene running out is DEMO_END, after the same
// hand-over (queue past the table, loadingTime past the demo), so the process ends with the
// clock where the next scene would begin.
SceneChange director_sceneChange(int N, float t);
// Runs `block` for the table's scenes in order; scene N's runs when queue equals N at its test, so
// a forward change lets the next scene's block run in the same frame.
void director_runBlocks(void (*block)(int N));
