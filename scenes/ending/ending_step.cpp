// The ending's tick: the roll's end, the craft, the targets, the shots and the computer
// partner's pad.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/core/game_state.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "scenes/ending/ending.h"
#include "scenes/title/title.h"

EndingState gEndingState;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr int32_t kPointsCap = 999'999'999;
constexpr SoundEffectId kShotSound = 315;
constexpr SoundEffectId kHitSound = 290;
constexpr int32_t kCraftCount = 4;

int32_t PlayerCount() {
    return std::clamp(gGameState.playerCount, 1, 2);
}

bool Inside(float d) {
    return d < 24.0f;
}

float Distance(float ax, float ay, float bx, float by) {
    return std::sqrt((ax - bx) * (ax - bx) + (ay - by) * (ay - by));
}

void StepPlayer(int i) {
    EndingPlayer& p = gEndingState.players[static_cast<size_t>(i)];
    const PadState& pad = gPadState[i];
    p.timer += 1;
    if (p.state == 1) {
        if ((pad.pressed & kPadCancel) && p.loop == 0) p.loop = 1;
        if ((pad.pressed & kPadDecide) && p.loop == 0) {
            PlaySoundEffect(kShotSound);
            SpawnEndingShot(p.x, p.y, i);
        }
    } else if (p.state == 2) {
        if (p.timer > 29) {
            p.state = 1;
            p.timer = 0;
        }
    }

    bool stunned = p.state == 2;
    float s = stunned ? 0.6f : 3.0f;
    float d = (stunned ? 0.2f : 1.0f) * std::sqrt(3.0f);
    uint8_t held = pad.held;
    if (held & kPadUp) {
        if (held & kPadLeft) {
            p.x -= d;
            p.y -= d;
        } else if (held & kPadRight) {
            p.x += d;
            p.y -= d;
        } else {
            p.y -= s;
        }
    } else if (held & kPadDown) {
        if (held & kPadLeft) {
            p.x -= d;
            p.y += d;
        } else if (held & kPadRight) {
            p.x += d;
            p.y += d;
        } else {
            p.y += s;
        }
    } else if (held & kPadLeft) {
        p.x -= s;
    } else if (held & kPadRight) {
        p.x += s;
    }
    p.x = std::clamp(p.x, 24.0f, 616.0f);
    p.y = std::clamp(p.y, 24.0f, 264.0f);

    int32_t craft = std::clamp(gGameState.craft[i], 0, kCraftCount - 1);
    p.cell = 2 * craft + ((p.timer / 4) % 2);
    p.drawX = p.x;
    p.drawY = p.y;
    p.angle = 0.0f;
    if (p.loop != 0) {
        float v = 2.0f * kPi * static_cast<float>(p.loop) / 30.0f;
        p.angle = -v;
        p.drawX = p.x - 30.0f * std::sin(v);
        p.drawY = p.y - 30.0f * (1.0f - std::cos(v));
        p.loop += 1;
        if (p.loop >= 30) p.loop = 0;
    }
    if (p.state == 2) {
        p.drawX = p.x + static_cast<float>(RandomInt() % 8) - 4.0f;
        p.drawY = p.y + static_cast<float>(RandomInt() % 8) - 4.0f;
    }
}

void StepTargets() {
    for (EndingTarget& t : gEndingState.targets) {
        if (t.state == 0) continue;
        t.timer += 1;
        if (t.state == 2) {
            t.cell = 10 + t.timer / 8;
            if (t.timer >= 15) t.state = 0;
        } else {
            t.cell = 8 + ((t.timer / 4) % 2);
            t.x += 2.0f;
            if (t.x > 688.0f) t.state = 0;
        }
    }
}

void StepShots() {
    EndingState& e = gEndingState;
    int32_t count = PlayerCount();
    for (EndingShot& shot : e.shots) {
        if (shot.active == 0) continue;
        shot.x += shot.dx;
        shot.y += shot.dy;
        if (shot.x > 0 && shot.x < 640 && shot.y > 0 && shot.y < 480) {
            for (EndingTarget& t : e.targets) {
                if (t.state != 1 || !Inside(Distance(shot.x, shot.y, t.x, t.y))) continue;
                shot.active = 0;
                t.state = 2;
                t.timer = 0;
                PlaySoundEffect(kHitSound);
                gGameState.pointsTotal = std::min(gGameState.pointsTotal, kPointsCap - 100) + 100;
                break;
            }
            if (shot.active != 0 && count == 2 && (shot.owner == 0 || shot.owner == 1)) {
                EndingPlayer& other = e.players[static_cast<size_t>(1 - shot.owner)];
                if (other.state == 1 && other.loop == 0 && other.timer > 30 &&
                    Inside(Distance(shot.x, shot.y, other.x, other.y))) {
                    shot.active = 0;
                    other.state = 2;
                    other.timer = 0;
                }
            }
        }
        if (shot.x < -32 || shot.x > 704 || shot.y < -32 || shot.y > 704) shot.active = 0;
    }
}

}  // namespace

