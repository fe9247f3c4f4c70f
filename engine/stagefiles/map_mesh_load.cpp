// The map reader's hand-over to the course collision. Kept apart from the reader so that
// programs using the reader alone do not need the collision.
#include <cstdio>

#include "engine/core/context.h"
#include "engine/core/message_box.h"
#include "engine/overlay/fade.h"
#include "engine/stagefiles/map_mesh.h"

int LoadShipPartMesh(const char* path, int slot) {
    if (slot < 0 || slot >= kMapSlots) return 0;
    MapMeshCounts counts;
    MapReadResult result = ReadMapMesh(path, &counts);
    if (result == MapReadResult::Missing) return 0;
    // A map beyond the tables cannot be kept: the user is told which file, as for a map
    // that cannot be loaded for drawing.
    if (result == MapReadResult::TooLarge) ShowMessageBox(path, kFileOpenErrorCaption);

    char text[32];
    std::snprintf(text, sizeof text, "VERT:%d", counts.vertices);
    PutDebugText(0, 5, text);
    std::snprintf(text, sizeof text, "POLY:%d", counts.triangles);
    PutDebugText(0, 6, text);
    std::snprintf(text, sizeof text, "ENEM:%d", counts.enemies);
    PutDebugText(0, 7, text);
    // A refused file leaves no collision rather than a part of it or the previous stage's.
    BuildCollisionSegment(0, counts.triangles, slot);
    return 1;
}
