// Fuzzes the text ".x" reader and the mesh loaders on top of it: the parse, the merged mesh
// of the whole file, and each Mesh object as a skin mesh with its indexed blended form.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/xfile/mesh_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::unique_ptr<gfx::Device> device(gfx::CreateNullDevice(gfx::PresentParams{}));
    xfile::Document doc;
    xfile::ParseError error;
    if (!xfile::Parse(std::span<const uint8_t>(data, size), &doc, &error)) return 0;

    xfile::LoadedMesh merged;
    if (xfile::LoadMeshFromDocument(doc, device.get(), &merged, &error) == xfile::LoadResult::Ok) {
        gfx::Mesh* clone = nullptr;
        if (merged.mesh->CloneFvf(gfx::FVF_XYZ | gfx::FVF_TEX1, &clone) == gfx::Result::Ok) {
            clone->Release();
        }
        merged.mesh->Release();
    }
    for (const xfile::Object& o : doc.objects) {
        if (o.type != "Mesh") continue;
        xfile::LoadedSkinMesh skin;
        if (xfile::LoadSkinMesh(doc, o, device.get(), &skin, &error) != xfile::LoadResult::Ok) {
            continue;
        }
        gfx::Mesh* blended = nullptr;
        std::vector<gfx::BoneCombination> combos;
        if (skin.skin->ConvertToIndexedBlendedMesh(gfx::kMaxPaletteSize, &blended, &combos) ==
            gfx::Result::Ok) {
            blended->Release();
        }
        delete skin.skin;
    }
    return 0;
}
