// Scene 1: on white paper an endless procession of wireframe spikes and bouncing, tilting
// slats moves along -z beside twenty rings of small cubes turning about that axis. "fade"
// flashes from 11 down to 1 in the first second and falls to -1 over the last two.
#include "scenes.h"
#include "camera.h"
#include "fbo.h"
#include "lighting.h"
#include "models_obj.h"
#include "shader.h"
#include "vlm.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

// One slat: a unit cube flattened to 1 x 0.2 x 3 at `y`, turned `angleDeg` about z.
static void slat(float x, float y, float z, float angleDeg)
{
    glPushMatrix();
    glTranslatef(x, y, z);
    glRotatef(angleDeg, 0, 0, 1);
    glScalef(1, 0.2f, 3);
    glutSolidCube(1);
    glPopMatrix();
}

static void drawProcession(float t, float M)
{
    for (int i = -20; i < 20; i++) {
        glPushMatrix();
        glTranslatef(0, 0, -scene1_rowDistance(t, i));
        vlm_renderOBJ(spikepelare1);
        glPopMatrix();
    }
    for (int i = -20; i < 20; i++) {
        float z = -scene1_rowDistance(t, i);
        slat(3, -M - 2, z, 0);
        slat(5, M - 4, z, 30 * (M + 2.5f));
        slat(1, M - 4, z, -30 * (M + 2.5f));
    }
}

void sceneBlock1(void)
{
    static int loaded = 0;
    static int camera_trackid0;
    static unsigned fbotex;
    float t = director_sceneClock();
    float fade = scene1_fade(t);
    if (!loaded) {
        loaded = 1;
        camera_trackid0 = vlm_genCameraTrack(2, "data/camera/scene1-camera0.vtrack");
        vlm_camera_useTrack(0, camera_trackid0);
    }
    mblur = 0;
    fbotex = vlm_enableFBO(fbo1, 1, 1, 1);
    director_screenEffects(t);

    vlm_useCamera(0);
    glPushMatrix();
    vlm_enableShader(scene1_shader2);
    sceneUniform(scene1_shader2, "timer", t);
    vlm_setLight0(1); // after the camera: the light sits at (0, 0, 1) of the corridor
    sceneMaterial();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    float M = scene1_swing(t);
    drawProcession(t, M);
    scene1_drawRings(t, M);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPopMatrix();
    vlm_setLight0(0);

    sceneChange(1, t);
    director_scenePostPass(post1_shader, fade, fbotex);
}
