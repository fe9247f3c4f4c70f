#include "play/bosses/boss_movement.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "engine/core/game_state.h"
#include "engine/overlay/fade.h"
#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "play/bosses/boss_encounters.h"
#include "play/craft/craft.h"
#include "play/enemies/bullet_patterns.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "play/shots/shot_pool.h"
#include "play/step/camera.h"
#include "world/rail/camera_rail.h"

namespace {

constexpr float kPi = gfx::kPi;

constexpr SoundEffectId kSoundMissile = 292;
constexpr SoundEffectId kSoundGun = 294;
constexpr SoundEffectId kSoundBlast = 303;

const PlayerCraft& Craft(int i) {
    return gPlayerCrafts[static_cast<size_t>(i)];
}

void Fire(Enemy* e, int32_t pattern, SoundEffectId sound) {
    FireEnemyBulletPattern(e, pattern);
    PlaySoundEffect(sound);
}

// ---- behaviour 9 ----

constexpr int32_t kModeTurn = 0;
constexpr int32_t kModeHitReaction = 1;
constexpr int32_t kModeStream = 2;
constexpr int32_t kModeSpray = 3;
constexpr int32_t kModeClosingStreams = 4;
constexpr int32_t kModeFan = 5;
constexpr int32_t kLastPhase = 4;
constexpr int32_t kLungingType = 12;
constexpr float kPhasePitch = -0.15707964f;
constexpr float kPhaseTurnStep = 0.0314159f;
constexpr int32_t kTurnTicks = 120;
constexpr int32_t kAttackEndTicks = 60;
constexpr int32_t kFirstShotTick = 7;

constexpr std::array<gfx::Vec3, 4> kBossSmokePoints = {{
    {70.0f, 200.0f, -20.0f},
    {-70.0f, 200.0f, -20.0f},
    {50.0f, 100.0f, -20.0f},
    {-50.0f, 100.0f, -20.0f},
}};

void PutPhaseDebugLine(int row, int value) {
    char line[16];
    std::snprintf(line, sizeof line, "A %4d  ", value);
    PutDebugText(50, row, line);
}

void BackToTurn(Enemy* e) {
    gBossProgress.attackMode = kModeTurn;
    gBossProgress.attackTicks = 0;
    e->subState = 0;
    e->animationClock = 0;
}

void StepPhase(Enemy* e, float fullHitPoints) {
    if (e->counter < 0 || e->counter >= kLastPhase) return;
    // Phase p + 1 starts below (0.8 - 0.2 p) of the full hit points.
    float below = (0.8f - 0.2f * static_cast<float>(e->counter)) * fullHitPoints;
    if (!(e->hitPoints < below)) return;
    e->counter += 1;
    StartScreenShake(16, 2, 2, 2);
    gBossProgress.attackMode = kModeHitReaction;
    gBossProgress.attackTicks = 0;
    e->subState = 1;
    e->animationClock = 0;
}

void PuffDamageSmoke(const Enemy& e, float fullHitPoints) {
    gfx::Vec3 base = EnemyWorldBase(e);
    for (int i = 0; i < 4; ++i) {
        if (!(e.hitPoints < (0.8f - 0.2f * static_cast<float>(i)) * fullHitPoints)) continue;
        gfx::Vec3 p = gfx::Add(
            gfx::TransformCoord(kBossSmokePoints[static_cast<size_t>(i)], e.rotation), base);
        if (e.age % 4 == 0) SpawnParticleBurst(nullptr, p.x, p.y, p.z, 17, 4.5f, 1);
        if (e.age % 2 != 0) SpawnParticleBurst(nullptr, p.x, p.y, p.z, 18, 4.5f, 1);
        if (e.age % 8 == 2) SpawnParticleBurst(nullptr, p.x, p.y, p.z, 19, 4.5f, 1);
    }
}

// From tick 7 on a pattern every tick.
void Volley(Enemy* e, int32_t pattern) {
    int32_t t = gBossProgress.attackTicks;
    if (t >= kFirstShotTick) FireEnemyBulletPattern(e, pattern);
    if (t == kFirstShotTick) PlaySoundEffect(kSoundBlast);
}

void ClosingStreams(Enemy* e) {
    int32_t t = gBossProgress.attackTicks;
    if (t >= kFirstShotTick) {
        float k = static_cast<float>(t - kFirstShotTick);
        float yaw = e->yaw;
        e->yaw = yaw - 0.62831855f + k * 0.7853982f / 53.0f;
        FireEnemyBulletPattern(e, 12);
        e->yaw = yaw + 0.62831855f - k * 0.7853982f / 53.0f;
        FireEnemyBulletPattern(e, 12);
        e->yaw = yaw;
    }
    if (t == kFirstShotTick) PlaySoundEffect(kSoundBlast);
}

void AnimatePhases(Enemy* e) {
    int32_t& t = e->animationClock;
    switch (e->subState) {
        case 0:
            if (t > 1870) t = 0;
            if (t < 1190) t = 1190;
            t += 17;
            break;
        case 1:
            t += 17;
            if (t < 1870) t = 1870;
            if (t > 1989) t = 1989;
            break;
        case 2:
            if (t > 1020) t = 0;
            if (t < 340) t = 340;
            t += 17;
            break;
        case 3:
            if (t < 0) t = 0;
            if (t > 136) t = 136;
            t += 17;
            break;
        default:
            t += 17;
            break;
    }
}

// ---- behaviour 19 ----

constexpr std::array<gfx::Vec3, 3> kBossMissileMounts = {{
    {0.0f, 0.0f, -47.0f},
    {0.0f, -5.0f, -45.0f},
    {0.0f, -10.0f, -42.0f},
}};

// Debris shed by a damaged boss: more often the lower its hit points.
bool DebrisDue(const Enemy& e) {
    if (!(e.maxHitPoints > 0.0f)) return false;
    float share = e.hitPoints / e.maxHitPoints;
    int32_t t = e.age;
    if (share < 0.1f) return t % 3 == 0;
    if (share < 0.2f) return t % 6 == 0;
    if (share < 0.3f) return t % 12 == 0;
    if (share < 0.4f) return t % 20 == 0;
    if (share < 0.5f) return t % 30 == 0;
    return false;
}

void ShedDebrisPuff(const gfx::Vec3& base, int32_t kind) {
    float rx = RandomUnit();
    float ry = RandomUnit();
    float rz = RandomUnit();
    SpawnParticleBurst(nullptr, base.x + (rx - 0.5f) * 30.0f, base.y + (ry - 0.2f) * 30.0f,
                       base.z + (rz - 0.3f) * 300.0f, kind, 1.0f, 1);
}

// ---- behaviours 20 and 21 ----

constexpr int32_t kApproach = 0;
constexpr int32_t kSlide = 1;
constexpr int32_t kCurve = 2;
constexpr int32_t kStrafeRun = 3;
constexpr float kLeanAngle = 0.62831855f;
constexpr float kCurveEnd = 0.31415927f;
constexpr float kTurnRate = 0.02f;
constexpr int32_t kMissileEvery = 30;
constexpr float kEvasionReach = 100.0f;
constexpr float kSpinStep = 0.31415927f;
constexpr int32_t kSpinTicks = 40;

float& Drift(Enemy* e) {
    return e->swoopVelocity.y;
}

// Starts the manoeuvre in gBossProgress.manoeuvreMode afresh.
void RestartManoeuvre(Enemy* e) {
    gfx::Vec3& o = e->formationOffset;
    e->side = 0;
    e->counter = 0;
    e->bossCounter = 0;
    e->roll = 0.0f;
    o.y = (RandomUnit() - 0.5f) * 40.0f;
    Drift(e) = -0.02f * o.y;
    switch (gBossProgress.manoeuvreMode) {
        case kApproach:
            o.x = (RandomUnit() - 0.5f) * 200.0f;
            o.z = 1000.0f;
            e->side = o.x > 0.0f ? 1 : 0;
            break;
        case kSlide:
            if (o.x > 0.0f) {
                o.x = 250.0f;
                e->side = 1;
            } else {
                o.x = -250.0f;
                e->side = 0;
            }
            e->heading = 0.0f;
            o.z = 200.0f;
            break;
        case kCurve:
            if (o.x > 0.0f) {
                o.x = 200.0f;
                e->side = 1;
                e->heading = kPi / 2.0f;
            } else {
                o.x = -200.0f;
                e->side = 0;
                e->heading = -kPi / 2.0f;
            }
            o.z = 100.0f;
            break;
        case kStrafeRun:
            Drift(e) = 0.0f;
            o.x = -80.0f;
            o.y = (RandomUnit() - 0.5f) * 10.0f;
            o.z = -30.0f;
            break;
        default:
            break;
    }
}

void NextManoeuvre(int32_t mode) {
    gBossProgress.manoeuvreRestart = 1;
    gBossProgress.manoeuvreMode = mode;
}

// Pattern 16 with its sound whenever the fire tick count reaches 30.
void MissileEvery30(Enemy* e) {
    if (e->counter < kMissileEvery) return;
    Fire(e, 16, kSoundMissile);
    e->counter = 0;
}

// The craft the strafe run aims at this tick.
const PlayerCraft& StrafeTarget() {
    switch (gGameState.playerSetup) {
        case PlayerSetup::TwoPlayers:
            return Craft((RandomInt() & 1) != 0 ? 1 : 0);
        case PlayerSetup::ComputerPartner:
            return Craft(RandomInt() % 4 == 0 ? 1 : 0);
        default:
            return Craft(0);
    }
}

// A player sub-weapon shot near the boss loses its lock and the boss spins away.
void Evade(Enemy* e) {
    if (e->jitter != 0) return;
    gfx::Vec3 base = EnemyWorldBase(*e);
    for (Shot& s : gShotPool.shots) {
        if (s.kind == shot_kind::kFree || s.side != kShotSidePlayer) continue;
        if (s.kind == shot_kind::kTwin || s.kind == shot_kind::kTwinCraft1) continue;
        float dx = s.position[0] - base.x, dy = s.position[1] - base.y, dz = s.position[2] - base.z;
        if (!(dx * dx + dy * dy + dz * dz < kEvasionReach * kEvasionReach)) continue;
        // A shot without a target has no lock to lose.
        if (s.target >= 0 && s.target < kEnemyPoolSize) {
            gEnemyPool[static_cast<size_t>(s.target)].lockCountdowns.fill(0);
        }
        s.target = -1;
        e->jitter = 1;
    }
}

}  // namespace

