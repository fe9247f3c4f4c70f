// The boss encounters: one set-up and one per-tick routine for each stage that has a boss.
// The stage start calls the set-up, the game step the update, chosen by the stage number of
// the current stage record.
#pragma once

#include <cstdint>

void InitBossStage02();
void InitBossStage05();
void InitBossStage08();
void InitBossStage10();
void InitBossStage11();
void InitBossStage12();
void InitBossStage14();
void InitBossStage16();
void InitBossStage17();
void InitBossStage18();

void UpdateBossStage02();
void UpdateBossStage05();
void UpdateBossStage08();
void UpdateBossStage10();
void UpdateBossStage11();
void UpdateBossStage12();
void UpdateBossStage14();
void UpdateBossStage16();
void UpdateBossStage17();
void UpdateBossStage18();
