// Scene 0, the opening: a vast plane of small cells seen from the scene's camera track, and
// from 22.5 s three title lines in polygon letters standing around y = 40. "fade" rises from
// 0 to 1 over 5 s and climbs above 1 in the last 5 s, building towards the cut to scene 1.
#include "scenes.h"
#include "director.h"
#include "loading.h"
#include "post_chain.h"
#include "scene_kit.h"
#include <vlm/camera.h>
#include <vlm/effects_screen.h>
#include <vlm/lighting.h>
#include <vlm/quad_batch.h>
#include <vlm/shader.h>
#include <vlm/vlm.h>
#include <GL/glew.h>
#include <cmath>

static const float PLANE_CELL = 0.3f;  // the plane's cell size, also sent as "intensity"

// The plane: the ground of PLANE_CELL cells in runs of 64 along z. Its vertex program leaves
// the cells where they lie.
GridRecording scene0_plane = {.settings = {.x0 = -100, .x1 = 100, .xStep = PLANE_CELL,
                                           .z0 = -100, .z1 = 100, .zStep = PLANE_CELL,
                                           .size = PLANE_CELL, .runQuads = 64}};
Scene0Ids scene0;

static void load(void)
{
    loadScenePrograms(scene0);
    scene0.lines = vlm_loadShader(LINES_VERT, LINES_FRAG);
}

float scene0_fade(float t)
{
    float fade = t * 0.2f < 1 ? t * 0.2f : 1;
    if (t > 25) fade = (t - 25) + 1;
    return fade;
}

// The three title lines; the first two bob, the third swings about the vertical.
static void drawTitles(float t)
{
    double s = sin(t);
    glPushMatrix();
    glRotatef(90, 0, 1, 0);
    vlm_drawPolygonText("velmor presents...", 0, (float)(s + 40), 0);
    glPopMatrix();
    glPushMatrix();
    glRotatef(50, 0, 1, 0);
    vlm_drawPolygonText("@polarmoot", 60, (float)(2 * s + 40), 0);
    glPopMatrix();
    glPushMatrix();
    glRotatef((float)(10 * s + 90), 0, 1, 0.01f);
    vlm_drawPolygonText("a partycoded production", -30, 35, 60);
    glPopMatrix();
}

static void draw(const SceneFrame &f)
{
    vlm_enableShader(scene0.lines);
    sceneUniform(scene0.lines, "timer", f.t);
    glColor4f(1, 1, 1, 1);
    vlm_setLight0(1); // before the camera: the light sits just behind the viewer
    sceneCamera(f);
    glPushMatrix();
    tealMaterial();
    if (f.t > 22.5f) drawTitles(f.t);
    vlm_enableShader(scene0.scene);
    sceneUniform(scene0.scene, "intensity", PLANE_CELL);
    sceneUniform(scene0.scene, "timer", f.t);
    vlm_quadBatchDraw(scene0_plane.batch); // the ground of PLANE_CELL cells
    glPopMatrix();
    vlm_setLight0(0);
}

// The titles show from 22.5 s.
const SceneRow SCENE0_OPENING = {
    .seconds = 30, .paper = 0, .track = "data/camera/scene0-camera0.vtrack", .warmTime = 23,
    .load = load, .screen = strongDistortion, .fade = scene0_fade, .draw = draw,
    .grids = {&scene0_plane}, .ids = &scene0, .name = "opening",
};
