#include "play/shots/shot_flight.h"

void UpdateShots() {}
