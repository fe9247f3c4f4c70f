#include "play/craft/craft.h"

#include <algorithm>
#include <cmath>

#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "play/pickups/particles.h"
#include "world/course/collision.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"

std::array<PlayerCraft, 2> gPlayerCrafts;
CraftTickFlags gCraftTickFlags;

namespace {

constexpr SoundEffectId kSoundFrontHit = 290;
constexpr SoundEffectId kSoundWater = 308;
constexpr SoundEffectId kSoundRoll = 310;
constexpr SoundEffectId kSoundScrape = 316;

constexpr int32_t kParticleFrontHit = 1;
constexpr int32_t kParticleSpark = 5;
constexpr int32_t kParticleSmoke = 9;
constexpr int32_t kParticleSplash = 15;
constexpr int32_t kParticleRoll = 31;

constexpr int32_t kWeaponCharge = 8;
constexpr int32_t kWeaponOption = 10;

constexpr float kHalfPi = gfx::kPi / 2.0f;

bool Held(uint8_t bits, uint8_t bit) {
    return (bits & bit) != 0;
}

// Moves v toward 0 by step, landing on 0 within step.
float Settle(float v, float step) {
    if (v > step) return v - step;
    if (v < -step) return v + step;
    return 0.0f;
}

int32_t CraftKind(const PlayerCraft& c) {
    return c.craft >= 0 && c.craft < kCraftKinds ? c.craft : 0;
}

const CraftSpec& SpecOf(const PlayerCraft& c) {
    return c.spec ? *c.spec : kCraftSpecTable[static_cast<size_t>(CraftKind(c))];
}

bool ShopBoost(int index) {
    return gGameState.shopBoosts[index] != 0;
}

// One particle of the kind, with the craft as its owner.
void Particle(PlayerCraft& c, float x, float y, float z, int32_t kind, float scale) {
    SpawnParticleBurst(&c, x, y, z, kind, scale, 1);
}

// Steering from the held bits, in flight only.
void Steer(PlayerCraft* c, uint8_t held) {
    const CraftSpec& spec = SpecOf(*c);
    float step = spec.speed * 5.0f * (ShopBoost(1) ? 1.5f : 1.0f);
    if (Held(held, kPadDecide)) step = spec.speed * 2.0f;
    bool left = Held(held, kPadLeft);
    bool right = Held(held, kPadRight);
    if (left) {
        c->velocity.x -= step;
    } else if (right) {
        c->velocity.x += step;
    }
    // The sense swaps the roles of up and down.
    uint8_t lower = c->sense == 0 ? kPadDown : kPadUp;
    uint8_t raise = c->sense == 0 ? kPadUp : kPadDown;
    if (Held(held, lower)) {
        c->velocity.y -= step;
    } else if (Held(held, raise)) {
        c->velocity.y += step;
    }

    bool holdFire = c->holdFire != 0;
    if (left) {
        c->bank = holdFire ? std::max(c->bank - spec.agility * 0.1f, -1.2f)
                           : std::max(c->bank - 0.05f, -1.0f);
    } else if (right) {
        c->bank = holdFire ? std::min(c->bank + spec.agility * 0.1f, 1.2f)
                           : std::min(c->bank + 0.05f, 1.0f);
    } else {
        c->bank = Settle(c->bank, 0.025f);
    }

    if (Held(held, lower)) {
        c->pitch = holdFire ? std::min(c->pitch + spec.agility * 0.04f, 0.4f)
                            : std::min(c->pitch + 0.02f, 0.2f);
    } else if (Held(held, raise)) {
        c->pitch = holdFire ? std::max(c->pitch - spec.agility * 0.04f, -0.4f)
                            : std::max(c->pitch - 0.02f, -0.2f);
    } else {
        if (std::fabs(c->pitch) > 0.05f) c->pitch -= c->pitch * 0.2f;
        c->pitch = Settle(c->pitch, 0.01f);
    }
    c->wobbleRate = 0.05f;
}

// The motion of the states other than flying.
void MoveInState(PlayerCraft* c) {
    const gfx::Vec3& p = c->position;
    switch (c->state) {
        case CraftState::Down:
            c->stateTicks += 1;
            if (c->stateTicks < 60) {
                c->velocity.z += 10.0f;
                if (c->pitch > -kHalfPi) c->pitch -= 0.01f;
                c->bank =
                    WrapAngle(c->bank + std::min(static_cast<float>(c->stateTicks) * 0.1f, 0.5f));
                Particle(*c, p.x, p.y, p.z, kParticleSmoke, 1.0f);
            }
            break;
        case CraftState::Destroyed:
            c->stateTicks += 1;
            c->velocity.y -= 5.0f;
            if (c->pitch < kHalfPi) c->pitch += 0.01f;
            c->bank = WrapAngle(c->bank + std::min(static_cast<float>(c->stateTicks) * 0.1f, 0.5f));
            Particle(*c, p.x, p.y, p.z, kParticleSmoke, 1.0f);
            break;
        case CraftState::KnockedDown:
            c->stateTicks += 1;
            c->velocity.y -= 2.0f;
            if (c->pitch > -kHalfPi) c->pitch -= 0.01f;
            c->bank = WrapAngle(c->bank + std::min(static_cast<float>(c->stateTicks) * 0.1f, 0.3f));
            Particle(*c, p.x, p.y, p.z, kParticleSmoke, 1.0f);
            if (c->stateTicks == 20) {
                c->state = CraftState::Flying;
                c->stateTicks = 0;
            }
            break;
        case CraftState::Bumped:
            c->stateTicks += 1;
            c->bumpSpin += 0.5f;
            if (c->stateTicks == 20) {
                c->stateTicks = 0;
                c->bumpSpin = 0.0f;
                c->state = CraftState::Flying;
            }
            break;
        case CraftState::Flying:
            break;
    }
}

// Craft 3 cycles its weapon through the run's weapon list instead of rolling.
void CycleWeapon(PlayerCraft* c) {
    PlaySoundEffect(kSoundCursor);
    int32_t length =
        std::clamp(gGameState.records.words[record::kWeaponListLength], 0, kWeaponListMax);
    for (int32_t i = 0; i < length; ++i) {
        if (gGameState.weaponList[i] == c->weapon) {
            c->weapon = gGameState.weaponList[(i + 1) % length];
            return;
        }
    }
}

void RollAndCycle(PlayerCraft* c, uint8_t held, uint8_t pressed) {
    bool charging = c->weapon == kWeaponCharge && c->orbitCounters[0] > 0;
    if (CraftKind(*c) == 3) {
        if (c->weapon != kWeaponOption && !charging && Held(pressed, kPadRoll)) CycleWeapon(c);
        return;
    }
    bool left = Held(held, kPadLeft);
    bool right = Held(held, kPadRight);
    if (c->lastDirection == 0 || c->rollDirection == 0) {
        if (left) {
            c->lastDirection = -1;
        } else if (right) {
            c->lastDirection = 1;
        }
    }
    if (!charging && Held(held, kPadRoll) && c->heat <= kMaxHeat && c->overheatLock == 0 &&
        c->rollDirection == 0) {
        if (left) {
            c->rollDirection = c->lastDirection = -1;
        } else if (right) {
            c->rollDirection = c->lastDirection = 1;
        } else {
            c->rollDirection = c->lastDirection != 0 ? c->lastDirection : -1;
            c->lastDirection = 0;
        }
        AddCraftHeat(c, 10.0f);
        PlaySoundEffect(kSoundRoll);
        bool reflect = ShopBoost(3);
        c->invulnerable = reflect ? 25 : 10;
        Particle(*c, c->position.x, c->position.y, c->position.z, kParticleRoll,
                 1.0f + 0.5f * (reflect ? 1.0f : 0.0f));
    }
    if (c->rollDirection != 0) {
        c->rollTicks += 1;
        if (c->rollTicks >= 20) {
            c->rollTicks = 0;
            c->rollDirection = 0;
            c->rollAngle = 0.0f;
        } else {
            c->rollAngle = static_cast<float>(c->rollTicks) * 0.31415927f *
                           static_cast<float>(c->rollDirection);
            c->velocity.x = static_cast<float>(c->lastDirection) * 60.0f * SpecOf(*c).rollDash;
        }
    }
}

void Integrate(PlayerCraft* c) {
    c->offset = gfx::Add(c->offset, gfx::Scale(c->velocity, 0.3f));
    c->velocity = gfx::Scale(c->velocity, 0.8f);
    c->velocity.y = std::clamp(c->velocity.y, -20.0f, 20.0f);
    bool flyOut = gGameState.playPhase == PlayPhase::StageClear;
    if (c->state != CraftState::Destroyed) {
        c->offset.x = std::clamp(c->offset.x, -600.0f, 600.0f);
        if (!flyOut) c->offset.y = std::clamp(c->offset.y, -260.0f, 260.0f);
    }
    if (c->state != CraftState::Down && !flyOut) c->offset.z = 0.0f;
}

// The course ahead: a hit bumps the craft.
void FrontRay(PlayerCraft* c, const gfx::Mat4& m) {
    // A destroyed or downed craft is past bumping.
    if (c->state == CraftState::Destroyed || c->state == CraftState::Down) return;
    gfx::Vec3 v = gfx::TransformNormal(gfx::Vec3{0.0f, 0.0f, -20.0f}, m);
    for (int pass = 0; pass < 2; ++pass) {
        float t;
        const gfx::Vec3& p = c->position;
        if (!RaycastCourse(p.x, p.y, p.z, v.x, v.y, v.z, &t)) continue;
        Particle(*c, p.x, p.y, p.z, kParticleFrontHit, 1.0f);
        if (c->state != CraftState::Bumped) PlaySoundEffect(kSoundFrontHit);
        gCraftTickFlags.frontHit = 1;
        c->state = CraftState::Bumped;
        c->stateTicks = 0;
    }
}

// Walls to either side limit the lateral offset.
void SideWalls(PlayerCraft* c, const gfx::Vec3& rail, const gfx::Mat4& m) {
    gfx::Vec3 start =
        gfx::Add(rail, gfx::TransformNormal(gfx::Vec3{0.0f, c->offset.y * 0.1f, 0.0f}, m));
    for (float d : {-200.0f, 200.0f}) {
        gfx::Vec3 v = gfx::TransformNormal(gfx::Vec3{d, 0.0f, 0.0f}, m);
        float t;
        if (!RaycastCourse(start.x, start.y, start.z, v.x, v.y, v.z, &t)) continue;
        if (d < 0.0f) {
            c->offset.x = std::max(c->offset.x, -200.0f * 10.0f * t);
        } else {
            c->offset.x = std::min(c->offset.x, 200.0f * 10.0f * t);
        }
    }
}

// Short rays round the craft push it out of the course; the lateral ones scrape.
void ScrapeRays(PlayerCraft* c, const gfx::Mat4& m) {
    struct Ray {
        float dx, dy;
    };
    static constexpr Ray kRays[4] = {{-20.0f, 0.0f}, {20.0f, 0.0f}, {0.0f, -5.0f}, {0.0f, 10.0f}};
    for (int i = 0; i < 4; ++i) {
        const Ray& r = kRays[i];
        gfx::Vec3 v = gfx::TransformNormal(gfx::Vec3{r.dx, r.dy, 0.0f}, m);
        gfx::Vec3& p = c->position;
        float t;
        if (!RaycastCourse(p.x - v.x * 0.5f, p.y, p.z - v.z * 0.5f, v.x, v.y, v.z, &t)) continue;
        float k = 1.0f - t;
        c->offset.x -= k * r.dx * 10.0f;
        c->offset.y -= k * r.dy * 10.0f;
        p.x -= k * v.x * 0.5f;
        p.y -= k * v.y;
        p.z -= k * v.z * 0.5f;
        if (i >= 2) continue;
        float side = i == 0 ? c->scale * 10.0f : -c->scale * 10.0f;
        gfx::Vec3 spark =
            gfx::Add(p, gfx::TransformNormal(gfx::Vec3{side, c->scale * 0.4f, 5.0f}, c->rotation));
        Particle(*c, spark.x, spark.y, spark.z, kParticleSpark, 1.0f);
        gCraftTickFlags.scrape = 1;
        c->scrapeTicks += 1;
        if (c->scrapeTicks % 4 == 1) PlaySoundEffect(kSoundScrape);
    }
}

void Water(PlayerCraft* c) {
    const StageInfo* stage = gCurrentStage;
    if (stage && !(stage->waterHeight < -1000.0f) && c->position.y < stage->waterHeight + 10.0f) {
        c->waterTicks += 1;
        if (c->waterTicks == 1) PlaySoundEffect(kSoundWater);
        Particle(*c, c->position.x, stage->waterHeight, c->position.z, kParticleSplash, 1.0f);
    } else {
        c->waterTicks = 0;
    }
}

}  // namespace

