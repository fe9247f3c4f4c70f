// The stage index: one block of "idx/stage.idx" per stage, read once at start-up into a
// fixed table of records.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

constexpr int kStageRecords = 20;
constexpr int kStageMapNames = 20;
constexpr int kStageCameraNames = 2;
constexpr int kStageNameBytes = 256;
// The map types: one map mesh tiled as a looping floor, or a course built of placed map
// meshes, which does not loop.
constexpr int32_t kTiledFloorCourse = 1;
constexpr int32_t kPlacedMeshCourse = 2;
// The most floor tiles the floor drawing draws in a frame, across and along the course
// (4096 draws of the floor mesh at the most).
constexpr int32_t kFloorTileColumnsMax = 64;
constexpr int32_t kFloorTileRowsMax = 64;
// The texture colour operations a draw code names (0 .. 6).
constexpr int32_t kStageDrawCodes = 7;
// The farthest any size, distance or position of the index may reach: far beyond every
// stage, and near enough that squares and sums of such values stay finite floats.
constexpr float kStageReach = 1.0e7f;

struct StageInfo {
    int32_t mapType;  // 2: placed map meshes, no loop; other values: one tiled, looping floor
    char backgroundName[kStageNameBytes];
    int32_t stageNumber;
    int32_t hasBackground;
    char cameraNames[kStageCameraNames][kStageNameBytes];
    int32_t cameraCount;
    int32_t loopCamera;
    char mapNames[kStageMapNames][kStageNameBytes];
    int32_t mapCount;
    float tileWidth;  // mapx
    float tileDepth;  // mapz; also the course length in rail keys without a camera file
    float fogStart;
    float fogEnd;
    int32_t drawCode;  // texture colour operation of the world meshes
    int32_t farClip;
    int32_t tileColumns;  // mapnumx
    int32_t tileRows;     // mapnumz
    float scroll;         // travel per rail key without a camera file
    float floorHeight;    // mapposy
    float waterHeight;    // -1000: no water
    int32_t mapViewArea;  // draw distance of placed map meshes; below 1 no culling
    float sunPosition[3];
    int32_t sun;
    int32_t moon;
    int32_t fogColor[3];
    int32_t backColor[3];
    float lightDirection[3];
    float lightColor[3];
    float lightAmbient[3];
    int32_t scrollOffset;  // 1: objects are carried with the course's scroll offsets
    int32_t windLine;
    int32_t longLock;
    int32_t flying;
};

extern std::array<StageInfo, kStageRecords> gStageInfo;
// The stage being played; set by the stage's resource load.
extern StageInfo* gCurrentStage;

// A value the reader refused: its line (1 = first) and why ("mapnumz 100000 out of range
// 0..64").
constexpr int kStageIndexReasonBytes = 80;
struct StageIndexRefusal {
    int32_t line;
    char why[kStageIndexReasonBytes];
};
// The refusals kept (and told) of one file; further ones are only counted.
constexpr int32_t kStageIndexRefusalsKept = 8;

// What reading a stage index found.
struct StageIndexRead {
    bool stageFound;       // at least one block of a known code was read
    int32_t damagedLine;   // the first line holding bytes no text holds (1 = first), 0 for none
    int32_t refusedCount;  // values refused for their range
    StageIndexRefusal refused[kStageIndexRefusalsKept];
};

// Reads "idx/stage.idx" into the table and sets the stage count of the game state. A file
// that is missing, holds no stage or is damaged shows the "file not found" message with its
// name (a damaged one also says where) and leaves no stage. Each value refused for its range
// is told the same way with its line and why.
void LoadStageIndex();
// Reads an open stage index (the body of LoadStageIndex). A damaged file is read as none:
// every record empty, stage count 0. A numeric value outside what its field and the parts
// that use it can take (a number that is not finite, a size or distance beyond kStageReach,
// a tile count beyond what the floor drawing draws, a map type or draw code that names
// nothing, a colour beyond 0..255) is refused: the field keeps what it holds.
StageIndexRead ReadStageIndex(FILE* file);

// The stage index of a code "c-s" ("1-1" .. "6-3", "7-1"); -1 for any other text. Only the
// first three characters are compared.
int StageIndexFromCode(const char* code);
