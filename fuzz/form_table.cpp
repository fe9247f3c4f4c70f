// The form sprite builder over an arbitrary form table: the first bytes choose the form, the
// animation frame, the view angle, the pitch and the picture's size; the rest is the table.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "world/draw/form_sprite.h"

namespace {
LitSpriteVertex gVertices[kFormSpriteCellLimit * 6];
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    int form = data[0] % 8;
    int frame = data[1] % 16;
    float angle = static_cast<float>(static_cast<int8_t>(data[2])) * 0.05f;
    float pitch = static_cast<float>(static_cast<int8_t>(data[3])) * 0.01f;
    int width = data[4] * 4;
    int height = data[5] * 4;
    std::span<const uint8_t> table(data + 6, size - 6);
    int cells = BuildFormSpriteVertices(table, form, frame, angle, pitch, width, height, gVertices);
    if (cells < 0 || cells > kFormSpriteCellLimit) __builtin_trap();
    return 0;
}
