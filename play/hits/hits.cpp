#include "play/hits/hits.h"

#include "play/shots/shot_pool.h"

int32_t gPlayerHitFlag;

float DamageFactor(PlayerSetup setup) {
    switch (setup) {
        case PlayerSetup::ComputerPartner:
            return 0.8f;
        case PlayerSetup::TwoPlayers:
            return 0.6f;
        default:
            return 1.0f;
    }
}

bool IsKnockDownKind(int32_t kind) {
    switch (kind) {
        case 16:
        case 21:
        case 22:
        case 23:
        case 27:
        case 30:
            return true;
        default:
            return false;
    }
}

bool IsLockOnKind(int32_t kind) {
    switch (kind) {
        case 2:
        case 5:
        case 6:
        case 8:
        case 9:
        case 32:
            return true;
        default:
            return false;
    }
}

int ResolveShotHits(Shot*) {
    return 0;
}

void UpdateCombo() {}
