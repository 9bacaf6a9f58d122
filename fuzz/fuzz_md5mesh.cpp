// MD5 meshes: counts, joints, mesh blocks and indices; a model that parses is then skinned
// in its bind pose, which walks every vertex's weights and every triangle's corners.
#include "fuzz_input.h"
#include "models.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static md5_model_t model;
    VlmParseOutcome r = md5_parseMesh("fuzz.md5mesh", (const char *)data, size, &model);
    if (!r.ok) {
        size_t last = r.messages.rfind("[!] ");
        FUZZ_CHECK(last != std::string::npos && r.exitStatus == -1);
        return 0;
    }
    FUZZ_CHECK(model.meshes.size() == (size_t)model.num_meshes);
    FUZZ_CHECK(model.baseSkel.size() == (size_t)model.num_joints);
    md5_sizeScratch(&model);
    for (int k = 0; k < model.num_meshes; k++) md5_prepare_mesh(&model, k, model.baseSkel.data());
    return 0;
}
