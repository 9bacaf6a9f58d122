// OBJ models: the two passes, face indices against the lists, materials by usemtl, and the
// de-indexed arrays the drawing reads. Every material comes from one fixed library (a valid
// MTL with textures), so the input is only the model's text.
#include "fuzz_input.h"
#include "models_obj.h"

static const char LIBRARY[] =
    "newmtl Red\nNs 10\nKa 0.1 0 0\nKd 1 0 0\nKs 0.5 0.5 0.5\nmap_Kd red.png\n"
    "newmtl Blue\nKd 0 0 1\nd 0.5\nNi 1.45\nbump blue_bump.png\nillum 2\n";

static unsigned fakeTexture(void *, std::string *, const char *) { return 7; }

static bool materialFromLibrary(void *, const char *library, const char *name,
                                OBJMaterial *material, int firstTriangle, std::string *log,
                                VlmParseOutcome *error)
{
    MtlParse parse;
    parse.name = name;
    parse.material = material;
    parse.firstTriangle = firstTriangle;
    parse.loadTexture = fakeTexture;
    parse.log = log;
    parse.error = error;
    return mtlParse(parse, LIBRARY, sizeof LIBRARY - 1);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static OBJModel model;
    std::string log;
    VlmParseOutcome error;
    if (!objParse("fuzz.obj", (const char *)data, size, &model, materialFromLibrary, nullptr,
                  &log, &error)) {
        FUZZ_CHECK(fuzzTaggedMessage(error.messages) ||
                   error.messages.compare(0, 11, "line error:") == 0);
        FUZZ_CHECK(error.exitStatus == -1);
        return 0;
    }
    // What vlm_renderOBJ hands to glDrawArrays must lie inside the arrays.
    size_t triangles = (size_t)model.triangleCount;
    FUZZ_CHECK(model.trianglePositions.size() == 9 * triangles);
    FUZZ_CHECK(model.triangleNormals.size() == 9 * triangles);
    FUZZ_CHECK(model.triangleTexcoords.size() == 6 * triangles);
    FUZZ_CHECK(model.materials.size() == (size_t)model.materialCount);
    int previous = 0;
    for (const OBJMaterial &m : model.materials) {
        FUZZ_CHECK(m.firstTriangle >= previous && m.firstTriangle <= model.triangleCount);
        previous = m.firstTriangle;
    }
    return 0;
}
