// Packed data file records: the search, the sizes text and the inflation of one record.
// Input: "name\n" + a packed file image (see fuzz_input.h), or a bare image looked up as
// "data/shader/post.frag".
#include "fuzz_input.h"
#include "io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzNamedInput in = fuzzSplitName(data, size, "data/shader/post.frag");
    VlmRecordResult r = vlm_io_parseRecord(in.body, in.bodySize, in.name.c_str());
    if (!r.ok) {
        const std::string &m = r.messages;
        bool known = m.find("Unable to get sizes.") != std::string::npos ||
                     m.find("Unable to decompress") != std::string::npos;
        FUZZ_CHECK(known && r.exitStatus == 0);
    } else if (!r.found) {
        FUZZ_CHECK(r.data.empty());
        FUZZ_CHECK(r.messages == "File " + in.name + " not found compressed.\n");
    } else {
        // A record holds at most what its zlib stream can inflate to.
        FUZZ_CHECK(r.data.size() <= in.bodySize * 1040 + 64);
    }
    return 0;
}
