// The TGA reader of the picture decoder: true-colour, grey and colour-mapped pictures,
// plain or run-length packed, in any of the four origins.
#pragma once

#include <cstdint>
#include <span>

#include "platform/image/picture.h"

namespace image {

// True when the bytes begin with a TGA header this reader takes: a known image type with
// a pixel depth and colour map that fit it, and a picture of at least one texel. TGA files
// carry no signature, so this is what tells them from other kinds.
bool IsTgaHeader(std::span<const uint8_t> bytes);

// Decodes a TGA file whose header IsTgaHeader accepted. 16-bit texels keep their alpha bit
// when the header announces one alpha bit (fully transparent or opaque), 32-bit texels
// keep their alpha byte, other depths are opaque. False (with a reason) when the file is
// cut short, names a colour outside its colour map, or is larger than kMaxPictureSide.
bool DecodeTga(std::span<const uint8_t> bytes, Picture* out, const char** reason);

}  // namespace image
