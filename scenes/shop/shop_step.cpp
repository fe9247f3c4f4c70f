// The shop's items, prices and tick: the greeting, choosing and buying, and the farewell.
#include <algorithm>

#include "engine/core/game_state.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "engine/sound/sound.h"
#include "scenes/event/event.h"
#include "scenes/shop/shop.h"
#include "scenes/title/title.h"

namespace {

constexpr std::array<int32_t, kShopListSlots> kStoryList = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                                            12, 13, 14, 15, 16, -1, -1, -1, -1, -1};
constexpr int32_t kMaxCredits = 99;
constexpr int32_t kPriceCap = 999'999'999;
constexpr SoundEffectId kBoughtSound = 304;
constexpr int32_t kFarewellTicks = 60;
constexpr int32_t kThanksTicks = 60;
constexpr int kItemsInView = 4;

int32_t* RecordWord(int index) {
    return &gGameState.records.words[static_cast<size_t>(index)];
}

// The boost flag of items 12..15: the flags stand in the order gun, speed, cooling, reflect.
int32_t* BoostFlag(int32_t id) {
    static constexpr int kFlagOfItem[4] = {1, 0, 2, 3};
    return &gGameState.shopBoosts[kFlagOfItem[id - 12]];
}

int32_t* UnlockFlag(int32_t id) {
    switch (id) {
        case 17:
            return RecordWord(record::kGetCraft2);
        case 18:
            return RecordWord(record::kGetCraft3);
        case 19:
            return RecordWord(record::kGetExtra);
        default:
            return RecordWord(record::kGetStaff);
    }
}

bool ValidItem(int32_t id) {
    return id >= 0 && id < kShopItemIds;
}

// The money the shop spends: the running game's score, or the banked points total.
int32_t* Money() {
    return gResultShop.fromResult != 0 ? &gGameState.score : &gGameState.pointsTotal;
}

}  // namespace

const std::array<std::array<int32_t, kShopListSlots>, kStoryShopLists> kStoryShopItemLists = {
    kStoryList, kStoryList, kStoryList, kStoryList, kStoryList, kStoryList, kStoryList};
const std::array<int32_t, kShopListSlots> kTitleShopItemList = {
    1, 2, 9, 11, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

bool IsShopItemSoldOut(int32_t id) {
    if (id >= 0 && id < kSubWeapons) return IsSubWeaponOwned(gGameState.records, id);
    if (id == 11) return *RecordWord(record::kTotalCredit) >= kMaxCredits;
    if (id >= 12 && id <= 15) return *BoostFlag(id) != 0;
    if (id == 16) return gGameState.credits >= kMaxCredits;
    if (id >= 17 && id <= 20) return *UnlockFlag(id) != 0;
    return true;  // no such item
}

void ApplyShopItem(int32_t id) {
    if (id >= 0 && id <= 10) {
        *RecordWord(record::kOwnedWeapons + id) = 1;
    } else if (id == 11) {
        *RecordWord(record::kTotalCredit) += 1;
    } else if (id >= 12 && id <= 15) {
        *BoostFlag(id) = 1;
        gGameState.purchases[id - 12] += 1;
    } else if (id == 16) {
        gGameState.credits += 1;
        gGameState.purchases[4] += 1;
    } else if (id >= 17 && id <= 20) {
        *UnlockFlag(id) = 1;
    }
}

int32_t GetShopItemPrice(int32_t id) {
    if (!ValidItem(id)) return kPriceCap;
    int64_t base = kShopPriceTable[static_cast<size_t>(id)];
    int64_t price = base;
    if (id == 11) {
        // Only the credits above the two every game starts with raise the price.
        int64_t above = std::max(*RecordWord(record::kTotalCredit) - 2, 0);
        price = base + 2 * base * above;
    } else if (id == 16) {
        price = base + 2 * base * std::max(gGameState.purchases[4], 0);
    } else if (id >= 12 && id <= 15) {
        price = base + base * std::max(gGameState.purchases[id - 12], 0);
    }
    return static_cast<int32_t>(std::min<int64_t>(price, kPriceCap));
}

void OpenShop(int32_t fromResult) {
    ResultShopState& r = gResultShop;
    r.fromResult = fromResult;
    r.cursor = 0;
    r.scrollTop = 0;
    r.shopLeaving = 0;
    r.shopTimer = 0;
    r.thanksTimer = 0;
    r.farewell = 0;
    const std::array<int32_t, kShopListSlots>* list = &kTitleShopItemList;
    if (fromResult != 0) {
        int32_t chapter = std::clamp(gGameState.stage / 3, 0, kStoryShopLists - 1);
        list = &kStoryShopItemLists[static_cast<size_t>(chapter)];
    }
    r.itemCount = 0;
    for (int32_t id : *list) {
        if (id == -1 || r.itemCount >= kShopListMax) break;
        if (!ValidItem(id)) continue;
        r.items[r.itemCount++] = id;
    }
    SetSmallTextFont();
}

void UpdateShop() {
    ResultShopState& r = gResultShop;
    r.emblemAngle += 0.005f;
    if (r.shopLeaving != 0) {
        if (!IsFadeOutDone()) return;
        if (r.fromResult == 0) {
            gGameState.scene = SceneId::Title;
            InitTitle();
            ShowTitleMenuImmediately();
        } else if (gGameState.gameMode == GameMode::StagesInARow) {
            gGameState.scene = SceneId::Play;
        } else {
            gGameState.scene = SceneId::Event;
            StartEvent();
        }
        ReleaseShopResources();
        StartLoaderThread();
        StartFadeIn(0);
        return;
    }
    r.shopTimer += 1;
    if (r.thanksTimer > 0) r.thanksTimer -= 1;
    if (r.farewell > 0) {
        r.farewell += 1;
        if (r.farewell == kFarewellTicks) {
            StartFadeOut(0);
            r.shopLeaving = 1;
        }
        return;
    }
    if (r.shopTimer < kShopGreetingTicks) return;

    const PadState& pad = gPadState[0];
    if (pad.pressed & kPadCancel) {
        PlaySoundEffect(kSoundCancel);
        r.farewell = 1;
        return;
    }
    if (r.itemCount <= 0) return;
    r.cursor = std::clamp(r.cursor, 0, r.itemCount - 1);
    if (pad.pressed & kPadDecide) {
        int32_t id = r.items[r.cursor];
        int32_t price = GetShopItemPrice(id);
        int32_t* money = Money();
        if (IsShopItemSoldOut(id) || price > *money) {
            PlaySoundEffect(kSoundCancel);
        } else {
            *money -= price;
            ApplyShopItem(id);
            PlaySoundEffect(kBoughtSound);
            r.thanksTimer = kThanksTicks;
        }
    } else if ((pad.repeat & kPadLeft) && r.cursor > 0) {
        r.cursor -= 1;
        PlaySoundEffect(kSoundCursor);
        if (r.cursor < r.scrollTop) r.scrollTop = r.cursor;
    }
    if ((pad.repeat & kPadRight) && r.cursor < r.itemCount - 1) {
        r.cursor += 1;
        PlaySoundEffect(kSoundCursor);
        if (r.cursor > r.scrollTop + kItemsInView - 1) r.scrollTop += 1;
    }
}
