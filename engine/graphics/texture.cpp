#include "engine/graphics/texture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>

#include "engine/archive/archive.h"
#include "engine/core/context.h"
#include "engine/core/message_box.h"
#include "engine/graphics/picture_prefetch.h"
#include "platform/image/picture.h"
#include "platform/system/system.h"
#include "platform/text/cp932.h"

TextureRegistry gTextureRegistry;
MissingPictureReports gMissingPictureReports;

namespace {

constexpr auto kNoMemoryForSize = text::Cp932(u8"メモリが足りません。w:%d h:%d");
constexpr auto kNoMemory = text::Cp932(u8"メモリが足りません。");
constexpr auto kRegistryFull = text::Cp932(u8"setTextureオーバー");

void ReleaseHolderTexture(TextureHolder* holder) {
    if (holder->texture) {
        holder->texture->Release();
        holder->texture = nullptr;
    }
}

// True the first time a path is reported in this run: a picture that is missing, too large
// or cannot be decoded is told once, however many materials or scenes name it. A path too
// long for the list, or one reported once the list is full, is always told.
bool FirstReport(const char* path) {
    MissingPictureReports& r = gMissingPictureReports;
    size_t length = std::strlen(path);
    if (length >= kMissingPicturePathBytes) return true;
    for (int32_t i = 0; i < r.count; ++i) {
        if (std::strcmp(r.paths[i].data(), path) == 0) return false;
    }
    if (r.count < kMissingPictureReportSlots) {
        std::memcpy(r.paths[r.count++].data(), path, length + 1);
    }
    return true;
}

// Tells the words followed by the path, once per path.
void ReportPictureOnce(const char* words, const char* path) {
    if (!FirstReport(path)) return;
    char message[kMissingPicturePathBytes + 32];
    std::snprintf(message, sizeof message, "%s%s", words, path);
    ShowMessageBox(message, kPictureErrorCaption);
}

void ReportDamagedPicture(const char* path, const char* why) {
    if (FirstReport(path)) ShowDamagedPictureMessage(path, why);
}

// Reads a picture's bytes into the buffer, reporting once per path what went wrong: a
// missing picture (an empty file counts as missing), one too large for the buffer, or a
// damaged archive entry. 0 when there is nothing to decode.
int64_t ReadPictureBytes(const char* path, uint8_t* buffer, size_t capacity) {
    int64_t size = ReadPictureQuietly(path, buffer, capacity);
    if (size == kPictureTooLarge) {
        ReportPictureOnce("File Too Large ", path);
        return 0;
    }
    if (size == kPictureDamaged) {
        ReportDamagedPicture(path, "its packed data in the archive is damaged");
        return 0;
    }
    if (size == 0) ReportPictureOnce("Not File Found ", path);
    return size;
}

// Makes the texture; a picture that cannot be decoded is told once per path and leaves no
// texture, so that it is not drawn.
void CreateTextureFromBytes(const char* path, const uint8_t* bytes, int64_t size, uint32_t width,
                            uint32_t height, uint32_t levels, gfx::Texture** out) {
    *out = nullptr;
    gfx::Device* device = Device3D();
    if (!device || size <= 0) return;
    image::TexturePicture picture;
    const char* why = nullptr;
    if (!image::PrepareTexturePicture(std::span(bytes, static_cast<size_t>(size)), width, height,
                                      levels, image::kTransparentKey, &picture, &why)) {
        ReportDamagedPicture(path, why);
        return;
    }
    image::CreateTextureFromPicture(device, std::move(picture), out);
}

}  // namespace

int64_t ReadPictureQuietly(const char* path, uint8_t* buffer, size_t capacity) {
    if (FILE* file = sys::OpenDataFile(path, "rb")) {
        long length = sys::FileLength(file);
        if (length == 0) {
            std::fclose(file);
            return 0;
        }
        if (length < 0 || static_cast<unsigned long>(length) > capacity) {
            std::fclose(file);
            return kPictureTooLarge;
        }
        size_t read = std::fread(buffer, 1, static_cast<size_t>(length), file);
        std::fclose(file);
        return static_cast<int64_t>(read);
    }
    const int64_t size = ReadArchiveEntry(path, std::span(buffer, capacity));
    if (size == kArchiveEntryTooLarge) return kPictureTooLarge;
    if (size == kArchiveEntryDamaged) return kPictureDamaged;
    return size;
}

