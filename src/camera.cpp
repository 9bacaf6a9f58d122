// Camera tracks (the track loader and easing arrive in the next change; these keep callers linking).
#include "camera.h"

CameraTrack CAMERA_TRACK[VLM_MAX_CAMERA_TRACKS];
CameraTrack *CAMERA[VLM_MAX_CAMERAS];
int CURRENT_TRACK_ID = 0;
vec3 null_vec3 = {0, 0, 0};

int vlm_genCameraTrack(uint8_t kind, const char *path) { return CURRENT_TRACK_ID++; }
void vlm_camera_useTrack(int camera, int track) {}
void vlm_useCamera(int camera) {}
void vlm_interpolate_track(CameraTrack *track, uint32_t timeMs) {}
void vlm_getCameraTrackPos(int camera, vec3 *position, vec3 *rotation) {}
void vlm_setCameraTrackPos(int camera, const vec3 *position, const vec3 *rotation) {}
void vlm_savePosToTrack(int camera, uint32_t timeMs) {}
void vlm_saveTrackToFile(int camera, const char *path) {}
void vlm_drawTrackPath(int track) {}
void vlm_drawOrigo(void) {}
bool trackParse(const char *path, const char *bytes, size_t size, CameraTrack *track,
                TrackParseError *error)
{
    return true;
}
