// The wave timetable, the map-placed enemies and the model markers of the stage loader.
#include "play/waves/waves.h"

#include <cmath>
#include <cstdio>

#include "engine/core/game_state.h"
#include "engine/overlay/fade.h"
#include "engine/random/random.h"
#include "engine/stagefiles/camera_path.h"
#include "play/enemies/enemy_pool.h"
#include "play/waves/tables/wave_tables.h"
#include "world/course/collision.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_resources.h"

WaveState gWaveState;

namespace {

constexpr float kPi = gfx::kPi;

// Lowers a point onto the course below it (a ray of 1000 units straight down).
void DropOntoCourse(gfx::Vec3* p) {
    float t = 0;
    if (RaycastCourse(p->x, p->y, p->z, 0, -1000.0f, 0, &t)) p->y -= 1000.0f * t;
}

// The formation placement of member i of a group of n.
void PlaceWaveMember(Enemy* e, const WaveEntry& w, int i, float r1, float r2, int32_t q) {
    const int n = w.count;
    const int k = (i + 1) / 2;
    const float s = (i % 2 == 1) ? -1.0f : 1.0f;
    const float fk = static_cast<float>(k);
    const float fi = static_cast<float>(i);
    auto u = [] { return RandomUnit() - 0.5f; };  // a fresh draw, centred
    gfx::Vec3& o = e->formationOffset;
    switch (w.behaviour) {
        case 0:
        case 1: {
            float y = 10.0f * u();
            float x = (w.side == 1 || (w.side == 0 && (q & 1))) ? 80.0f : -80.0f;
            o = gfx::Vec3{x, y, -30.0f};
            e->spawnDelay = 15 * i;
            break;
        }
        case 2: {
            if (w.variant == 0) {
                o = gfx::Vec3{80.0f * (r1 - 0.5f) + 15.0f * fk * s, 20.0f * (r2 - 0.5f),
                              1000.0f + 20.0f * fk};
            } else if (w.variant == 1) {
                float x = 80.0f * (r1 - 0.5f) + 10.0f * fi - 15.0f + 20.0f * u();
                float y = 20.0f * (r2 - 0.5f) + 4.0f * u();
                o = gfx::Vec3{x, y, 1000.0f};
            } else {
                float y = 20.0f * (r2 - 0.5f) + 4.0f * u();
                o = gfx::Vec3{80.0f * (r1 - 0.5f) + 10.0f * fk * s, y, 1000.0f};
            }
            e->side = r1 >= 0.5f ? 0 : 1;
            e->heading = kPi;
            break;
        }
        case 3: {
            if (w.variant == 0) {
                float x = 80.0f * (r1 - 0.5f) + 20.0f * fk * s + 4.0f * u();
                float y = 40.0f * (r2 - 0.5f) + 4.0f * u();
                o = gfx::Vec3{x, y, 1000.0f + 40.0f * fk};
            } else if (w.variant == 1) {
                float x = 80.0f * (r1 - 0.5f) + 4.0f * u();
                float y = 40.0f * (r2 - 0.5f) + 20.0f * fk * s + 4.0f * u();
                o = gfx::Vec3{x, y, 1000.0f};
                e->spawnDelay = 5 * i;
            } else {
                float x = 80.0f * (r1 - 0.5f) + 20.0f * u();
                float y = 80.0f * (r2 - 0.5f) + 4.0f * u();
                o = gfx::Vec3{x, y, 1000.0f};
            }
            e->side = r1 >= 0.5f ? 0 : 1;
            e->heading = 0;
            break;
        }
        case 4:
        case 5: {
            const bool five = w.behaviour == 5;
            if (w.variant == 2) {
                o = gfx::Vec3{80.0f * (r1 - 0.5f) + 30.0f * fk * s,
                              (five ? 80.0f : 20.0f) * (r2 - 0.5f), 1000.0f};
            } else if (w.variant == 3) {
                float a = 2.0f * kPi * fi / static_cast<float>(n);
                o = gfx::Vec3{80.0f * std::sin(a), 80.0f * std::cos(a), 1000.0f};
            } else if (w.variant == 0) {
                if (five) {
                    o = gfx::Vec3{80.0f * (r1 - 0.5f) + 10.0f * fk * s, 80.0f * (r2 - 0.5f),
                                  1000.0f + 20.0f * fk};
                } else {
                    o = gfx::Vec3{40.0f * (r1 - 0.5f) + 10.0f * fk * s, 20.0f * (r2 - 0.5f),
                                  1000.0f + 20.0f * fk};
                }
            } else {
                float y = (five ? 80.0f : 20.0f) * (r2 - 0.5f) + 4.0f * u();
                float wd = five ? 40.0f : 20.0f;
                float x;
                if (w.side == 1) {
                    x = wd * (r1 - 1.0f) + 20.0f * u();
                } else if (w.side == 2) {
                    x = wd * r1 + 20.0f * u();
                } else {
                    x = 2.0f * wd * (r1 - 0.5f) + 20.0f * u();
                }
                o = gfx::Vec3{x, y, 1000.0f};
                e->spawnDelay = 15 * i;
            }
            e->heading = 0;
            break;
        }
        case 7:
        case 14: {
            e->spawnDelay = 0;
            gfx::Vec3 p = RailPoint(200);
            gfx::Vec3 nextPoint = RailPoint(201);
            float yaw = std::atan2(nextPoint.x - p.x, nextPoint.z - p.z);
            float d = 20.0f * fi - 10.0f * static_cast<float>(n - 1);
            e->yaw = yaw;
            e->basePosition = gfx::Vec3{p.x + d * std::cos(yaw), p.y, p.z - d * std::sin(yaw)};
            if (e->type == 5) e->yaw += kPi;
            DropOntoCourse(&e->basePosition);
            break;
        }
        case 11: {
            float x = w.side == 1 ? 20.0f * u() - 40.0f : 20.0f * u() + 40.0f;
            float y = 80.0f * (r2 - 0.5f) + 4.0f * u();
            o = gfx::Vec3{x, y, 1500.0f};
            if (w.side == 1) {
                e->side = 1;
                e->heading = 1.1f * kPi;
            } else {
                e->side = 0;
                e->heading = 0.9f * kPi;
            }
            break;
        }
        case 12:
            o = gfx::Vec3{30.0f * fi - 15.0f, 10.0f, 100.0f};
            e->spawnDelay = 0;
            break;
        case 16: {
            float x = 10.0f * (r1 - 0.5f) + 10.0f * fk * s - 40.0f;
            if (w.side == 1) x = -x;
            o = gfx::Vec3{x, 10.0f * (r2 - 0.5f) - 40.0f, 1000.0f + 20.0f * fk};
            e->side = w.side == 1 ? 1 : 0;
            e->spawnDelay = 5 * i;
            e->heading = 0;
            break;
        }
        case 17: {
            e->side = i;
            e->counter = n;
            float a = 2.0f * kPi * fi / static_cast<float>(n);
            o = gfx::Vec3{80.0f * std::sin(a), 80.0f * std::cos(a), -30.0f};
            e->spawnDelay = i;
            break;
        }
        case 18:
            o = gfx::Vec3{0, 80.0f, -30.0f};
            e->spawnDelay = 15 * i;
            e->side = w.side == 1 ? 0 : 1;
            break;
        case 22:
        case 24:
        case 25: {
            if (w.behaviour == 22) {
                o = gfx::Vec3{-300.0f - 20.0f * fk, 0, 15.0f * fk * s - 200.0f};
            } else if (w.behaviour == 24) {
                o = gfx::Vec3{-70.0f - 30.0f * fi, 80.0f * (r2 - 0.5f), -40.0f};
            } else {
                o = gfx::Vec3{-100.0f - 20.0f * fk, 0, 15.0f * fk * s};
            }
            e->side = w.side == 2 ? 1 : 0;
            if (e->side == 1) o.x = -o.x;
            break;
        }
        default:
            break;
    }
}

}  // namespace

