// Helpers of the enemy tests: a stage made in memory (a straight camera rail along +z and a
// flat course at height 0), the pools emptied and the random numbers seeded, so that every
// test starts from the same known world.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/game_state.h"
#include "engine/random/random.h"
#include "engine/stagefiles/camera_path.h"
#include "engine/stagefiles/map_mesh.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "play/shots/shot_pool.h"
#include "play/waves/waves.h"
#include "world/course/collision.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"

namespace vqtest {

// Rail keys of the test stage: key k lies at (0, kRailHeight, k x kKeyLength).
constexpr int kRailKeys = 4000;
constexpr float kKeyLength = 10.0f;
constexpr float kRailHeight = 50.0f;
// The flat course spans x and z -kGround .. +kGround at height 0.
constexpr float kGround = 50000.0f;

class EnemyTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The map-mark spawners and model markers, as the program installs them at start-up.
        InstallEnemyHooks();
        std::memset(&stage_, 0, sizeof stage_);
        stage_.mapType = kPlacedMeshCourse;
        stage_.mapCount = 1;
        stage_.cameraCount = 1;
        stage_.stageNumber = 19;
        gCurrentStage = &stage_;
        gGameState.stage = 19;  // an empty wave list: no wave spawns unless a test asks
        gGameState.railSpeed = 0;
        gGameState.railSlot = 0;
        gGameState.weaponSelect = 0;
        gGameState.playerSetup = PlayerSetup::OnePlayer;
        gGameState.enemiesAppeared = 0;
        std::memset(gGameState.segmentOffset, 0, sizeof gGameState.segmentOffset);
        gGameState.cameraDirection = gfx::Identity();
        gGameState.cameraHeading = 0;
        gRailPosition = 1.0f;
        gCameraRail.keyCount[0] = gCameraRail.keyCount[1] = kRailKeys;
        gCameraRail.lookAt = 0;
        for (int k = 0; k < kRailKeys; ++k) {
            gCameraRail.cameraPath[0][k] = {0, kRailHeight, k * kKeyLength};
        }
        BuildFlatCourse();
        for (PlayerCraft& c : gPlayerCrafts) {
            c.position = {0, kRailHeight, 0};
            c.velocity = {0, 0, 0};
        }
        ResetEnemyGlobals();
        ResetShotPool();
        ResetParticlePool();
        SeedRandom(7);
    }
    void TearDown() override {
        gCurrentStage = nullptr;
        gMapPlacementSpawners = {};
        for (CollisionSegment& s : gCollisionSegments) s.count = 0;
    }

    // Two ground triangles (facing up) covering the course, in segment 0.
    void BuildFlatCourse() {
        for (CollisionSegment& s : gCollisionSegments) s.count = 0;
        const float g = kGround;
        gMapVertices[0] = {-g, 0, -g};
        gMapVertices[1] = {-g, 0, g};
        gMapVertices[2] = {g, 0, -g};
        gMapVertices[3] = {g, 0, g};
        gMapTriangles[0] = MapTriangle{{0, 1, 2}, 0, {0, 0, 0}};
        gMapTriangles[1] = MapTriangle{{2, 1, 3}, 0, {0, 0, 0}};
        BuildCollisionSegment(0, 2, 0);
    }

    // Claims a slot and makes it an active enemy of the type and behaviour.
    static Enemy* Spawn(int32_t type, int32_t behaviour) {
        Enemy* e = AllocEnemy();
        if (e && !ActivateEnemy(e, type, behaviour)) return nullptr;
        return e;
    }

    static int CountState(EnemyState state) {
        int n = 0;
        for (const Enemy& e : gEnemyPool) n += e.state == state ? 1 : 0;
        return n;
    }

    static int CountShots(int32_t kind = -1) {
        int n = 0;
        for (const Shot& s : gShotPool.shots) {
            if (s.kind != 0 && (kind < 0 || s.kind == kind)) ++n;
        }
        return n;
    }

    static int CountParticles(int32_t kind) {
        int n = 0;
        for (const Particle& p : gParticlePool.particles) n += p.kind == kind ? 1 : 0;
        return n;
    }

    StageInfo stage_;
};

}  // namespace vqtest
