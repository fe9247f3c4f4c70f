// The title's drawing: the background, the five sliding panels (options, records, stage
// select, craft select with the two turning craft models, player set-up with the main menu)
// and the press-start picture. Everything reads TitleState and GameState; the drawing
// changes only the craft models' spin and light angle and the craft records it animates.
#include <cmath>
#include <cstdio>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "engine/main/frame.h"
#include "engine/models/skinned_model.h"
#include "engine/overlay/fade.h"
#include "platform/text/cp932.h"
#include "play/craft/craft.h"
#include "scenes/title/title.h"
#include "world/draw/world_draw.h"

namespace {

constexpr auto kSetupText00 = text::Cp932(u8"１人で遊ぶモードです");
constexpr auto kSetupText01 = text::Cp932(u8"１機で飛びます");
constexpr auto kSetupText11 = text::Cp932(u8"２Ｐ側はコンピュータが受け持ちます");
constexpr auto kSetupText20 = text::Cp932(u8"２人で遊ぶモードです");
constexpr auto kSetupText21 = text::Cp932(u8"それぞれの機体を操作します");

constexpr auto kCraft00 = text::Cp932(u8"素直な操作で扱いやすい機体");
constexpr auto kCraft01 = text::Cp932(u8"オーバーヒートゲージの回復が早いから");
constexpr auto kCraft02 = text::Cp932(u8"ウェポンをバンバン使っていける");
constexpr auto kCraft03 = text::Cp932(u8"でも装甲が薄いから注意");
constexpr auto kCraft10 = text::Cp932(u8"平均的な性能の機体");
constexpr auto kCraft11 = text::Cp932(u8"でもバルカンの攻撃力が高いから");
constexpr auto kCraft12 = text::Cp932(u8"バルカン主体で使いたい人向け");
constexpr auto kCraft20 = text::Cp932(u8"移動速度が遅いが");
constexpr auto kCraft21 = text::Cp932(u8"ウェポンの攻撃力が高い");
constexpr auto kCraft22 = text::Cp932(u8"装甲も厚いから多少の攻撃では何とも無い");
constexpr auto kCraft30 = text::Cp932(u8"最大の特徴は");
constexpr auto kCraft31 = text::Cp932(u8"ロールの代わりに武器の換装ができること");
constexpr auto kCraft32 = text::Cp932(u8"その場その場にあった武器を瞬時に切り替えていける");
constexpr auto kCraft33 = text::Cp932(u8"かなり特徴的な機体だ");

}  // namespace

const char* const kPlayerSetupTexts[3][2] = {
    {kSetupText00.c_str(), kSetupText01.c_str()},
    {kSetupText00.c_str(), kSetupText11.c_str()},
    {kSetupText20.c_str(), kSetupText21.c_str()},
};

const char* const kCraftTexts[4][4] = {
    {kCraft00.c_str(), kCraft01.c_str(), kCraft02.c_str(), kCraft03.c_str()},
    {kCraft10.c_str(), kCraft11.c_str(), kCraft12.c_str(), ""},
    {kCraft20.c_str(), kCraft21.c_str(), kCraft22.c_str(), ""},
    {kCraft30.c_str(), kCraft31.c_str(), kCraft32.c_str(), kCraft33.c_str()},
};

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr gfx::Color kWhite = 0xFFFFFFFFu;

// The opacity of the crafts' reflection in the craft select (as a texture factor).
constexpr uint32_t kReflectionOpacity = 0x58000000u;

// The crafts' spin and the light angle of the craft select, advanced once per drawn frame.
struct CraftPreview {
    float spin;
    float lightAngle;
};
CraftPreview gCraftPreview;

// Animation counters each craft model runs in the craft select, advanced 17 a frame.
constexpr int kRunningCounters[4][4] = {
    {13, 14, 18, 19},
    {6, 7, -1, -1},
    {6, 7, 12, -1},
    {10, 13, 15, -1},
};

static_assert(kCraftAnimationSlots >= kModelTimeSlots, "a model samples every time slot");

const TitleState& T() {
    return gTitleState;
}

gfx::Device* D() {
    return Device3D();
}

int32_t RecordWord(int index) {
    return gGameState.records.words[static_cast<size_t>(index)];
}

