// The arithmetic and counted geometry of scenes 2 to 6 (corridor with particles, system
// crash, car on the road, reactor corridor, pipe tunnel), kept out of the scene blocks so
// that tests can pin it. Times are scene seconds (float); every value is single precision
// as the picture depends on it, and integer row counters truncate toward zero.
//
// Index: scene 2 | scene 3 | scenes 4 to 6 shared | scene 4 | scene 5 | scene 6
#pragma once
#include "vlm_math.h"

// ---------------------------------------------------------------- scene 2
float scene2_fade(float t);         // 11 -> 1 over the first second, then 5 to the end
vec3 scene2_wanderPoint(float t);   // (noise(t, 0, 32) + 3, noise(t, 0, 44), 0)
// Four boxes per row for the 40 rows of the corridor (the scene 1 slats plus a larger box).
// Returns the number of boxes drawn (160).
int scene2_drawBoxes(float t, float M);
// Twenty rings of 101 cubes at z0 = -100, -90, ..., 90 of radius 2 M + 20, turning with t.
// Returns the number of cubes drawn (2 020).
int scene2_drawRings(float t, float M);

// ---------------------------------------------------------------- scene 3
float scene3_fade(float t); // 0.4 t up to 1; 0 once t > 6
// VLM_SCREEN_RGBDIST and _DIST grow as noise x 40 x 0.01 t, _WOBBLE follows slow noise;
// past 6 s all three are multiplied by -(t + 5): the inverted burst.
void scene3_screenEffects(float t);
float scene3_cubeHeight(float t, float x); // sin(50 t) x noise(10 t + x, 10 t + x, 42) x t

// ---------------------------------------------------------------- scenes 4 to 6
// The screen-effect values of scenes 4 to 6: noise x 4, noise x 0.01, and the slow wobble.
void scenes46_screenEffects(float t);

// ---------------------------------------------------------------- scene 4
float scene4_fade(float t);                  // 10 t up to 1 s, then 10
float scene4_bend(float t);                  // 5 cos(3.4 (t + 1)) clamped to [-2.5, 2.5]
float scene4_roadDistance(float t, int k);   // 10 k + (35 t - 10 n), n = trunc(3.5 t)
// Three slabs per road row for the 40 rows at bend b. Returns the slabs drawn (120).
int scene4_drawRoad(float t, float b);
// The floor grid: one GL_QUADS batch of `cell`-wide squares over x, z in [-100, 100).
// Returns the quads issued (10 000 for cell 2).
int scene4_drawGrid(float cell);

// ---------------------------------------------------------------- scene 5
float scene5_fade(float t); // t up to 10 s, 10, then falling by 10 per second after 21 s
// One strip of `cell`-wide squares from x = -2.5 and w = -0.1, single-precision counters
// (501 x 21 for 0.01). Returns the quads issued.
int scene5_drawStrip(float cell);

// ---------------------------------------------------------------- scene 6
// The greetings and credits line: exactly 225 characters, drawn as one line.
extern const char SCENE6_GREETINGS[];
float scene6_travel(float t);             // s = t + 0.1 sin(6.8 t)
float scene6_rowDistance(float s, int r); // 4 r + (24 s - 4 n), n = trunc(6 s)
// Eight pipes and eight rings in each of the 100 tunnel rows. Returns the models drawn (1 600).
int scene6_drawTunnel(float t, float s, int pipe, int ring);
// The axis strip: x in [-0.5, 0.5), w in [-200, 200) in `cell` steps. Returns the quads (1 600).
int scene6_drawStrip(float cell);
