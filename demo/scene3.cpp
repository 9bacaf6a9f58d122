// Scene 3, the system crash: on white, a row of 200 cubes along x shakes with a common fast
// oscillation whose noise-driven amplitude grows with the scene time, and the screen
// distortion grows with it. Past 6 s "FATAL SYSTEM ERROR!" appears, the distortion jumps to
// eleven or twelve times its size with its sign inverted and "fade" drops to 0.
#include "scenes.h"
#include "director.h"
#include "loading.h"
#include "post_chain.h"
#include "scene_kit.h"
#include <vlm/camera.h>
#include <vlm/effects_screen.h>
#include <vlm/lighting.h>
#include <vlm/noise.h>
#include <vlm/shader.h>
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cmath>

Scene3Ids scene3;

static void load(void)
{
    loadScenePrograms(scene3);
    scene3.lines = vlm_loadShader(LINES_VERT, LINES_FRAG);
}

float scene3_fade(float t)
{
    float fade = 0.4f * t;
    if (0.4f * t > 1) fade = 1;
    if (t > 6) fade = 0;
    return fade;
}

void scene3_screenEffects(float t)
{
    VLM_SCREEN_RGBDIST = vlm_perlin2DNoise(0, 30 * t, 123) * 40 * (0.01f * t);
    VLM_SCREEN_DIST = vlm_perlin2DNoise(0, 30 * t, 123) * 40 * (0.01f * t);
    VLM_SCREEN_WOBBLE = vlm_perlin2DNoise(0, 0.01f * t, 123);
    if (t > 6) { // the crash: inverted and amplified, -11 at 6 s to -12.5 at 7.5 s
        float burst = 1 - t - 6;
        VLM_SCREEN_RGBDIST *= burst;
        VLM_SCREEN_DIST *= burst;
        VLM_SCREEN_WOBBLE *= burst;
    }
}

float scene3_cubeHeight(float t, float x)
{
    return (float)(sin(50 * t) * vlm_perlin2DNoise(10 * t + x, 10 * t + x, 42) * t);
}

static void drawCubeRow(float t)
{
    for (float x = -100; x < 100; x += 1) {
        glPushMatrix();
        glTranslatef(x, scene3_cubeHeight(t, x), 0);
        glutSolidCube(1);
        glPopMatrix();
    }
}

static void draw(const SceneFrame &f)
{
    openDrawing(f, scene3.lines);
    tealMaterial();
    if (f.t > 6) vlm_drawPolygonText("FATAL SYSTEM ERROR!", -20, 20, 0);
    drawCubeRow(f.t);
    closeDrawing();
}

// The message shows from 6 s.
const SceneRow SCENE3_CRASH = {
    .seconds = 7.5f, .paper = 1, .track = "data/camera/scene3-camera0.vtrack", .warmTime = 7,
    .load = load, .screen = scene3_screenEffects, .fade = scene3_fade, .draw = draw,
    .ids = &scene3, .name = "crash",
};