// The player set-up as an index 0..2.
int32_t SetupIndex() {
    auto s = static_cast<int32_t>(gGameState.playerSetup);
    return s >= 0 && s <= 2 ? s : 0;
}

gfx::Color Alpha(int32_t a) {
    if (a < 0) a = 0;
    if (a > 255) a = 255;
    return (static_cast<uint32_t>(a) << 24) | 0x00FFFFFFu;
}

gfx::Color Grey(int32_t g) {
    if (g < 0) g = 0;
    if (g > 255) g = 255;
    return 0xFF000000u + static_cast<uint32_t>(g) * 0x10101u;
}

// ---- sprite drawing: one picture at a time ----

const TextureHolder* gBound = nullptr;

void Use(const TextureHolder& picture) {
    if (gBound == &picture) return;
    FlushSprites();
    BindTexture(picture);
    gBound = &picture;
}

void Done() {
    FlushSprites();
    gBound = nullptr;
}

void Quad(const TextureHolder& picture, float x, float y, float w, float h, float u0, float v0,
          float u1, float v1, gfx::Color color = kWhite) {
    Use(picture);
    AddSpriteQuad(SpriteRect{x, y, w, h}, TexelRect{u0, v0, u1, v1}, picture, color);
}

// The sprite states, with culling and the depth test off: a mirrored picture has its
// corners the other way round and must not be culled by what a three-dimensional pass left,
// and the pictures must not hide the craft models drawn after them.
void Begin2D() {
    Done();
    Begin2DDrawing();
    if (gfx::Device* d = D()) {
        d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
        d->SetRenderState(gfx::RS_ZENABLE, gfx::kFalse);
    }
}

// Texture colour plus the vertex colour (the brightened tabs and boxes), or back to
// texture times vertex colour.
void SetAdditiveColour(bool on) {
    Done();
    if (gfx::Device* d = D()) {
        d->SetTextureStageState(0, gfx::TSS_COLOROP, on ? gfx::TOP_ADD : gfx::TOP_MODULATE);
    }
}

float Pulse(float amplitude) {
    return std::fabs(amplitude * std::sin(0.1f * static_cast<float>(T().frameCounter)));
}

// The cursor hand's sway.
float HandSway() {
    return -std::fabs(8.0f * std::sin(0.1f * static_cast<float>(T().frameCounter)));
}

// ---- records and portraits ----

bool IsCraft(int32_t c) {
    return c >= 0 && c <= 3;
}

bool IsWeapon(int32_t w) {
    return w >= 0 && w <= 11;
}

void Portrait(float x, float y, float w, int32_t craft) {
    if (!IsCraft(craft)) return;
    auto u = static_cast<float>((craft % 2) * 144);
    auto v = static_cast<float>((craft / 2) * 96 + 160);
    Quad(gTitleTextures.selectChapter, x, y, w, 96.0f, u, v, u + 144.0f, v + 96.0f);
}

void WeaponIcon(float x, float y, int32_t weapon) {
    if (!IsWeapon(weapon)) return;
    auto u = static_cast<float>((weapon % 4) * 64);
    auto v = static_cast<float>((weapon / 4) * 64);
    Quad(gTitleTextures.itemMini, x, y, 64.0f, 64.0f, u, v, u + 64.0f, v + 64.0f);
}

int32_t LowByte(int32_t word) {
    return word & 0xFF;
}
int32_t SecondByte(int32_t word) {
    return (word >> 8) & 0xFF;
}

void ScoreWithMark(float off, float y, int32_t score) {
    Done();
    DrawNumber(static_cast<int32_t>(off + 460.0f), static_cast<int32_t>(y), score, 0, kWhite);
    Quad(gCommonTextures.scoreDigits, off + 276.0f, y, 32.0f, 32.0f, 32.0f, 32.0f, 64.0f, 64.0f);
}

// ---- panels ----

