// Scene 0, the opening: a vast plane of small cells seen from the scene's camera track, and
// from 22.5 s three title lines in polygon letters standing around y = 40. "fade" rises from
// 0 to 1 over 5 s and climbs above 1 in the last 5 s, building towards the cut to scene 1.
#include "scenes.h"
#include "camera.h"
#include "director.h"
#include "effects_screen.h"
#include "lighting.h"
#include "loading.h"
#include "post_chain.h"
#include "quad_batch.h"
#include "scene_kit.h"
#include "shader.h"
#include "vlm.h"
#include <GL/glew.h>
#include <cmath>

static int scene0_shader, post0_shader, scene0_shader2, fbo0;
static const float PLANE_CELL = 0.3f;  // the plane's cell size, also sent as "intensity"
// The plane: the ground of PLANE_CELL cells in runs of 64 along z, recorded after the loading
// stages. Its vertex program lifts it by at most 0.5: its runs' boxes grow by that.
GridRecording scene0_plane = {-100, 100,        PLANE_CELL, -100, 100, PLANE_CELL, PLANE_CELL,
                              64,   {0, 0.5f, 0}, -1,         0,    false};

void scene0_load(void)
{
    scene0_shader = vlm_loadShader(SCENE_VERT, SCENE_FRAG);
    post0_shader = vlm_loadShader(nullptr, POST_FRAG);
    scene0_shader2 = vlm_loadShader(LINES_VERT, LINES_FRAG);
    fbo0 = loading_windowTarget();
}

SceneIds scene0_ids(void)
{
    return {{scene0_shader, post0_shader, scene0_shader2}, {}, fbo0, 0};
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

void sceneBlock0(void)
{
    static SceneOpening opening;
    float t = director_sceneClock();
    float intensity = PLANE_CELL;
    float fade = 1;
    unsigned fbotex = sceneBegin(opening, "data/camera/scene0-camera0.vtrack", fbo0, 0);
    fade = scene0_fade(t);
    vlm_enableShader(scene0_shader2);
    sceneUniform(scene0_shader2, "timer", t);
    setScreenEffects(t, STRONG_DISTORTION);

    glColor4f(1, 1, 1, 1);
    vlm_setLight0(1); // before the camera: the light sits just behind the viewer
    vlm_useCamera(0);
    glPushMatrix();
    tealMaterial();
    if (t > 22.5f) drawTitles(t);
    vlm_enableShader(scene0_shader);
    sceneUniform(scene0_shader, "intensity", intensity);
    sceneUniform(scene0_shader, "timer", t);
    vlm_quadBatchDraw(scene0_plane.batch); // the ground of `intensity` cells
    glPopMatrix();
    vlm_setLight0(0);

    postChain_scenePass(post0_shader, fade, fbotex);
    sceneChange(0, t);
}
