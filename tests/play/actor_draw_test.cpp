// The actor pass on the null device, on stage 1-1 of the demo data: craft, enemy and coin
// shadows (size, grey, place), downed crafts, the hit flash's colour operation, the blend
// after an additive enemy, the marker quads and their cells.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/context.h"
#include "engine/graphics/texture_groups.h"
#include "platform/gfx/device.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/pickups.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"
#include "world/course/collision.h"
#include "world/draw/actor_draw.h"
#include "world/draw/form_sprite.h"
#include "world/effects/effects.h"
#include "world/rail/camera_rail.h"

namespace {

TEST(ActorDrawMath, ShadowSizeAndGreyByHeight) {
    struct Case {
        float t, scale;
        int craftGrey, enemyGrey;
    };
    const Case cases[] = {
        {0.0f, 0.045f, 0, 64},         {0.01f, 0.045f, 20, 64},   {0.1f, 0.036f, 200, 120},
        {0.1275f, 0.03325f, 255, 120}, {0.21f, 0.025f, 255, 120}, {0.9f, 0.025f, 255, 120},
        {0.06f, 0.04f, 120, 72},
    };
    for (const Case& k : cases) {
        EXPECT_NEAR(ShadowScale(k.t), k.scale, 1e-6f) << k.t;
        EXPECT_EQ(CraftShadowGrey(k.t), k.craftGrey) << k.t;
        EXPECT_EQ(EnemyShadowGrey(k.t), k.enemyGrey) << k.t;
    }
}

TEST(ActorDrawMath, MarkerCellsByViewAngle) {
    struct Case {
        float angle;
        int cell;
        bool mirrored;
    };
    const float pi = gfx::kPi;
    const Case cases[] = {
        {0.0f, 12, false},         {pi / 4, 9, true},   {pi / 2, 6, true},
        {3 * pi / 4, 3, true},     {pi, 0, false},      {-3 * pi / 4, 3, false},
        {-pi / 2, 6, false},       {-pi / 4, 9, false}, {pi / 8 - 0.01f, 12, false},
        {pi / 8 + 0.01f, 9, true},
    };
    for (const Case& k : cases) {
        bool mirrored = !k.mirrored;
        EXPECT_EQ(MarkerCell(k.angle, &mirrored), k.cell) << k.angle;
        EXPECT_EQ(mirrored, k.mirrored) << k.angle;
    }
}

class ActorDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        vqtest::PlayRunOptions o;
        o.setup = PlayerSetup::ComputerPartner;
        o.stage = 0;
        o.ticks = 2;
        o.drawEveryTick = false;
        vqtest::PlayRunResult r;
        ASSERT_TRUE(vqtest::RunPlay(o, &r, nullptr, true));
        // Nothing but what each test places.
        for (Enemy& e : gEnemyPool) e.state = EnemyState::Free;
        for (Pickup& p : gPickupPool.pickups) p.kind = 0;
        // Shadow templates the test can tell apart: template n is n units wide.
        for (int n = 0; n < kEffectQuadCount; ++n) {
            for (int k = 0; k < 4; ++k) {
                EffectVertex& v =
                    gEffectQuads[static_cast<size_t>(n)].corners[static_cast<size_t>(k)];
                v = EffectVertex{static_cast<float>(n) * (k < 2 ? -1.0f : 1.0f),
                                 0.0f,
                                 k % 2 ? -1.0f : 1.0f,
                                 0u,
                                 0.0f,
                                 0.0f};
            }
        }
        gPlayerCrafts[0].position = Above(0, 40.0f);
        gPlayerCrafts[1].position = Above(200, 80.0f);
        gPlayerCrafts[0].rotation = gPlayerCrafts[1].rotation = gfx::Identity();
        device()->SetRecording(true);
        device()->ClearDraws();
    }
    void TearDown() override {
        device()->SetRecording(false);
        vqtest::StopHeadlessGame();
    }
    static gfx::NullDevice* device() { return static_cast<gfx::NullDevice*>(Device3D()); }
    // The actor pass inside a scene, as the world frame runs it.
    static void Draw() {
        device()->BeginScene();
        DrawActors();
        device()->EndScene();
    }

    // A point `height` above the ground under the rail point, `side` units across.
    static gfx::Vec3 Above(float side, float height) {
        gfx::Vec3 p{side, 2000.0f, 0.0f};
        GetRailPointAhead(&p);
        float t = 0.0f;
        EXPECT_TRUE(RaycastCourse(p.x, p.y, p.z, 0.0f, -4000.0f, 0.0f, &t));
        return gfx::Vec3{p.x, p.y - 4000.0f * t + height, p.z};
    }
    static void GetRailPointAhead(gfx::Vec3* p) {
        gfx::Vec3 rail;
        GetRailPoint(&rail, 20.0f);
        p->x += rail.x;
        p->z = rail.z;
    }

    // The draws made with the shade picture (the shadows).
    std::vector<const gfx::DrawRecord*> Shadows() const {
        std::vector<const gfx::DrawRecord*> out;
        for (const gfx::DrawRecord& d : device()->Draws()) {
            if (d.texture0 == gPlayTextures.shade.texture) out.push_back(&d);
        }
        return out;
    }
    // Whether the effects colour their templates in this build (the colour checks need it).
    static bool QuadsTakeColours() {
        SetQuadColor(49, 0xFF123456u);
        bool taken = gEffectQuads[49].corners[0].diffuse == 0xFF123456u;
        gEffectQuads[49].corners[0].diffuse = 0;
        return taken;
    }
    static uint32_t CornerColor(const gfx::DrawRecord& d) {
        EffectVertex v;
        std::memcpy(&v, d.vertices.data(), sizeof v);
        return v.diffuse;
    }
    static float CornerX(const gfx::DrawRecord& d) {
        EffectVertex v;
        std::memcpy(&v, d.vertices.data() + 2 * sizeof v, sizeof v);
        return v.x;
    }
};