void DrawOptionsPanel() {
    const TitleState& t = T();
    const TextureHolder& pic = gTitleTextures.soundOption;
    float off = static_cast<float>(t.options.slide * 64);
    Quad(pic, off + 176.0f, 48.0f, 288.0f, 64.0f, 0.0f, 0.0f, 288.0f, 64.0f);
    for (int i = 0; i < 3; ++i) {
        gfx::Color c = Alpha(t.optionsCursor == i ? 255 : 127);
        auto y = static_cast<float>(160 + 80 * i);
        auto v = static_cast<float>(64 + 32 * i);
        Quad(pic, off + 112.0f, y, 256.0f, 32.0f, 0.0f, v, 256.0f, v + 32.0f, c);
        if (i == 2) continue;
        int32_t level = i == 0 ? gGameState.musicVolume : gGameState.soundVolume;
        if (level < 0) level = 0;
        if (level > 9) level = 9;
        Quad(pic, off + 256.0f, y, 64.0f, 32.0f, 0.0f, 160.0f, 64.0f, 192.0f, c);
        Quad(pic, off + 384.0f, y, 64.0f, 32.0f, 64.0f, 160.0f, 128.0f, 192.0f, c);
        auto u = static_cast<float>(32 * level);
        Quad(pic, off + 320.0f, y, 32.0f, 32.0f, u, 192.0f, u + 32.0f, 224.0f, c);
    }
    Done();
}

void MenuLabel(float x, float y, TitleMenuItem item, gfx::Color color = kWhite) {
    auto v = static_cast<float>(32 * static_cast<int32_t>(item));
    Quad(gTitleTextures.titleSelect, x, y, 144.0f, 32.0f, 0.0f, v, 144.0f, v + 32.0f, color);
}

void DrawRecordsPanel() {
    const TitleState& t = T();
    float off = static_cast<float>(t.records.slide * 64);
    const TextureHolder& chapter = gTitleTextures.selectChapter;
    Quad(gTitleTextures.hiscoreTitle, off + 160.0f, 8.0f, 320.0f, 64.0f, 0.0f, 0.0f, 320.0f, 64.0f);
    bool extra = t.recordsPage == 1;
    if (extra) {
        MenuLabel(off + 32.0f, 48.0f, TitleMenuItem::Extra);
    } else {
        MenuLabel(off + 32.0f, 32.0f, TitleMenuItem::Story);
        MenuLabel(off + 32.0f, 64.0f, TitleMenuItem::StagesInARow);
    }
    for (int setup = 0; setup < 3; ++setup) {
        auto y = static_cast<float>(96 + 136 * setup);
        int32_t score = RecordWord((extra ? record::kExtraBest : record::kRunBest) + setup);
        int32_t crafts =
            RecordWord((extra ? record::kExtraBestCraft : record::kRunBestCraft) + setup);
        int32_t craft1 = LowByte(crafts), craft2 = SecondByte(crafts);
        Quad(chapter, off + 80.0f, y, 480.0f, 96.0f, 0.0f, 64.0f, 480.0f, 160.0f);
        if (score > 0) {
            Portrait(off + 88.0f, y, 144.0f, craft1);
            if (setup > 0) Portrait(off + 552.0f, y, -144.0f, craft2);
        }
        Quad(chapter, off + 180.0f, y + 40.0f, 96.0f, 32.0f, 288.0f, 192.0f, 384.0f, 224.0f);
        if (score <= 0) continue;
        ScoreWithMark(off, y + 40.0f, score);

        // One weapon pair per stage of the run (at most the record's six), one for the
        // extra stage.
        int32_t pairs[6] = {};
        int n = 0;
        if (extra) {
            pairs[n++] = RecordWord(record::kExtraBestWeapon + setup);
        } else {
            for (int j = 0; j < 6; ++j) {
                int32_t pair = RecordWord(record::kRunBestWeapons + 6 * setup + j);
                if (LowByte(pair) == 255) break;
                pairs[n++] = pair;
            }
            if (n == 0) pairs[n++] = RecordWord(record::kRunBestWeapons + 6 * setup);
        }
        for (int j = 0; j < n; ++j) {
            float dx = static_cast<float>(40 * j) + static_cast<float>(40 - 40 * n) / 2.0f;
            if (craft1 < 3) WeaponIcon(off + 112.0f + dx, y + 56.0f, LowByte(pairs[j]));
            if (setup > 0 && craft2 < 3) {
                WeaponIcon(off + 464.0f + dx, y + 56.0f, SecondByte(pairs[j]));
            }
        }
    }
    for (int setup = 0; setup < 3; ++setup) {
        auto v = static_cast<float>(192 + 64 * setup);
        Quad(gTitleTextures.menu, off + 256.0f, static_cast<float>(64 + 136 * setup), 352.0f, 64.0f,
             512.0f, v, 864.0f, v + 64.0f);
    }
    Done();
}