void PlaceBossOnPath(Enemy* enemy) {
    if (!enemy) return;
    auto ticks = static_cast<float>(gGameState.playTicks);
    float a = 20.0f * std::sin(0.01f * ticks) + gBossProgress.stage8Distance;
    auto place = static_cast<float>(enemy->counter);
    gfx::Vec3 p = RailPoint(a - place);
    gfx::Vec3 q = RailPoint(a + 1.0f - place);
    enemy->yaw = std::atan2(q.x - p.x, q.z - p.z);
    enemy->basePosition = gfx::Vec3{p.x, p.y - 30.0f, p.z};
    float hop = std::sin(0.3f * ticks) - 0.8f;
    if (hop > 0.0f) enemy->basePosition.y += 2.0f * hop;
}

void UpdateBossPhases(Enemy* enemy) {
    if (!enemy) return;
    const EnemyType* type = EnemyTypeOf(*enemy);
    if (!type) return;
    Enemy* e = enemy;
    BossProgress& p = gBossProgress;
    PutPhaseDebugLine(0, e->counter);
    PutPhaseDebugLine(1, e->bossCounter);
    PutPhaseDebugLine(2, static_cast<int>(e->state));
    PutPhaseDebugLine(3, static_cast<int>(e->hitPoints));

    auto full = static_cast<float>(type->hitPoints);
    StepPhase(e, full);
    PuffDamageSmoke(*e, full);

    e->pitch = kPhasePitch;
    gfx::Vec3 base = EnemyWorldBase(*e);
    const gfx::Vec3& player = Craft(0).position;
    float toPlayer = std::atan2(base.x - player.x, base.z - player.z);

    switch (p.attackMode) {
        case kModeTurn:
            p.attackTicks += 1;
            e->yaw = TurnAngleToward(e->yaw, toPlayer, kPhaseTurnStep);
            if (p.attackTicks > kTurnTicks) {
                int32_t r = RandomInt() % 4;
                p.attackMode = r + 2;
                p.attackTicks = 0;
                e->subState = p.attackMode == kModeFan ? 0 : 3;
                e->animationClock = 0;
                e->anchorPoint = player;
            }
            break;
        case kModeHitReaction:
            if (e->type == kLungingType && p.attackTicks < 10) {
                auto t = static_cast<float>(p.attackTicks);
                e->basePosition.x = 15.0f * t * std::sin(e->yaw);
                e->basePosition.z = 15.0f * t * std::cos(e->yaw) - 4250.0f;
            }
            p.attackTicks += 1;
            if (p.attackTicks > kAttackEndTicks) BackToTurn(e);
            break;
        case kModeStream:
        case kModeSpray:
        case kModeClosingStreams:
        case kModeFan:
            if (p.attackMode == kModeStream) Volley(e, 12);
            if (p.attackMode == kModeSpray) Volley(e, 14);
            if (p.attackMode == kModeClosingStreams) ClosingStreams(e);
            if (p.attackMode == kModeFan) Volley(e, 15);
            if (p.attackTicks > kAttackEndTicks) BackToTurn(e);
            break;
        default:
            BackToTurn(e);
            break;
    }
    p.attackTicks += 1;
    AnimatePhases(e);
}

