// Scene 3 (placeholder block): its render target, the post pass and the scene changes, so
// that the director runs through the whole demo.
#include "scenes.h"
#include "camera.h"
#include "fbo.h"

void sceneBlock3(void)
{
    static int loaded = 0;
    static int camera_trackid0;
    static unsigned fbotex;
    float t = director_sceneClock();
    float fade = 1;
    if (!loaded) {
        loaded = 1;
        camera_trackid0 = vlm_genCameraTrack(2, "data/camera/scene3-camera0.vtrack");
        vlm_camera_useTrack(0, camera_trackid0);
    }
    mblur = 0;
    fbotex = vlm_enableFBO(fbo3, 1, 1, 1);
    director_screenEffects(t);
    sceneChange(3, t);
    director_scenePostPass(post3_shader, fade, fbotex);
}
