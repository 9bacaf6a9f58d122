// Staged loading: one stage per frame behind the noise ribbon, then the hand-over.
// Stage 1 creates every scene's resources in a fixed order; the ids follow that order.
#include "director.h"
#include "fbo.h"
#include "models_obj.h"
#include "noise.h"
#include "shader.h"
#include "textures.h"
#include "vlm.h"
#include <GL/glew.h>
#include <cstdio>

int scene0_shader, post0_shader, scene0_shader2, fbo0;
int scene1_shader, post1_shader, scene1_shader2, spikepelare1, camera1, camera_prop1, fbo1;
unsigned suntex1;
int scene2_shader, post2_shader, scene2_shader2, spikepelare2, smile2, fbo2;
int scene3_shader, post3_shader, scene3_shader2, fbo3;
int scene4_shader, post4_shader, scene4_shader2, scene4_shader2_1, bug_wheel4, bug_body4, fbo4;
int scene5_shader, post5_shader, scene5_shader2, scene5_shader2_1, reactor5, fbo5;
int scene6_shader, post6_shader, scene6_shader2, scene6_shader2_1, pipe6, ring6, fbo6;

static const char *SCENE_VERT = "data/shader/scene0.vert", *SCENE_FRAG = "data/shader/scene0.frag";
static const char *LINES_VERT = "data/shader/scene01.vert", *LINES_FRAG = "data/shader/scene01.frag";
static const char *POST_FRAG = "data/shader/post.frag";

// A render target of the window's size, read again for every target.
static int windowTarget(void)
{
    return vlm_loadFBO((int)vlm_Get(1), (int)vlm_Get(2));
}

void loading_stageScenes(void)
{
    scene0_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post0_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene0_shader2 = vlm_loadShader(LINES_VERT, LINES_FRAG);
    fbo0 = windowTarget();
    sceneTime[0] = SCENE_DURATIONS[0];

    scene1_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post1_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene1_shader2 = vlm_loadShader(LINES_VERT, LINES_FRAG);
    spikepelare1 = vlm_loadOBJ("data/models/spikepelare.obj");
    camera1 = vlm_loadOBJ("data/models/camera_body.obj");
    camera_prop1 = vlm_loadOBJ("data/models/camera_prop.obj");
    suntex1 = vlm_loadPNG("data/textures/sun_summer.png");
    fbo1 = windowTarget();
    sceneTime[1] = SCENE_DURATIONS[1];

    scene2_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post2_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene2_shader2 = vlm_loadShader(LINES_VERT, LINES_FRAG);
    spikepelare2 = vlm_loadOBJ("data/models/spikepelare.obj"); // a model of its own
    smile2 = vlm_loadOBJ("data/models/smilecube.obj");
    fbo2 = windowTarget();
    sceneTime[2] = SCENE_DURATIONS[2];

    scene3_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post3_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene3_shader2 = vlm_loadShader(LINES_VERT, LINES_FRAG);
    fbo3 = windowTarget();
    sceneTime[3] = SCENE_DURATIONS[3];

    scene4_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post4_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene4_shader2 = vlm_loadShader("data/shader/scene4.vert", "data/shader/scene4.frag");
    scene4_shader2_1 = vlm_loadShader("data/shader/scene4_1.vert", "data/shader/scene4_1.frag");
    bug_wheel4 = vlm_loadOBJ("data/models/bug_wheel.obj");
    bug_body4 = vlm_loadOBJ("data/models/bug_body.obj");
    fbo4 = windowTarget();
    sceneTime[4] = SCENE_DURATIONS[4];

    scene5_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post5_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene5_shader2 = vlm_loadShader("data/shader/scene5.vert", "data/shader/scene5.frag");
    scene5_shader2_1 = vlm_loadShader("data/shader/scene5_1.vert", "data/shader/scene5_1.frag");
    reactor5 = vlm_loadOBJ("data/models/reactor.obj");
    fbo5 = windowTarget();
    sceneTime[5] = SCENE_DURATIONS[5];

    scene6_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post6_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene6_shader2 = vlm_loadShader("data/shader/scene6.vert", "data/shader/scene6.frag");
    scene6_shader2_1 = vlm_loadShader("data/shader/scene6_1.vert", "data/shader/scene6_1.frag");
    pipe6 = vlm_loadOBJ("data/models/pipe.obj");
    ring6 = vlm_loadOBJ("data/models/ring.obj");
    fbo6 = windowTarget();
    sceneTime[6] = SCENE_DURATIONS[6];
}

void loading_stageChain(void)
{
    static const char *const names[5] = {"first", "second", "third", "fourth", "fifth"};
    char vert[64], frag[64];
    for (int i = 0; i < 5; i++) {
        snprintf(vert, sizeof vert, "data/shader/PP/%s.vert", names[i]);
        snprintf(frag, sizeof frag, "data/shader/PP/%s.frag", names[i]);
        VLM_PP[i][PP_PROGRAM] = vlm_loadShader(vert, frag);
    }
}

void loading_stageMusic(void)
{
    vlm_loadMusic("data/tune.mp3");
}

void loading_stageTargets(void)
{
    for (int i = 0; i < 4; i++) VLM_PP[i][PP_TARGET] = windowTarget();
}

void loading_drawRibbon(float W)
{
    // Columns sit at fixed x and the noise depends on x only: the ribbon only grows. The
    // window is not cleared while loading, so its depth buffer holds whatever it held: the
    // ribbon ignores it.
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_TRIANGLE_STRIP);
    for (float x = W / -34; W / -34 + progress > x; x += 0.1f) {
        float n = vlm_perlin2DNoise(x * 10000 / 100, 0, 33);
        glVertex3f(x, n / 5 + 0.005f, 0);
        glVertex3f(x, n / 5 - 0.005f, 0);
    }
    glEnd();
    glPopAttrib();
}

int loadingFrame(void)
{
    int stage = loading_selectStage();
    switch (stage) {
    case 1: loading_stageScenes(); break;
    case 2: loading_stageChain(); break;
    case 3: break; // the models stage loads nothing; it only advances the bar
    case 4: loading_stageMusic(); break;
    case 5: loading_stageTargets(); break;
    }
    float W = vlm_Get(1);
    int complete = loading_advanceBar(stage != 0, W);
    glColor4f(1, 1, 1, 1);
    mblur = 0;
    loading_drawRibbon(W);
    return complete;
}