int32_t CraftsInPlay() {
    return gGameState.playerCount == 2 ? 2 : 1;
}

float WrapAngle(float angle) {
    if (!std::isfinite(angle)) return 0.0f;
    while (angle < -gfx::kPi) angle += 2.0f * gfx::kPi;
    while (angle > gfx::kPi) angle -= 2.0f * gfx::kPi;
    return angle;
}

float TurnAngleToward(float angle, float target, float step) {
    float a = WrapAngle(angle);
    float b = WrapAngle(target);
    float d = std::fabs(a - b);
    if (step > d || d > 2.0f * gfx::kPi - step) return b;
    bool down = (a >= b && a - b <= gfx::kPi) || (a < b && b - a > gfx::kPi);
    return WrapAngle(down ? a - step : a + step);
}

int AddCraftHeat(PlayerCraft* craft, float amount) {
    craft->heat += amount;
    craft->coolDelay = 30;
    return 1;
}

void SetBankPose(PlayerCraft* craft, float b) {
    int32_t* a = craft->animation;
    auto set = [](float v) { return static_cast<int32_t>(v); };
    switch (CraftKind(*craft)) {
        case 0:
            a[1] = a[3] = a[5] = 0;
            if (b > 0.0f) {
                a[5] = a[1] = set(b * 714.0f);
            } else {
                a[5] = a[3] = set(782.0f - b * 714.0f);
            }
            break;
        case 1:
            a[9] = a[3] = 0;
            if (b > 0.0f) {
                a[3] = set(b * 357.0f);
            } else {
                a[9] = set(-b * 357.0f);
            }
            break;
        case 2:
            a[1] = a[4] = a[9] = 0;
            if (b > 0.0f) {
                a[9] = set(b * 357.0f);
                a[1] = set(b * 238.0f);
            } else {
                a[4] = set(-b * 357.0f);
                a[1] = set(374.0f - b * 238.0f);
            }
            break;
        default:
            a[4] = a[6] = 0;
            if (b > 0.0f) {
                a[4] = a[6] = set(b * 357.0f + 388.0f);
            } else {
                a[4] = a[6] = set(-b * 357.0f);
            }
            break;
    }
}

