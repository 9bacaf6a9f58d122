// MD5 animations: header counts, hierarchy, bounds, base frame and frames, each frame's
// skeleton built at load time; then the frames the player would pick at a few times.
#include "fuzz_input.h"
#include "models.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static md5_anim_t anim;
    VlmParseOutcome r = md5_parseAnimation("fuzz.md5anim", (const char *)data, size, &anim);
    if (!r.ok) {
        FUZZ_CHECK(r.messages.rfind("[!] ") != std::string::npos && r.exitStatus == -1);
        return 0;
    }
    FUZZ_CHECK(anim.num_frames >= 1);
    FUZZ_CHECK(anim.skelFrames.size() == (size_t)anim.num_frames * anim.num_joints);
    FUZZ_CHECK(anim.bboxes.size() == (size_t)anim.num_frames);
    const float times[] = {0.0f, 0.5f, 1.0f, 3.7f, 1e9f, -2.0f};
    for (float seconds : times) {
        int a, b;
        float t;
        anim_framesAt(&anim, seconds, &a, &b, &t);
        FUZZ_CHECK(a >= 0 && b >= 0 && t >= 0.0f && t < 1.0f);
        FUZZ_CHECK(anim.num_frames == 1 ? (a == 0 && b == 0)
                                        : (a < anim.num_frames && b < anim.num_frames));
    }
    md5_model_t empty = md5_model_t();
    (void)anim_validate(&empty, &anim);
    return 0;
}
