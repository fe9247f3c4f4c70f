// Fuzzes the skinned-model loader on a file written from the input: the frame tree, the mesh
// containers with their bones and indexed blended meshes, the animation sets and their keys,
// the bounds and the projection; then one sampling of every animation node and one draw on
// the null device.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/core/context.h"
#include "engine/models/skinned_model.h"

namespace {

// A folder of its own, so the textures a model names are looked for where nothing is; it is
// removed when the run ends.
char gFolder[] = "/tmp/vq_fuzz_model_XXXXXX";

const std::string& ModelPath() {
    static const std::string path = [] {
        if (!mkdtemp(gFolder)) return std::string("/tmp/vq_fuzz_model.x");
        std::atexit([] {
            std::remove((std::string(gFolder) + "/model.x").c_str());
            rmdir(gFolder);
        });
        return std::string(gFolder) + "/model.x";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static gfx::Device* device = [] {
        gfx::Device* d = gfx::CreateNullDevice(gfx::PresentParams{});
        d->BeginScene();
        gPlatform.device = d;
        return d;
    }();
    static SkinnedModel model;
    InitModelDevice(&model, 0, device);

    FILE* file = std::fopen(ModelPath().c_str(), "wb");
    if (!file) return 0;
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);

    if (LoadModelFile(&model, ModelPath().c_str()) == kModelOk) {
        // Counters from the input's first bytes, so keys are sampled at many times.
        uint32_t counters[kModelTimeSlots];
        for (int i = 0; i < kModelTimeSlots; ++i) {
            counters[i] = size > 0 ? uint32_t{data[i % size]} * 37u + static_cast<uint32_t>(i) : 0;
        }
        AdvanceModelAnimation(&model, counters);
        RenderModel(&model);
    }
    ReleaseModel(&model);
    return 0;
}
