// The demo's seven scenes, one file each (demo/sceneN.cpp): the scene's ids as file-level
// statics, its loading step, its values, its geometry and its block. The director runs the
// loading steps in scene order during loading stage 1 and a block while `queue` equals its
// number. Every block follows the same pattern: scene time t, per-frame values, the opening
// (sceneBegin: camera track on slot 0 on the first frame, mblur = 0, its render target), the
// screen-effect values, its drawing, the scene change test and the post pass into VLM_PP
// entry 0. The programs built from scene01.* mark their pixels as ink (alpha 0): the post
// program draws ink dark on light paper and bright teal on dark paper. Times are scene
// seconds (float).
//
// Index: ids | scene 0 .. scene 6
#pragma once
#include "scene_kit.h"
#include "vlm_math.h"
#include <vector>

// ---------------------------------------------------------------- ids
// The ids a scene's loading step created, each kind in the order it created them.
struct SceneIds {
    std::vector<int> shaders; // programs: scene0.*, post.frag, then the scene's own
    std::vector<int> models;  // OBJ models
    int target;               // its render target, of the window's size
    unsigned texture;         // GL name of its PNG texture; 0 for none
};

// ---------------------------------------------------------------- scene 0: opening grid, 30 s
void scene0_load(void);
extern GridRecording scene0_plane; // recorded by loading after the stages
void sceneBlock0(void);
SceneIds scene0_ids(void);
float scene0_fade(float t); // 0 -> 1 over 5 s, 1, then (t - 25) + 1 after 25 s

// ---------------------------------------------------------------- scene 1: white corridor, 15 s
void scene1_load(void);
void sceneBlock1(void);
SceneIds scene1_ids(void);
float scene1_fade(float t); // 11 -> 1 in the first second, 1, then 1 -> -1 after 13 s

// Twenty rings of cubes at z0 = -200, -180, ..., 180. Returns the cubes drawn (2 020).
int scene1_drawRings(float t, float M);

// ---------------------------------------------------------------- scene 2: dark corridor, 30 s
void scene2_load(void);
void sceneBlock2(void);
SceneIds scene2_ids(void);
float scene2_fade(float t);       // 11 -> 1 over the first second, then 5 to the end
vec3 scene2_wanderPoint(float t); // (noise(t, 0, 32) + 3, noise(t, 0, 44), 0)
// Four boxes per row for the 40 rows of the corridor (the slats plus a larger box).
// Returns the number of boxes drawn (160).
int scene2_drawBoxes(float t, float M);

// Twenty denser rings of cubes at z0 = -100, -90, ..., 90. Returns the cubes drawn (2 020).
int scene2_drawRings(float t, float M);

// ---------------------------------------------------------------- scene 3: system crash, 7.5 s
void scene3_load(void);
void sceneBlock3(void);
SceneIds scene3_ids(void);
float scene3_fade(float t); // 0.4 t up to 1; 0 once t > 6
// VLM_SCREEN_RGBDIST and _DIST grow as noise x 40 x 0.01 t, _WOBBLE follows slow noise;
// past 6 s all three are multiplied by -(t + 5): the inverted burst.
void scene3_screenEffects(float t);
float scene3_cubeHeight(float t, float x); // sin(50 t) x noise(10 t + x, 10 t + x, 42) x t

// ---------------------------------------------------------------- scene 4: car on the road, 45 s
void scene4_load(void);
extern GridRecording scene4_grid; // recorded by loading after the stages
void sceneBlock4(void);
SceneIds scene4_ids(void);
float scene4_fade(float t); // 10 t up to 1 s, then 10
// Three slabs per road row for the 40 rows at bend b. Returns the slabs drawn (120).
int scene4_drawRoad(float t, float b);

// ---------------------------------------------------------------- scene 5: reactors, 22.5 s
void scene5_load(void);
extern GridRecording scene5_strip; // recorded by loading after the stages
void sceneBlock5(void);
SceneIds scene5_ids(void);
float scene5_fade(float t); // t up to 10 s, 10, then falling by 10 per second after 21 s

// The strip at each reactor's foot: `cell`-wide squares from x = -2.5 and w = -0.1 with
// single-precision counters (501 x 21 for 0.01). Returns the quads issued.
int scene5_drawStrip(float cell);

// ---------------------------------------------------------------- scene 6: pipe tunnel, 66 s
void scene6_load(void);
extern GridRecording scene6_strip; // recorded by loading after the stages
void sceneBlock6(void);
SceneIds scene6_ids(void);
// The greetings and credits line: exactly 225 characters, drawn as one line.
extern const char SCENE6_GREETINGS[];
float scene6_travel(float t); // s = t + 0.1 sin(6.8 t)
// Eight pipes and eight rings in each of the 100 tunnel rows. Returns the models drawn (1 600).
int scene6_drawTunnel(float t, float s, int pipe, int ring);
// The axis strip: x in [-0.5, 0.5) in `cell` steps, w in [-200, 200) in 0.5 steps, squares of
// 0.5. Returns the quads (1 600 for 0.5).
int scene6_drawStrip(float cell);
