// MTL material libraries: block search by substring, texture names, scalars and colours.
// Input: "material name\n" + the library text, or a bare library asked for "Material".
#include "fuzz_input.h"
#include "models_obj.h"

static unsigned countTexture(void *context, std::string *, const char *name)
{
    FUZZ_CHECK(strstr(name, ".png") || strstr(name, ".PNG"));
    return ++*(unsigned *)context;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzNamedInput in = fuzzSplitName(data, size, "Material", 64);
    OBJMaterial material = {};
    unsigned textures = 0;
    std::string log;
    VlmParseOutcome error;
    MtlParse parse;
    parse.name = in.name.c_str();
    parse.material = &material;
    parse.firstTriangle = 3;
    parse.packed = size > 0 && (data[size - 1] & 1);  // both message sets get exercised
    parse.loadTexture = countTexture;
    parse.textureContext = &textures;
    parse.log = &log;
    parse.error = &error;
    if (!mtlParse(parse, (const char *)in.body, in.bodySize)) {
        FUZZ_CHECK(fuzzTaggedMessage(error.messages) && error.exitStatus == -1);
        return 0;
    }
    FUZZ_CHECK(material.firstTriangle == 3);
    // +1 per colour map, +2 per bump map: the flags count the textures loaded.
    FUZZ_CHECK(material.textureFlags >= 0 && (unsigned)material.textureFlags <= 2 * textures);
    return 0;
}
