// Golden-image checks for drawing tests.
//
//   class PauseMenuGolden : public vqtest::GlDeviceTest {};
//   TEST_F(PauseMenuGolden, TwoItems) {
//       BeginFrame(0xFF000000);
//       ... draw with device() ...
//       EndFrame();
//       EXPECT_TRUE(vqtest::MatchesGolden(device(), "twod/pause_two_items"));
//   }
//
// The expected pictures live in tests/golden/<name>.png. A mismatch writes the picture
// that was drawn to <build>/golden/<name>.actual.png, and a map of the differing pixels
// to <name>.diff.png, and names both in the failure. Run the test with VQ_UPDATE_GOLDEN=1
// to (re)write the expected picture from what was drawn; look at it before committing.
//
// MatchesGolden works with any device that can read its back buffer, so a test that runs
// the whole engine on gl33 (StartHeadlessGame with gl33) can check Device3D() the same way.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/device.h"
#include "tests/support/pictures.h"

namespace vqtest {

inline uint32_t At(const TestPicture& p, uint32_t x, uint32_t y) {
    return p.texels[size_t{y} * p.width + x];
}

bool ReadPicture(gfx::Device* device, TestPicture* out);
bool LoadPng(const std::string& path, TestPicture* out);
bool SavePng(const std::string& path, const TestPicture& picture);

struct GoldenTolerance {
    int channel = 6;       // largest difference of one 8-bit channel that still matches
    double share = 0.002;  // share of all pixels that may differ by more
};

// Compares the device's back buffer with tests/golden/<name>.png (name may hold folders).
::testing::AssertionResult MatchesGolden(gfx::Device* device, const std::string& name,
                                         GoldenTolerance tolerance = {});
// The same for a picture made some other way.
::testing::AssertionResult MatchesGolden(const TestPicture& actual, const std::string& name,
                                         GoldenTolerance tolerance = {});

// A fixture with a gl33 device on a surfaceless EGL context (no display needed). The test
// fails in SetUp when no such device can be made.
class GlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    gfx::Device* device() const { return device_; }

    // Clears colour and depth, then begins the scene.
    void BeginFrame(gfx::Color clear = 0xFF000000);
    // Ends the scene (the picture stays in the back buffer for the checks).
    void EndFrame();

    // A texture filled with the given ARGB texels (further levels, when asked for, are each
    // a box-filtered half of the one above). Released by TearDown.
    gfx::Texture* MakeTexture(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb,
                              uint32_t levels = 1, gfx::Format format = gfx::Format::A8R8G8B8);
    // A width x height texture of one colour.
    gfx::Texture* SolidTexture(uint32_t width, uint32_t height, uint32_t argb);
    // Keeps a resource alive until TearDown.
    void Own(gfx::Resource* resource) { owned_.push_back(resource); }

    // The back buffer as read now.
    TestPicture Read();

private:
    gfx::GlSurface* surface_ = nullptr;
    gfx::Device* device_ = nullptr;
    std::vector<gfx::Resource*> owned_;
};

// Pre-transformed vertex with colour and one texture set (the sprite layout).
struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t diffuse;
    uint32_t specular;
    float u, v;
};
constexpr uint32_t kScreenVertexFvf = 0x1C4;

// Two triangles covering (x, y)-(x + w, y + h) with uv (u0, v0)-(u1, v1), as a list.
void PushQuad(std::vector<ScreenVertex>* out, float x, float y, float w, float h, uint32_t color,
              float u0 = 0.0f, float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f);
// Draws the vertices as a triangle list with the screen-vertex format.
gfx::Result DrawScreenTriangles(gfx::Device* device, const std::vector<ScreenVertex>& vertices);

}  // namespace vqtest
