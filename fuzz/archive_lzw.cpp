// The picture archive's LZW decoder over arbitrary bytes.
#include "fuzz/archive_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckArchiveDecoder(DecompressLzwBlock, data, size);
    return 0;
}
