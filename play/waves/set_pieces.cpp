// The set pieces of each stage, placed once at stage start after the map-placed enemies.
#include <cmath>

#include "engine/core/game_state.h"
#include "engine/random/random.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "play/waves/tables/wave_tables.h"
#include "play/waves/waves.h"
#include "world/course/collision.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"

Stage8SetPieceSlots gStage8SetPieceSlots = {{-1, -1, -1, -1}, {-1, -1, -1}};

namespace {

constexpr float kPi = gfx::kPi;

// The course's heading between rail keys k and k + 1.
float RailYaw(float k, gfx::Vec3* at) {
    gfx::Vec3 p = RailPoint(k);
    gfx::Vec3 q = RailPoint(k + 1);
    if (at) *at = p;
    return std::atan2(q.x - p.x, q.z - p.z);
}

void DropOntoCourse(gfx::Vec3* p) {
    float t = 0;
    if (RaycastCourse(p->x, p->y, p->z, 0, -1000.0f, 0, &t)) p->y -= 1000.0f * t;
}

// Claims a slot for a set piece: active, with its type's full hit points and no spawn delay.
// Null when the pool is full or the type is not in the table.
Enemy* SpawnPiece(int32_t type, int32_t behaviour) {
    Enemy* e = AllocEnemy();
    if (!e) return nullptr;
    if (!ActivateEnemy(e, type, behaviour)) return nullptr;
    e->spawnDelay = 0;
    return e;
}

// A boss body standing on course segment 0.
void SpawnSegmentBoss(int32_t type, int32_t behaviour, const gfx::Vec3& base) {
    Enemy* e = SpawnPiece(type, behaviour);
    if (!e) return;
    e->segmentBound = 1;
    e->segment = 0;
    e->counter = 0;
    e->yaw = 0;
    e->basePosition = base;
}

// A part mounted on the enemy in pool slot `parent` at the given offset.
Enemy* SpawnMountedPart(int32_t type, int32_t parent, const gfx::Vec3& offset,
                        int32_t untargetable) {
    Enemy* e = SpawnPiece(type, 13);
    if (!e) return nullptr;
    e->untargetable = untargetable;
    e->counter = 0;
    e->parent = parent;
    e->formationOffset = offset;
    return e;
}

// Scenery figures on the course beside the rail, each on a random side: stage 1-1's stand 20
// to 40 units out at every 37th rail key; stage 4-1's (wide) 110 units out at every 18th key,
// dropped from 40 units above the rail.
void SpawnSceneryFigures(int count, bool wide) {
    for (int i = 0; i < count; ++i) {
        float key = wide ? static_cast<float>(18 * i) : static_cast<float>(37 * i);
        gfx::Vec3 p{};
        float a = RailYaw(key, &p);
        float d = wide ? 110.0f : 20.0f * (RandomUnit() + 1.0f);
        if (RandomInt() & 1) d = -d;
        gfx::Vec3 point{p.x + d * std::cos(a), wide ? p.y + 40.0f : p.y, p.z - d * std::sin(a)};
        DropOntoCourse(&point);
        SpawnParticleBurst(nullptr, point.x, point.y, point.z,
                           particle_kind::kVillagerFirst + i % 5, 1.0f, 1);
    }
}

void SpawnStage2Fortress() {
    const SetPieceTables& t = kSetPieceTables;
    for (int i = 0; i < 20; ++i) {
        Enemy* e = SpawnPiece(t.stage2PartTypes[i], 10);
        if (!e) continue;
        const StagePartPlacement& p = t.stage2Placements[i];
        e->segmentBound = 1;
        e->segment = 0;
        e->basePosition = gfx::Vec3{p.x, p.y, p.z};
        e->pitch = p.pitch;
        e->yaw = p.yaw;
        e->roll = p.roll;
        e->age = 34 * i;
        e->animationClock = 85 * i;
        UpdateEnemyWorldPoints(e);
    }
}

void SpawnStage8Boss() {
    const SetPieceTables& t = kSetPieceTables;
    Stage8SetPieceSlots& slots = gStage8SetPieceSlots;
    gfx::Vec3 p{};
    float yaw = RailYaw(300, &p) + kPi;
    for (int i = 0; i < 4; ++i) {
        slots.segments[i] = -1;
        Enemy* e = SpawnPiece(8 + i, 8);
        if (!e) continue;
        e->counter = 25 * i;
        e->untargetable = 1;
        e->yaw = yaw;
        e->basePosition = p;
        slots.segments[i] = EnemyIndex(*e);
    }
    for (int i = 0; i < 3; ++i) {
        slots.mounts[i] = -1;
        Enemy* e = SpawnMountedPart(49, slots.segments[i + 1], gfx::Vec3{0, -5, 0}, i == 2 ? 0 : 1);
        if (e) slots.mounts[i] = EnemyIndex(*e);
    }
    for (int i = 0; i < 13; ++i) {
        Enemy* e = SpawnMountedPart(t.stage8PartTypes[i], slots.segments[0],
                                    t.stage8OffsetsSegment0[i], 1);
        if (e) e->fireTimer = RandomInt() & 127;
    }
    for (int i = 0; i < 11; ++i) {
        SpawnMountedPart(t.stage8PartTypes[13 + i], slots.segments[1], t.stage8OffsetsSegment1[i],
                         1);
    }
    SpawnMountedPart(44, slots.segments[2], gfx::Vec3{0, 20, 0}, 1);
    for (int i = 0; i < 6; ++i) {
        SpawnMountedPart(45, slots.segments[3], t.stage8OffsetsSegment3[i], 1);
    }
}

void SpawnStage10Columns() {
    const SetPieceTables& t = kSetPieceTables;
    for (int i = 0; i < 10; ++i) {
        Enemy* e = SpawnPiece(28 + i, 7);
        if (!e) continue;
        e->segmentBound = 1;
        e->segment = t.stage10Segments[i];
        e->yaw = e->pitch = e->roll = 0;
        e->age = 34 * i;
        e->basePosition = t.stage10Positions[i];
    }
}

void SpawnStage13Turrets() {
    const SetPieceTables& t = kSetPieceTables;
    for (int g = 0; g < 12; ++g) {
        for (int j = 0; j < 3; ++j) {
            Enemy* e = SpawnPiece(4, 23);
            if (!e) continue;
            e->yaw = e->pitch = e->roll = 0;
            e->age = 34 * g;
            float a = 2.0f * kPi * static_cast<float>(j) / 3.0f;
            const gfx::Vec3& c = t.stage13GroupCentres[g];
            e->basePosition =
                gfx::Vec3{c.x + 20.0f * std::sin(a), c.y + 30.0f, c.z + 20.0f * std::cos(a)};
            DropOntoCourse(&e->basePosition);
        }
    }
}

void SpawnStage16Boss() {
    SpawnParticleBurst(nullptr, 0, 0, 0, particle_kind::kFigure, 1.0f, 1);
    const gfx::Vec3 base{0, -20.0f, 0};
    struct Member {
        int32_t behaviour, type, untargetable;
    };
    constexpr Member kMembers[] = {{15, 15, 0}, {26, 57, 1}, {27, 56, 1}};
    for (int i = 0; i < 3; ++i) {
        Enemy* e = SpawnPiece(kMembers[i].type, kMembers[i].behaviour);
        if (!e) continue;
        e->untargetable = kMembers[i].untargetable;
        e->segmentBound = 1;
        e->segment = 0;
        e->counter = 25 * i;
        e->yaw = 0;
        e->basePosition = base;
    }
}

void SpawnStage17Boss() {
    Enemy* e = SpawnPiece(16, 19);
    if (!e) return;
    e->counter = 125;
    gfx::Vec3 p{};
    e->yaw = RailYaw(100, &p);
    e->basePosition = p;
}

}  // namespace

void SpawnStageSetPieces() {
    const StageInfo* stage = gCurrentStage;
    if (!stage) return;
    switch (stage->stageNumber) {
        case 0:
            SpawnSceneryFigures(100, false);
            break;
        case 9:
            SpawnSceneryFigures(200, true);
            break;
        case 2:
            SpawnStage2Fortress();
            break;
        case 5:
            if (Enemy* e = SpawnPiece(50, 20)) e->counter = 0;
            break;
        case 8:
            SpawnStage8Boss();
            break;
        case 10:
            SpawnStage10Columns();
            break;
        case 11:
            SpawnSegmentBoss(12, 9, gfx::Vec3{0, -650.0f, -4250.0f});
            break;
        case 12:
            if (Enemy* e = SpawnPiece(51, 21)) e->counter = 0;
            break;
        case 13:
            SpawnStage13Turrets();
            break;
        case 14:
            SpawnSegmentBoss(13, 9, gfx::Vec3{0, -100.0f, 0});
            break;
        case 16:
            SpawnStage16Boss();
            break;
        case 17:
            SpawnStage17Boss();
            break;
        default:
            break;
    }
}
