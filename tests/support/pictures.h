// Small picture files made by the tests themselves: BMP, TGA and PNG encoders for ARGB
// texels, and helpers to write them into a folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vqtest {

// ARGB texels (0xAARRGGBB), rows top to bottom.
struct TestPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> texels;
};

// Every texel the same colour.
TestPicture SolidPicture(uint32_t width, uint32_t height, uint32_t argb);

// A 24-bit uncompressed BMP (alpha dropped), rows stored bottom-up.
std::vector<uint8_t> EncodeBmp24(const TestPicture& picture);
// A 32-bit uncompressed TGA with alpha, origin at the top left.
std::vector<uint8_t> EncodeTga32(const TestPicture& picture);
// A PNG (RGBA, 8 bits per channel) with stored (uncompressed) deflate blocks.
std::vector<uint8_t> EncodePng(const TestPicture& picture);

// Writes the bytes to the path, making the folders on the way.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace vqtest
