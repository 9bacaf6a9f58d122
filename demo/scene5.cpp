// Scene 5: on black, a corridor of twenty wireframe reactors 20 units apart along z, each
// with a strip 5 wide and 0.2 deep at its foot, tessellated into 0.01 squares so finely
// that its wireframe reads as a dense mesh. "fade" rises over 10 s, holds, and falls sharply
// in the last second and a half.
#include "scenes.h"
#include "director.h"
#include "loading.h"
#include "post_chain.h"
#include "scene_kit.h"
#include <vlm/camera.h>
#include <vlm/lighting.h>
#include <vlm/models_obj.h>
#include <vlm/quad_batch.h>
#include <vlm/shader.h>
#include <GL/glew.h>
#include <GL/freeglut.h>

static const float STRIP_CELL = 0.01f; // the strip's step, also sent as "intensity"

Scene5Ids scene5;
// One strip (scene5_drawStrip's loop). Its vertex program leaves it where it lies: runs of 25
// columns of 21 squares (0.25 wide), so the parts of a near strip beside the view are left out.
GridRecording scene5_strip = {.settings = {.x0 = -2.5f, .x1 = 2.5f, .xStep = STRIP_CELL,
                                           .z0 = -0.1f, .z1 = 0.1, .zStep = STRIP_CELL,
                                           .size = STRIP_CELL, .runQuads = 25 * 21}};

static void load(void)
{
    loadScenePrograms(scene5);
    scene5.reactors = vlm_loadShader("data/shader/scene5.vert", "data/shader/scene5.frag");
    scene5.strips = vlm_loadShader("data/shader/scene5_1.vert", "data/shader/scene5_1.frag");
    scene5.reactor = vlm_loadOBJ("data/models/reactor.obj");
}

float scene5_fade(float t)
{
    float fade = 0.1f * t < 1 ? t : 10;
    if (t > 21) fade = (t - 21) * -10 + 10;
    return fade;
}

int scene5_drawStrip(float cell)
{
    // The x bound is a float and the w bound a double: with 0.01 accumulated in single
    // precision the loops run 501 and 21 times, not 500 and 20.
    return drawQuadGrid(-2.5f, 2.5f, cell, -0.1f, 0.1, cell, cell);
}

// Runs `draw` at each of the twenty reactors' places, 20 units apart along z.
template <typename Draw> static void atEachReactor(Draw draw)
{
    for (float z = -200; z < 200; z += 20) {
        glPushMatrix();
        glTranslatef(0, 0, z);
        draw();
        glPopMatrix();
    }
}

static void drawReactors(void)
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    atEachReactor([] { vlm_renderOBJ(scene5.reactor); });
}

// A strip at each reactor's foot: scene5_drawStrip(STRIP_CELL) recorded, its squares drawn as
// their outlines.
static void drawStrips(float t)
{
    useGridProgram(scene5.strips, STRIP_CELL, t);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    atEachReactor([] { vlm_quadBatchDrawEdges(scene5_strip.batch); });
}

static void draw(const SceneFrame &f)
{
    openDrawing(f, scene5.reactors);
    drawReactors();
    drawStrips(f.t);
    closeDrawing();
}

const SceneRow SCENE5_REACTORS = {
    .seconds = 22.5f, .paper = 0, .track = "data/camera/scene5-camera0.vtrack", .load = load,
    .screen = calmDistortion, .fade = scene5_fade, .draw = draw, .grids = {&scene5_strip},
    .ids = &scene5, .name = "reactors",
};
