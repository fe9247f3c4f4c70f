#include "engine/core/context.h"

#include <cstdio>

#include "platform/system/system.h"

PlatformContext gPlatform;
GraphicsContext gGraphics;

const char* GetProgramDirectory() {
    std::snprintf(gPlatform.programDirectory, sizeof gPlatform.programDirectory, "%s",
                  sys::ProgramDirectory());
    return gPlatform.programDirectory;
}
