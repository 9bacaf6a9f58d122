// Scene 5 (placeholder block): its render target, the post pass and the scene changes, so
// that the director runs through the whole demo.
#include "scenes.h"
#include "camera.h"
#include "fbo.h"

void sceneBlock5(void)
{
    static int loaded = 0;
    static int camera_trackid0;
    static unsigned fbotex;
    float t = director_sceneClock();
    float fade = 1;
    if (!loaded) {
        loaded = 1;
        camera_trackid0 = vlm_genCameraTrack(2, "data/camera/scene5-camera0.vtrack");
        vlm_camera_useTrack(0, camera_trackid0);
    }
    mblur = 0;
    fbotex = vlm_enableFBO(fbo5, 0, 0, 0);
    director_screenEffects(t);
    sceneChange(5, t);
    director_scenePostPass(post5_shader, fade, fbotex);
}
