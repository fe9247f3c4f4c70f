// The fixture of the two-dimensional drawing tests: a recording null device installed as
// the game's device, inside a scene, and a temporary run folder for picture files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"
#include "tests/support/pictures.h"
#include "tests/support/temp_folder.h"

namespace vqtest {

// A null device that counts the resources it destroys.
class CountingDevice : public gfx::NullDevice {
public:
    CountingDevice() : gfx::NullDevice(gfx::PresentParams{}) {}
    int destroyed = 0;

protected:
    void DoDestroy(gfx::Resource* resource) override {
        ++destroyed;
        gfx::NullDevice::DoDestroy(resource);
    }
};

class TwoDTest : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldFolder_ = cwd;
        folder_ = temp_.Path();
        ASSERT_FALSE(folder_.empty());
        ASSERT_EQ(chdir(folder_.c_str()), 0);

        window_.reset(win::CreateHeadlessWindow());
        gPlatform.mainWindow = window_.get();
        device_ = new CountingDevice();
        device_->SetRecording(true);
        device_->BeginScene();
        gPlatform.device = device_;
        gGameState = GameState{};
        gPauseState = PauseState{};
        gSpriteBatch.count = 0;
        ResetSpriteVertices();
        SetFadeLength(17);
        ResetMissingPictureReports();
    }

    void TearDown() override {
        ClearTextureRegistry();
        gTextFont.ReleaseTextFont();
        device_->EndScene();
        gPlatform.device = nullptr;
        gPlatform.mainWindow = nullptr;
        delete device_;
        window_.reset();
        gSpriteBatch.count = 0;
        EXPECT_EQ(chdir(oldFolder_.c_str()), 0);
    }

    // Writes a picture file into the run folder (the kind by the path's ending).
    void WritePicture(const std::string& path, const TestPicture& picture) {
        std::vector<uint8_t> bytes;
        std::string lower = path;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.ends_with(".tga")) {
            bytes = EncodeTga32(picture);
        } else if (lower.ends_with(".png")) {
            bytes = EncodePng(picture);
        } else {
            bytes = EncodeBmp24(picture);
        }
        ASSERT_TRUE(WriteFileBytes(folder_ + "/" + path, bytes));
    }

    // Runs the call and returns what it wrote to standard error (the message boxes).
    template <typename F>
    std::string Messages(F&& call) {
        ::testing::internal::CaptureStderr();
        call();
        return ::testing::internal::GetCapturedStderr();
    }

    const std::vector<gfx::DrawRecord>& Draws() const { return device_->Draws(); }

    // The sprite vertices of a recorded draw.
    static std::vector<SpriteVertex> Vertices(const gfx::DrawRecord& d) {
        std::vector<SpriteVertex> v(d.vertices.size() / sizeof(SpriteVertex));
        if (!v.empty()) std::memcpy(v.data(), d.vertices.data(), v.size() * sizeof(SpriteVertex));
        return v;
    }

    // The destination rectangles (left, top, right, bottom) of a draw's quads.
    struct Box {
        float left, top, right, bottom;
        uint32_t color;
    };
    static std::vector<Box> Boxes(const gfx::DrawRecord& d) {
        std::vector<SpriteVertex> v = Vertices(d);
        std::vector<Box> boxes;
        for (size_t i = 0; i + 6 <= v.size(); i += 6) {
            // Vertex 4 is the top left, vertex 0 the bottom right.
            boxes.push_back(Box{v[i + 4].x, v[i + 4].y, v[i].x, v[i].y, v[i].diffuse});
        }
        return boxes;
    }

    CountingDevice* device_ = nullptr;
    std::unique_ptr<win::Window> window_;
    TempFolder temp_;
    std::string folder_;
    std::string oldFolder_;
};

}  // namespace vqtest
