// Whole-stage runs through the real game: a craft flies a demo stage trying every weapon in
// turn with the vulcan held and the sub-weapon button pressed and held, and the run's
// digests are the same on every run.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "engine/core/game_state.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/shots/shot_pool.h"
#include "tests/support/play_run.h"
#include "tests/support/scripted_input.h"

namespace vqtest {
namespace {

constexpr int64_t kTicksPerWeapon = 150;
constexpr int kWeapons = 12;  // -1 (none) and 0..10

std::array<bool, 40> gKindsSeen;

// Before each tick: the weapon of this part of the run, six live enemies held in front of
// the crafts (the waves' own flight is not what is tested here), and the shot kinds in the
// pool.
void BeforeTick(int64_t tick) {
    int32_t weapon = static_cast<int32_t>((tick / kTicksPerWeapon) % kWeapons) - 1;
    for (PlayerCraft& c : gPlayerCrafts) {
        if (c.weapon != weapon) {
            c.weapon = weapon;
            c.heat = 0.0f;
            c.overheatLock = 0;
        }
    }
    const gfx::Vec3 ahead = gPlayerCrafts[0].position;
    int placed = 0;
    for (Enemy& e : gEnemyPool) {
        if (e.state != EnemyState::Active || e.spawnDelay > 0 || placed == 6) continue;
        float x = static_cast<float>(placed % 3 - 1) * 40.0f;
        float y = static_cast<float>(placed / 3) * 30.0f - 10.0f;
        e.segmentBound = 0;
        e.basePosition = gfx::Vec3{ahead.x + x, ahead.y + y, ahead.z + 250.0f};
        for (gfx::Vec3& p : e.points) p = e.basePosition;
        e.centre = e.basePosition;
        ++placed;
    }
    for (const Shot& s : gShotPool.shots) {
        if (s.kind > 0 && s.kind < static_cast<int32_t>(gKindsSeen.size())) {
            gKindsSeen[static_cast<size_t>(s.kind)] = true;
        }
    }
}

// The vulcan held throughout; the sub-weapon pressed every 20 ticks and held for 12; the
// craft weaving left and right.
PadScript FiringScript(int64_t ticks) {
    PadScript script;
    const uint8_t z = KeyCodeByName("Z"), x = KeyCodeByName("X");
    const uint8_t left = KeyCodeByName("LEFT"), right = KeyCodeByName("RIGHT");
    for (int64_t t = 0; t < ticks; t += 4) {
        HeldInputs in;
        in.keys.push_back(z);
        if (t % 20 < 12) in.keys.push_back(x);
        in.keys.push_back((t / 60) % 2 == 0 ? left : right);
        script.At(static_cast<uint32_t>(t), in);
    }
    return script;
}

std::string RunStage(const PadScript& script, int64_t ticks, PlayRunResult* result) {
    gKindsSeen.fill(false);
    PlayRunOptions o;
    o.mode = GameMode::StagesInARow;
    o.setup = PlayerSetup::TwoPlayers;
    o.stage = 1;
    o.ticks = ticks;
    o.padScript = &script;
    o.autopilot = 1;
    o.invulnerable = true;
    o.digestEvery = 50;
    o.beforeTick = BeforeTick;
    char* text = nullptr;
    size_t size = 0;
    FILE* digests = open_memstream(&text, &size);
    bool started = RunPlay(o, result, digests);
    std::fclose(digests);
    // The random draws are counted from the start of the process: left out of the comparison.
    std::string out;
    std::string all = text ? text : "";
    std::free(text);
    size_t at = 0;
    while (at < all.size()) {
        size_t end = all.find('\n', at);
        if (end == std::string::npos) end = all.size();
        std::string line = all.substr(at, end - at);
        size_t d = line.find(" draws=");
        if (d != std::string::npos) line.erase(d, line.find(' ', d + 1) - d);
        out += line + "\n";
        at = end + 1;
    }
    EXPECT_TRUE(started);
    return out;
}

TEST(StageFireTest, EveryWeaponFiresAndTheDigestsRepeat) {
    const int64_t ticks = kTicksPerWeapon * kWeapons;
    PadScript script = FiringScript(ticks);
    PlayRunResult first, second;
    std::string a = RunStage(script, ticks, &first);
    std::array<bool, 40> seen = gKindsSeen;
    std::string b = RunStage(script, ticks, &second);
    EXPECT_FALSE(a.empty());
    EXPECT_EQ(a, b);
    EXPECT_EQ(first.ticks, ticks);
    // The vulcan of both crafts, every sub-weapon's shots and the follow-up bursts of kills.
    for (int32_t kind :
         {shot_kind::kTwin, shot_kind::kTwinCraft1, shot_kind::kHoming, shot_kind::kHomingSmall,
          shot_kind::kPumpkin, shot_kind::kHammer, shot_kind::kHammerThrown, shot_kind::kMissile,
          shot_kind::kFlame, shot_kind::kRing, shot_kind::kLockLaser, shot_kind::kChargeCore,
          shot_kind::kChargeSatellite, shot_kind::kDrill, shot_kind::kBurst}) {
        EXPECT_TRUE(seen[static_cast<size_t>(kind)]) << "kind " << kind;
    }
    // Kills pay their coins into the score.
    EXPECT_GT(first.destroyed, 0);
    EXPECT_GT(first.score, 0);
}

}  // namespace
}  // namespace vqtest
