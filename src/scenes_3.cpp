// Scene 3, the system crash: on white, a row of 200 cubes along x shakes with a common fast
// oscillation whose noise-driven amplitude grows with the scene time, and the screen
// distortion grows with it. Past 6 s "FATAL SYSTEM ERROR!" appears, the distortion jumps to
// eleven or twelve times its size with its sign inverted and "fade" drops to 0.
#include "scenes.h"
#include "camera.h"
#include "director_scenes26.h"
#include "effects_screen.h"
#include "fbo.h"
#include "lighting.h"
#include "shader.h"
#include <GL/glew.h>
#include <GL/freeglut.h>

static void drawCubeRow(float t)
{
    for (float x = -100; x < 100; x += 1) {
        glPushMatrix();
        glTranslatef(x, scene3_cubeHeight(t, x), 0);
        glutSolidCube(1);
        glPopMatrix();
    }
}

void sceneBlock3(void)
{
    static int loaded = 0;
    static int camera_trackid0;
    static unsigned fbotex;
    float t = director_sceneClock();
    float fade = scene3_fade(t);
    if (!loaded) {
        loaded = 1;
        camera_trackid0 = vlm_genCameraTrack(2, "data/camera/scene3-camera0.vtrack");
        vlm_camera_useTrack(0, camera_trackid0);
    }
    mblur = 0;
    fbotex = vlm_enableFBO(fbo3, 1, 1, 1);
    scene3_screenEffects(t);

    vlm_useCamera(0);
    vlm_setLight0(1);
    glPushMatrix();
    vlm_enableShader(scene3_shader2);
    sceneUniform(scene3_shader2, "timer", t);
    sceneMaterial();
    if (t > 6) vlm_drawPolygonText("FATAL SYSTEM ERROR!", -20, 20, 0);
    drawCubeRow(t);
    glPopMatrix();
    vlm_setLight0(0);

    sceneChange(3, t);
    director_scenePostPass(post3_shader, fade, fbotex);
}
