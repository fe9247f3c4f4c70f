// Picture files in the formats the game's picture loader reads: uncompressed 24-bit BMP
// (transparent texels as the colour key, opaque pure green) and 32-bit TGA with alpha.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkdata/image.h"

namespace mk {

using Bytes = std::vector<uint8_t>;

enum class BmpMode {
    Opaque,  // composited over black
    Keyed,   // texels under half cover become the colour key 0x00FF00
};

Bytes EncodeBmp(const Image& img, BmpMode mode);
// `premultiplied` stores colour x alpha, for pictures blended with ONE / INVSRCALPHA.
Bytes EncodeTga(const Image& img, bool premultiplied = false);

}  // namespace mk
