// The text font on the null device: face choice, layout (line breaks, tabs, clipping),
// half-width katakana, weight, the glyph atlas refill and the device states it leaves.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/gfx/device.h"
#include "platform/text/cp932.h"
#include "platform/text/font.h"

namespace {

constexpr auto kGothic = text::Cp932(u8"ＭＳ Ｐゴシック");
constexpr auto kMincho = text::Cp932(u8"ＭＳ 明朝");
constexpr auto kKana = text::Cp932(u8"ｱｲｳ");
constexpr auto kKanji = text::Cp932(u8"漢字");

struct Quad {
    float left, top, right, bottom;
    uint32_t color;
};

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        device_.reset(static_cast<gfx::NullDevice*>(gfx::CreateNullDevice(gfx::PresentParams{})));
        device_->SetRecording(true);
        device_->BeginScene();
    }
    void TearDown() override {
        font_.reset();
        device_->EndScene();
    }

    text::Font* Make(int32_t height, int32_t weight = 400, const char* face = "MS UI Gothic") {
        text::FontResult result = text::FontResult::NoTexture;
        font_ = text::Font::Create(device_.get(), text::FontRequest{face, height, weight}, &result);
        EXPECT_EQ(result, text::FontResult::Ok);
        return font_.get();
    }

    // Every glyph rectangle drawn since the last call, in drawing order.
    std::vector<Quad> TakeQuads() {
        std::vector<Quad> quads;
        for (const gfx::DrawRecord& d : device_->Draws()) {
            EXPECT_EQ(d.primitive, gfx::PT_TRIANGLELIST);
            size_t n = d.vertices.size() / d.vertexStride;
            for (size_t v = 0; v + 6 <= n; v += 6) {
                Quad q{1e9f, 1e9f, -1e9f, -1e9f, 0};
                for (size_t k = v; k < v + 6; ++k) {
                    float x, y;
                    std::memcpy(&x, &d.vertices[k * d.vertexStride], 4);
                    std::memcpy(&y, &d.vertices[k * d.vertexStride + 4], 4);
                    std::memcpy(&q.color, &d.vertices[k * d.vertexStride + 16], 4);
                    q.left = std::min(q.left, x);
                    q.right = std::max(q.right, x);
                    q.top = std::min(q.top, y);
                    q.bottom = std::max(q.bottom, y);
                }
                quads.push_back(q);
            }
        }
        device_->ClearDraws();
        return quads;
    }

    std::unique_ptr<gfx::NullDevice> device_;
    std::unique_ptr<text::Font> font_;
};

TEST_F(FontTest, WindowsFaceNamesTakeTheClosestJapaneseFaceAtTheCellHeight) {
    struct Case {
        const char* face;
        const char* family;  // the family fontconfig names first
    };
    const Case cases[] = {
        {"MS UI Gothic", "IPAPGothic"},  // proportional faces: the proportional gothic
        {"ms ui gothic", "IPAPGothic"},  // names are matched as Windows matches them
        {kGothic.c_str(), "IPAPGothic"},
        {kMincho.c_str(), "IPAMincho"},  // the fixed-pitch mincho
        {"Terminal", "IPAGothic"},       // fixed-pitch: the fixed-pitch gothic
        {"Tahoma", "IPAPGothic"},        // a Latin face: the proportional gothic
        {"No Such Face", "IPAGothic"},   // unknown and empty names: any Japanese sans-serif
        {"", "IPAGothic"},
    };
    for (const Case& c : cases) {
        text::Font* f = Make(30, 400, c.face);
        ASSERT_NE(f, nullptr) << c.face;
        EXPECT_STREQ(f->FamilyName(), c.family) << c.face;
        EXPECT_EQ(f->CellHeight(), 30);
        EXPECT_GT(f->Ascent(), 15);
        EXPECT_LT(f->Ascent(), 30);
    }
    // The proportional face sets narrow kana closer than the fixed-pitch one.
    constexpr auto kNarrow = text::Cp932(u8"ーーーー");
    auto inkWidth = [&](const char* face) {
        Make(30, 400, face)->Draw(kNarrow.c_str(), 0, 0, 640, 480, 0xFFFFFFFFu);
        std::vector<Quad> q = TakeQuads();
        return q.empty() ? 0.0f : q.back().right - q.front().left;
    };
    EXPECT_LT(inkWidth("MS UI Gothic"), inkWidth("Terminal"));
}

