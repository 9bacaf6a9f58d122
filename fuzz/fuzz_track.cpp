// Camera track files: the line count, the key scan, and moving the parsed track along the
// clock (the keys' own times, around them and far past the end).
#include "camera.h"
#include "fuzz_input.h"
#include <math.h>

static void freeKeys(CameraTrack *track)
{
    free(track->keyPositions);
    free(track->keyRotations);
    free(track->keyTimes);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CameraTrack track = {};
    VlmParseOutcome error;
    if (!trackParse("fuzz.vtrack", (const char *)data, size, &track, &error)) {
        FUZZ_CHECK(size == 0 && fuzzTaggedMessage(error.messages) && error.exitStatus == -1);
        return 0;
    }
    FUZZ_CHECK(track.keyCount >= 1 && track.kind == VLM_TRACK_LOADED);
    uint32_t times[] = {0, 1, 999, 0x7fffffffu, 0xffffffffu};
    for (uint32_t t : times) vlm_interpolate_track(&track, t);
    for (uint32_t k = 0; k < track.keyCount && k < 64; k++) {
        uint32_t t = track.keyTimes[k];
        vlm_interpolate_track(&track, t);
        vlm_interpolate_track(&track, t - 1);
        vlm_interpolate_track(&track, t + 1);
    }
    freeKeys(&track);
    return 0;
}
