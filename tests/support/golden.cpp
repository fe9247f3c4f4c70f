#include "tests/support/golden.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/image/picture.h"

namespace vqtest {

namespace {

std::vector<uint8_t> ToRgba(const TestPicture& p) {
    std::vector<uint8_t> rgba(p.texels.size() * 4);
    for (size_t i = 0; i < p.texels.size(); ++i) {
        const uint32_t c = p.texels[i];
        rgba[i * 4 + 0] = static_cast<uint8_t>(c >> 16);
        rgba[i * 4 + 1] = static_cast<uint8_t>(c >> 8);
        rgba[i * 4 + 2] = static_cast<uint8_t>(c);
        rgba[i * 4 + 3] = static_cast<uint8_t>(c >> 24);
    }
    return rgba;
}

int ChannelDifference(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int d =
            std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        worst = std::max(worst, d);
    }
    return worst;
}

bool UpdateRequested() {
    const char* v = std::getenv("VQ_UPDATE_GOLDEN");
    return v && v[0] == '1';
}

}  // namespace

bool ReadPicture(gfx::Device* device, TestPicture* out) {
    return device && device->ReadBackBuffer(&out->texels, &out->width, &out->height);
}

bool LoadPng(const std::string& path, TestPicture* out) {
    int w = 0, h = 0, n = 0;
    stbi_uc* data = stbi_load(path.c_str(), &w, &h, &n, 4);
    if (!data) return false;
    out->width = static_cast<uint32_t>(w);
    out->height = static_cast<uint32_t>(h);
    out->texels.resize(size_t(w) * size_t(h));
    for (size_t i = 0; i < out->texels.size(); ++i) {
        const stbi_uc* p = data + i * 4;
        out->texels[i] = uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
    stbi_image_free(data);
    return true;
}

bool SavePng(const std::string& path, const TestPicture& picture) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    const std::vector<uint8_t> rgba = ToRgba(picture);
    return stbi_write_png(path.c_str(), static_cast<int>(picture.width),
                          static_cast<int>(picture.height), 4, rgba.data(),
                          static_cast<int>(picture.width * 4)) != 0;
}

::testing::AssertionResult MatchesGolden(gfx::Device* device, const std::string& name,
                                         GoldenTolerance tolerance) {
    TestPicture actual;
    if (!ReadPicture(device, &actual))
        return ::testing::AssertionFailure() << "the back buffer cannot be read";
    return MatchesGolden(actual, name, tolerance);
}

::testing::AssertionResult MatchesGolden(const TestPicture& actual, const std::string& name,
                                         GoldenTolerance tolerance) {
    const std::string expectedPath = std::string(VQ_SOURCE_DIR) + "/tests/golden/" + name + ".png";
    const std::string actualPath = std::string(VQ_BINARY_DIR) + "/golden/" + name + ".actual.png";
    const std::string diffPath = std::string(VQ_BINARY_DIR) + "/golden/" + name + ".diff.png";

    if (UpdateRequested()) {
        if (!SavePng(expectedPath, actual))
            return ::testing::AssertionFailure() << "cannot write " << expectedPath;
        return ::testing::AssertionSuccess() << "rewrote " << expectedPath;
    }

    TestPicture expected;
    if (!LoadPng(expectedPath, &expected)) {
        SavePng(actualPath, actual);
        return ::testing::AssertionFailure()
               << "no expected picture " << expectedPath << "; the drawn one is " << actualPath
               << " (run with VQ_UPDATE_GOLDEN=1 to accept it)";
    }
    if (expected.width != actual.width || expected.height != actual.height) {
        SavePng(actualPath, actual);
        return ::testing::AssertionFailure()
               << name << ": drawn " << actual.width << " x " << actual.height << ", expected "
               << expected.width << " x " << expected.height << "; the drawn picture is "
               << actualPath;
    }

    TestPicture diff{actual.width, actual.height, std::vector<uint32_t>(actual.texels.size())};
    size_t differing = 0;
    int worst = 0;
    uint32_t firstX = 0, firstY = 0;
    for (size_t i = 0; i < actual.texels.size(); ++i) {
        const int d = ChannelDifference(actual.texels[i], expected.texels[i]);
        worst = std::max(worst, d);
        if (d > tolerance.channel) {
            if (differing == 0) {
                firstX = static_cast<uint32_t>(i % actual.width);
                firstY = static_cast<uint32_t>(i / actual.width);
            }
            ++differing;
            diff.texels[i] = 0xFFFF0000u;
        } else {
            // The matching picture, dimmed, so the red pixels stand out.
            diff.texels[i] = 0xFF000000u | ((expected.texels[i] >> 2) & 0x3F3F3Fu);
        }
    }
    const double share = static_cast<double>(differing) / static_cast<double>(actual.texels.size());
    if (share <= tolerance.share) return ::testing::AssertionSuccess();

    SavePng(actualPath, actual);
    SavePng(diffPath, diff);
    return ::testing::AssertionFailure()
           << name << ": " << differing << " pixels (" << share * 100.0
           << " %) differ by more than " << tolerance.channel << " (largest difference " << worst
           << ", first at " << firstX << ", " << firstY << ": drawn 0x" << std::hex
           << At(actual, firstX, firstY) << ", expected 0x" << At(expected, firstX, firstY)
           << std::dec << ").\n  expected: " << expectedPath << "\n  drawn:    " << actualPath
           << "\n  diff:     " << diffPath;
}

