// The music choice asks the title whether a select panel is open. Until the title scene
// defines IsSelectPanelOpen itself, this stand-in answers that none is; the title's
// definition replaces it at link time.
#include "engine/sound/sound.h"

[[gnu::weak]] int IsSelectPanelOpen() {
    return 0;
}
