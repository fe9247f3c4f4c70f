// Picture files of any content: decoding, the colour key, scaling and the mip chain must
// refuse or read them without reading or writing out of bounds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/gfx/device.h"
#include "platform/image/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::unique_ptr<gfx::Device> device(gfx::CreateNullDevice(gfx::PresentParams{}));
    std::span<const uint8_t> bytes(data, size);
    image::Picture picture;
    if (!image::DecodePicture(bytes, &picture)) return 0;
    // A scaled texture of a size taken from the picture itself, and the full mip chain at
    // the picture's own size.
    uint32_t width = 1 + picture.width % 67;
    uint32_t height = 1 + picture.height % 33;
    gfx::Texture* texture = nullptr;
    image::CreateTextureFromMemory(device.get(), bytes, width, height, 1, image::kTransparentKey,
                                   &texture);
    if (texture) texture->Release();
    if (picture.width <= 512 && picture.height <= 512) {
        image::CreateTextureFromMemory(device.get(), bytes, 0, 0, 0, image::kTransparentKey,
                                       &texture);
        if (texture) texture->Release();
    }
    return 0;
}
