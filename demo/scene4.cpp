// Scene 4: on black, a wireframe car stands at the origin with its wheels spinning while a
// road of 40 rows of three slabs streams under it at 35 units per second, its cross-section
// flexing with the bend value. Four emitters near the car's corners throw trails of cubes, a
// wireframe floor grid of 2-unit squares lies under everything and a line of thanks in filled
// letters crosses the scene. "fade" climbs to 10 in the first second.
#include "scenes.h"
#include "camera.h"
#include "director.h"
#include "effects_particles.h"
#include "effects_screen.h"
#include "lighting.h"
#include "loading.h"
#include "models_obj.h"
#include "post_chain.h"
#include "scene_kit.h"
#include "quad_batch.h"
#include "shader.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

static const char THANKS[] = "Thanks to all you awesum ppl who attended polarmoot winter 2010"
                             "             stay scene!";

static int scene4_shader, post4_shader, scene4_shader2, scene4_shader2_1, bug_wheel4, bug_body4,
    fbo4;
static const float GRID_CELL = 2;    // the grid's spacing, also sent as "intensity"
// The floor grid: the ground of GRID_CELL squares in runs of 10, recorded after the stages.
GridRecording scene4_grid = {-100, 100, GRID_CELL, -100, 100, GRID_CELL, GRID_CELL,
                             10,   {0, 0, 0}, -1,  0,    false};

void scene4_load(void)
{
    scene4_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post4_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene4_shader2 = vlm_loadShader("data/shader/scene4.vert", "data/shader/scene4.frag");
    scene4_shader2_1 = vlm_loadShader("data/shader/scene4_1.vert", "data/shader/scene4_1.frag");
    bug_wheel4 = vlm_loadOBJ("data/models/bug_wheel.obj");
    bug_body4 = vlm_loadOBJ("data/models/bug_body.obj");
    fbo4 = loading_windowTarget();
}

SceneIds scene4_ids(void)
{
    return {{scene4_shader, post4_shader, scene4_shader2, scene4_shader2_1},
            {bug_wheel4, bug_body4},
            fbo4,
            0};
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
// along world +z, behind the car as the road streams that way.
static void drawEmitters(const int psystem[4], float t)
{
    static const float at[4][3] = {{4, -2, -9}, {-4, -2, -9}, {4, -2, 3}, {-4, -2, 3}};
    for (int i = 0; i < 4; i++) {
        glPushMatrix();
        glTranslatef(at[i][0], at[i][1], at[i][2]);
        glRotatef(90, 1, 0, 0);
        vlm_drawParticleSystem(psystem[i], 0, 0, 0, 0, 0, 0, 10, 0.5f * t);
        glPopMatrix();
    }
}

// The body at the origin and two axles, at z = 0 and 9 units behind, spinning -200 deg/s.
static void drawCar(float t)
{
    glPushMatrix();
    glPushMatrix();
    vlm_renderOBJ(bug_body4);
    glPopMatrix();
    glPushMatrix();
    glRotatef(-200 * t, 1, 0, 0);
    vlm_renderOBJ(bug_wheel4);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(0, 0, -9);
    glRotatef(-200 * t, 1, 0, 0);
    vlm_renderOBJ(bug_wheel4);
    glPopMatrix();
    glPopMatrix();
}

void sceneBlock4(void)
{
    static SceneOpening opening;
    static int psystem[4];
    float t = director_sceneClock();
    float intensity = GRID_CELL;
    float fade = scene4_fade(t);
    if (!opening.loaded) // first frame, before the track
        for (int i = 0; i < 4; i++) psystem[i] = (int)vlm_genParticleSystem(1000);
    unsigned fbotex = sceneBegin(opening, "data/camera/scene4-camera0.vtrack", fbo4, 0);
    setScreenEffects(t, CALM_DISTORTION);
    float b = swing(t); // the road bends as the slats swing

    vlm_useCamera(0);
    vlm_setLight0(1);
    glPushMatrix();
    vlm_enableShader(scene4_shader2);
    sceneUniform(scene4_shader2, "timer", t);
    greyMaterial(0.6f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    drawEmitters(psystem, t);
    drawCar(t); // its models' materials stay in effect for the road
    scene4_drawRoad(t, b);

    greyMaterial(1);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPushMatrix();
    glRotatef(180, 0, 1, 0);
    vlm_drawPolygonText(THANKS, 40 - 10 * t, 10, 0);
    glPopMatrix();

    vlm_enableShader(scene4_shader2_1);
    sceneUniform(scene4_shader2_1, "intensity", intensity);
    sceneUniform(scene4_shader2_1, "timer", t);
    greyMaterial(0.6f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    vlm_quadBatchDraw(scene4_grid.batch); // the ground of `intensity` squares
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPopMatrix();
    vlm_setLight0(0);

    sceneChange(4, t);
    postChain_scenePass(post4_shader, fade, fbotex);
}
