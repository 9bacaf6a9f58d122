// Scene 2: on black, the wireframe corridor of scene 1 goes on with a fourth, larger box per
// row and twenty denser rings; a smiling cube wanders on a noise path and a particle system
// throws cubes from a point on the same path. "fade" flashes from 11 down in the first
// second, then stays at 5.
#include "scenes.h"
#include "camera.h"
#include "director_scenes26.h"
#include "effects_particles.h"
#include "fbo.h"
#include "lighting.h"
#include "models_obj.h"
#include "shader.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

static void drawSpikes(float t)
{
    for (float i = -20; i < 20; i += 1) {
        glPushMatrix();
        glTranslatef(0, 0, -scene1_rowDistance(t, (int)i));
        vlm_renderOBJ(spikepelare2);
        glPopMatrix();
    }
}

void sceneBlock2(void)
{
    static int loaded = 0;
    static int camera_trackid0;
    static unsigned fbotex;
    static int testid;
    float t = director_sceneClock();
    float fade = scene2_fade(t);
    if (!loaded) {
        loaded = 1;
        testid = (int)vlm_genParticleSystem(5000);
        camera_trackid0 = vlm_genCameraTrack(2, "data/camera/scene2-camera0.vtrack");
        vlm_camera_useTrack(0, camera_trackid0);
    }
    mblur = 0;
    fbotex = vlm_enableFBO(fbo2, 0, 0, 0);
    director_screenEffects(t);

    vlm_useCamera(0);
    glPushMatrix();
    vlm_enableShader(scene2_shader2);
    sceneUniform(scene2_shader2, "timer", t);
    vlm_setLight0(1);
    sceneMaterial();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    float M = scene1_swing(t);
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
    vlm_renderOBJ(smile2);
    glPopMatrix();
    glPopMatrix();
    vlm_setLight0(0);

    sceneChange(2, t);
    director_scenePostPass(post2_shader, fade, fbotex);
}