void UpdateBossOnPath(Enemy* enemy) {
    if (!enemy) return;
    Enemy* e = enemy;
    int32_t t = e->age;
    auto ft = static_cast<float>(t);
    float a = 3.0f * std::sin(0.01f * static_cast<float>(gGameState.playTicks)) + 4.0f;
    gfx::Vec3 p = RailPoint(a);
    e->yaw = 0.2f * std::sin(0.01f * ft);
    e->roll = 0.2f * std::sin(0.03f * ft);
    e->basePosition = gfx::Vec3{p.x, p.y - 10.0f + 2.0f * std::sin(0.01f * ft), p.z};
    UpdateEnemyWorldPoints(e);
    // Missiles only from the far half of the sway.
    if (a > 4.0f) {
        for (int c = 0; c < 3; ++c) {
            if (t % 64 != 5 * c) continue;
            const gfx::Vec3& m = kBossMissileMounts[static_cast<size_t>(c)];
            const float offset[3] = {m.x, m.y, m.z};
            SpawnEnemyMissile(e, offset);
            PlaySoundEffect(kSoundGun);
        }
    }
    e->animationClock += 17;
    if (DebrisDue(*e)) {
        ShedDebrisPuff(e->basePosition, particle_kind::kSmoke);
        ShedDebrisPuff(e->basePosition, particle_kind::kDebris);
        ReleaseBossDebris(1);
    }
}

