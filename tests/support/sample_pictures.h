// Picture-like test data: 24-bit BMP files with what the game's pictures hold (smooth
// gradients with ordered dithering, shaded shapes, hard-edged details and areas of
// the pure green that stands for transparency), made from a seed.
#pragma once

#include <cstdint>
#include <vector>

namespace vqtest {

std::vector<uint8_t> MakeSamplePicture(int width, int height, uint32_t seed);

}  // namespace vqtest
