// The demo's timeline: the state drawScene keeps (scene time table, current scene, the ids
// loading creates, the post-processing record and the screen-effect values), the staged
// loading and its bar, the hand-over to playback, the scene changes and the post chain.
// The arithmetic is plain functions without GL so that tests drive the director on the
// silent clock; the GL parts draw with the framework. All times are seconds (float) unless
// a name says ms. Sources: director.cpp (state, arithmetic), director_loading.cpp (stages,
// loading screen), director_chain.cpp (scene post pass, chain, accumulation),
// director_geometry.cpp (the counted geometry of scenes 0 and 1).
//
// Index: director state | screen effects and VLM_PP | resource ids | loading | hand-over and
// scene changes | scene values | GL passes | geometry
#pragma once

// ---------------------------------------------------------------- director state
#define DIRECTOR_SCENE_SLOTS 12 // entries of sceneTime; scenes 0..6 are set, the rest stay 0
#define DIRECTOR_SCENES 7       // scene blocks 0..6

extern float sceneTime[DIRECTOR_SCENE_SLOTS]; // duration of each scene, seconds
// The durations loading stage 1 stores into sceneTime, seconds: 216 s in all.
extern const float SCENE_DURATIONS[DIRECTOR_SCENES];
extern int queue;             // current scene; -1 while loading (no block runs)
extern float loadingTime;     // music time (s) at which the current scene began
extern int songStartPosition; // ms at which playback starts for a start scene above 0
extern int loaded;            // 0 while loading, 1 once playback has been handed over
extern float mblur;           // motion-blur factor of the accumulation step (always 0)
extern float gColor;          // grey level of the window clear colour (never changed)

// ---------------------------------------------------------------- screen effects, chain record
// Set by every scene block, read by the final pass ("rgb_ammount", "dist_ammount",
// "wobble_ammount", "fade"); VLM_SCREEN_FADE is never set and stays 0.
extern float VLM_SCREEN_RGBDIST, VLM_SCREEN_DIST, VLM_SCREEN_WOBBLE, VLM_SCREEN_FADE;

enum { PP_TARGET = 0, PP_TEXTURE0 = 1, PP_TEXTURE1 = 2, PP_PROGRAM = 3 };
// Five entries of {render target, colour texture 0, colour texture 1, program}: entry 0 takes
// the scenes' post passes, 1..3 the bright pass and the two blurs, 4 (no target) the final pass.
extern int VLM_PP[5][4];

// ---------------------------------------------------------------- resource ids (loading stage 1)
extern int scene0_shader, post0_shader, scene0_shader2, fbo0;
extern int scene1_shader, post1_shader, scene1_shader2, spikepelare1, camera1, camera_prop1, fbo1;
extern unsigned suntex1; // GL texture name
extern int scene2_shader, post2_shader, scene2_shader2, spikepelare2, smile2, fbo2;
extern int scene3_shader, post3_shader, scene3_shader2, fbo3;
extern int scene4_shader, post4_shader, scene4_shader2, scene4_shader2_1, bug_wheel4, bug_body4,
    fbo4;
extern int scene5_shader, post5_shader, scene5_shader2, scene5_shader2_1, reactor5, fbo5;
extern int scene6_shader, post6_shader, scene6_shader2, scene6_shader2_1, pipe6, ring6, fbo6;

// ---------------------------------------------------------------- loading
// Stage counters (tested and incremented, in this order, each frame while loading) and the
// bar length in the units of the bar's x axis.
extern int l_texture, l_shader, l_models, l_music, l_fbo;
extern float progress;

// Examines the stage counters in order, incrementing each examined one; returns the stage
// (1..5) whose counter was 0, or 0 when every stage has run.
int loading_selectStage(void);
// Bar arithmetic of one loading frame for window width W (pixels): W / 102 after a stage,
// then 0.2 while W / 17 >= progress. Returns 1 when loading is complete (progress > W / 17).
int loading_advanceBar(int stageRan, float W);
// Restarts loading from frame 1 (tests only; the demo loads once).
void loading_reset(void);

// The stages' work at the current window size; each stores the ids it creates as listed.
void loading_stageScenes(void);  // stage 1: every scene's programs, models, texture, target
void loading_stageChain(void);   // stage 2: the five chain programs
void loading_stageMusic(void);   // stage 4: "data/tune.mp3"
void loading_stageTargets(void); // stage 5: chain targets 0..3
// One loading frame: the selected stage, the bar arithmetic and the ribbon drawn into the
// window. Returns 1 in the frame in which loading completes.
int loadingFrame(void);
// The white noise ribbon from x0 = -W / 34 to x0 + progress (current matrices).
void loading_drawRibbon(float W);

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
// duration). Scene 6 running out is DEMO_END (queue and loadingTime unchanged).
SceneChange director_sceneChange(int N, float t);
// Runs the scene blocks 0..6 in order; block N runs when queue equals N at its test, so a
// forward change lets the next block run in the same frame.
void director_runBlocks(void (*const blocks[DIRECTOR_SCENES])(void));

// ---------------------------------------------------------------- scene values
// Screen-effect values of scenes 0..2 from noise of the scene time t.
void director_screenEffects(float t);
float scene0_fade(float t);       // 0 -> 1 over 5 s, 1, then (t - 25) + 1 after 25 s
float scene1_fade(float t);       // 11 -> 1 in the first second, 1, then 1 -> -1 after 13 s
float scene1_swing(float t);      // M = 5 cos(3.4 (t + 1)) clamped to [-2.5, 2.5]
float scene1_rowDistance(float t, int i); // d(i) = 10 i + (24 t - 10 n), n = trunc(2.4 t)

// ---------------------------------------------------------------- GL passes (director_chain.cpp)
// A scene's post pass: VLM_PP entry 0's target (both textures, cleared white) receives
// `fbotex` through program `postShader` with "fade" = fade.
void director_scenePostPass(int postShader, float fade, unsigned fbotex);
// Passes 1..3 into VLM_PP targets 1..3 ("Width" = W, "Height" = H), then the final composite
// onto the window with black bands of 5 % of the height at top and bottom.
void director_postChain(int W, int H);
// The accumulation step with mblur, then the buffer swap.
void director_accumulateAndSwap(void);

// ---------------------------------------------------------------- geometry (director_geometry.cpp)
// Scene 0's plane: one GL_QUADS batch of cells `cell` wide over x, z in [-100, 100) with
// single-precision counters (667 x 667 for 0.3). Returns the number of quads issued.
int scene0_drawPlane(float cell);
// Scene 1's twenty rings of cubes (101 per ring, the last on the first) of radius
// 2 M + 20, turning with t. Returns the number of cubes drawn.
int scene1_drawRings(float t, float M);