void UpdateBossManoeuvre(Enemy* enemy) {
    if (!enemy) return;
    Enemy* e = enemy;
    BossProgress& p = gBossProgress;
    gfx::Vec3& o = e->formationOffset;
    if (p.manoeuvreRestart != 0) {
        p.manoeuvreRestart = 0;
        RestartManoeuvre(e);
    }
    e->counter += 1;
    e->bossCounter += 1;
    e->animationClock += 17;
    float lean = 0.0f;
    bool firing = false;
    int32_t t = e->bossCounter;
    float sideSign = e->side == 1 ? 1.0f : -1.0f;

    switch (p.manoeuvreMode) {
        case kApproach:
            if (t < 10) e->heading = 0.0f;
            if (t > 135) {
                e->heading = TurnAngleToward(e->heading, sideSign * kLeanAngle, kTurnRate);
                lean = -0.5f * e->heading;
            }
            firing = t > 30 && t < 200;
            if (t < 150) MissileEvery30(e);
            o.x -= 6.0f * std::sin(e->heading);
            o.z -= 6.0f * std::cos(e->heading);
            if (t == 200) NextManoeuvre((RandomInt() & 1) != 0 ? kSlide : kCurve);
            break;
        case kSlide:
            o.x -= sideSign * 3.0f;
            lean = -sideSign * kLeanAngle;
            if (t < 150) MissileEvery30(e);
            if (t == 200) NextManoeuvre(kCurve);
            break;
        case kCurve:
            if (t > 65) {
                e->heading = TurnAngleToward(e->heading, sideSign * kCurveEnd, kTurnRate);
                lean = -0.5f * e->heading;
            }
            MissileEvery30(e);
            o.x -= 2.0f * std::sin(e->heading);
            o.z -= 2.0f * std::cos(e->heading);
            if (t == 200) {
                if (e->behaviour == 20) {
                    NextManoeuvre(kApproach);
                } else {
                    NextManoeuvre((RandomInt() & 1) != 0 ? kApproach : kStrafeRun);
                }
            }
            break;
        case kStrafeRun: {
            float f = t >= 51 ? 10.0f - 0.1f * static_cast<float>(t - 50) : 10.0f;
            gfx::Vec3 base = EnemyWorldBase(*e);
            // side 1: the run goes towards increasing x.
            if (t < 10) e->side = base.x < 0.0f ? 1 : 0;
            o.x += (e->side == 1 ? 0.1f : -0.1f) * f;
            o.z += 1.2f;
            const gfx::Vec3& target = StrafeTarget().position;
            float dx = base.x - target.x, dz = base.z - target.z;
            e->heading = std::atan2(dx, dz);
            e->pitch = std::atan2(base.y - target.y, std::sqrt(dx * dx + dz * dz));
            firing = (t > 50 && t < 100) || (t > 150 && t < 200) || (t > 250 && t < 300);
            if (t == 430) NextManoeuvre(kApproach);
            break;
        }
        default:
            NextManoeuvre(kApproach);
            break;
    }

    o.y += Drift(e);
    UpdateEnemyWorldPoints(e);
    Evade(e);
    float spinRoll = kSpinStep * static_cast<float>(e->jitter);
    if (e->jitter != 0) {
        e->jitter += 1;
        if (e->jitter >= kSpinTicks) e->jitter = 0;
    }
    e->roll = lean + spinRoll;
    if (firing && t % 4 == 0) Fire(e, e->behaviour == 20 ? 1 : 24, kSoundGun);
}