// The stage-select emblem: a square of the chapter picture turned about its centre.
void DrawEmblem(float off) {
    const TextureHolder& pic = gTitleTextures.selectChapter;
    constexpr float kShift = -0.6f;
    float u0 = (288.2f + kShift) / 512.0f, v0 = (256.0f + kShift) / 512.0f;
    float u1 = (468.0f + kShift) / 512.0f, v1 = (436.0f + kShift) / 512.0f;
    // Corners round the square, and their texels: not mirrored.
    const float cornerU[4] = {u0, u0, u1, u1};
    const float cornerV[4] = {v0, v1, v1, v0};
    const int order[4] = {0, 1, 3, 2};
    float r = 90.0f * std::sqrt(2.0f);
    SpriteVertex strip[4] = {};
    for (int i = 0; i < 4; ++i) {
        int k = order[i];
        float a = static_cast<float>(k) / 4.0f * 2.0f * kPi + T().modelTurn;
        SpriteVertex& v = strip[i];
        v.x = off + 96.0f - r * std::sin(a);
        v.y = 216.0f - r * std::cos(a);
        v.z = 0.0f;
        v.rhw = 1.0f;
        v.diffuse = kWhite;
        v.u = cornerU[k];
        v.v = cornerV[k];
    }
    Done();
    if (gfx::Device* d = D()) {
        BindTexture(pic);
        d->SetVertexShader(kSpriteFvf);
        d->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, strip, sizeof(SpriteVertex));
    }
    char line[32];
    std::snprintf(line, sizeof line, "FCOUNT %f ", static_cast<double>(kShift));
    PutDebugText(0, 5, line);
}

void DrawStageSelectPanel() {
    const TitleState& t = T();
    float off = static_cast<float>(t.stageSelect.slide * 64);
    const TextureHolder& chapter = gTitleTextures.selectChapter;
    Quad(chapter, off + 160.0f, 0.0f, 320.0f, 64.0f, 0.0f, 0.0f, 320.0f, 64.0f);
    Quad(chapter, off + 80.0f, 384.0f, 480.0f, 96.0f, 0.0f, 64.0f, 480.0f, 160.0f);

    int32_t stage = ChosenPracticeStage();
    int32_t setup = SetupIndex();
    bool twoCrafts = setup > 0;
    // The practice records hold 20 stages per set-up.
    bool recorded = stage >= 0 && stage < kStageSlots;
    int32_t score = recorded ? RecordWord(record::kPracticeBest + 20 * setup + stage) : 0;
    int32_t crafts = recorded ? RecordWord(record::kPracticeBestCraft + 20 * setup + stage) : 0;
    int32_t weapons = recorded ? RecordWord(record::kPracticeBestWeapon + 20 * setup + stage) : 0;
    if (score > 0) {
        Portrait(off + 88.0f, 384.0f, 144.0f, LowByte(crafts));
        if (twoCrafts) Portrait(off + 552.0f, 384.0f, -144.0f, SecondByte(crafts));
    }
    Quad(chapter, off + 164.0f, 400.0f, 96.0f, 32.0f, 288.0f, 160.0f, 384.0f, 192.0f);
    Quad(chapter, off + 180.0f, 440.0f, 96.0f, 32.0f, 288.0f, 192.0f, 384.0f, 224.0f);
    Quad(chapter, off + 248.0f, 400.0f, 96.0f, 32.0f, 288.0f, 224.0f, 384.0f, 256.0f);
    int32_t chapterRow = t.stageRow + t.stagePage;
    auto cu = static_cast<float>((chapterRow + 1) * 24);
    Quad(chapter, off + 260.0f, 404.0f, 24.0f, 32.0f, cu, 352.0f, cu + 24.0f, 384.0f);
    auto su = static_cast<float>((t.stageColumn + 1) * 24);
    Quad(chapter, off + 308.0f, 404.0f, 24.0f, 32.0f, su, 352.0f, su + 24.0f, 384.0f);
    if (score > 0) {
        ScoreWithMark(off, 440.0f, score);
        if (LowByte(crafts) < 3) WeaponIcon(off + 48.0f, 400.0f, LowByte(weapons));
        if (twoCrafts && SecondByte(crafts) < 3) {
            WeaponIcon(off + 528.0f, 400.0f, SecondByte(weapons));
        }
    }
    DrawEmblem(off);

    // One row of three stage pictures: shadows first, then the pictures; a locked stage
    // is black.
    const TextureHolder& pictures = gTitleTextures.practice;
    for (int j = 0; j < 3; ++j) {
        Quad(pictures, off + 200.0f + 144.0f * static_cast<float>(j), 64.0f, 128.0f, 96.0f, 0.0f,
             0.0f, 160.0f, 120.0f, 0x64000000u);
    }
    int32_t pictureRow = chapterRow >= 0 && chapterRow < 7 ? chapterRow : 0;
    for (int j = 0; j < 3; ++j) {
        bool selected = j == t.stageColumn;
        float d = selected ? -8.0f : 0.0f;
        int32_t g = selected ? 255 : 191;
        if (!IsPracticeStageOpen(chapterRow * 3 + j)) g = 0;
        auto u = static_cast<float>(160 * j);
        auto v = static_cast<float>(120 * pictureRow);
        Quad(pictures, off + 192.0f + 144.0f * static_cast<float>(j) + d, 56.0f + d, 128.0f, 96.0f,
             u, v, u + 160.0f, v + 120.0f, Grey(g));
    }
    Quad(gTitleTextures.menu,
         off + 144.0f + 144.0f * static_cast<float>(t.stageColumn) + HandSway(),
         60.0f + 112.0f * static_cast<float>(t.stageRow), 64.0f, 64.0f, 768.0f, 384.0f, 832.0f,
         448.0f);
    Done();
}

