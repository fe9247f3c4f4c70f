// Picture files written by libpng and libjpeg for the decoder's tests: the forms of those
// kinds that ordinary tools save, made here from texels rather than kept as sample files.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/pictures.h"

namespace vqtest {

// PNG colour types as the file names them.
enum class PngColour : uint8_t { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };

struct PngForm {
    PngColour colour;
    int depth;          // bits a sample (an index for palette pictures): 1, 2, 4, 8 or 16
    bool interlaced;    // Adam7
    bool transparency;  // a tRNS chunk: palette alphas, or the colour of the first texel
};

// The picture in that form. Colours are taken as the form can hold them: grey from the red
// channel, alpha only where the form has it, palette indices in order of first use.
std::vector<uint8_t> WritePng(const TestPicture& picture, const PngForm& form);

struct JpegForm {
    int quality;  // 1..100
    bool progressive;
    bool grey;        // one component, from the red channel
    bool fullChroma;  // colour kept at full resolution (no 2 x 2 sampling)
};

std::vector<uint8_t> WriteJpeg(const TestPicture& picture, const JpegForm& form);

}  // namespace vqtest
