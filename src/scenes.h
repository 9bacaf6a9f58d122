// The scene blocks of the demo, one function per scene in src/scenes_N.cpp. drawScene runs
// them through the director while `queue` equals their number. Every block follows the same
// pattern: scene time t, per-frame values, one-time set-up (camera track on slot 0), mblur = 0,
// its render target, the screen-effect values, its drawing, the scene change test and the
// post pass (director_scenePostPass) into VLM_PP entry 0.
//
// Shared state (director.h): the ids loading creates, sceneTime, queue, loadingTime, mblur,
// VLM_SCREEN_*. The programs built from scene01.* mark their pixels as ink (alpha 0): the
// post program draws ink dark on light paper and bright teal on dark paper.
#pragma once
#include "director.h"
#include <cstdlib>

void sceneBlock0(void); // opening grid and title texts, 30 s
void sceneBlock1(void); // wireframe corridor on white, 15 s
void sceneBlock2(void); // wireframe corridor with particles and smiling cube, 30 s
void sceneBlock3(void); // system crash interlude, 7.5 s
void sceneBlock4(void); // wireframe car on a scrolling road, 45 s
void sceneBlock5(void); // reactor corridor, 22.5 s
void sceneBlock6(void); // pipe tunnel and greetings, 66 s; its end ends the demo

// The end-of-block scene change of scene N at scene time t; the end of the demo ends the
// process at once with status 0 (that frame is neither post-processed nor shown).
inline void sceneChange(int N, float t)
{
    if (director_sceneChange(N, t) == DEMO_END) exit(0);
}

// The scenes' material for front and back faces: ambient (0, 0.5, 0.5), diffuse and
// specular 0.5 grey, shininess 96.
void sceneMaterial(void);
// Sends one float uniform to `program` (which must be the current program).
void sceneUniform(int program, const char *name, float value);
