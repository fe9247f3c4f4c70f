// The fixture of the mesh and model tests: a recording null device installed as the game's
// device (inside a scene), a headless main window for the message boxes, and a temporary
// run folder that is the current folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/main/app.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"
#include "tests/models/scratch_folder.h"
#include "tests/support/pictures.h"

namespace vqtest {

// A null device that counts the resources it destroys.
class ModelTestDevice : public gfx::NullDevice {
public:
    ModelTestDevice() : gfx::NullDevice(gfx::PresentParams{}) {}
    int destroyed = 0;

protected:
    void DoDestroy(gfx::Resource* resource) override {
        ++destroyed;
        gfx::NullDevice::DoDestroy(resource);
    }
};

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.reset(win::CreateHeadlessWindow());
        gPlatform.mainWindow = window_.get();
        device_ = new ModelTestDevice();
        device_->SetRecording(true);
        device_->BeginScene();
        gPlatform.device = device_;
    }

    void TearDown() override {
        device_->EndScene();
        gPlatform.device = nullptr;
        gPlatform.mainWindow = nullptr;
        delete device_;
        window_.reset();
    }

    // Writes a small BMP picture for a model's texture.
    static void WriteTexture(const std::string& path, uint32_t argb = 0xFF808080u) {
        ASSERT_TRUE(WriteFileBytes(path, EncodeBmp24(SolidPicture(4, 4, argb))));
    }

    // Writes a ".x" text file; the header is added.
    static void WriteModel(const std::string& path, const std::string& body) {
        ScratchFolder::Write(path, "xof 0302txt 0032\n" + body);
    }

    ScratchFolder folder_;
    ModelTestDevice* device_ = nullptr;
    std::unique_ptr<win::Window> window_;
};

}  // namespace vqtest
