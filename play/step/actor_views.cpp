#include "play/step/actor_views.h"

#include <cstddef>

#include "engine/core/digest.h"
#include "play/craft/craft.h"
#include "play/craft/partner.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/pickups.h"
#include "world/draw/actor_draw.h"

namespace {

// A craft record without its padding; the spec row stands for its pointer.
uint64_t FoldCraft(uint64_t h, const PlayerCraft& c) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&c);
    h = FoldDigest(h, bytes, offsetof(PlayerCraft, hammerIndex) + sizeof c.hammerIndex);
    h = FoldDigest(
        h, bytes + offsetof(PlayerCraft, out),
        offsetof(PlayerCraft, scrapeTicks) + sizeof c.scrapeTicks - offsetof(PlayerCraft, out));
    auto spec = static_cast<int32_t>(c.spec ? c.spec - kCraftSpecTable.data() : -1);
    return FoldDigest(h, &spec, sizeof spec);
}

}  // namespace

bool ReadCraftDrawView(int player, CraftDrawView* out) {
    if (player < 0 || player > 1) return false;
    const PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(player)];
    out->position = c.position;
    out->craft = c.craft;
    out->state = static_cast<int32_t>(c.state);
    out->stateTicks = c.stateTicks;
    out->rotation = c.rotation;
    out->overheatLock = c.overheatLock;
    out->hitFlash = c.hitFlash;
    out->scale = c.scale;
    out->animation = c.animation;
    // The rider keeps time with the craft's age and faces along the craft, leaning with
    // its pitch.
    out->spriteCounter = c.age;
    out->spriteYaw = 0.0f;
    out->spritePitch = c.pitch;
    return true;
}

bool ReadEnemyDrawView(int slot, EnemyDrawView* out) {
    if (slot < 0 || slot >= kEnemyPoolSize) return false;
    const Enemy& e = gEnemyPool[static_cast<size_t>(slot)];
    out->state = static_cast<int32_t>(e.state);
    if (e.state == EnemyState::Free) return true;
    out->spawnDelay = e.spawnDelay;
    out->base = e.basePosition;
    out->rotation = e.rotation;
    out->yaw = e.yaw;
    out->hitFlash = e.hitBlink;
    out->onSegment = e.segmentBound;
    out->segment = e.segment;
    out->drawOffsetY = e.bobOffset;
    out->animationCounter = e.animationClock;
    // An enemy whose type lies outside the table is drawn as a type without a model.
    const EnemyType* type = EnemyTypeOf(e);
    out->model = type ? type->model : -1;
    out->modelScale = type ? type->modelScale : 0.0f;
    out->shadowWidth = type ? type->shadowWidth : 0.0f;
    out->shadowDepth = type ? type->shadowDepth : 0.0f;
    out->alwaysDrawn = type ? type->farVisible : 0;
    out->shadowKind = type ? type->shadowShape : 2;
    return true;
}

bool ReadPickupDrawView(int slot, PickupDrawView* out) {
    if (slot < 0 || slot >= kPickupPoolSize) return false;
    const Pickup& p = gPickupPool.pickups[static_cast<size_t>(slot)];
    out->kind = p.kind;
    if (p.kind == 0) return true;
    out->position = gfx::Vec3{p.position[0], p.position[1], p.position[2]};
    out->shadowHeight = p.groundHeight;
    out->timer = p.timer;
    return true;
}

void InstallActorDrawSources() {
    gActorDrawSources.craft = ReadCraftDrawView;
    gActorDrawSources.enemy = ReadEnemyDrawView;
    gActorDrawSources.pickup = ReadPickupDrawView;
}

uint64_t DigestCraftGlobals(uint64_t digest) {
    for (const PlayerCraft& c : gPlayerCrafts) digest = FoldCraft(digest, c);
    digest = FoldDigest(digest, &gCraftTickFlags, sizeof gCraftTickFlags);
    digest = FoldDigest(digest, &gPartnerAutopilots, sizeof gPartnerAutopilots);
    return digest;
}
