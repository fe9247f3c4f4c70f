// The music: eleven synthesized loops written as RIFF WAVE files (16-bit stereo PCM).
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkdata/imagefile.h"

namespace mk {

constexpr int kMusicRate = 22050;

// One track's interleaved stereo samples, exactly one loop long: its end runs on into its
// start without a break.
std::vector<int16_t> RenderTrack(int track);
Bytes EncodeWave(const std::vector<int16_t>& stereo, int rate);

}  // namespace mk