void InitEnding(int32_t variant) {
    EndingState& e = gEndingState;
    e.finished = 0;
    e.scrollX = 0;
    e.variant = variant;
    gEndingVariant = variant;
    for (EndingTarget& t : e.targets) t.state = 0;
    gGameState.playerCount = gGameState.playerSetup == PlayerSetup::OnePlayer ? 1 : 2;
    for (EndingShot& s : e.shots) s.active = 0;
    for (int i = 0; i < 2; ++i) {
        EndingPlayer& p = e.players[static_cast<size_t>(i)];
        p = EndingPlayer{};
        if (i < gGameState.playerCount) {
            p.x = 560.0f;
            p.y = 64.0f + 64.0f * static_cast<float>(i);
            p.state = 1;
        }
    }
    e.ticks = 0;
    e.endCounter = 0;
}

void SpawnEndingTarget() {
    for (EndingTarget& t : gEndingState.targets) {
        if (t.state != 0) continue;
        t.state = 1;
        t.x = -64.0f;
        t.y = 32.0f + static_cast<float>(RandomInt() & 0xFF);
        t.timer = 0;
        t.angle = 0.0f;
        return;
    }
}

void SpawnEndingShot(float x, float y, int32_t owner) {
    for (EndingShot& s : gEndingState.shots) {
        if (s.active != 0) continue;
        s = EndingShot{x, y, -6.0f, 0.0f, 1, owner};
        return;
    }
}

void UpdateEnding() {
    EndingState& e = gEndingState;
    if (e.finished != 0) {
        if (IsFadeOutDone()) {
            gGameState.scene = SceneId::Title;
            InitTitle();
            ReleaseEndingResources();
            StartLoaderThread();
            StartFadeIn(0);
        }
        return;
    }
    uint8_t pressed = gPadState[0].pressed | gPadState[1].pressed;
    if (e.endCounter > 0) {
        e.endCounter += 1;
        if (e.endCounter > 80) {
            if (pressed & kPadDecide) {
                StartFadeOut(0);
                e.finished = 1;
            }
            return;
        }
    } else if (e.ticks >= kEndingRollTicks || (pressed & kPadRoll)) {
        e.endCounter = 1;
    }

    e.scrollX += 1;
    if (e.scrollX >= 640) e.scrollX = 0;
    e.ticks += 1;
    int32_t count = PlayerCount();
    if (e.ticks % (count == 2 ? 20 : 30) == 0) SpawnEndingTarget();
    for (int i = 0; i < count; ++i) StepPlayer(i);
    StepTargets();
    StepShots();
}

void UpdateEndingPartnerInput() {
    EndingState& e = gEndingState;
    EndingPlayer& p = e.players[1];
    uint8_t bits = 0;
    const EndingTarget* chosen = nullptr;
    float chosenDistance = 300.0f;
    bool fire = false;
    for (const EndingTarget& t : e.targets) {
        if (t.state != 1 || t.timer < 90) continue;
        float l = std::fabs(p.y - t.y);
        int shotsAhead = 0;
        for (const EndingShot& s : e.shots) {
            if (s.active != 0 && s.x - t.x > 0 && std::fabs(s.y - t.y) <= 30.0f) ++shotsAhead;
        }
        if (shotsAhead >= 2) continue;
        if (p.x - t.x > 100.0f && l < chosenDistance) {
            chosen = &t;
            chosenDistance = l;
        }
        if (l < 32.0f) fire = true;
    }
    if (chosen) {
        float dy = p.y - chosen->y;
        float dx = p.x - chosen->x;
        if (dy > 5.0f) bits |= kPadUp;
        if (dy < -5.0f) bits |= kPadDown;
        if (dx > 400.0f && p.x > 320.0f) bits |= kPadLeft;
        if (dx < -400.0f) bits |= kPadRight;
    } else if (p.timer % 80 == 40) {
        bits |= kPadCancel;
    }
    if (fire && p.timer % 20 == 5) bits |= kPadDecide;
    gPadState[1].held = bits;
}

void ResetEndingGlobals() {
    gEndingState = EndingState{};
}
