#include "world/draw/form_sprite.h"

#include <cmath>

#include "engine/archive/archive.h"
#include "engine/core/context.h"
#include "engine/graphics/texture_groups.h"

namespace {

// Frame base and mirroring by view direction: five stored directions of eight frames each;
// directions 1 to 3 show directions 7 to 5 mirrored.
constexpr int kFrameBase[8] = {32, 24, 16, 8, 0, 8, 16, 24};
constexpr bool kMirrored[8] = {false, true, true, true, false, false, false, false};

constexpr gfx::Color kFormSpriteDiffuse = 0xFF7F7F7Fu;
// Texture coordinates stay this far inside each cell so neighbouring cells never bleed in.
constexpr float kCellInset = 0.1f;

LitSpriteVertex gFormSpriteVertices[kFormSpriteCellLimit * 6];

uint32_t ReadU16(std::span<const uint8_t> table, size_t at) {
    return static_cast<uint32_t>(table[at]) << 8 | table[at + 1];
}

uint32_t ReadU32(std::span<const uint8_t> table, size_t at) {
    return ReadU16(table, at) << 16 | ReadU16(table, at + 2);
}

// Brings an angle into [-pi, pi] by whole turns; a value that is not a number shows as 0.
float WrapAngle(float angle) {
    if (!std::isfinite(angle)) return 0.0f;
    if (std::fabs(angle) > 64.0f) angle = std::remainder(angle, 2.0f * gfx::kPi);
    while (angle < -gfx::kPi) angle += 2.0f * gfx::kPi;
    while (angle > gfx::kPi) angle -= 2.0f * gfx::kPi;
    return angle;
}

LitSpriteVertex Corner(float x, float y, float u, float v) {
    return LitSpriteVertex{x, y, 0.0f, x / 128.0f, y / 128.0f, 1.0f, kFormSpriteDiffuse, u, v};
}

}  // namespace

bool ReadFormFrame(std::span<const uint8_t> table, int form, int frame, FormFrame* out) {
    if (form < 0 || frame < 0 || frame >= kFormFrames) return false;
    size_t offsetAt = static_cast<size_t>(form) * 4;
    if (offsetAt + 4 > table.size()) return false;
    size_t block = ReadU32(table, offsetAt);
    size_t countAt = block + kFormCellCountsOffset + 2 * static_cast<size_t>(frame);
    size_t firstAt = block + kFormFirstEntryOffset + 2 * static_cast<size_t>(frame);
    if (block > table.size() || firstAt + 2 > table.size()) return false;

    int count = static_cast<int>(ReadU16(table, countAt));
    int first = static_cast<int>(ReadU16(table, firstAt));
    if (count > kFormSpriteCellLimit) count = kFormSpriteCellLimit;
    // Entries past the table's end are not drawn.
    size_t listAt = block + kFormCellListOffset;
    size_t entriesInTable = table.size() > listAt ? (table.size() - listAt) / 2 : 0;
    if (static_cast<size_t>(first) >= entriesInTable) {
        count = 0;
    } else if (static_cast<size_t>(first) + count > entriesInTable) {
        count = static_cast<int>(entriesInTable - first);
    }
    *out = FormFrame{static_cast<uint32_t>(block), count, first};
    return true;
}

uint16_t FormCellNumber(std::span<const uint8_t> table, uint32_t block, int entry) {
    return static_cast<uint16_t>(
        ReadU16(table, size_t{block} + kFormCellListOffset + 2 * static_cast<size_t>(entry)));
}

int FormViewDirection(float angle) {
    float a = WrapAngle(angle);
    return static_cast<int>((a + gfx::kPi / 8.0f + 2.0f * gfx::kPi) * 8.0f / (2.0f * gfx::kPi)) & 7;
}