TEST_F(FontTest, GlyphsSitInTheirCellsInTheColourGiven) {
    text::Font* f = Make(30);
    f->Draw("AB", 100, 50, 640, 480, 0xFF102030u);
    std::vector<Quad> q = TakeQuads();
    ASSERT_EQ(q.size(), 2u);
    for (const Quad& g : q) {
        EXPECT_EQ(g.color, 0xFF102030u);
        EXPECT_GE(g.top, 50.0f - 0.5f);
        EXPECT_LE(g.bottom, 80.0f - 0.5f);
    }
    EXPECT_GE(q[0].left, 99.5f);
    EXPECT_GT(q[1].left, q[0].right - 2.0f);
    // Half-pixel edges put pixel centres on texel centres.
    EXPECT_EQ(q[0].left - static_cast<int>(q[0].left), 0.5f);
}

TEST_F(FontTest, LineBreaksStartANewLineOneCellLower) {
    text::Font* f = Make(30);
    f->Draw("A", 10, 10, 640, 480, 0xFFFFFFFFu);
    Quad first = TakeQuads().at(0);
    for (const char* s : {"A\r\nA", "A\nA", "A\rA"}) {
        f->Draw(s, 10, 10, 640, 480, 0xFFFFFFFFu);
        std::vector<Quad> q = TakeQuads();
        ASSERT_EQ(q.size(), 2u) << s;
        EXPECT_EQ(q[1].left, first.left);
        EXPECT_EQ(q[1].top, first.top + 30.0f);
    }
}

TEST_F(FontTest, TabsMoveToTheNextStop) {
    text::Font* f = Make(30);
    f->Draw("A", 10, 10, 640, 480, 0xFFFFFFFFu);
    Quad plain = TakeQuads().at(0);
    f->Draw("\tA", 10, 10, 640, 480, 0xFFFFFFFFu);
    Quad tabbed = TakeQuads().at(0);
    f->Draw("A\tA", 10, 10, 640, 480, 0xFFFFFFFFu);
    std::vector<Quad> two = TakeQuads();
    float stop = tabbed.left - plain.left;
    EXPECT_GE(stop, 30.0f);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[1].left, tabbed.left);
}

TEST_F(FontTest, TextIsClippedToTheScreen) {
    text::Font* f = Make(30);
    f->Draw("WWWWWW", 600, 460, 640, 480, 0xFFFFFFFFu);
    std::vector<Quad> q = TakeQuads();
    ASSERT_FALSE(q.empty());
    EXPECT_LT(q.size(), 6u);
    for (const Quad& g : q) {
        EXPECT_LE(g.right, 639.5f);
        EXPECT_LE(g.bottom, 479.5f);
    }
    f->Draw("A\nA", 0, 470, 640, 480, 0xFFFFFFFFu);
    EXPECT_LE(TakeQuads().size(), 1u);
}

TEST_F(FontTest, DrawsHalfWidthKatakanaAndKanji) {
    text::Font* f = Make(30);
    f->Draw(kKana.c_str(), 0, 0, 640, 480, 0xFFFFFFFFu);
    std::vector<Quad> kana = TakeQuads();
    ASSERT_EQ(kana.size(), 3u);
    f->Draw(kKanji.c_str(), 0, 0, 640, 480, 0xFFFFFFFFu);
    std::vector<Quad> kanji = TakeQuads();
    ASSERT_EQ(kanji.size(), 2u);
    // Half-width characters advance about half as far as full-width ones.
    float kanaStep = kana[1].left - kana[0].left;
    float kanjiStep = kanji[1].left - kanji[0].left;
    EXPECT_NEAR(kanaStep * 2.0f, kanjiStep, 3.0f);
}

