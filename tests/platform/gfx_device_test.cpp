// The device's state machine and resource rules, on the null backend: defaults, persistence,
// reference counts, loss and reset, and the refusal of draws that would read out of bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "platform/gfx/device.h"

namespace {

using namespace gfx;

struct Vertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
};
constexpr uint32_t kFvf = 0x1C4;

class NullDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        device_.reset(static_cast<NullDevice*>(CreateNullDevice(PresentParams{})));
        device_->SetRecording(true);
    }
    NullDevice& d() { return *device_; }
    std::unique_ptr<NullDevice> device_;
    Vertex vertices_[8] = {};
};

TEST_F(NullDeviceTest, StartsInTheClassicDefaultState) {
    EXPECT_EQ(d().GetRenderState(RS_ZENABLE), ZB_TRUE);  // a depth buffer was asked for
    EXPECT_EQ(d().GetRenderState(RS_ZWRITEENABLE), kTrue);
    EXPECT_EQ(d().GetRenderState(RS_ZFUNC), CMP_LESSEQUAL);
    EXPECT_EQ(d().GetRenderState(RS_CULLMODE), CULL_CCW);
    EXPECT_EQ(d().GetRenderState(RS_LIGHTING), kTrue);
    EXPECT_EQ(d().GetRenderState(RS_ALPHABLENDENABLE), kFalse);
    EXPECT_EQ(d().GetRenderState(RS_SRCBLEND), BLEND_ONE);
    EXPECT_EQ(d().GetRenderState(RS_DESTBLEND), BLEND_ZERO);
    EXPECT_EQ(d().GetRenderState(RS_ALPHAFUNC), CMP_ALWAYS);
    EXPECT_EQ(d().GetRenderState(RS_TEXTUREFACTOR), 0xFFFFFFFFu);
    EXPECT_EQ(d().GetRenderState(RS_COLORWRITEENABLE), 0xFu);
    EXPECT_EQ(d().GetRenderState(RS_DIFFUSEMATERIALSOURCE), MCS_COLOR1);
    EXPECT_EQ(d().GetTextureStageState(0, TSS_COLOROP), TOP_MODULATE);
    EXPECT_EQ(d().GetTextureStageState(0, TSS_ALPHAOP), TOP_SELECTARG1);
    EXPECT_EQ(d().GetTextureStageState(1, TSS_COLOROP), TOP_DISABLE);
    EXPECT_EQ(d().GetTextureStageState(3, TSS_TEXCOORDINDEX), 3u);
    EXPECT_EQ(d().GetTextureStageState(0, TSS_MAGFILTER), TEXF_POINT);
    EXPECT_EQ(d().GetTextureStageState(0, TSS_ADDRESSU), TADDRESS_WRAP);
    Viewport vp{};
    d().GetViewport(&vp);
    EXPECT_EQ(vp.width, 640u);
    EXPECT_EQ(vp.height, 480u);
    EXPECT_EQ(vp.maxZ, 1.0f);

    // Without a depth buffer, depth testing starts off.
    PresentParams noDepth;
    noDepth.autoDepthStencil = false;
    std::unique_ptr<Device> other(CreateNullDevice(noDepth));
    EXPECT_EQ(other->GetRenderState(RS_ZENABLE), ZB_FALSE);
}

