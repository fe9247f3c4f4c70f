#include "play/step/run_start.h"

void ResetRunState() {}
void StartStage() {}
void StartStageOnMainThread() {}
