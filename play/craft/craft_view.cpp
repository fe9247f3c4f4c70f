#include "play/craft/craft_view.h"

#include <cstddef>

#include "play/craft/craft.h"
#include "play/craft/partner.h"
#include "world/draw/actor_draw.h"

namespace {

uint64_t Fold(uint64_t h, const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) {
        h ^= b[i];
        h *= 1099511628211ull;
    }
    return h;
}

// A craft record without its padding; the spec row stands for its pointer.
uint64_t FoldCraft(uint64_t h, const PlayerCraft& c) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&c);
    h = Fold(h, bytes, offsetof(PlayerCraft, hammerIndex) + sizeof c.hammerIndex);
    h = Fold(
        h, bytes + offsetof(PlayerCraft, out),
        offsetof(PlayerCraft, scrapeTicks) + sizeof c.scrapeTicks - offsetof(PlayerCraft, out));
    auto spec = static_cast<int32_t>(c.spec ? c.spec - kCraftSpecTable.data() : -1);
    return Fold(h, &spec, sizeof spec);
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

void InstallActorDrawSources() {
    gActorDrawSources.craft = ReadCraftDrawView;
}

uint64_t DigestCraftGlobals(uint64_t digest) {
    for (const PlayerCraft& c : gPlayerCrafts) digest = FoldCraft(digest, c);
    digest = Fold(digest, &gCraftTickFlags, sizeof gCraftTickFlags);
    digest = Fold(digest, &gPartnerAutopilots, sizeof gPartnerAutopilots);
    return digest;
}
