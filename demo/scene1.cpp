// Scene 1: on white paper an endless procession of wireframe spikes and bouncing, tilting
// slats moves along -z beside twenty rings of small cubes turning about that axis. "fade"
// flashes from 11 down to 1 in the first second and falls to -1 over the last two.
#include "scenes.h"
#include "camera.h"
#include "director.h"
#include "lighting.h"
#include "loading.h"
#include "models_obj.h"
#include "post_chain.h"
#include "scene_kit.h"
#include "shader.h"
#include "textures.h"
#include "vlm.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

static int scene1_shader, post1_shader, scene1_shader2, spikepelare1, camera1, camera_prop1, fbo1;
static unsigned suntex1; // GL texture name

void scene1_load(void)
{
    scene1_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post1_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene1_shader2 = vlm_loadShader(LINES_VERT, LINES_FRAG);
    spikepelare1 = vlm_loadOBJ("data/models/spikepelare.obj");
    camera1 = vlm_loadOBJ("data/models/camera_body.obj");
    camera_prop1 = vlm_loadOBJ("data/models/camera_prop.obj");
    suntex1 = vlm_loadPNG("data/textures/sun_summer.png");
    fbo1 = loading_windowTarget();
}

SceneIds scene1_ids(void)
{
    return {{scene1_shader, post1_shader, scene1_shader2},
            {spikepelare1, camera1, camera_prop1},
            fbo1,
            suntex1};
}

float scene1_fade(float t)
{
    float fade = t < 1 ? (1 - t) * 10 + 1 : 1;
    if (t > 13) fade = 1 - (t - 13);
    return fade;
}

// Forty rows 10 units apart stream along -z at 24 units per second: first every row's spike,
// then every row's slats.
static void drawProcession(float t, float M)
{
    for (int i = -20; i < 20; i++) {
        glPushMatrix();
        glTranslatef(0, 0, -rowDistance(t, 24, 10, i));
        vlm_renderOBJ(spikepelare1);
        glPopMatrix();
    }
    for (int i = -20; i < 20; i++) drawSlatRow(3, -rowDistance(t, 24, 10, i), M, TURN_ALWAYS);
}

int scene1_drawRings(float t, float M)
{
    return drawCubeRings(t, M, -200, 200, 20);
}

void sceneBlock1(void)
{
    static SceneOpening opening;
    float t = director_sceneClock();
    float fade = scene1_fade(t);
    unsigned fbotex = sceneBegin(opening, "data/camera/scene1-camera0.vtrack", fbo1, 1);
    setScreenEffects(t, STRONG_DISTORTION);

    vlm_useCamera(0);
    glPushMatrix();
    vlm_enableShader(scene1_shader2);
    sceneUniform(scene1_shader2, "timer", t);
    vlm_setLight0(1); // after the camera: the light sits at (0, 0, 1) of the corridor
    tealMaterial();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    float M = swing(t);
    drawProcession(t, M);
    scene1_drawRings(t, M);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPopMatrix();
    vlm_setLight0(0);

    sceneChange(1, t);
    postChain_scenePass(post1_shader, fade, fbotex);
}