// The craft models turning over their reflection.
void DrawCraftModels(const TitleState& t, bool twoCrafts) {
    gfx::Device* d = D();
    if (!d) return;
    Done();
    CraftPreview& pv = gCraftPreview;
    pv.spin -= 0.02f;
    while (pv.spin < -kPi) pv.spin += 2.0f * kPi;
    while (pv.spin > kPi) pv.spin -= 2.0f * kPi;
    pv.lightAngle += 0.01f;

    auto setView = [&]() {
        SetupDeviceStates();
        gGraphics.eye = gfx::Vec3{0.0f, 120.0f, 228.0f};
        gGraphics.target = gfx::Vec3{-16.0f * static_cast<float>(t.craftSelect.slide), 0.0f, 0.0f};
        UpdateViewMatrix();
        gGraphics.projection = gfx::PerspectiveFovRH(gGraphics.fieldOfView * kPi / 180.0f,
                                                     4.0f / 3.0f, 1.0f, 59000.0f);
        d->SetTransform(gfx::TS_VIEW, gGraphics.view);
        d->SetTransform(gfx::TS_PROJECTION, gGraphics.projection);
        d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
        gfx::Light light{};
        light.type = gfx::LIGHT_DIRECTIONAL;
        light.diffuse = gfx::ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
        light.ambient = gfx::ColorValue{0.2f, 0.2f, 0.2f, 0.0f};
        light.direction[0] = std::sin(pv.lightAngle);
        light.direction[1] = 0.2f;
        light.direction[2] = std::cos(pv.lightAngle);
        d->SetLight(0, light);
        d->LightEnable(0, true);
    };

    // The crafts under the players' cursors, animated from their craft records.
    int count = twoCrafts ? 2 : 1;
    int32_t crafts[2] = {};
    for (int i = 0; i < count; ++i) {
        crafts[i] = CraftAtListIndex(t.players[static_cast<size_t>(i)].cursor);
        PlayerCraft& record = gPlayerCrafts[static_cast<size_t>(i)];
        record.craft = crafts[i];
        // The times count as unsigned ticks, as the model samples them.
        auto* counters = reinterpret_cast<uint32_t*>(record.animation);
        AdvanceModelAnimation(&gCraftModels[crafts[i]], counters);
        for (int c : kRunningCounters[crafts[i]]) {
            if (c >= 0) counters[c] += 17u;
        }
    }
    float scale = twoCrafts ? 1.8f : 2.0f;
    auto drawPass = [&](float y, float roll) {
        for (int i = 0; i < count; ++i) {
            SkinnedModel& model = gCraftModels[crafts[i]];
            float x = !twoCrafts ? 20.0f : i == 0 ? -100.0f : 100.0f;
            SetModelRotation(&model, gfx::Multiply(gfx::Scaling(-scale, scale, scale),
                                                   gfx::RotationYawPitchRoll(pv.spin, 0.0f, roll)));
            SetModelTranslation(&model, gfx::Translation(x, y, 0.0f));
            RenderModel(&model);
        }
    };

    // The reflection, then the background over it half seen, then the crafts. The
    // reflection's colour operation adds the lighting to the texels, which would make it
    // paler than the craft above it: it is laid down at a third of its opacity instead.
    setView();
    SetActorRenderStates();
    SetStageColorOp(6);
    d->SetRenderState(gfx::RS_TEXTUREFACTOR, kReflectionOpacity);
    d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    d->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
    d->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_TFACTOR);
    drawPass(-80.0f, kPi);
    d->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_CURRENT);

    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kFalse);
    Begin2D();
    d->SetRenderState(gfx::RS_FOGENABLE, gfx::kFalse);
    Quad(gTitleTextures.title2, 0.0f, 0.0f, 640.0f, 480.0f, 0.0f, 0.0f, 640.0f, 480.0f,
         0x69FFFFFFu);
    Done();

    setView();
    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kTrue);
    SetActorRenderStates();
    SetStageColorOp(2);
    drawPass(0.0f, 0.0f);
}