int FormSpriteFrame(int form, int animationFrame, float angle, float pitch, bool* mirrored) {
    int d = FormViewDirection(angle);
    int base = kFrameBase[d];
    int frame = base + animationFrame;
    *mirrored = kMirrored[d];
    // Form 0 seen from the front half shows its pitch poses.
    if (form == 0 && (base == 0 || base == 8)) {
        int posed = frame;
        if (pitch > 0.47123894f) {
            posed = 45;
        } else if (pitch > 0.31415927f) {
            posed = 44;
        } else if (pitch > 0.15707964f) {
            posed = 43;
        }
        if (pitch < -0.47123894f) {
            posed = 42;
        } else if (pitch < -0.31415927f) {
            posed = 41;
        } else if (pitch < -0.15707964f) {
            posed = 40;
        }
        if (posed != frame) *mirrored = false;
        frame = posed;
    }
    return frame;
}

int BuildFormSpriteVertices(std::span<const uint8_t> table, int form, int animationFrame,
                            float angle, float pitch, int textureWidth, int textureHeight,
                            LitSpriteVertex* out) {
    bool mirrored;
    int frame = FormSpriteFrame(form, animationFrame, angle, pitch, &mirrored);
    FormFrame place;
    if (!ReadFormFrame(table, form, frame, &place)) return 0;

    const int spriteWidth = form == 4 ? 64 : 128;
    const int cellsPerRow = spriteWidth / 8;
    const bool textured = textureWidth >= 8 && textureHeight > 0;
    const int textureCellsPerRow = textured ? textureWidth / 8 : 1;
    const float w = textured ? static_cast<float>(textureWidth) : 1.0f;
    const float h = textured ? static_cast<float>(textureHeight) : 1.0f;

    LitSpriteVertex* v = out;
    for (int i = 0; i < place.cellCount; ++i) {
        int n = place.firstEntry + i;
        int c = FormCellNumber(table, place.block, n);
        int column = c % cellsPerRow;
        int row = c / cellsPerRow;
        float top = static_cast<float>(128 - 8 * row);
        // Mirrored cells go to the other side of x = 0; each corner keeps its texture
        // coordinate, so the picture is flipped.
        float outer = mirrored ? static_cast<float>(spriteWidth / 2 - 8 * column) - 8.0f
                               : static_cast<float>(8 * column - spriteWidth / 2) + 8.0f;
        float inner = mirrored ? outer + 8.0f : outer - 8.0f;

        float u0 = 0.0f, u1 = 0.0f, v0 = 0.0f, v1 = 0.0f;
        if (textured) {
            float texelLeft = static_cast<float>(8 * (n % textureCellsPerRow));
            float texelTop = static_cast<float>(8 * (n / textureCellsPerRow));
            u0 = (texelLeft + 0.0f + kCellInset) / w;
            u1 = (texelLeft + 8.0f - kCellInset) / w;
            v0 = (texelTop + 0.0f + kCellInset) / h;
            v1 = (texelTop + 8.0f - kCellInset) / h;
        }
        LitSpriteVertex c0 = Corner(outer, top, u1, v0);
        LitSpriteVertex c1 = Corner(outer, top - 8.0f, u1, v1);
        LitSpriteVertex c2 = Corner(inner, top - 8.0f, u0, v1);
        LitSpriteVertex c3 = Corner(inner, top, u0, v0);
        *v++ = c0;
        *v++ = c1;
        *v++ = c2;
        *v++ = c3;
        *v++ = c0;
        *v++ = c2;
    }
    return place.cellCount;
}

void DrawFormSprite(int form, int animationFrame, const gfx::Mat4& world, float angle,
                    float pitch) {
    gfx::Device* device = Device3D();
    if (!device) return;
    const TextureHolder* holder =
        form >= 0 && form < kFormTextureCount ? &gFormTextures[form] : nullptr;
    gfx::Texture* texture = holder ? holder->texture : nullptr;
    int width = texture ? holder->width : 0;
    int height = texture ? holder->height : 0;

    int cells = BuildFormSpriteVertices(FormTableBytes(), form, animationFrame, angle, pitch, width,
                                        height, gFormSpriteVertices);
    device->SetTransform(gfx::TS_WORLD, world);
    device->SetTexture(0, texture);
    if (cells > 0) {
        device->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, static_cast<uint32_t>(2 * cells),
                                gFormSpriteVertices, sizeof(LitSpriteVertex));
    }
}
