// The demo's seven scenes, one file each (demo/sceneN.cpp): the scene's row of the director's
// table, its ids (named by what they draw, filled by its loading step), its values, its
// geometry and its drawing. Every scene's block is the same (sceneBlock, scene_kit.h): what
// advances with time (scene clock, first frame, camera track, screen values), its target,
// the drawing from the frame's values, the scene change, then the post pass into VLM_PP entry
// 0. The warm-up draws each scene through the same drawing code with fixed values. The
// programs built from scene01.* mark their pixels as ink (alpha 0): the post program draws ink
// dark on light paper and bright teal on dark paper. Times are scene seconds (float).
//
// Index: scene 0 .. scene 6
#pragma once
#include "director.h"
#include "scene_kit.h"
#include <vlm/vlm_math.h>

// ---------------------------------------------------------------- scene 0: opening grid, 30 s
struct Scene0Ids : SceneIds {
    int lines = -1; // program scene01.*: the titles
};
extern Scene0Ids scene0;
extern GridRecording scene0_plane; // the plane of 0.3 cells, drawn with `scene`
extern const SceneRow SCENE0_OPENING;
float scene0_fade(float t); // 0 -> 1 over 5 s, 1, then (t - 25) + 1 after 25 s

// ---------------------------------------------------------------- scene 1: white corridor, 15 s
struct Scene1Ids : SceneIds {
    int lines = -1;                             // program scene01.*: everything drawn
    int spikes = -1, cameraBody = -1, cameraProp = -1; // OBJ models
    unsigned sun = 0;                           // GL name of its PNG texture
};
extern Scene1Ids scene1;
extern const SceneRow SCENE1_WHITE_CORRIDOR;
float scene1_fade(float t); // 11 -> 1 in the first second, 1, then 1 -> -1 after 13 s

// Twenty rings of cubes at z0 = -200, -180, ..., 180. Returns the cubes drawn (2 020).
int scene1_drawRings(float t, float M);

// ---------------------------------------------------------------- scene 2: dark corridor, 30 s
struct Scene2Ids : SceneIds {
    int lines = -1;              // program scene01.*: everything drawn
    int spikes = -1, smile = -1; // OBJ models; the spikes are a model of their own
};
extern Scene2Ids scene2;
extern const SceneRow SCENE2_DARK_CORRIDOR;
float scene2_fade(float t);       // 11 -> 1 over the first second, then 5 to the end
vec3 scene2_wanderPoint(float t); // (noise(t, 0, 32) + 3, noise(t, 0, 44), 0)
// Four boxes per row for the 40 rows of the corridor (the slats plus a larger box).
// Returns the number of boxes drawn (160).
int scene2_drawBoxes(float t, float M);

// Twenty denser rings of cubes at z0 = -100, -90, ..., 90. Returns the cubes drawn (2 020).
int scene2_drawRings(float t, float M);

// ---------------------------------------------------------------- scene 3: system crash, 7.5 s
struct Scene3Ids : SceneIds {
    int lines = -1; // program scene01.*: everything drawn
};
extern Scene3Ids scene3;
extern const SceneRow SCENE3_CRASH;
float scene3_fade(float t); // 0.4 t up to 1; 0 once t > 6
// VLM_SCREEN_RGBDIST and _DIST grow as noise x 40 x 0.01 t, _WOBBLE follows slow noise;
// past 6 s all three are multiplied by -(t + 5): the inverted burst.
void scene3_screenEffects(float t);
float scene3_cubeHeight(float t, float x); // sin(50 t) x noise(10 t + x, 10 t + x, 42) x t

// ---------------------------------------------------------------- scene 4: car on the road, 45 s
struct Scene4Ids : SceneIds {
    int car = -1;              // program scene4.*: emitters, car, road and thanks
    int floor = -1;            // program scene4_1.*: the floor grid
    int wheel = -1, body = -1; // OBJ models
};
extern Scene4Ids scene4;
extern GridRecording scene4_grid; // the floor grid of 2-unit squares
extern const SceneRow SCENE4_ROAD;
float scene4_fade(float t); // 10 t up to 1 s, then 10
// Three slabs per road row for the 40 rows at bend b. Returns the slabs drawn (120).
int scene4_drawRoad(float t, float b);

// ---------------------------------------------------------------- scene 5: reactors, 22.5 s
struct Scene5Ids : SceneIds {
    int reactors = -1;   // program scene5.*: the reactors
    int strips = -1;     // program scene5_1.*: the strips at their feet
    int reactor = -1;  // OBJ model
};
extern Scene5Ids scene5;
extern GridRecording scene5_strip; // one strip of 0.01 squares
extern const SceneRow SCENE5_REACTORS;
float scene5_fade(float t); // t up to 10 s, 10, then falling by 10 per second after 21 s

// The strip at each reactor's foot: `cell`-wide squares from x = -2.5 and w = -0.1 with
// single-precision counters (501 x 21 for 0.01). Returns the quads issued.
int scene5_drawStrip(float cell);

// ---------------------------------------------------------------- scene 6: pipe tunnel, 66 s
struct Scene6Ids : SceneIds {
    int tunnel = -1;          // program scene6.*: greetings, pipes and rings
    int axis = -1;            // program scene6_1.*: the axis strip
    int pipe = -1, ring = -1; // OBJ models
};
extern Scene6Ids scene6;
extern GridRecording scene6_strip; // the axis strip
extern const SceneRow SCENE6_TUNNEL;
// The greetings and credits line: exactly 225 characters, drawn as one line.
extern const char SCENE6_GREETINGS[];
float scene6_travel(float t); // s = t + 0.1 sin(6.8 t)
// Eight pipes and eight rings in each of the 100 tunnel rows. Returns the models drawn (1 600).
int scene6_drawTunnel(float t, float s, int pipe, int ring);
// The axis strip: x in [-0.5, 0.5) in `cell` steps, w in [-200, 200) in 0.5 steps, squares of
// 0.5. Returns the quads (1 600 for 0.5).
int scene6_drawStrip(float cell);
