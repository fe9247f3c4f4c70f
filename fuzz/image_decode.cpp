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
    if (picture.texels.size() != size_t{picture.width} * picture.height) __builtin_trap();
    image::ApplyColorKey(&picture, image::kTransparentKey);
    // Scaling to a size taken from the picture itself, then the mip chain down to 1 x 1.
    image::Picture scaled, next;
    image::ResamplePicture(picture, 1 + picture.width % 67, 1 + picture.height % 33, &scaled);
    while (scaled.width > 1 || scaled.height > 1) {
        image::HalvePicture(scaled, &next);
        std::swap(scaled, next);
    }
    // The whole path to a texture, for small pictures.
    if (size_t{picture.width} * picture.height <= 256 * 256) {
        gfx::Texture* texture = nullptr;
        image::CreateTextureFromMemory(device.get(), bytes, 0, 0, 0, image::kTransparentKey,
                                       &texture);
        if (texture) texture->Release();
    }
    return 0;
}