void SpawnWaveGroup(const WaveEntry& w) {
    float r1 = RandomUnit();
    float r2 = RandomUnit();
    int32_t q = RandomInt();
    for (int i = 0; i < w.count; ++i) {
        Enemy* e = AllocEnemy();
        if (!e) continue;
        if (!ActivateEnemy(e, i == 0 ? w.firstType : w.memberType, w.behaviour)) continue;
        e->fireMode = i == 0 ? w.firstFireMode : w.memberFireMode;
        e->speedBonus = w.speedBonus;
        PlaceWaveMember(e, w, i, r1, r2, q);
        UpdateEnemyWorldPoints(e);
    }
}

namespace {

const WaveList* CurrentWaveList() {
    int32_t stage = gGameState.stage;
    if (stage < 0 || stage >= kWaveListCount) return nullptr;
    return &kWaveTable[stage];
}

}  // namespace

void SpawnEnemyWaves() {
    gWaveState.frame += 1;
    char text[32];
    std::snprintf(text, sizeof text, "ENFRAME %d   ", gWaveState.frame);
    PutDebugText(40, 0, text);

    const WaveList* list = CurrentWaveList();
    if (!list) return;
    int32_t loop = kWaveLoopFrames[gGameState.stage];
    int32_t limit = loop < 1 ? gCameraRail.keyCount[0] : loop;
    if (gWaveState.frame > limit) {
        gWaveState.frame = 0;
        gWaveState.cursor = 0;
    }
    if (gWaveState.cursor < 0 || gWaveState.cursor >= kWaveListLength) return;
    const WaveEntry& entry = (*list)[gWaveState.cursor];
    if (entry.spawnFrame != gWaveState.frame) return;
    gWaveState.cursor += 1;
    SpawnWaveGroup(entry);
}

