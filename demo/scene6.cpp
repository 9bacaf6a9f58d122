// Scene 6, the last: on black the viewer travels through a tunnel of 100 rows, eight pipes
// around the axis at radius 6 and eight slowly turning rings at radius 10 per row, streaming
// past at a pulsing speed; a narrow strip runs along the axis and the greetings line scrolls
// along the tunnel. Its end, 66 s in, ends the demo.
#include "scenes.h"
#include "director.h"
#include "loading.h"
#include "post_chain.h"
#include "scene_kit.h"
#include <vlm/camera.h>
#include <vlm/effects_screen.h>
#include <vlm/lighting.h>
#include <vlm/models_obj.h>
#include <vlm/quad_batch.h>
#include <vlm/shader.h>
#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cmath>

static const float STRIP_STEP = 0.5f; // the strip's step across, also sent as "intensity"

Scene6Ids scene6;
// The axis strip (scene6_drawStrip's loop) in runs of 40.
GridRecording scene6_strip = {.settings = {.x0 = -0.5f, .x1 = 0.5f, .xStep = STRIP_STEP,
                                           .z0 = -200, .z1 = 200, .zStep = 0.5f,
                                           .size = 0.5f, .runQuads = 40}};

static void load(void)
{
    loadScenePrograms(scene6);
    scene6.tunnel = vlm_loadShader("data/shader/scene6.vert", "data/shader/scene6.frag");
    scene6.axis = vlm_loadShader("data/shader/scene6_1.vert", "data/shader/scene6_1.frag");
    scene6.pipe = vlm_loadOBJ("data/models/pipe.obj");
    scene6.ring = vlm_loadOBJ("data/models/ring.obj");
}

// Heading (18), 6 blanks, twelve names (4 blanks after the first, 3 between the others),
// 25 blanks, then the credits: code (18), 4 blanks, music (12).
const char SCENE6_GREETINGS[] =
    "greetz and respect"
    "      "
    "Glasspan    Mothwire   Heronfax   Lumenhaus   Vektormule   Kelpware   Orchidine   "
    "Quiltbyte   Sunbarrel   Noxfjord   Moss Relay   Snowmelt Jam"
    "                         "
    "code by quillfrost"
    "    "
    "music: Orvel";

float scene6_travel(float t)
{
    return (float)(t + 0.1 * sin(6.8 * t));
}

// One layer of the tunnel: in each of the hundred rows r (-50 .. 49, at depth 4 r + shift),
// `model` eight times, 45 degrees apart about the axis and `radius` out from it. Step a of row
// r is turned a + degPerRow r + spinDeg degrees; the sum is taken in that order, as the
// picture depends on its rounding.
static int drawTunnelLayer(float shift, int model, float radius, float degPerRow, float spinDeg)
{
    int models = 0;
    for (float r = -50; r < 50; r += 1) {
        float z = 4 * r + shift;
        for (float a = 0; a < 360; a += 45) {
            glPushMatrix();
            glTranslatef(0, 0, -z);
            glRotatef(90, 1, 0, 0);
            glRotatef(a + degPerRow * r + spinDeg, 0, 1, 0);
            glTranslatef(-radius, 0, 0);
            vlm_renderOBJ(model);
            glPopMatrix();
            models++;
        }
    }
    return models;
}

// The tunnel's hundred rows are 4 units apart and stream past at 24 units per second of travel.
// The pipes stand still; the rings turn a degree further each row and 30 degrees per second.
int scene6_drawTunnel(float t, float s, int pipe, int ring)
{
    float shift = rowDistance(s, 24, 4, 0); // the same truncated offset for every row
    int models = drawTunnelLayer(shift, pipe, 6, 0, 0);
    models += drawTunnelLayer(shift, ring, 10, 1, 30 * t);
    return models;
}

int scene6_drawStrip(float cell)
{
    return drawQuadGrid(-0.5f, 0.5f, cell, -200, 200, 0.5f, 0.5f);
}

// Turned 90 degrees about y, the line runs along world -z, 7 units above the axis, and moves
// 15 units per second towards +z.
static void drawGreetings(float t)
{
    glPushMatrix();
    glColor4f(1, 1, 1, 1);
    glRotatef(90, 0, 1, 0);
    vlm_drawPolygonText(SCENE6_GREETINGS, -15 * t, 7, 0);
    glPopMatrix();
}

static void drawAxisStrip(float t)
{
    useGridProgram(scene6.axis, STRIP_STEP, t);
    vlm_quadBatchDraw(scene6_strip.batch); // scene6_drawStrip(STRIP_STEP), recorded
}

static void draw(const SceneFrame &f)
{
    openDrawing(f, scene6.tunnel);
    greyMaterial(0.6f);
    drawGreetings(f.t);
    scene6_drawTunnel(f.t, scene6_travel(f.t), scene6.pipe, scene6.ring);
    drawAxisStrip(f.t);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    closeDrawing();
}

static float fade(float)
{
    return 5;
}

// Its end, past 66 s, ends the demo before that frame's post pass.
const SceneRow SCENE6_TUNNEL = {
    .seconds = 66, .paper = 0, .track = "data/camera/scene6-camera0.vtrack", .load = load,
    .screen = calmDistortion, .fade = fade, .draw = draw, .grids = {&scene6_strip}, .ids = &scene6,
    .name = "tunnel",
};
