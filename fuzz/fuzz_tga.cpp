// TGA decoding: header checks, sizes against the bytes present, the BGR swap.
#include "fuzz_input.h"
#include "textures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    VlmImage image = vlm_decodeTGA(data, size, "fuzz.tga");
    if (!image.ok) {
        FUZZ_CHECK(fuzzTaggedMessage(image.messages));
        return 0;
    }
    FUZZ_CHECK(image.width > 0 && image.height > 0);
    FUZZ_CHECK(image.bytesPerPixel == 3 || image.bytesPerPixel == 4);
    FUZZ_CHECK(image.pixels.size() ==
               (size_t)image.width * image.height * image.bytesPerPixel);
    FUZZ_CHECK(image.pixels.size() <= size);
    return 0;
}
