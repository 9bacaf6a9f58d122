// Scene 6, the last: on black the viewer travels through a tunnel of 100 rows, eight pipes
// around the axis at radius 6 and eight slowly turning rings at radius 10 per row, streaming
// past at a pulsing speed; a narrow strip runs along the axis and the greetings line scrolls
// along the tunnel. Its end, 66 s in, ends the demo.
#include "scenes.h"
#include "camera.h"
#include "director_scenes26.h"
#include "effects_screen.h"
#include "fbo.h"
#include "lighting.h"
#include "models_obj.h"
#include "shader.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

static void material6(void)
{
    static const float ambient[4] = {0.6f, 0.6f, 0.6f, 1}, grey[4] = {0.5f, 0.5f, 0.5f, 1},
                       shininess[4] = {96, 96, 96, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, grey);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, grey);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
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

void sceneBlock6(void)
{
    static int loaded = 0;
    static int camera_trackid0;
    static unsigned fbotex;
    float t = director_sceneClock();
    float intensity = 0.5f;
    float fade = 5;
    if (!loaded) {
        loaded = 1;
        camera_trackid0 = vlm_genCameraTrack(2, "data/camera/scene6-camera0.vtrack");
        vlm_camera_useTrack(0, camera_trackid0);
    }
    mblur = 0;
    fbotex = vlm_enableFBO(fbo6, 0, 0, 0);
    scenes46_screenEffects(t);

    vlm_useCamera(0);
    vlm_setLight0(1);
    glPushMatrix();
    vlm_enableShader(scene6_shader2);
    sceneUniform(scene6_shader2, "timer", t);
    float s = scene6_travel(t);
    material6();
    drawGreetings(t);
    scene6_drawTunnel(t, s, pipe6, ring6);

    vlm_enableShader(scene6_shader2_1);
    sceneUniform(scene6_shader2_1, "intensity", intensity);
    sceneUniform(scene6_shader2_1, "timer", t);
    material6();
    scene6_drawStrip(intensity);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPopMatrix();
    vlm_setLight0(0);

    sceneChange(6, t); // past 66 s this ends the demo before the post pass
    director_scenePostPass(post6_shader, fade, fbotex);
}