TEST_F(NullDeviceTest, StatePersistsAcrossFramesUntilReset) {
    d().SetRenderState(RS_ALPHABLENDENABLE, kTrue);
    d().SetTextureStageState(0, TSS_COLOROP, TOP_ADD);
    d().SetTransform(TS_VIEW, Translation(1, 2, 3));
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_EQ(d().Clear(CLEAR_TARGET, 0xFF123456, 1, 0), Result::Ok);
        ASSERT_EQ(d().BeginScene(), Result::Ok);
        d().SetVertexShader(kFvf);
        ASSERT_EQ(d().DrawPrimitiveUP(PT_TRIANGLELIST, 1, vertices_, sizeof(Vertex)), Result::Ok);
        ASSERT_EQ(d().EndScene(), Result::Ok);
        ASSERT_EQ(d().Present(), Result::Ok);
    }
    EXPECT_EQ(d().Draws().size(), 3u);
    EXPECT_EQ(d().Draws()[2].renderStates[RS_ALPHABLENDENABLE], kTrue);
    EXPECT_EQ(d().Draws()[2].stage0[TSS_COLOROP], TOP_ADD);
    Mat4 view;
    d().GetTransform(TS_VIEW, &view);
    EXPECT_EQ(view.m[3][1], 2.0f);
    EXPECT_EQ(d().LastClearColor(), 0xFF123456u);

    // A reset returns every state to its default but keeps resources.
    Texture* texture = nullptr;
    ASSERT_EQ(d().CreateTexture(8, 8, 1, Format::A8R8G8B8, &texture), Result::Ok);
    d().SetTexture(0, texture);
    ASSERT_EQ(d().Reset(d().GetPresentParams()), Result::Ok);
    EXPECT_EQ(d().GetRenderState(RS_ALPHABLENDENABLE), kFalse);
    EXPECT_EQ(d().GetTextureStageState(0, TSS_COLOROP), TOP_MODULATE);
    EXPECT_EQ(d().GetTexture(0), nullptr);
    EXPECT_EQ(texture->Width(), 8u);
    texture->Release();
}

TEST_F(NullDeviceTest, ReferenceCountsAndReleaseUnbinds) {
    Texture* texture = nullptr;
    VertexBuffer* vb = nullptr;
    IndexBuffer* ib = nullptr;
    ASSERT_EQ(d().CreateTexture(4, 4, 1, Format::A8R8G8B8, &texture), Result::Ok);
    ASSERT_EQ(d().CreateVertexBuffer(64, kFvf, &vb), Result::Ok);
    ASSERT_EQ(d().CreateIndexBuffer(12, Format::Index16, &ib), Result::Ok);
    d().SetTexture(2, texture);
    d().SetStreamSource(0, vb, 32);
    d().SetIndices(ib, 0);
    EXPECT_EQ(texture->AddRef(), 2u);
    EXPECT_EQ(texture->Release(), 1u);
    EXPECT_EQ(d().GetTexture(2), texture);  // binding takes no reference
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(d().GetTexture(2), nullptr);  // a destroyed texture is unbound
    vb->Release();
    ib->Release();
    EXPECT_EQ(d().State().stream, nullptr);
    EXPECT_EQ(d().State().indices, nullptr);
}

TEST_F(NullDeviceTest, LossAndResetProtocol) {
    d().SimulateDeviceLoss();
    EXPECT_EQ(d().TestCooperativeLevel(), Result::DeviceLost);
    EXPECT_EQ(d().Reset(d().GetPresentParams()), Result::DeviceLost);  // not yet resettable
    EXPECT_EQ(d().Clear(CLEAR_TARGET, 0, 1, 0), Result::DeviceLost);
    ASSERT_EQ(d().BeginScene(), Result::Ok);
    d().SetVertexShader(kFvf);
    // Draws while lost succeed but draw nothing.
    EXPECT_EQ(d().DrawPrimitiveUP(PT_TRIANGLELIST, 1, vertices_, sizeof(Vertex)), Result::Ok);
    EXPECT_EQ(d().DrawCount(), 0u);
    ASSERT_EQ(d().EndScene(), Result::Ok);
    EXPECT_EQ(d().Present(), Result::DeviceLost);
    EXPECT_EQ(d().PresentCount(), 0u);
    EXPECT_EQ(d().TestCooperativeLevel(), Result::DeviceNotReset);
    ASSERT_EQ(d().Reset(d().GetPresentParams()), Result::Ok);
    EXPECT_EQ(d().TestCooperativeLevel(), Result::Ok);
    EXPECT_EQ(d().Present(), Result::Ok);
}

