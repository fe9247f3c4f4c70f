// The play display drawn by the real engine on gl33 from the demo data's pictures, in
// golden images: a one-player and a two-player frame with markers, reticles, the boss
// gauge and the combo; the weapon select of two players mid-turn and of one player on the
// random slot; stage 9's speed gauge with the stage-clear caption; the down banners with
// and without credits. Beside them the rules the pictures rest on: each boost's own icon,
// lock-marker looks, slot availability, the one-player display and indices out of range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "play/craft/weapons.h"
#include "play/display/play_display.h"
#include "tests/display/display_fixture.h"

namespace {

using vqtest::PlaceEnemy;
using vqtest::PlaceParticle;

// The first enemy type with at least n attachment points.
int32_t TypeWithPoints(int32_t n) {
    for (int32_t t = 0; t < kDefinedEnemyTypes; ++t) {
        if (gEnemyTypeTable[static_cast<size_t>(t)].pointCount >= n) return t;
    }
    return 0;
}

void Lock(Enemy& e, int slot, int32_t owner, int32_t countdown, int32_t age) {
    auto s = static_cast<size_t>(slot);
    e.lockOwners[s] = owner;
    e.lockCountdowns[s] = countdown;
    e.lockAges[s] = age;
}

// Enemies with locks, a target marker and health bars; a boss gauge; screen particles;
// both crafts' panels with heat bubbles; boosts, combo and score.
void BusyPlay() {
    int32_t many = TypeWithPoints(3);
    Enemy& a = PlaceEnemy(0, {-60.0f, 25.0f, 300.0f}, many);
    Lock(a, 0, 0, 5, 0);  // age 0: invisible
    Lock(a, 1, 0, 5, 12);
    Lock(a, 2, 0, -1, 24);
    a.markerCountdown = 40;
    a.markerPoint = 1;
    Enemy& b = PlaceEnemy(1, {70.0f, 40.0f, 400.0f});
    b.maxHitPoints = 400.0f;
    b.hitPoints = 250.0f;
    b.damageDisplay = 30;
    Lock(b, 0, 1, 3, 30);
    Enemy& c = PlaceEnemy(2, {10.0f, -10.0f, 350.0f});
    c.maxHitPoints = 49.0f;  // too weak for a health bar
    c.hitPoints = 49.0f;
    c.damageDisplay = 30;
    Enemy& d = PlaceEnemy(3, {0.0f, 60.0f, 300.0f});
    d.spawnDelay = 5;  // not out yet: no lock marker
    Lock(d, 0, 0, 5, 30);
    Enemy& behind = PlaceEnemy(4, {0.0f, 0.0f, -300.0f});
    Lock(behind, 0, 0, 5, 30);

    gGameState.bossGauge = {100.0f, 40.0f};
    PlaceParticle(0, particle_kind::kMarker, 0, 0, 0, 5);
    PlaceParticle(1, particle_kind::kLockMarker, 560.0f, 200.0f, 0, 50);
    PlaceParticle(2, particle_kind::kSteam, 120.0f, 430.0f, 0, 12);
    for (int r = 0; r < kHitRingCount; ++r) {
        HitRing& ring = gHitRings[static_cast<size_t>(r)];
        ring.phase = static_cast<float>((r * 37) % 120);
        ring.size = static_cast<float>(2 + (r * 7) % 18);
        ring.timer = r % 5 == 4 ? -1 : r * 3;
    }
    PlayerCraft& one = gPlayerCrafts[0];
    one.shownLife = 30.0f;
    one.shownHeat = 80.0f;
    one.weapon = 3;
    PlayerCraft& two = gPlayerCrafts[1];
    two.shownLife = 42.0f;
    two.shownHeat = 100.0f;
    two.weapon = 5;
    gGameState.shopBoosts[0] = 1;
    gGameState.shopBoosts[1] = 1;
    gGameState.shopBoosts[3] = 1;
    gGameState.score = 1234567;
}

class PlayDisplay : public vqtest::DisplayTest {};

TEST_F(PlayDisplay, OnePlayerFrame) {
    BusyPlay();
    gGameState.combo = 110;  // tens and ones bounce, not the hundreds
    gGameState.comboBounce = 4;
    DrawHud(DrawGameHud);
    EXPECT_TRUE(Golden("one_player"));

    // Nothing of the second player: neither panel, weapon icon nor reticle.
    vqtest::TestPicture p = Picture();
    uint32_t clear = vqtest::At(p, 0, 0);
    for (uint32_t y = 370; y < 480; y += 3) {
        for (uint32_t x = 420; x < 640; x += 3)
            ASSERT_EQ(vqtest::At(p, x, y), clear) << x << "," << y;
    }
}

TEST_F(PlayDisplay, TwoPlayerFrame) {
    BusyPlay();
    gGameState.playerCount = 2;
    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    gPlayerCrafts[0].craft = 2;
    gPlayerCrafts[1].craft = 3;
    gPlayerCrafts[1].holdFire = 1;  // the turning square on its target
    gPlayerCrafts[1].holdTicks = 5;
    gPlayerCrafts[1].aimTarget = 0;
    gPlayerCrafts[1].overheatLock = 20;  // red tint
    gPlayerCrafts[1].weapon = 10;
    gGaugeShake.offset[1][0] = 1.5f;
    gGaugeShake.offset[1][1] = -1.0f;
    gGameState.bossGauge = {100.0f, 0.0f};  // the frame alone
    gGameState.combo = 100;                 // all three digits bounce
    gGameState.comboBounce = 4;
    DrawHud(DrawGameHud);
    EXPECT_TRUE(Golden("two_players"));
}

void WeaponSelectState() {
    GameState& g = gGameState;
    g.weaponSelect = 1;
    g.weaponSelectTicks = 8;  // still sliding in
    for (int w = 0; w <= 4; ++w)
        g.records.words[static_cast<size_t>(record::kOwnedWeapons + w)] = 1;
    g.weaponCursor[0] = 3;
    g.weaponCursorSlide[0] = 4;  // turning to slot 4
    g.weaponCandidate[0] = 2;
    g.weaponCursor[1] = 6;        // not owned
    g.weaponCursorSlide[1] = -6;  // turning to slot 5
    g.weaponCandidate[1] = 4;
    g.weaponReadyTicks[1] = 10;
}

TEST_F(PlayDisplay, WeaponSelectOfTwoPlayersMidTurn) {
    WeaponSelectState();
    gGameState.playerCount = 2;
    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    gPlayerCrafts[0].craft = 2;  // the two backdrops of the demo data's crafts 2 and 3
    gPlayerCrafts[1].craft = 3;
    DrawHud(DrawGameHud);
    EXPECT_TRUE(Golden("weapon_select_two"));
}

TEST_F(PlayDisplay, WeaponSelectOfOnePlayerOnTheRandomSlot) {
    WeaponSelectState();
    gGameState.weaponSelectTicks = 10;
    gGameState.weaponCursor[0] = kRandomWeaponSlot;
    gGameState.weaponCursorSlide[0] = 0;
    gGameState.weaponCandidate[0] = 7;   // not owned; the random slot is still available
    gGameState.weaponReadyTicks[0] = 5;  // chosen: the icon brightens
    gPlayerCrafts[0].weapon = 7;
    DrawHud(DrawGameHud);
    EXPECT_TRUE(Golden("weapon_select_random"));

    // The second player's panel is not drawn with one player.
    vqtest::TestPicture p = Picture();
    uint32_t clear = vqtest::At(p, 0, 479);
    for (uint32_t y = 140; y < 340; y += 3) {
        for (uint32_t x = 580; x < 640; x += 3)
            ASSERT_EQ(vqtest::At(p, x, y), clear) << x << "," << y;
    }
}

TEST_F(PlayDisplay, StageNineSpeedGaugeAndTheStageClearCaption) {
    gGameState.stage = 9;
    gGameState.currentSpeed = 1.4f;
    gGameState.playPhase = PlayPhase::StageClear;
    DrawHud(DrawGameHud);
    EXPECT_TRUE(Golden("stage9_clear"));

    gGameState.currentSpeed = 2.2f;  // past the clearing speed: the needle lights up
    gGameState.playPhase = PlayPhase::Playing;
    DrawHud(DrawGameHud);
    EXPECT_TRUE(Golden("stage9_fast"));
}

TEST_F(PlayDisplay, DownBannersWithAndWithoutCredits) {
    gGameState.playerCount = 2;
    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    for (int i = 0; i < 2; ++i) {
        PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
        c.state = CraftState::Down;
        c.stateTicks = i == 0 ? 12 : 30;  // the second panel has slid away
        c.shownLife = 0.0f;
    }
    gGameState.credits = 0;
    DrawHud(DrawGameHud);
    EXPECT_TRUE(Golden("down_no_credits"));
    gGameState.credits = 3;
    DrawHud(DrawGameHud);
    EXPECT_TRUE(Golden("down_with_credits"));
}

// Each boost lights its own icon, in the shop's order of the items: engine, gun, cooling,
// reflect; the flags stand in the order gun, speed, cooling, reflect.
TEST_F(PlayDisplay, EachBoostLightsItsOwnIcon) {
    struct Case {
        const char* boost;
        int flag;
        int icon;
    };
    const Case cases[] = {{"gun", 0, 1}, {"speed", 1, 0}, {"cooling", 2, 2}, {"reflect", 3, 3}};
    DrawHud(DrawGameHud);
    vqtest::TestPicture none = Picture();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.boost);
        for (int32_t& flag : gGameState.shopBoosts) flag = 0;
        gGameState.shopBoosts[c.flag] = 1;
        DrawHud(DrawGameHud);
        vqtest::TestPicture lit = Picture();
        ASSERT_EQ(lit.texels.size(), none.texels.size());
        // The box of the texels the boost changed.
        uint32_t left = lit.width, right = 0, top = lit.height, bottom = 0;
        for (uint32_t y = 0; y < lit.height; ++y) {
            for (uint32_t x = 0; x < lit.width; ++x) {
                if (vqtest::At(lit, x, y) == vqtest::At(none, x, y)) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        ASSERT_LE(left, right) << "nothing lit";
        // Inside its own icon's place and inside no other's.
        auto inside = [&](int icon) {
            uint32_t x0 = static_cast<uint32_t>(248 + 36 * icon);
            return left >= x0 && right < x0 + 64 && top >= 416 && bottom < 480;
        };
        for (int icon = 0; icon < 4; ++icon) EXPECT_EQ(inside(icon), icon == c.icon) << icon;
    }
}

TEST_F(PlayDisplay, IndicesOutOfRangePickNoPictureCell) {
    // What a valid state draws without the broken elements ...
    BusyPlay();
    WeaponSelectState();
    gGameState.playerCount = 2;
    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    gPlayerCrafts[0].weapon = -1;
    gPlayerCrafts[1].craft = -1;
    gGameState.weaponCandidate[0] = -1;
    gGameState.weaponCursor[1] = -1;
    for (Particle& q : gParticlePool.particles) {
        if (q.kind == particle_kind::kSteam) q.kind = particle_kind::kFree;
    }
    DrawHud(DrawGameHud);
    vqtest::TestPicture expected = Picture();

    // ... is what a state with those indices out of range draws.
    gPlayerCrafts[0].weapon = 40;
    gPlayerCrafts[1].craft = 9;
    gGameState.weaponCandidate[0] = 1000;
    gGameState.weaponCursor[1] = 23;                                   // the wheel stands as at -1
    PlaceParticle(3, particle_kind::kSteam, 200.0f, 200.0f, 0, 4000);  // past the last cell
    gEnemyPool[0].lockOwners[3] = 7;
    gEnemyPool[0].lockCountdowns[3] = 5;
    gEnemyPool[0].lockAges[3] = 30;
    Enemy& odd = PlaceEnemy(20, {0.0f, 0.0f, 300.0f}, 5000);  // no such type
    Lock(odd, 0, 0, 5, 30);
    DrawHud(DrawGameHud);
    vqtest::TestPicture actual = Picture();
    ASSERT_EQ(actual.texels.size(), expected.texels.size());
    // The wheel's angles lie whole turns apart, so its filtered edges may round apart by a
    // step, and a texel on an edge between light and dark may land on the next pixel; a
    // wrong picture cell differs by far more, over hundreds of pixels.
    size_t differing = 0;
    for (size_t k = 0; k < actual.texels.size(); ++k) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int a = int(actual.texels[k] >> shift & 0xFF);
            const int e = int(expected.texels[k] >> shift & 0xFF);
            if (std::abs(a - e) > 2) {
                ++differing;
                break;
            }
        }
    }
    EXPECT_LE(differing, 8u);

    // A player count out of range draws the two players at most, and extreme counters
    // draw without overflowing anything (the sanitizer build watches this).
    gGameState.playerCount = 9;
    gGameState.weaponCursorSlide[0] = INT32_MIN;
    gGameState.weaponReadyTicks[1] = INT32_MAX;
    gGameState.weaponSelectTicks = INT32_MIN;
    gGameState.combo = INT32_MIN;
    gGameState.comboShown = INT32_MAX;
    gGameState.comboShownTicks = INT32_MAX;
    gGameState.comboBounce = INT32_MIN;
    gPlayerCrafts[0].state = CraftState::Down;
    gPlayerCrafts[0].stateTicks = INT32_MIN;
    gPlayerCrafts[0].shownLife = std::numeric_limits<float>::quiet_NaN();
    gPlayerCrafts[1].shownHeat = 1e30f;
    gEnemyPool[0].markerCountdown = INT32_MIN;
    gEnemyPool[1].lockAges[0] = INT32_MIN;
    DrawHud(DrawGameHud);
}