void DrawSenseBoxes(const TitleState& t, float off, int setup) {
    const TextureHolder& pic = gTitleTextures.menu;
    bool twoCrafts = setup > 0;
    int players = setup == 2 ? 2 : 1;
    for (int m = 0; m < players; ++m) {
        const TitlePlayerChoice& p = t.players[static_cast<size_t>(m)];
        if (p.state == CraftChoice::Craft) continue;
        float k = static_cast<float>(p.senseCounter) / 8.0f;
        float x = twoCrafts ? 184.0f + 144.0f * static_cast<float>(m) : 328.0f;
        bool slideFromRight = !twoCrafts || (m == 1 && p.state == CraftChoice::Sense);
        if (slideFromRight) x += 128.0f - 128.0f * k;
        bool ready = p.state == CraftChoice::Ready;
        float tabX = twoCrafts && m == 0 ? x - 128.0f + 128.0f * k : x;
        int32_t tabGlow = ready ? 0 : static_cast<int32_t>(Pulse(32.0f));
        Quad(pic, off + tabX, 200.0f, 128.0f, 32.0f, 896.0f, 0.0f, 1024.0f, 32.0f,
             0xFF000000u | static_cast<uint32_t>(tabGlow) * 0x10101u);

        auto glow = static_cast<int32_t>(
            64.0f * std::sin(kPi * static_cast<float>(p.readyCounter) / 16.0f));
        if (glow < 0) glow = 0;
        auto boxColor = [&](int toggle) {
            int32_t a = p.upDownToggle == toggle ? 255 : ready ? 0 : 155;
            return (static_cast<uint32_t>(a) << 24) | static_cast<uint32_t>(glow) * 0x10101u;
        };
        float h = p.upDownToggle == 1 ? std::fmin(16.0f * static_cast<float>(p.readyCounter), 96.0f)
                                      : 0.0f;
        Quad(pic, off + x, 320.0f - 96.0f * k, 128.0f * k, 96.0f * k, 768.0f, 96.0f, 896.0f, 192.0f,
             boxColor(0));
        Quad(pic, off + x, 320.0f - h, 128.0f * k, 96.0f * k, 768.0f, 0.0f, 896.0f, 96.0f,
             boxColor(1));
    }
}