TEST_F(FontTest, BrokenCharactersDoNotStopTheText) {
    text::Font* f = Make(30);
    // A lone lead byte at the end, a lead byte before the terminator, and control bytes.
    f->Draw(std::string_view("A\x82", 2), 0, 0, 640, 480, 0xFFFFFFFFu);
    f->Draw(std::string_view("A\x82\0B", 4), 0, 0, 640, 480, 0xFFFFFFFFu);
    f->Draw(
        "\x01\x02"
        "A",
        0, 0, 640, 480, 0xFFFFFFFFu);
    EXPECT_GE(TakeQuads().size(), 3u);
}

TEST_F(FontTest, HeavyWeightsAreEmboldened) {
    text::Font* light = Make(30, 300);
    EXPECT_FALSE(light->Emboldened());
    light->Draw("H", 0, 0, 640, 480, 0xFFFFFFFFu);
    Quad thin = TakeQuads().at(0);
    text::Font* heavy = Make(30, 1000);
    EXPECT_TRUE(heavy->Emboldened());
    heavy->Draw("H", 0, 0, 640, 480, 0xFFFFFFFFu);
    Quad bold = TakeQuads().at(0);
    EXPECT_GT(bold.right - bold.left, thin.right - thin.left);
}

TEST_F(FontTest, AFullAtlasIsRefilledAndEveryGlyphStillDrawn) {
    text::Font* f = Make(60);
    // 1500 different kanji of 60 pixels do not fit one 1024 x 1024 atlas together.
    std::string line;
    int count = 0;
    for (int lead = 0x88; lead <= 0x98 && count < 1500; ++lead) {
        for (int trail = 0x40; trail <= 0xFC && count < 1500; ++trail) {
            if (trail == 0x7F) continue;
            if (lead == 0x88 && trail < 0x9F) continue;
            line.push_back(static_cast<char>(lead));
            line.push_back(static_cast<char>(trail));
            ++count;
            if (count % 10 == 0) line.push_back('\n');
        }
    }
    size_t drawn = 0;
    // Draw line by line (ten to a line) so that nothing is clipped.
    size_t start = 0;
    while (start < line.size()) {
        size_t end = line.find('\n', start);
        f->Draw(std::string_view(line).substr(start, end - start), 0, 0, 640, 480, 0xFFFFFFFFu);
        drawn += TakeQuads().size();
        start = end + 1;
    }
    EXPECT_EQ(drawn, 1500u);
}

TEST_F(FontTest, DrawingLeavesTheDeviceStatesAsTheyWere) {
    text::Font* f = Make(30);
    gfx::Texture* other = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, gfx::Format::A8R8G8B8, &other), gfx::Result::Ok);
    device_->SetTexture(0, other);
    device_->SetRenderState(gfx::RS_ALPHABLENDENABLE, gfx::kFalse);
    device_->SetRenderState(gfx::RS_FOGENABLE, gfx::kTrue);
    device_->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CW);
    device_->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_ADD);
    device_->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_LINEAR);
    device_->SetVertexShader(0x1C4);
    gfx::DeviceState before = device_->State();

    f->Draw("Text", 0, 0, 640, 480, 0xFFFFFFFFu);
    ASSERT_EQ(device_->Draws().size(), 1u);
    // While drawing: its own atlas, blending on, no fog.
    const gfx::DrawRecord& d = device_->Draws()[0];
    EXPECT_EQ(d.texture0, f->Atlas());
    EXPECT_EQ(d.renderStates[gfx::RS_ALPHABLENDENABLE], gfx::kTrue);
    EXPECT_EQ(d.renderStates[gfx::RS_FOGENABLE], gfx::kFalse);

    const gfx::DeviceState& after = device_->State();
    EXPECT_EQ(std::memcmp(before.renderStates, after.renderStates, sizeof before.renderStates), 0);
    EXPECT_EQ(std::memcmp(before.stageStates, after.stageStates, sizeof before.stageStates), 0);
    EXPECT_EQ(after.textures[0], other);
    EXPECT_EQ(after.vertexShader, 0x1C4u);
    other->Release();
}

TEST_F(FontTest, AFaceWithoutDeviceMakesNoFont) {
    text::FontResult result = text::FontResult::Ok;
    auto f = text::Font::Create(nullptr, text::FontRequest{"MS UI Gothic", 30, 300}, &result);
    EXPECT_EQ(f, nullptr);
    EXPECT_EQ(result, text::FontResult::NoTexture);
}

}  // namespace
