// Pictures decoded ahead of their loads. While the window opens, the pictures the first
// screen needs are read and decoded on worker threads; the picture loaders find them here
// (waiting for one still being decoded) and only make the texture. A scene's picture is
// taken by its one load; a model's texture may be found by many (its meshes often share
// one). What is left is freed by DropPrefetchedPictures.
#pragma once

#include <cstdint>
#include <span>

#include "platform/image/picture.h"

// One picture to decode ahead, with the size LoadTexture is given for it.
struct PicturePrefetch {
    const char* path;
    int32_t width;
    int32_t height;
};

// Starts decoding the pictures, and the textures the model files name as the model loader
// will load them (LoadTextureAnySize: their own size, a full mip chain), on worker threads.
// The data archives must be open and stay open until DropPrefetchedPictures. A new batch
// drops the one before.
void PrefetchPictures(std::span<const PicturePrefetch> pictures,
                      std::span<const char* const> modelFiles);

// The prefetched picture of that path and size (0 x 0: a model's texture), once its
// decoding has ended; valid until DropPrefetchedPictures. Null when it was not asked for,
// was taken, or could not be read or decoded: the caller then loads it as usual and
// reports what is wrong with it.
const image::TexturePicture* FindPrefetchedPicture(const char* path, int32_t width, int32_t height);

// The same, the picture moved out to the caller; false where Find gives null.
bool TakePrefetchedPicture(const char* path, int32_t width, int32_t height,
                           image::TexturePicture* out);

// Waits for the workers and frees every picture not taken.
void DropPrefetchedPictures();
