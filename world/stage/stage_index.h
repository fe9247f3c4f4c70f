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
// The map type of a course built of placed map meshes, which does not loop; every other
// value is one map mesh tiled as a looping floor.
constexpr int32_t kPlacedMeshCourse = 2;
// The most floor tiles the floor drawing draws in a frame, across and along the course
// (4096 draws of the floor mesh at the most).
constexpr int32_t kFloorTileColumnsMax = 64;
constexpr int32_t kFloorTileRowsMax = 64;
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

// What the reader tells of a value it refused or changed: its line (1 = first) and what it
// did ("mapnumz 65 out of range 0..64, read as 64").
constexpr int kStageIndexMessageBytes = 80;
struct StageIndexValueMessage {
    int32_t line;
    char text[kStageIndexMessageBytes];
};
// The value messages kept (and told) of one file; further ones are only counted.
constexpr int32_t kStageIndexValueMessagesKept = 8;

// What reading a stage index found.
struct StageIndexRead {
    bool stageFound;      // at least one block of a known code was read
    int32_t damagedLine;  // the first line holding bytes no text holds (1 = first), 0 for none
    int32_t valueMessageCount;  // values refused or changed
    StageIndexValueMessage valueMessages[kStageIndexValueMessagesKept];
};

// Reads "idx/stage.idx" into the table and sets the stage count of the game state. A file
// that is missing, holds no stage or is damaged shows the "file not found" message with its
// name (a damaged one also says where) and leaves no stage. Each value refused or changed is
// told under its own caption with its line and what was done.
void LoadStageIndex();
// Reads an open stage index (the body of LoadStageIndex). A damaged file is read as none:
// every record empty, stage count 0. Map types, draw codes and colours take every integer as
// the C library reads it: the drawing tells a map type by whether it is 2, a draw code by its
// remainder by 7 and a colour channel by its low 8 bits. A floor tile count beyond what the
// floor drawing draws in a frame is clamped into it. A value the parts using it cannot take
// is refused, so that its field keeps what it holds: a real that is not finite, a size,
// distance or position beyond kStageReach (or an integer beyond the int range), a tile size
// below 1, a far clip short of the near plane, a light without a direction, a name longer
// than its field. Each refused or changed value gives one message.
StageIndexRead ReadStageIndex(FILE* file);

// The stage index of a code "c-s" ("1-1" .. "6-3", "7-1"); -1 for any other text. Only the
// first three characters are compared.
int StageIndexFromCode(const char* code);
