// Scene 5: on black, a corridor of twenty wireframe reactors 20 units apart along z, each
// with a strip 5 wide and 0.2 deep at its foot, tessellated into 0.01 squares so finely
// that its wireframe reads as a dense mesh. "fade" rises over 10 s, holds, and falls sharply
// in the last second and a half.
#include "scenes.h"
#include "camera.h"
#include "director_scenes26.h"
#include "fbo.h"
#include "lighting.h"
#include "models_obj.h"
#include "shader.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

static void stripMaterial(void)
{
    static const float ambient[4] = {0.6f, 0.6f, 0.6f, 1}, grey[4] = {0.5f, 0.5f, 0.5f, 1},
                       shininess[4] = {96, 96, 96, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, grey);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, grey);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
}

void sceneBlock5(void)
{
    static int loaded = 0;
    static int camera_trackid0;
    static unsigned fbotex;
    float t = director_sceneClock();
    float intensity = 0.01f;
    float fade = scene5_fade(t);
    if (!loaded) {
        loaded = 1;
        camera_trackid0 = vlm_genCameraTrack(2, "data/camera/scene5-camera0.vtrack");
        vlm_camera_useTrack(0, camera_trackid0);
    }
    mblur = 0;
    fbotex = vlm_enableFBO(fbo5, 0, 0, 0);
    scenes46_screenEffects(t);

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
    stripMaterial();
    for (float z = -200; z < 200; z += 20) {
        glPushMatrix();
        glTranslatef(0, 0, z);
        scene5_drawStrip(intensity);
        glPopMatrix();
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPopMatrix();
    vlm_setLight0(0);

    sceneChange(5, t);
    director_scenePostPass(post5_shader, fade, fbotex);
}
