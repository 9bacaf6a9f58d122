// Scene 4: on black, a wireframe car stands at the origin with its wheels spinning while a
// road of 40 rows of three slabs streams under it at 35 units per second, its cross-section
// flexing with the bend value. Four emitters near the car's corners throw trails of cubes, a
// wireframe floor grid of 2-unit squares lies under everything and a line of thanks in filled
// letters crosses the scene. "fade" climbs to 10 in the first second.
#include "scenes.h"
#include "director.h"
#include "loading.h"
#include "post_chain.h"
#include "scene_kit.h"
#include <vlm/camera.h>
#include <vlm/effects_particles.h>
#include <vlm/effects_screen.h>
#include <vlm/lighting.h>
#include <vlm/models_obj.h>
#include <vlm/quad_batch.h>
#include <vlm/shader.h>
#include <GL/glew.h>
#include <GL/freeglut.h>

static const char THANKS[] = "Thanks to all you awesum ppl who attended polarmoot winter 2010"
                             "             stay scene!";

static const float GRID_CELL = 2; // the grid's spacing, also sent as "intensity"

Scene4Ids scene4;
// The floor grid: the ground of GRID_CELL squares in runs of 10.
GridRecording scene4_grid = {.settings = {.x0 = -100, .x1 = 100, .xStep = GRID_CELL,
                                          .z0 = -100, .z1 = 100, .zStep = GRID_CELL,
                                          .size = GRID_CELL, .runQuads = 10}};
static int emitters[4] = {-1, -1, -1, -1}; // particle systems, made on the first frame

static void load(void)
{
    loadScenePrograms(scene4);
    scene4.car = vlm_loadShader("data/shader/scene4.vert", "data/shader/scene4.frag");
    scene4.floor = vlm_loadShader("data/shader/scene4_1.vert", "data/shader/scene4_1.frag");
    scene4.wheel = vlm_loadOBJ("data/models/bug_wheel.obj");
    scene4.body = vlm_loadOBJ("data/models/bug_body.obj");
}

static void firstFrame(void)
{
    for (int i = 0; i < 4; i++) emitters[i] = (int)vlm_genParticleSystem(1000);
}

float scene4_fade(float t)
{
    float fade = 10 * t;
    if (t > 1) fade = 10;
    return fade;
}

// The road's forty rows, 10 units apart, stream along +z at 35 units per second.
int scene4_drawRoad(float t, float b)
{
    int slabs = 0;
    for (float k = -20; k < 20; k += 1) {
        drawSlatRow(0, rowDistance(t, 35, 10, (int)k), b, TURN_UNLESS_ZERO);
        slabs += 3;
    }
    return slabs;
}

// One emitter near each corner of the car; each frame is turned so that its particles rise
// along world +z, behind the car as the road streams that way. A played frame only: the
// warm-up leaves the particles as they are (they are cubes drawn like the road's slabs).
static void drawEmitters(const SceneFrame &f)
{
    if (!f.played) return;
    static const float at[4][3] = {{4, -2, -9}, {-4, -2, -9}, {4, -2, 3}, {-4, -2, 3}};
    for (int i = 0; i < 4; i++) {
        glPushMatrix();
        glTranslatef(at[i][0], at[i][1], at[i][2]);
        glRotatef(90, 1, 0, 0);
        vlm_drawParticleSystem(emitters[i], 0, 0, 0, 0, 0, 0, 10, 0.5f * f.t);
        glPopMatrix();
    }
}

// The body at the origin and two axles, at z = 0 and 9 units behind, spinning -200 deg/s.
static void drawCar(float t)
{
    glPushMatrix();
    glPushMatrix();
    vlm_renderOBJ(scene4.body);
    glPopMatrix();
    glPushMatrix();
    glRotatef(-200 * t, 1, 0, 0);
    vlm_renderOBJ(scene4.wheel);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(0, 0, -9);
    glRotatef(-200 * t, 1, 0, 0);
    vlm_renderOBJ(scene4.wheel);
    glPopMatrix();
    glPopMatrix();
}

static void drawThanks(float t)
{
    glPushMatrix();
    glRotatef(180, 0, 1, 0);
    vlm_drawPolygonText(THANKS, 40 - 10 * t, 10, 0);
    glPopMatrix();
}

static void drawFloor(float t)
{
    useGridProgram(scene4.floor, GRID_CELL, t);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    vlm_quadBatchDraw(scene4_grid.batch); // the ground of GRID_CELL squares
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

static void draw(const SceneFrame &f)
{
    openDrawing(f, scene4.car);
    greyMaterial(0.6f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    drawEmitters(f);
    drawCar(f.t); // its models' materials stay in effect for the road
    scene4_drawRoad(f.t, swing(f.t)); // the road bends as the slats swing
    greyMaterial(1);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    drawThanks(f.t);
    drawFloor(f.t);
    closeDrawing();
}

const SceneRow SCENE4_ROAD = {
    .seconds = 45, .paper = 0, .track = "data/camera/scene4-camera0.vtrack", .load = load,
    .firstFrame = firstFrame, .screen = calmDistortion, .fade = scene4_fade, .draw = draw,
    .grids = {&scene4_grid}, .ids = &scene4, .name = "road",
};
