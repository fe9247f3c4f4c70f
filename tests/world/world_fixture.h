// Helpers of the world tests: stage meshes built in memory (quads grouped into subsets), a
// null device that notes the world matrix and the states of every draw, and the setting up
// and clearing of a current stage with its shared textures.
#pragma once

#include <gtest/gtest.h>

#include "tests/world/stage_builders.h"

#include <cstring>
#include <vector>

#include "engine/core/game_state.h"
#include "engine/main/app.h"
#include "engine/models/static_mesh.h"
#include "platform/gfx/device.h"
#include "platform/gfx/mesh.h"
#include "scenes/scene_table.h"
#include "world/course/collision.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"

namespace vqtest {

// Sets up a current stage and the game's device; clears what the test loaded at the end.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameGlobals();
        device_ = new WorldDevice();
        device_->BeginScene();
        gPlatform.device = device_;
        std::memset(&stage_, 0, sizeof stage_);
        stage_.farClip = 59000;
        gCurrentStage = &stage_;
        gGraphics.fieldOfView = 45.0f;
        gRailPosition = 0.0f;
    }
    void TearDown() override {
        for (StaticMesh& m : gStageMeshes) ReleaseMesh(&m);
        ReleaseSharedTextures();
        gCurrentStage = nullptr;
        device_->EndScene();
        gPlatform.device = nullptr;
        delete device_;
        ResetGameGlobals();
    }

    // Fills the shared texture table with `count` small textures of one colour each.
    void ShareTextures(const std::vector<uint32_t>& colors) {
        for (size_t i = 0; i < colors.size(); ++i) {
            gfx::Texture* t = nullptr;
            ASSERT_EQ(device_->CreateTexture(2, 2, 1, gfx::Format::A8R8G8B8, &t), gfx::Result::Ok);
            uint32_t pitch;
            uint32_t* texels = t->LockRect(0, &pitch);
            for (uint32_t k = 0; k < 2 * pitch; ++k) texels[k] = colors[i];
            t->UnlockRect(0);
            gSharedMeshTextures.textures[i] = t;
        }
        gSharedMeshTextures.count = static_cast<int32_t>(colors.size());
    }

    WorldDevice* device_ = nullptr;
    StageInfo stage_;
};

}  // namespace vqtest