TEST(PlayDisplayRules, LockMarkersGrowSmallerAndOpaqueWithAge) {
    struct Row {
        int32_t age;
        float size;
        uint32_t alpha;
    };
    for (Row r :
         {Row{0, 256.0f, 0}, Row{8, 192.0f, 128}, Row{15, 136.0f, 240}, Row{16, 128.0f, 255},
          Row{24, 64.0f, 255}, Row{200, 64.0f, 255}, Row{-3, 280.0f, 0}}) {
        LockMarkerLook look = LockMarkerLookOf(r.age);
        EXPECT_EQ(look.size, r.size) << r.age;
        EXPECT_EQ(look.alpha, r.alpha) << r.age;
    }
}

TEST(PlayDisplayRules, TheRandomSlotIsAlwaysAvailable) {
    gGameState = GameState{};
    gGameState.records.words[record::kOwnedWeapons + 2] = 1;
    // The word after the ten weapons' flags is no flag of the random slot.
    gGameState.records.words[record::kOwnedWeapons + 11] = 0;
    EXPECT_TRUE(IsWeaponSlotAvailable(kRandomWeaponSlot));
    EXPECT_TRUE(IsWeaponSlotAvailable(2));
    EXPECT_FALSE(IsWeaponSlotAvailable(3));
    EXPECT_FALSE(IsWeaponSlotAvailable(12));
    EXPECT_FALSE(IsWeaponSlotAvailable(-1));
    // Slots 0 to 10 have three lines each.
    for (int s = 0; s <= 10; ++s) {
        for (const auto& line : kWeaponDescriptionTable[static_cast<size_t>(s)])
            EXPECT_GT(line.length, 0u) << s;
    }
    gGameState = GameState{};
}

}  // namespace