size_t PictureReadCapacity(int32_t width, int32_t height) {
    bool sizeOk = width > 0 && height > 0 &&
                  static_cast<uint32_t>(width) <= image::kMaxPictureSide &&
                  static_cast<uint32_t>(height) <= image::kMaxPictureSide;
    return sizeOk ? static_cast<size_t>(width) * static_cast<size_t>(height) * 8 : 0;
}

void ResetMissingPictureReports() {
    gMissingPictureReports.count = 0;
    for (auto& path : gMissingPictureReports.paths) path[0] = 0;
}

void ClearTextureRegistry() {
    for (TextureHolder*& slot : gTextureRegistry.slots) {
        if (slot) ReleaseHolderTexture(slot);
        slot = nullptr;
    }
}

TextureHolder* RegisterTexture(TextureHolder* holder) {
    for (TextureHolder*& slot : gTextureRegistry.slots) {
        if (!slot) {
            slot = holder;
            return holder;
        }
    }
    ShowMessageBox(kRegistryFull.c_str(), "error");
    return nullptr;
}

void ReleaseTextureGroup(TextureGroup group) {
    for (TextureHolder*& slot : gTextureRegistry.slots) {
        if (slot && slot->group == group) {
            ReleaseHolderTexture(slot);
            slot = nullptr;
        }
    }
}

void LoadTexture(TextureGroup group, TextureHolder* holder, const char* path, int32_t width,
                 int32_t height) {
    holder->width = width;
    holder->height = height;
    holder->group = group;
    // A picture loaded again replaces the texture it had.
    ReleaseHolderTexture(holder);
    // A picture that finds no slot is not loaded: no group release would ever free it.
    if (!RegisterTexture(holder)) return;

    char message[256];
    size_t capacity = PictureReadCapacity(width, height);
    // Decoded ahead while the program started: only the texture is left to make.
    image::TexturePicture prepared;
    if (capacity > 0 && TakePrefetchedPicture(path, width, height, &prepared)) {
        if (gfx::Device* device = Device3D()) {
            image::CreateTextureFromPicture(device, std::move(prepared), &holder->texture);
        }
        return;
    }
    auto* buffer = capacity > 0 ? static_cast<uint8_t*>(std::malloc(capacity)) : nullptr;
    if (!buffer) {
        std::snprintf(message, sizeof message, kNoMemoryForSize.c_str(), width, height);
        ShowMessageBox(message, path);
        return;
    }
    int64_t size = ReadPictureBytes(path, buffer, capacity);
    if (size > 0) {
        CreateTextureFromBytes(path, buffer, size, static_cast<uint32_t>(width),
                               static_cast<uint32_t>(height), 1, &holder->texture);
    }
    std::free(buffer);
}

void LoadTextureAnySize(gfx::Texture** texture, const char* path) {
    *texture = nullptr;
    if (const image::TexturePicture* prepared = FindPrefetchedPicture(path, 0, 0)) {
        if (gfx::Device* device = Device3D()) {
            // Models' meshes often share a picture: each texture gets its own copy.
            image::CreateTextureFromPicture(device, *prepared, texture);
        }
        return;
    }
    auto* buffer = static_cast<uint8_t*>(std::malloc(kAnySizeReadBuffer));
    if (!buffer) {
        ShowMessageBox(kNoMemory.c_str(), path);
        return;
    }
    int64_t size = ReadPictureBytes(path, buffer, kAnySizeReadBuffer);
    if (size > 0) CreateTextureFromBytes(path, buffer, size, 0, 0, 0, texture);
    std::free(buffer);
}

void BindTexture(const TextureHolder& holder) {
    if (gfx::Device* device = Device3D()) device->SetTexture(0, holder.texture);
}
