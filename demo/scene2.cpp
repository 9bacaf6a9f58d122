// Scene 2: on black, the wireframe corridor of scene 1 goes on with a fourth, larger box per
// row and twenty denser rings; a smiling cube wanders on a noise path and a particle system
// throws cubes from a point on the same path. "fade" flashes from 11 down in the first
// second, then stays at 5.
#include "scenes.h"
#include "director.h"
#include "loading.h"
#include "post_chain.h"
#include "scene_kit.h"
#include <vlm/camera.h>
#include <vlm/effects_particles.h>
#include <vlm/lighting.h>
#include <vlm/models_obj.h>
#include <vlm/noise.h>
#include <vlm/shader.h>
#include <GL/glew.h>
#include <GL/freeglut.h>

Scene2Ids scene2;
static int emitter = -1; // particle system, made on the scene's first frame

static void load(void)
{
    loadScenePrograms(scene2);
    scene2.lines = vlm_loadShader(LINES_VERT, LINES_FRAG);
    scene2.spikes = vlm_loadOBJ("data/models/spikepelare.obj"); // a model of its own
    scene2.smile = vlm_loadOBJ("data/models/smilecube.obj");
}

static void firstFrame(void)
{
    emitter = (int)vlm_genParticleSystem(5000);
}

float scene2_fade(float t)
{
    return t < 1 ? (1 - t) * 10 + 1 : 5;
}

vec3 scene2_wanderPoint(float t)
{
    vec3 P = {vlm_perlin2DNoise(t, 0, 32) + 3, vlm_perlin2DNoise(t, 0, 44), 0};
    return P;
}

// The corridor's forty rows, 10 units apart, stream along -z at 24 units per second.
static void drawSpikes(float t)
{
    for (float i = -20; i < 20; i += 1) {
        glPushMatrix();
        glTranslatef(0, 0, -rowDistance(t, 24, 10, (int)i));
        vlm_renderOBJ(scene2.spikes);
        glPopMatrix();
    }
}

int scene2_drawBoxes(float t, float M)
{
    int boxes = 0;
    for (float i = -20; i < 20; i += 1) {
        float z = -rowDistance(t, 24, 10, (int)i);
        drawSlatRow(3, z, M, TURN_UNLESS_ZERO);
        // The larger box: edge 2, stretched to 2 x 2 x 10, tilted 3 degrees.
        glPushMatrix();
        glTranslatef(1, M - 4, z);
        glRotatef(3, -4, 0, 1);
        glScalef(1, 1, 5);
        glutSolidCube(2);
        glPopMatrix();
        boxes += 4;
    }
    return boxes;
}

int scene2_drawRings(float t, float M)
{
    return drawCubeRings(t, M, -100, 100, 10);
}

// The emitter lies in a frame turned -90 degrees about x: the particles rise along -z, down
// the corridor. A played frame only: the warm-up leaves the particles as they are (they are
// cubes drawn like the boxes around them).
static void drawParticles(const SceneFrame &f)
{
    if (!f.played) return;
    vec3 P = scene2_wanderPoint(f.t);
    glPushMatrix();
    glRotatef(-90, 1, 0, 0);
    vlm_drawParticleSystem(emitter, P.x, P.y, 0, 0, 0, 0, 20, f.t);
    glPopMatrix();
}

// The smiling cube stands at the unturned point of the path.
static void drawSmile(float t)
{
    vec3 P = scene2_wanderPoint(t);
    glPushMatrix();
    glTranslatef(P.x, P.y, 0);
    glRotatef(90, 1, 0, 0);
    sceneUniform(scene2.lines, "textured", 1); // its face is in its texture
    vlm_renderOBJ(scene2.smile);
    sceneUniform(scene2.lines, "textured", 0);
    glPopMatrix();
}

static void draw(const SceneFrame &f)
{
    openDrawing(f, scene2.lines);
    tealMaterial();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    float M = swing(f.t);
    drawSpikes(f.t);
    scene2_drawBoxes(f.t, M);
    scene2_drawRings(f.t, M);
    drawParticles(f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    drawSmile(f.t);
    closeDrawing();
}

const SceneRow SCENE2_DARK_CORRIDOR = {
    .seconds = 30, .paper = 0, .track = "data/camera/scene2-camera0.vtrack", .load = load,
    .firstFrame = firstFrame, .screen = strongDistortion, .fade = scene2_fade, .draw = draw,
    .ids = &scene2, .name = "dark-corridor",
};