TEST_F(ActorDrawTest, CraftShadowsLieOnTheGroundBelowAndFadeWithHeight) {
    gPlayerCrafts[0].craft = 1;
    Draw();
    std::vector<const gfx::DrawRecord*> shadows = Shadows();
    ASSERT_EQ(shadows.size(), 2u) << "one shadow a craft";
    for (int i = 0; i < 2; ++i) {
        const gfx::DrawRecord& d = *shadows[static_cast<size_t>(i)];
        const PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
        float t = (i == 0 ? 40.0f : 80.0f) / 1000.0f;
        float s = ShadowScale(t);
        EXPECT_NEAR(d.world.m[0][0], s, 1e-4f);
        EXPECT_NEAR(d.world.m[3][1], c.position.y - 1000.0f * t, 0.05f) << "on the ground";
        EXPECT_NEAR(d.world.m[3][0], c.position.x, 1e-3f);
        int grey = CraftShadowGrey(t);
        if (QuadsTakeColours()) {
            EXPECT_EQ(CornerColor(d), 0xFF000000u | static_cast<uint32_t>(grey) * 0x010101u);
        }
        EXPECT_EQ(CornerX(d), static_cast<float>(c.craft)) << "the template of the craft";
        EXPECT_EQ(d.primitive, gfx::PT_TRIANGLESTRIP);
        EXPECT_EQ(d.vertexStride, 24u);
        EXPECT_EQ(d.renderStates[gfx::RS_SRCBLEND], static_cast<uint32_t>(gfx::BLEND_ZERO));
        EXPECT_EQ(d.renderStates[gfx::RS_DESTBLEND], static_cast<uint32_t>(gfx::BLEND_SRCCOLOR));
        EXPECT_EQ(d.renderStates[gfx::RS_ZENABLE], gfx::kFalse);
        EXPECT_EQ(d.stage0[gfx::TSS_COLOROP], static_cast<uint32_t>(gfx::TOP_ADD));
    }
    // Beyond 1000 units of the ground there is no shadow.
    device()->ClearDraws();
    gPlayerCrafts[1].position.y += 1000.0f;
    Draw();
    EXPECT_EQ(Shadows().size(), 1u);
}

TEST_F(ActorDrawTest, OnePlayerDrawsOneCraftAndADownedCraftKeepsOnlyItsShadow) {
    gGameState.playerCount = 1;
    Draw();
    EXPECT_EQ(Shadows().size(), 1u) << "the second craft is not in play";
    size_t oneCraft = device()->Draws().size();

    gGameState.playerCount = 2;
    device()->ClearDraws();
    Draw();
    size_t twoCrafts = device()->Draws().size();
    EXPECT_GT(twoCrafts, oneCraft);

    gPlayerCrafts[1].state = CraftState::Down;
    gPlayerCrafts[1].stateTicks = 60;
    device()->ClearDraws();
    Draw();
    EXPECT_EQ(device()->Draws().size(), twoCrafts) << "drawn for its first 60 ticks down";
    gPlayerCrafts[1].stateTicks = 61;
    device()->ClearDraws();
    Draw();
    EXPECT_EQ(Shadows().size(), 2u) << "its shadow stays";
    EXPECT_EQ(device()->Draws().size(), oneCraft + 1);
}

TEST_F(ActorDrawTest, AHitCraftIsDrawnWithAddSmooth) {
    gGameState.playerCount = 1;
    auto colorOps = [&] {
        std::vector<uint32_t> ops;
        for (const gfx::DrawRecord& d : device()->Draws()) {
            if (d.vertexShader != kLitSpriteFvf && d.texture0 != gPlayTextures.shade.texture) {
                ops.push_back(d.stage0[gfx::TSS_COLOROP]);
            }
        }
        return ops;
    };
    Draw();
    std::vector<uint32_t> plain = colorOps();
    ASSERT_FALSE(plain.empty()) << "the craft model draws";
    for (uint32_t op : plain) EXPECT_EQ(op, static_cast<uint32_t>(gfx::TOP_MODULATE2X));
    gPlayerCrafts[0].hitFlash = 3;
    device()->ClearDraws();
    Draw();
    for (uint32_t op : colorOps()) EXPECT_EQ(op, static_cast<uint32_t>(gfx::TOP_ADDSMOOTH));
}

