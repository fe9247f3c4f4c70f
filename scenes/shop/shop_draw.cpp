// Drawing of the shop: the items on their frames, the shopkeeper, the text window, the
// turning emblem, the money and price, the shopkeeper's lines and the credits.
#include <cmath>
#include <cstdio>
#include <numbers>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "engine/overlay/fade.h"
#include "engine/overlay/overlays.h"
#include "scenes/shop/shop.h"

namespace {

constexpr gfx::Color kWhite = 0xFFFFFFFFu;
constexpr gfx::Color kMoneyColor = 0xFFFFFF7Fu;
constexpr gfx::Color kTooDearColor = 0xFFFF7F7Fu;
constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kEmblemTexelShift = -0.6f;

const TextureHolder& IconSheet(int32_t id, bool underCursor) {
    if (id < 16) return underCursor ? gShopTextures.itemName : gShopTextures.item;
    return underCursor ? gShopTextures.item2Name : gShopTextures.item2;
}

TexelRect IconCell(int32_t id) {
    int32_t c = id < 16 ? id : id - 16;
    auto x = static_cast<float>((c % 4) * 128);
    auto y = static_cast<float>((c / 4) * 128);
    return TexelRect{x, y, x + 128, y + 128};
}

void DrawItems(const ResultShopState& r) {
    const TextureHolder& shop = gShopTextures.shop;
    BindTexture(shop);
    for (int i = 0; i < r.itemCount; ++i) {
        auto x = static_cast<float>(64 + 128 * (i - r.scrollTop));
        gfx::Color color = i == r.cursor ? kWhite : 0x7FFFFFFFu;
        AddSpriteQuad(SpriteRect{x, 16, 128, 128}, TexelRect{0, 384, 128, 512}, shop, color);
    }
    FlushSprites();
    for (int i = 0; i < r.itemCount; ++i) {
        int32_t id = r.items[i];
        if (id < 0 || id >= kShopItemIds) continue;
        auto x = static_cast<float>(64 + 128 * (i - r.scrollTop));
        bool under = i == r.cursor;
        gfx::Color color = under ? kWhite : 0x7FFFFFFFu;
        const TextureHolder& sheet = IconSheet(id, under);
        BindTexture(sheet);
        AddSpriteQuad(SpriteRect{x, 16, 128, 128}, IconCell(id), sheet, color);
        FlushSprites();
        if (IsShopItemSoldOut(id)) {
            const TextureHolder& soldOut = gShopTextures.item2;
            BindTexture(soldOut);
            AddSpriteQuad(SpriteRect{x, 16, 128, 128}, TexelRect{128, 128, 256, 256}, soldOut,
                          color);
            FlushSprites();
        }
    }
}

void DrawEmblem(float angle) {
    const TextureHolder& shop = gShopTextures.shop;
    constexpr int kOrder[4] = {0, 1, 3, 2};
    const float left = 624.2f + kEmblemTexelShift, top = 160.0f + kEmblemTexelShift;
    const float right = 804.0f + kEmblemTexelShift, bottom = 340.0f + kEmblemTexelShift;
    const float u[4] = {left, left, right, right};
    const float v[4] = {top, bottom, top, bottom};
    const float r = 90.0f * std::numbers::sqrt2_v<float>;
    SpriteVertex corners[4];
    for (int i = 0; i < 4; ++i) {
        float a = static_cast<float>(kOrder[i]) / 4.0f * 2.0f * kPi + angle;
        corners[i] = SpriteVertex{96.0f - r * std::sin(a),
                                  216.0f - r * std::cos(a),
                                  0.0f,
                                  1.0f,
                                  kWhite,
                                  0,
                                  u[i] / 1024.0f,
                                  v[i] / 512.0f};
    }
    if (gfx::Device* device = Device3D()) {
        BindTexture(shop);
        device->SetVertexShader(kSpriteFvf);
        device->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, corners, sizeof(SpriteVertex));
    }
    char line[32];
    std::snprintf(line, sizeof line, "FCOUNT %f ", static_cast<double>(kEmblemTexelShift));
    PutDebugText(0, 5, line);
}

}  // namespace

void DrawShop() {
    const ResultShopState& r = gResultShop;
    Begin2DDrawing();
    const TextureHolder& background = gShopTextures.background;
    BindTexture(background);
    AddSpriteQuad(SpriteRect{0, 0, 640, 480}, TexelRect{0, 0, 640, 480}, background, kWhite);
    FlushSprites();

    DrawItems(r);

    const TextureHolder& shop = gShopTextures.shop;
    bool talking = r.shopTimer < kShopGreetingTicks || r.farewell > 0 || r.thanksTimer > 0;
    BindTexture(shop);
    AddSpriteQuad(SpriteRect{328, 120, 312, 360},
                  talking ? TexelRect{312, 0, 624, 360} : TexelRect{0, 0, 312, 360}, shop, kWhite);
    AddSpriteQuad(SpriteRect{16, 288, 400, 160}, TexelRect{624, 0, 1024, 160}, shop, 0xBFFFFFFFu);
    AddSpriteQuad(SpriteRect{96, 236, 320, 16}, TexelRect{0, 368, 320, 384}, shop, kWhite);
    FlushSprites();

    DrawEmblem(r.emblemAngle);

    Begin2DDrawing();
    bool valid = r.itemCount > 0 && r.cursor >= 0 && r.cursor < r.itemCount;
    int32_t id = valid ? r.items[r.cursor] : -1;
    int32_t money = r.fromResult != 0 ? gGameState.score : gGameState.pointsTotal;
    int32_t price = valid ? GetShopItemPrice(id) : 0;
    DrawNumber(384, 184, money, 0, kMoneyColor);
    if (money < price) {
        DrawNumber(384, 216, price, 0, kTooDearColor);
    } else {
        DrawNumber(384, 216, price, 0, kWhite);
        DrawNumber(384, 248, money - price, 0, kMoneyColor);
    }
    const TextureHolder& digits = gCommonTextures.scoreDigits;
    BindTexture(digits);
    AddSpriteQuad(SpriteRect{192, 184, 32, 32}, TexelRect{32, 32, 64, 64}, digits, kWhite);
    AddSpriteQuad(SpriteRect{192, 248, 32, 32}, TexelRect{32, 32, 64, 64}, digits, kWhite);
    FlushSprites();

    int row = 0;
    if (r.shopTimer < kShopGreetingTicks) {
        row = 0;
    } else if (r.farewell > 0) {
        row = 1;
    } else if (id >= 0 && id < kShopItemIds) {
        row = id + 2;
    } else {
        row = -1;
    }
    if (row >= 0) {
        for (int i = 0; i < 3; ++i) {
            DrawShadowedText(64, static_cast<float>(328 + 32 * i),
                             kShopTexts[static_cast<size_t>(row)][static_cast<size_t>(i)].c_str(),
                             255, 255, 255, 0);
        }
    }

    const TextureHolder& label = gShopTextures.gameOver;
    BindTexture(label);
    AddSpriteQuad(SpriteRect{64, 432, 160, 48}, TexelRect{0, 192, 160, 240}, label, kWhite);
    FlushSprites();
    int32_t credits =
        r.fromResult != 0 ? gGameState.credits : gGameState.records.words[record::kTotalCredit];
    DrawTwoDigitNumber(224, 432, credits);
}