TEST_F(NullDeviceTest, DrawsThatWouldReadOutOfBoundsAreRefused) {
    VertexBuffer* vb = nullptr;
    IndexBuffer* ib = nullptr;
    ASSERT_EQ(d().CreateVertexBuffer(4 * sizeof(Vertex), kFvf, &vb), Result::Ok);
    ASSERT_EQ(d().CreateIndexBuffer(6 * 2, Format::Index16, &ib), Result::Ok);
    const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(ib->Lock(), indices, sizeof indices);
    ib->Unlock();
    const uint16_t wild[3] = {0, 1, 9};
    d().SetVertexShader(kFvf);
    d().SetStreamSource(0, vb, sizeof(Vertex));
    d().SetIndices(ib, 0);

    EXPECT_EQ(d().DrawPrimitiveUP(PT_TRIANGLELIST, 1, vertices_, sizeof(Vertex)),
              Result::InvalidCall);  // outside a scene
    ASSERT_EQ(d().BeginScene(), Result::Ok);
    EXPECT_EQ(d().BeginScene(), Result::InvalidCall);
    EXPECT_EQ(d().DrawPrimitive(PT_TRIANGLELIST, 0, 0), Result::Ok);  // nothing to draw
    EXPECT_EQ(d().DrawPrimitive(PT_TRIANGLESTRIP, 0, 2), Result::Ok);
    EXPECT_EQ(d().DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 4, 0, 2), Result::Ok);
    EXPECT_EQ(d().DrawCount(), 2u);
    const DrawRecord& indexed = d().Draws()[1];
    EXPECT_TRUE(indexed.indexed);
    EXPECT_EQ(indexed.indices, std::vector<uint32_t>(indices, indices + 6));
    EXPECT_EQ(indexed.vertices.size(), 4 * sizeof(Vertex));

    EXPECT_EQ(d().DrawPrimitive(PT_TRIANGLESTRIP, 1, 2), Result::InvalidCall);  // past the end
    EXPECT_EQ(d().DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 4, 3, 2), Result::InvalidCall);
    EXPECT_EQ(d().DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 3, 0, 2), Result::InvalidCall);
    d().SetIndices(ib, 1);  // base 1 pushes the last vertex past the buffer
    EXPECT_EQ(d().DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 4, 0, 2), Result::InvalidCall);
    EXPECT_EQ(d().DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, 8, 1, wild, Format::Index16, vertices_,
                                         sizeof(Vertex)),
              Result::InvalidCall);  // index 9 beyond the 8 vertices given
    EXPECT_EQ(d().DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 1, 7, 1, indices, Format::Index16,
                                         vertices_, sizeof(Vertex)),
              Result::InvalidCall);  // index 0 below the first vertex given
    EXPECT_EQ(d().DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, 4, 1, indices, Format::D16, vertices_,
                                         sizeof(Vertex)),
              Result::InvalidCall);
    EXPECT_EQ(d().DrawPrimitiveUP(PT_TRIANGLELIST, 1, vertices_, 16), Result::InvalidCall);
    EXPECT_EQ(d().DrawPrimitiveUP(PT_TRIANGLELIST, 0x60000000, vertices_, sizeof(Vertex)),
              Result::InvalidCall);  // a vertex count beyond 32 bits
    EXPECT_EQ(d().DrawPrimitiveUP(PrimitiveType(9), 1, vertices_, sizeof(Vertex)),
              Result::InvalidCall);
    EXPECT_EQ(d().DrawPrimitiveUP(PT_TRIANGLELIST, 1, nullptr, sizeof(Vertex)),
              Result::InvalidCall);

    // Programs need their full vertex; unknown programs and constants out of range are refused.
    uint32_t skin4 = 0;
    ASSERT_EQ(d().CreateVertexProgram(VertexProgram::Skin4, &skin4), Result::Ok);
    EXPECT_EQ(d().SetVertexShader(skin4 + 1), Result::InvalidCall);
    d().SetVertexShader(skin4);
    EXPECT_EQ(d().DrawPrimitiveUP(PT_TRIANGLELIST, 1, vertices_, sizeof(Vertex)),
              Result::InvalidCall);  // 32 bytes, the program reads 48
    const float constants[8] = {};
    EXPECT_EQ(d().SetVertexShaderConstant(95, constants, 2), Result::InvalidCall);
    EXPECT_EQ(d().SetViewport(Viewport{600, 0, 100, 480, 0, 1}), Result::InvalidCall);
    EXPECT_EQ(d().DrawCount(), 2u);
    d().EndScene();
    vb->Release();
    ib->Release();
}