void StepCraftCounters(PlayerCraft* c) {
    c->orbitAngle = WrapAngle(c->orbitAngle + 0.1f);
    if (c->lockCooldown > 0 && gGameState.weaponSelect == 0) c->lockCooldown -= 1;
    if (c->invulnerable > 0) c->invulnerable -= 1;
    if (c->hitFlash > 0) c->hitFlash -= 1;
    c->age += 1;
}

void StepCraftAnimation(PlayerCraft* c) {
    SetBankPose(c, c->bank);
    // The frames each model keeps running.
    static constexpr int kRunning[kCraftKinds][5] = {
        {13, 14, 18, 19, -1}, {6, 7, -1, -1, -1}, {6, 7, 12, -1, -1}, {10, 13, 15, -1, -1}};
    for (int frame : kRunning[CraftKind(*c)]) {
        if (frame >= 0) c->animation[frame] += 17;
    }
}

void StepCraftControl(PlayerCraft* c, uint8_t held, uint8_t pressed) {
    if (c->state == CraftState::Flying) {
        Steer(c, held);
    } else {
        MoveInState(c);
    }
    RollAndCycle(c, held, pressed);
    Integrate(c);
}

void StepCraftPlacement(PlayerCraft* c) {
    gfx::Vec3 r0, r1;
    GetRailPoint(&r0, 0.0f);
    GetRailPoint(&r1, -gGameState.railSpeed);
    c->travel = gfx::Sub(r0, r1);
    const gfx::Mat4& m = gGameState.cameraDirection;

    float w = 0.0f;
    if (c->overheatLock > 0) {
        c->overheatPhase += 0.8f;
        w = std::sin(c->overheatPhase) * 0.3f;
    } else {
        c->overheatPhase = 0.0f;
    }
    gfx::Vec3 local{c->offset.x * 0.1f, c->offset.y * 0.1f + w, c->offset.z * 0.1f};
    if (c->gunTicks != 0) {
        local.x += (RandomUnit() - 0.5f) * 0.3f;
        local.y += (RandomUnit() - 0.5f) * 0.3f;
        local.z += (RandomUnit() - 0.5f) * 0.3f;
    }
    c->position = gfx::Add(r0, gfx::TransformCoord(local, m));

    FrontRay(c, m);
    SideWalls(c, r0, m);
    ScrapeRays(c, m);
    Water(c);

    c->yaw = TurnAngleToward(c->yaw, gfx::kPi - c->bank * 0.5f, 0.15707964f);
    float roll = c->bank + c->rollAngle + std::sin(c->wobblePhase) * 0.05f +
                 std::sin(c->gunWobblePhase) * 0.0125f + std::sin(c->bumpSpin) * 0.2f;
    c->rotation = gfx::Multiply(gfx::RotationYawPitchRoll(c->yaw, c->pitch, roll), m);
}

void ResetCraftGlobals() {
    gPlayerCrafts = {};
    gCraftTickFlags = {};
}
