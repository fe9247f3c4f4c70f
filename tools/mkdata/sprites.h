// The form table: per form, 256 frames of (cell count, first list entry) and the list of
// cell numbers, written in the big-endian layout the game reads in place.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkdata/imagefile.h"

namespace mk {

struct FormFrames {
    std::vector<uint16_t> count, first, cells;
};

Bytes BuildFormTable(const std::vector<FormFrames>& forms);

}  // namespace mk