// An enemy of the type's model, placed in front of the camera.
Enemy* PlaceEnemy(int model, EnemyState state) {
    for (int type = 0; type < kEnemyTypeCount; ++type) {
        if (gEnemyTypeTable[static_cast<size_t>(type)].model != model) continue;
        for (Enemy& e : gEnemyPool) {
            if (e.state != EnemyState::Free) continue;
            e = Enemy{};
            e.state = state;
            e.type = type;
            e.rotation = gfx::Identity();
            e.basePosition = gPlayerCrafts[0].position;
            return &e;
        }
    }
    return nullptr;
}

TEST_F(ActorDrawTest, AfterAnAdditiveEnemyTheBlendIsTheActorsOwnAgain) {
    if (!PlaceEnemy(26, EnemyState::Active)) GTEST_SKIP() << "no enemy type of model 26";
    Draw();
    EXPECT_EQ(device()->GetRenderState(gfx::RS_SRCBLEND),
              static_cast<uint32_t>(gfx::BLEND_SRCALPHA));
    EXPECT_EQ(device()->GetRenderState(gfx::RS_DESTBLEND),
              static_cast<uint32_t>(gfx::BLEND_INVSRCALPHA));
    EXPECT_EQ(device()->GetRenderState(gfx::RS_LIGHTING), gfx::kTrue);
}

TEST_F(ActorDrawTest, MarkersStandOverActiveEnemiesOfTheirModels) {
    Enemy* active = PlaceEnemy(0, EnemyState::Active);
    if (!active) GTEST_SKIP() << "no enemy type of model 0";
    active->yaw = 0.0f;
    auto markers = [&] {
        std::vector<const gfx::DrawRecord*> out;
        for (const gfx::DrawRecord& d : device()->Draws()) {
            if (d.texture0 == gFormTextures[5].texture && d.vertexShader == kLitSpriteFvf) {
                out.push_back(&d);
            }
        }
        return out;
    };
    Draw();
    std::vector<const gfx::DrawRecord*> found = markers();
    ASSERT_EQ(found.size(), 1u);
    const gfx::DrawRecord& d = *found[0];
    EXPECT_EQ(d.primitive, gfx::PT_TRIANGLELIST);
    EXPECT_EQ(d.primitiveCount, 2u);
    EXPECT_EQ(d.vertexStride, 36u);
    EXPECT_NEAR(d.world.m[3][1], active->basePosition.y - 1.3f, 1e-3f) << "dropped by 1.3";
    // The cell the view angle picks, at its place in the sheet.
    bool mirrored = false;
    float a = gfx::kPi - active->yaw + gGraphics.heading;
    while (a < -gfx::kPi) a += 2 * gfx::kPi;
    while (a > gfx::kPi) a -= 2 * gfx::kPi;
    int cell = MarkerCell(a, &mirrored);
    LitSpriteVertex v[6];
    std::memcpy(v, d.vertices.data(), sizeof v);
    float left = 64.0f * static_cast<float>(cell % 4) / 256.0f;
    float top = 64.0f * static_cast<float>(cell / 4) / 256.0f;
    EXPECT_FLOAT_EQ(std::min(v[0].u, v[2].u), left);
    EXPECT_FLOAT_EQ(v[0].v, top);
    EXPECT_EQ(v[0].u > v[2].u, !mirrored);

    // Shot down: no marker, the model and its shadow stay.
    active->state = EnemyState::ShotDown;
    device()->ClearDraws();
    Draw();
    EXPECT_TRUE(markers().empty());
}

TEST_F(ActorDrawTest, CoinShadowsShrinkWithHeightAndVanishAbove200) {
    Pickup& coin = gPickupPool.pickups[0];
    coin = Pickup{};
    coin.kind = 2;
    coin.groundHeight = 10.0f;
    coin.position[0] = gPlayerCrafts[0].position.x;
    coin.position[2] = gPlayerCrafts[0].position.z;
    coin.position[1] = 110.0f;
    coin.timer = 7;  // frame (7 / 2) mod 6 = 3
    gGameState.playerCount = 1;
    gPlayerCrafts[0].position.y += 5000.0f;  // no craft shadow
    Draw();
    std::vector<const gfx::DrawRecord*> shadows = Shadows();
    ASSERT_EQ(shadows.size(), 1u);
    EXPECT_EQ(CornerX(*shadows[0]), static_cast<float>(quad::kCoinShadowFirst + 3));
    if (QuadsTakeColours()) {
        EXPECT_EQ(CornerColor(*shadows[0]), 0xFF000000u | 66u * 0x010101u) << "grey 0.5 h + 16";
    }
    EXPECT_NEAR(shadows[0]->world.m[3][1], 10.0f, 1e-4f) << "at the shadow height";
    coin.position[1] = 211.0f;
    device()->ClearDraws();
    Draw();
    EXPECT_TRUE(Shadows().empty());
    coin.position[1] = 10.0f;  // at its shadow height: none
    device()->ClearDraws();
    Draw();
    EXPECT_TRUE(Shadows().empty());
}

}  // namespace