TEST_F(NullDeviceTest, TexturesKeepTheirMipChainAndBumpVersionsOnUnlock) {
    Texture* texture = nullptr;
    ASSERT_EQ(d().CreateTexture(256, 64, 0, Format::A8R8G8B8, &texture), Result::Ok);
    EXPECT_EQ(texture->LevelCount(), 9u);  // 256 x 64 down to 1 x 1
    EXPECT_EQ(texture->Width(8), 1u);
    EXPECT_EQ(texture->Height(2), 16u);
    EXPECT_EQ(texture->Height(7), 1u);
    uint32_t pitch = 0;
    EXPECT_EQ(texture->LockRect(9, &pitch), nullptr);
    const uint64_t before = texture->Version();
    ASSERT_NE(texture->LockRect(3, &pitch), nullptr);
    EXPECT_EQ(pitch, 32u);
    texture->UnlockRect(3);
    EXPECT_GT(texture->Version(), before);
    texture->Release();
    Texture* none = nullptr;
    EXPECT_EQ(d().CreateTexture(0, 4, 1, Format::A8R8G8B8, &none), Result::InvalidCall);
    EXPECT_EQ(d().CreateTexture(8192, 4, 1, Format::A8R8G8B8, &none), Result::InvalidCall);
    EXPECT_EQ(none, nullptr);
}

TEST_F(NullDeviceTest, AnAdoptedTextureTakesReadyLevelsOnlyWhenTheyFitItsChain) {
    using Levels = std::vector<std::vector<uint32_t>>;
    struct Case {
        uint32_t width, height;
        Levels levels;
        bool ok;
    };
    const Case cases[] = {
        {4, 2, {std::vector<uint32_t>(8, 7u), {1, 2}, {3}}, true},        // 4x2, 2x1, 1x1
        {4, 2, {std::vector<uint32_t>(8, 7u)}, true},                     // the top level alone
        {4, 2, {std::vector<uint32_t>(8, 7u), {1, 2}, {3}, {4}}, false},  // past 1 x 1
        {4, 2, {std::vector<uint32_t>(8, 7u), {1}}, false},               // a level too small
        {4, 2, {}, false},
        {0, 2, {{}}, false},
        {8192, 1, {std::vector<uint32_t>(8192, 0u)}, false},
    };
    for (const Case& c : cases) {
        Levels levels = c.levels;
        Texture* texture = nullptr;
        Result r = d().AdoptTexture(c.width, c.height, &levels, Format::A8R8G8B8, &texture);
        EXPECT_EQ(r == Result::Ok, c.ok) << c.width << "x" << c.height << " " << c.levels.size();
        if (!c.ok) {
            EXPECT_EQ(texture, nullptr);
            EXPECT_EQ(levels, c.levels);  // nothing taken
            continue;
        }
        ASSERT_NE(texture, nullptr);
        EXPECT_TRUE(levels.empty());
        ASSERT_EQ(texture->LevelCount(), c.levels.size());
        for (uint32_t l = 0; l < texture->LevelCount(); ++l) {
            const uint32_t* data = texture->LevelData(l);
            EXPECT_EQ(std::vector<uint32_t>(data, data + c.levels[l].size()), c.levels[l]);
        }
        EXPECT_EQ(texture->Width(1 % texture->LevelCount()), texture->LevelCount() > 1 ? 2u : 4u);
        texture->Release();
    }
}

// The loader thread creates, fills and releases resources while the main thread draws.
TEST_F(NullDeviceTest, ResourcesMayComeAndGoOnAnotherThread) {
    std::thread loader([&] {
        for (int i = 0; i < 200; ++i) {
            Texture* t = nullptr;
            ASSERT_EQ(d().CreateTexture(16, 16, 0, Format::A8R8G8B8, &t), Result::Ok);
            uint32_t pitch = 0;
            std::memset(t->LockRect(0, &pitch), 0xFF, 16 * 16 * 4);
            t->UnlockRect(0);
            d().SetTexture(1, t);
            t->Release();
        }
    });
    for (int frame = 0; frame < 200; ++frame) {
        d().BeginScene();
        d().SetVertexShader(kFvf);
        d().DrawPrimitiveUP(PT_TRIANGLELIST, 1, vertices_, sizeof(Vertex));
        d().EndScene();
        d().Present();
    }
    loader.join();
    EXPECT_EQ(d().GetTexture(1), nullptr);
    EXPECT_EQ(d().DrawCount(), 200u);
}

}  // namespace
