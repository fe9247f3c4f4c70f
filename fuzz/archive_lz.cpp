// The volume archive's LZ77 decoder over arbitrary bytes.
#include "fuzz/archive_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckArchiveDecoder(DecompressLzBlock, data, size);
    return 0;
}