void DrawCraftSelectPanel() {
    const TitleState& t = T();
    float off = static_cast<float>(t.craftSelect.slide * 64);
    int setup = SetupIndex();
    bool twoCrafts = setup > 0;
    const TextureHolder& pic = gTitleTextures.menu;

    DrawCraftModels(t, twoCrafts);
    Begin2D();

    // Large portraits.
    auto portrait = [&](int m, float x, float w) {
        const TitlePlayerChoice& p = t.players[static_cast<size_t>(m)];
        auto u = static_cast<float>(256 * CraftAtListIndex(p.cursor));
        float v = p.state == CraftChoice::Craft ? 0.0f : 384.0f;
        Quad(gTitleTextures.selectCraft, x, 136.0f, w, 344.0f, u, v, u + 256.0f, v + 344.0f);
    };
    if (twoCrafts) {
        portrait(0, off + 256.0f, -256.0f);
        portrait(1, off + 384.0f, 256.0f);
    } else {
        portrait(0, off + 384.0f, 256.0f);
    }

    // Craft names, player labels and the text window.
    auto craftName = [&](int m, float x) {
        auto v =
            static_cast<float>(32 * CraftAtListIndex(t.players[static_cast<size_t>(m)].cursor));
        Quad(pic, x, 440.0f, 256.0f, 32.0f, 512.0f, v, 768.0f, v + 32.0f);
    };
    auto label = [&](int m, float x) {
        auto v = static_cast<float>(96 + 32 * m);
        Quad(pic, x, 416.0f, 128.0f, 32.0f, 0.0f, v, 128.0f, v + 32.0f);
    };
    if (twoCrafts) {
        craftName(0, off);
        craftName(1, off + 384.0f);
        label(0, off + 64.0f);
        label(1, off + 448.0f);
    } else {
        craftName(0, off + 384.0f);
        label(0, off + 448.0f);
        Quad(pic, off + 48.0f, 352.0f, 360.0f, 128.0f, 0.0f, 288.0f, 480.0f, 416.0f, 0x9BFFFFFFu);
    }

    // The craft list.
    int32_t count = t.craftCount < 0               ? 0
                    : t.craftCount > kCraftListMax ? kCraftListMax
                                                   : t.craftCount;
    for (int m = 0; m < count; ++m) {
        int32_t k = CraftAtListIndex(m);
        bool lit = t.players[0].cursor == m || (twoCrafts && t.players[1].cursor == m);
        auto u = static_cast<float>(128 * k);
        Quad(pic, off + 100.0f + 104.0f * static_cast<float>(m), 48.0f, 128.0f, 128.0f, u, 160.0f,
             u + 128.0f, 288.0f, lit ? kWhite : 0xFF9B9B9Bu);
    }

    // Cursor tabs and sense boxes, brightened.
    SetAdditiveColour(true);
    int tabs = setup == 2 || (setup == 1 && t.players[0].state == CraftChoice::Ready) ? 2 : 1;
    for (int m = 0; m < tabs; ++m) {
        const TitlePlayerChoice& p = t.players[static_cast<size_t>(m)];
        int32_t cursor = p.cursor < 0 ? 0 : p.cursor >= count ? count - 1 : p.cursor;
        auto glow = p.state == CraftChoice::Craft ? static_cast<int32_t>(Pulse(32.0f)) : 0;
        auto v = static_cast<float>(96 + 24 * m);
        Quad(pic, off + 136.0f + 104.0f * static_cast<float>(cursor),
             48.0f + 128.0f * static_cast<float>(m), 56.0f, 24.0f, 128.0f, v, 184.0f, v + 24.0f,
             0xFF000000u | static_cast<uint32_t>(glow) * 0x10101u);
    }
    DrawSenseBoxes(t, off, setup);
    SetAdditiveColour(false);

    Quad(pic, off + 80.0f, 16.0f, 480.0f, 32.0f, 0.0f, 64.0f, 480.0f, 96.0f);
    Done();

    if (!twoCrafts && t.craftSelect.open) {
        int32_t craft = CraftAtListIndex(t.players[0].cursor);
        for (int i = 0; i < 4; ++i) {
            DrawShadowedText(off + 64.0f, static_cast<float>(384 + 20 * i), kCraftTexts[craft][i],
                             255, 255, 255, 0);
        }
    }
}

void DrawTitleMenu() {
    const TitleState& t = T();
    float off = static_cast<float>(t.setup.slide * 64) - 640.0f;
    if (t.options.open || t.options.mode == PanelMode::Show) {
        off = static_cast<float>(t.options.slide * 64) - 640.0f;
    }
    if (t.records.open || t.records.mode == PanelMode::Show) {
        off = static_cast<float>(t.records.slide * 64) - 640.0f;
    }
    const TextureHolder& pic = gTitleTextures.titleSelect;
    for (int i = 0; i < t.menuCount && i < kTitleMenuMax; ++i) {
        MenuLabel(off + 64.0f, static_cast<float>(160 + 30 * i),
                  t.menuItems[static_cast<size_t>(i)], Alpha(i == t.menuCursor ? 255 : 127));
    }
    auto cursorY = static_cast<float>(30 * t.menuCursor);
    Quad(pic, off, 180.0f + cursorY, 640.0f, 16.0f, 0.0f, 288.0f, 640.0f, 304.0f);
    auto v = static_cast<float>(32 * static_cast<int32_t>(ChosenMenuItem()));
    Quad(pic, off + 256.0f, 160.0f + cursorY, 192.0f, 32.0f, 160.0f, v, 352.0f, v + 32.0f,
         0xBFFFFFFFu);
    Done();
}

