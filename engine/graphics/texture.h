// Scene pictures: texture holders, the registry that groups them by scene, and the picture
// loaders (a loose file first, the data archive second).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/gfx/device.h"

// The scene a picture belongs to; a group is released as a whole when its scene ends.
enum class TextureGroup : int32_t {
    None = 0,
    Common = 1,
    Title = 2,
    Play = 3,
    GameOver = 4,
    Result = 5,
    Ending = 6,
    Shop = 7,
    Event = 8,
};

// One picture slot. Holders are static records of the scenes; the registry only points at
// them.
struct TextureHolder {
    gfx::Texture* texture;  // null when not loaded
    int32_t width;          // texture size in texels as requested at load
    int32_t height;
    TextureGroup group;
};

constexpr int kTextureRegistrySlots = 64;

struct TextureRegistry {
    std::array<TextureHolder*, kTextureRegistrySlots> slots;  // null = free
};

extern TextureRegistry gTextureRegistry;

// The pictures reported missing, too large or undecodable in this run, by path, so that a
// picture named by many materials or loaded by many scenes is reported once.
constexpr int32_t kMissingPictureReportSlots = 128;
constexpr size_t kMissingPicturePathBytes = 512;

struct MissingPictureReports {
    std::array<std::array<char, kMissingPicturePathBytes>, kMissingPictureReportSlots> paths;
    int32_t count;
};

extern MissingPictureReports gMissingPictureReports;

// Forgets the pictures reported: each is reported again the next time it is asked for.
void ResetMissingPictureReports();

// The read buffer of LoadTextureAnySize: pictures of models and meshes up to this size.
constexpr int32_t kAnySizeReadBuffer = 8 * 1024 * 1024;

// The largest picture file LoadTexture reads for a picture of that size: 8 bytes a texel;
// 0 for a size out of range.
size_t PictureReadCapacity(int32_t width, int32_t height);

// Results of ReadPictureQuietly other than a byte count.
constexpr int64_t kPictureTooLarge = -1;  // larger than the buffer
constexpr int64_t kPictureDamaged = -2;   // an archive entry whose packed data is damaged

// Reads a picture's bytes (the loose file first, the data archive second) without telling
// anyone: the byte count, 0 when the picture is missing or empty, kPictureTooLarge or
// kPictureDamaged. Safe on any thread while the archives stay open.
int64_t ReadPictureQuietly(const char* path, uint8_t* buffer, size_t capacity);

// Empties the registry; the textures of the holders it forgets are released with them.
void ClearTextureRegistry();
// Enters the holder in the first free slot. A full registry shows a message and returns
// null.
TextureHolder* RegisterTexture(TextureHolder* holder);
// Releases the texture of every registered holder of the group and frees their slots.
void ReleaseTextureGroup(TextureGroup group);

// Loads a picture into the holder, scaled to width x height, as a member of the group.
// The width, height and group are stored whatever follows; failures are shown in a
// message box and leave the holder without texture. A missing picture (or an empty file),
// one larger than the read buffer, and one that cannot be decoded, is reported once per run
// and path.
void LoadTexture(TextureGroup group, TextureHolder* holder, const char* path, int32_t width,
                 int32_t height);
// Loads a picture at its own size with a full mip chain into *texture (null on failure).
// Nothing is registered: the caller releases the texture.
void LoadTextureAnySize(gfx::Texture** texture, const char* path);

// Binds the holder's texture (or none) to texture stage 0.
void BindTexture(const TextureHolder& holder);
