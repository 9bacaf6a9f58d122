// Scene 1: on white paper an endless procession of wireframe spikes and bouncing, tilting
// slats moves along -z beside twenty rings of small cubes turning about that axis. "fade"
// flashes from 11 down to 1 in the first second and falls to -1 over the last two.
#include "scenes.h"
#include "director.h"
#include "loading.h"
#include "post_chain.h"
#include "scene_kit.h"
#include <vlm/camera.h>
#include <vlm/lighting.h>
#include <vlm/models_obj.h>
#include <vlm/shader.h>
#include <vlm/textures.h>
#include <vlm/vlm.h>
#include <GL/glew.h>
#include <GL/freeglut.h>

Scene1Ids scene1;

static void load(void)
{
    loadScenePrograms(scene1);
    scene1.lines = vlm_loadShader(LINES_VERT, LINES_FRAG);
    scene1.spikes = vlm_loadOBJ("data/models/spikepelare.obj");
    scene1.cameraBody = vlm_loadOBJ("data/models/camera_body.obj");
    scene1.cameraProp = vlm_loadOBJ("data/models/camera_prop.obj");
    scene1.sun = vlm_loadPNG("data/textures/sun_summer.png");
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
        vlm_renderOBJ(scene1.spikes);
        glPopMatrix();
    }
    for (int i = -20; i < 20; i++) drawSlatRow(3, -rowDistance(t, 24, 10, i), M, TURN_ALWAYS);
}

int scene1_drawRings(float t, float M)
{
    return drawCubeRings(t, M, -200, 200, 20);
}

static void draw(const SceneFrame &f)
{
    openDrawing(f, scene1.lines); // the light sits at (0, 0, 1) of the corridor
    tealMaterial();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    float M = swing(f.t);
    drawProcession(f.t, M);
    scene1_drawRings(f.t, M);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    closeDrawing();
}

const SceneRow SCENE1_WHITE_CORRIDOR = {
    .seconds = 15, .paper = 1, .track = "data/camera/scene1-camera0.vtrack", .load = load,
    .screen = strongDistortion, .fade = scene1_fade, .draw = draw, .ids = &scene1,
    .name = "white-corridor",
};
