// The WAVE reader on arbitrary bytes: it must refuse or decode, never crash, and anything
// it decodes is whole stereo frames within the length limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/audio/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<int16_t> stereo;
    if (audio::DecodeWave({data, size}, &stereo)) {
        if (stereo.empty() || stereo.size() % audio::kChannels != 0 ||
            stereo.size() / audio::kChannels > audio::kMaxSegmentFrames) {
            std::abort();
        }
    }
    return 0;
}