// --- fixture --------------------------------------------------------------------------------

void GlDeviceTest::SetUp() {
    surface_ = gfx::CreateHeadlessGlSurface();
    ASSERT_NE(surface_, nullptr) << "no surfaceless EGL context (Mesa's EGL is needed)";
    gfx::PresentParams params;
    device_ = gfx::CreateGl33Device(surface_, params);
    ASSERT_NE(device_, nullptr) << "no OpenGL 3.3 core device";
}

void GlDeviceTest::TearDown() {
    for (gfx::Resource* r : owned_) r->Release();
    owned_.clear();
    delete device_;
    device_ = nullptr;
    delete surface_;
    surface_ = nullptr;
}

void GlDeviceTest::BeginFrame(gfx::Color clear) {
    ASSERT_EQ(device_->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, clear, 1.0f, 0),
              gfx::Result::Ok);
    ASSERT_EQ(device_->BeginScene(), gfx::Result::Ok);
}

void GlDeviceTest::EndFrame() {
    ASSERT_EQ(device_->EndScene(), gfx::Result::Ok);
}

gfx::Texture* GlDeviceTest::MakeTexture(uint32_t width, uint32_t height,
                                        const std::vector<uint32_t>& argb, uint32_t levels,
                                        gfx::Format format) {
    gfx::Texture* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(width, height, levels, format, &texture), gfx::Result::Ok);
    if (!texture) return nullptr;
    image::Picture level{width, height, argb};
    for (uint32_t l = 0; l < texture->LevelCount(); ++l) {
        uint32_t pitch = 0;
        uint32_t* texels = texture->LockRect(l, &pitch);
        for (uint32_t y = 0; y < level.height; ++y)
            std::copy_n(level.texels.begin() + ptrdiff_t(y) * level.width, level.width,
                        texels + size_t{y} * pitch);
        texture->UnlockRect(l);
        image::Picture next;
        image::HalvePicture(level, &next);
        level = std::move(next);
    }
    Own(texture);
    return texture;
}

gfx::Texture* GlDeviceTest::SolidTexture(uint32_t width, uint32_t height, uint32_t argb) {
    return MakeTexture(width, height, std::vector<uint32_t>(size_t{width} * height, argb));
}

TestPicture GlDeviceTest::Read() {
    TestPicture p;
    EXPECT_TRUE(ReadPicture(device_, &p));
    return p;
}

void PushQuad(std::vector<ScreenVertex>* out, float x, float y, float w, float h, uint32_t color,
              float u0, float v0, float u1, float v1) {
    const ScreenVertex tl{x, y, 0, 1, color, 0, u0, v0};
    const ScreenVertex tr{x + w, y, 0, 1, color, 0, u1, v0};
    const ScreenVertex bl{x, y + h, 0, 1, color, 0, u0, v1};
    const ScreenVertex br{x + w, y + h, 0, 1, color, 0, u1, v1};
    // The sprite batch's order: bottom right, bottom left, top right, then bottom left,
    // top left, top right.
    out->insert(out->end(), {br, bl, tr, bl, tl, tr});
}

gfx::Result DrawScreenTriangles(gfx::Device* device, const std::vector<ScreenVertex>& vertices) {
    device->SetVertexShader(kScreenVertexFvf);
    return device->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, static_cast<uint32_t>(vertices.size() / 3),
                                   vertices.data(), sizeof(ScreenVertex));
}

}  // namespace vqtest