void DrawSetupPanel() {
    const TitleState& t = T();
    float off = static_cast<float>(t.setup.slide * 64);
    const TextureHolder& pic = gTitleTextures.menu;
    int32_t cursor = t.setupCursor >= 0 && t.setupCursor <= 2 ? t.setupCursor : 0;
    for (int i = 0; i < 3; ++i) {
        auto v = static_cast<float>(192 + 64 * i);
        Quad(pic, off + 144.0f, static_cast<float>(96 + 80 * i), 352.0f, 64.0f, 512.0f, v, 864.0f,
             v + 64.0f, Alpha(i == cursor ? 255 : 180));
    }
    Quad(pic, off + 104.0f + HandSway(), static_cast<float>(96 + 80 * cursor), 64.0f, 64.0f, 768.0f,
         384.0f, 832.0f, 448.0f);
    Quad(pic, off + 80.0f, 320.0f, 480.0f, 128.0f, 0.0f, 288.0f, 480.0f, 416.0f);
    Done();
    if (t.setup.open) {
        DrawShadowedText(off + 116.0f, 360.0f, kPlayerSetupTexts[cursor][0], 255, 255, 255, 0);
        DrawShadowedText(off + 116.0f, 394.0f, kPlayerSetupTexts[cursor][1], 255, 255, 255, 0);
    }
    float o = static_cast<float>((t.options.slide - 10) * 64);
    if (t.records.open || t.records.mode == PanelMode::Show) {
        o = static_cast<float>((t.records.slide - 10) * 64);
    }
    Quad(pic, o + 192.0f, 32.0f, 256.0f, 64.0f, 512.0f, 384.0f, 768.0f, 448.0f);
    Done();
    DrawTitleMenu();
}

void DrawPressStart() {
    const TitleState& t = T();
    int32_t a = 255 - 16 * t.transition;
    if (a < 0) a = 0;
    if (t.transition < 0) {
        a = 16 * -t.transition;
        if (a > 255) a = 255;
    }
    const TextureHolder& pic = gTitleTextures.title;
    Quad(pic, 0.0f, 0.0f, 640.0f, 480.0f, 0.0f, 0.0f, 640.0f, 480.0f, Alpha(a));
    float strip = (64.0f * std::sin(0.1f * static_cast<float>(t.frameCounter)) + 192.0f) *
                  static_cast<float>(a) / 255.0f;
    Quad(pic, 128.0f, 400.0f, 384.0f, 80.0f, 640.0f, 0.0f, 1024.0f, 80.0f,
         Alpha(static_cast<int32_t>(strip)));
    Done();
}

bool Showing(const TitlePanel& p) {
    return p.open || p.mode == PanelMode::Show;
}

bool ShowingOrRight(const TitlePanel& p) {
    return Showing(p) || p.mode == PanelMode::HideRight;
}

}  // namespace

void DrawTitle() {
    gfx::Device* d = D();
    if (!d) return;
    const TitleState& t = T();
    gBound = nullptr;
    d->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    Begin2D();
    Quad(gTitleTextures.title2, 0.0f, 0.0f, 640.0f, 480.0f, 0.0f, 0.0f, 640.0f, 480.0f);
    Done();

    if (ShowingOrRight(t.options)) DrawOptionsPanel();
    if (ShowingOrRight(t.records)) DrawRecordsPanel();
    if (Showing(t.stageSelect)) DrawStageSelectPanel();
    if (Showing(t.craftSelect)) {
        DrawCraftSelectPanel();
        Begin2D();
    }
    if (ShowingOrRight(t.setup)) DrawSetupPanel();
    if (t.pressStart) DrawPressStart();
    Done();
}

void ResetTitlePreview() {
    gCraftPreview = CraftPreview{};
}

void LoadTitleScene() {
    LoadTitleResources();
}
