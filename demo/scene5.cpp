// Scene 5: on black, a corridor of twenty wireframe reactors 20 units apart along z, each
// with a strip 5 wide and 0.2 deep at its foot, tessellated into 0.01 squares so finely
// that its wireframe reads as a dense mesh. "fade" rises over 10 s, holds, and falls sharply
// in the last second and a half.
#include "scenes.h"
#include "camera.h"
#include "director.h"
#include "lighting.h"
#include "loading.h"
#include "models_obj.h"
#include "post_chain.h"
#include "scene_kit.h"
#include "quad_batch.h"
#include "shader.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

static int scene5_shader, post5_shader, scene5_shader2, scene5_shader2_1, reactor5, fbo5;
static const float STRIP_CELL = 0.01f; // the strip's step, also sent as "intensity"
// One strip (scene5_drawStrip's loop), recorded after the stages. Its vertex program leaves
// it where it lies: runs of 25 columns of 21 squares (0.25 wide), so the parts of a near strip
// beside the view are left out.
GridRecording scene5_strip = {-2.5f,   2.5f,      STRIP_CELL, -0.1f, 0.1, STRIP_CELL, STRIP_CELL,
                              25 * 21, {0, 0, 0}, -1,         0,     false};

void scene5_load(void)
{
    scene5_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post5_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene5_shader2 = vlm_loadShader("data/shader/scene5.vert", "data/shader/scene5.frag");
    scene5_shader2_1 = vlm_loadShader("data/shader/scene5_1.vert", "data/shader/scene5_1.frag");
    reactor5 = vlm_loadOBJ("data/models/reactor.obj");
    fbo5 = loading_windowTarget();
}

SceneIds scene5_ids(void)
{
    return {{scene5_shader, post5_shader, scene5_shader2, scene5_shader2_1}, {reactor5}, fbo5, 0};
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

void sceneBlock5(void)
{
    static SceneOpening opening;
    float t = director_sceneClock();
    float intensity = STRIP_CELL;
    float fade = scene5_fade(t);
    unsigned fbotex = sceneBegin(opening, "data/camera/scene5-camera0.vtrack", fbo5, 0);
    setScreenEffects(t, CALM_DISTORTION);

    vlm_useCamera(0);
    vlm_setLight0(1);
    glPushMatrix();
    vlm_enableShader(scene5_shader2);
    sceneUniform(scene5_shader2, "timer", t);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    for (float z = -200; z < 200; z += 20) {
        glPushMatrix();
        glTranslatef(0, 0, z);
        vlm_renderOBJ(reactor5);
        glPopMatrix();
    }

    vlm_enableShader(scene5_shader2_1);
    sceneUniform(scene5_shader2_1, "intensity", intensity);
    sceneUniform(scene5_shader2_1, "timer", t);
    greyMaterial(0.6f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    for (float z = -200; z < 200; z += 20) {
        glPushMatrix();
        glTranslatef(0, 0, z);
        // scene5_drawStrip(intensity) recorded, its squares drawn as their outlines
        vlm_quadBatchDrawEdges(scene5_strip.batch);
        glPopMatrix();
    }
    glPopMatrix();
    vlm_setLight0(0);

    sceneChange(5, t);
    postChain_scenePass(post5_shader, fade, fbotex);
}
