#include "platform/gfx/device.h"

namespace gfx {

Device* CreateGl33Device(GlSurface*, const PresentParams&) {
    return nullptr;
}

GlSurface* CreateHeadlessGlSurface() {
    return nullptr;
}

}  // namespace gfx
