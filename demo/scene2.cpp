// Scene 2: on black, the wireframe corridor of scene 1 goes on with a fourth, larger box per
// row and twenty denser rings; a smiling cube wanders on a noise path and a particle system
// throws cubes from a point on the same path. "fade" flashes from 11 down in the first
// second, then stays at 5.
#include "scenes.h"
#include "camera.h"
#include "director.h"
#include "effects_particles.h"
#include "lighting.h"
#include "loading.h"
#include "models_obj.h"
#include "noise.h"
#include "post_chain.h"
#include "scene_kit.h"
#include "shader.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

static int scene2_shader, post2_shader, scene2_shader2, spikepelare2, smile2, fbo2;

void scene2_load(void)
{
    scene2_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post2_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene2_shader2 = vlm_loadShader(LINES_VERT, LINES_FRAG);
    spikepelare2 = vlm_loadOBJ("data/models/spikepelare.obj"); // a model of its own
    smile2 = vlm_loadOBJ("data/models/smilecube.obj");
    fbo2 = loading_windowTarget();
}

SceneIds scene2_ids(void)
{
    return {{scene2_shader, post2_shader, scene2_shader2}, {spikepelare2, smile2}, fbo2, 0};
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
        vlm_renderOBJ(spikepelare2);
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

void sceneBlock2(void)
{
    static SceneOpening opening;
    static int testid;
    float t = director_sceneClock();
    float fade = scene2_fade(t);
    if (!opening.loaded) testid = (int)vlm_genParticleSystem(5000); // first frame, before the track
    unsigned fbotex = sceneBegin(opening, "data/camera/scene2-camera0.vtrack", fbo2, 0);
    setScreenEffects(t, STRONG_DISTORTION);

    vlm_useCamera(0);
    glPushMatrix();
    vlm_enableShader(scene2_shader2);
    sceneUniform(scene2_shader2, "timer", t);
    vlm_setLight0(1);
    tealMaterial();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    float M = swing(t);
    drawSpikes(t);
    scene2_drawBoxes(t, M);
    scene2_drawRings(t, M);

    // The emitter lies in a frame turned -90 degrees about x: the particles rise along -z,
    // down the corridor, while the cube below stands at the unturned point.
    vec3 P = scene2_wanderPoint(t);
    glPushMatrix();
    glRotatef(-90, 1, 0, 0);
    vlm_drawParticleSystem(testid, P.x, P.y, 0, 0, 0, 0, 20, t);
    glPopMatrix();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    P = scene2_wanderPoint(t);
    glPushMatrix();
    glTranslatef(P.x, P.y, 0);
    glRotatef(90, 1, 0, 0);
    sceneUniform(scene2_shader2, "textured", 1); // its face is in its texture
    vlm_renderOBJ(smile2);
    sceneUniform(scene2_shader2, "textured", 0);
    glPopMatrix();
    glPopMatrix();
    vlm_setLight0(0);

    sceneChange(2, t);
    postChain_scenePass(post2_shader, fade, fbotex);
}
