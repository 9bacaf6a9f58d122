// Scene 3, the system crash: on white, a row of 200 cubes along x shakes with a common fast
// oscillation whose noise-driven amplitude grows with the scene time, and the screen
// distortion grows with it. Past 6 s "FATAL SYSTEM ERROR!" appears, the distortion jumps to
// eleven or twelve times its size with its sign inverted and "fade" drops to 0.
#include "scenes.h"
#include "camera.h"
#include "director.h"
#include "effects_screen.h"
#include "lighting.h"
#include "loading.h"
#include "noise.h"
#include "post_chain.h"
#include "scene_kit.h"
#include "shader.h"
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cmath>

static int scene3_shader, post3_shader, scene3_shader2, fbo3;

void scene3_load(void)
{
    scene3_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post3_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene3_shader2 = vlm_loadShader(LINES_VERT, LINES_FRAG);
    fbo3 = loading_windowTarget();
}

SceneIds scene3_ids(void)
{
    return {{scene3_shader, post3_shader, scene3_shader2}, {}, fbo3, 0};
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

void sceneBlock3(void)
{
    static SceneOpening opening;
    float t = director_sceneClock();
    float fade = scene3_fade(t);
    unsigned fbotex = sceneBegin(opening, "data/camera/scene3-camera0.vtrack", fbo3, 1);
    scene3_screenEffects(t);

    vlm_useCamera(0);
    vlm_setLight0(1);
    glPushMatrix();
    vlm_enableShader(scene3_shader2);
    sceneUniform(scene3_shader2, "timer", t);
    tealMaterial();
    if (t > 6) vlm_drawPolygonText("FATAL SYSTEM ERROR!", -20, 20, 0);
    drawCubeRow(t);
    glPopMatrix();
    vlm_setLight0(0);

    sceneChange(3, t);
    postChain_scenePass(post3_shader, fade, fbotex);
}