void MarkStageEnemyModels() {
    const WaveList* list = CurrentWaveList();
    if (!list) return;
    for (const WaveEntry& entry : *list) {
        if (entry.spawnFrame == kWaveEnd) break;
        for (int32_t type : {entry.firstType, entry.memberType}) {
            if (type < 0 || type >= kDefinedEnemyTypes) continue;
            int32_t model = gEnemyTypeTable[type].model;
            if (model != -1) MarkEnemyModelNeeded(model);
        }
    }
}

void MarkPlacedEnemyModels() {
    for (const Enemy& e : gEnemyPool) {
        if (e.state == EnemyState::Free) continue;
        const EnemyType* type = EnemyTypeOf(e);
        if (type && type->model != -1) MarkEnemyModelNeeded(type->model);
    }
}

void SpawnEnemyOnPolygon(const CollisionPolygon& polygon, int32_t type, int32_t segment) {
    const float* vx = polygon.vx;
    const float* vy = polygon.vy;
    const float* vz = polygon.vz;
    gfx::Vec3 c{-(vx[0] + vx[1] + vx[2]) / 3.0f, (vy[0] + vy[1] + vy[2]) / 3.0f,
                (vz[0] + vz[1] + vz[2]) / 3.0f};
    gfx::Vec3 e1{polygon.ex[0], polygon.ey[0], polygon.ez[0]};
    gfx::Vec3 e2{polygon.ex[1], polygon.ey[1], polygon.ez[1]};
    gfx::Vec3 n = gfx::Cross(e1, e2);
    // The rim vertex: the last vertex below the centroid (above it when the polygon faces
    // up). A polygon with none (all vertices at the centroid's height) faces along the
    // course: the rim is then taken straight ahead of the centroid, giving a yaw of pi/2.
    gfx::Vec3 rim{c.x, c.y, c.z - 1.0f};
    for (int k = 0; k < 3; ++k) {
        bool beyond = n.y <= 0 ? vy[k] < c.y : vy[k] > c.y;
        if (beyond) rim = gfx::Vec3{-vx[k], vy[k], vz[k]};
    }
    if (segment < 0 || segment >= kMapSegments) return;
    Enemy* e = AllocEnemy();
    if (!e) return;
    int32_t behaviour = type == 6 ? 6 : (type == 17 ? 23 : 7);
    if (!ActivateEnemy(e, type, behaviour)) return;
    if (type == 18) {
        e->yaw = e->roll = e->pitch = 0;
        if (n.y > 0) e->pitch = kPi;
    } else {
        e->pitch = 0;
        e->roll = n.y <= 0 ? -0.1f * kPi : 1.1f * kPi;
        e->yaw = std::atan2(c.x - rim.x, c.z - rim.z) + kPi / 2;
    }
    e->segmentBound = 1;
    e->segment = segment;
    e->hitBlink = 0;
    e->basePosition = c;
    UpdateEnemyWorldPoints(e);
}

void SpawnEnemyAtPoint(const gfx::Vec3& p, const gfx::Vec3& m, int32_t type, int32_t segment) {
    if (segment < 0 || segment >= kMapSegments) return;
    Enemy* e = AllocEnemy();
    if (!e) return;
    if (!ActivateEnemy(e, type, type == 6 ? 6 : 7)) return;
    e->pitch = std::atan2(m.z, -m.y);
    e->roll = std::atan2(m.x, -m.y);
    e->yaw = kPi;
    e->segmentBound = 1;
    e->segment = segment;
    e->hitBlink = 0;
    e->basePosition = p;
    e->fireTimer = RandomInt() % 150;
    UpdateEnemyWorldPoints(e);
}

void InstallEnemyHooks() {
    gMapPlacementSpawners.atPoint = [](const gfx::Vec3& centre, const gfx::Vec3& orientation,
                                       int type, int segment) {
        SpawnEnemyAtPoint(centre, orientation, type, segment);
    };
    gMapPlacementSpawners.onPolygon = [](const CollisionPolygon& polygon, int type, int segment) {
        SpawnEnemyOnPolygon(polygon, type, segment);
    };
    gStageEnemyModelMarkers.markWaveModels = MarkStageEnemyModels;
    gStageEnemyModelMarkers.markPlacedModels = MarkPlacedEnemyModels;
}
