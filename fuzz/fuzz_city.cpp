// The procedural city's map: PNG bytes decoded into 0/1 cells (inputs that start with the PNG
// signature), or a decoded map given directly (any other input: width and height in the first
// two bytes, then one byte per component picking 0, 1 or a value a map must not hold). A map
// that is accepted is built into the city's ground, roof and wall arrays.
#include "effects_city.h"
#include "fuzz_input.h"
#include <math.h>
#include <vector>

// Component values: mostly 0 and 1, sometimes what a broken decoder might hand over.
static float componentFor(uint8_t byte)
{
    static const float odd[] = {0.5f, -1.0f, 2.0f, NAN, INFINITY, -0.0f, 1e-30f, 255.0f};
    switch (byte & 3) {
    case 0: return 0.0f;
    case 1:
    case 2: return 1.0f;
    default: return odd[(byte >> 2) & 7];
    }
}

static void checkGeometry(const VlmCityGeometry &city, int side)
{
    if (!city.ok) {
        FUZZ_CHECK(fuzzTaggedMessage(city.messages));
        return;
    }
    // What vlm_drawCityGeometry hands to glDrawArrays must lie inside the arrays.
    size_t room = (size_t)side * side * 4;
    FUZZ_CHECK(city.side == side);
    FUZZ_CHECK(city.groundPos.size() == room * 3 && city.roofPos.size() == room * 3);
    FUZZ_CHECK(city.groundTex.size() == room * 2 && city.roofTex.size() == room * 2);
    FUZZ_CHECK(city.wallUnits >= 0);
    FUZZ_CHECK(city.wallPos.size() >= (size_t)city.wallUnits * 4 * 3);
    FUZZ_CHECK(city.wallTex.size() >= (size_t)city.wallUnits * 4 * 2);
    FUZZ_CHECK(city.groundQuads >= 0 && (size_t)city.groundQuads * 4 <= room);
    FUZZ_CHECK(city.roofQuads >= 0 && (size_t)city.roofQuads * 4 <= room);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size >= 8 && memcmp(data, "\x89PNG", 4) == 0) {
        VlmProcMapResult map = vlm_parseProcMap(data, size, "fuzz.png");
        if (!map.ok) {
            FUZZ_CHECK(fuzzTaggedMessage(map.messages));
            return 0;
        }
        FUZZ_CHECK(map.values.size() == (size_t)map.width * map.height * 3);
        checkGeometry(vlm_buildCity(map.width, map.height, map.values.data(), "fuzz.png"),
                      map.width);
        return 0;
    }
    if (size < 2) return 0;
    int width = data[0], height = data[1];
    std::vector<float> values((size_t)width * height * 3, 0.0f);
    for (size_t i = 0; i < values.size() && i + 2 < size; i++) values[i] = componentFor(data[i + 2]);
    checkGeometry(vlm_buildCity(width, height, values.data(), "fuzz.map"), width);
    return 0;
}
