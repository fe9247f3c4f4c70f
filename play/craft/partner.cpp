#include "play/craft/partner.h"

PartnerAutopilot gPartnerAutopilot;

void DrivePartnerInput() {}
void StepPartnerWeaponSelect() {}
void StepPartnerAutopilot() {}
uint8_t PartnerHeldBits(int, uint8_t) {
    return 0;
}

void ResetPartnerAutopilot() {
    gPartnerAutopilot.weaveTicks = 0;
    gPartnerAutopilot.selectTicks = 0;
}

void ResetPartnerGlobals() {
    gPartnerAutopilot = {};
}
