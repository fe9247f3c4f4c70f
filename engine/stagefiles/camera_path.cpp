#include "engine/stagefiles/camera_path.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/message_box.h"
#include "engine/stagefiles/text_parse.h"
#include "platform/system/system.h"
#include "platform/text/cp932.h"

CameraRail gCameraRail;

namespace {

constexpr auto kFileNotFound = text::Cp932(u8"ファイルが見つかりません");
constexpr size_t kLineBytes = 512;

CameraPathCounts gLastCounts;

// Where the reader stands among the file's blocks (the states of the block walk).
enum State : int {
    kWaitRotation = 0,
    kRotationType = 1,
    kRotationCount = 2,
    kRotationKeys = 3,
    kWaitSecond = 4,
    kWaitCamera = 5,
    kCameraType = 6,
    kCameraCount = 7,
    kCameraKeys = 8,
    kWaitFourth = 9,
    kWaitFifth = 10,
    kWaitTarget = 11,
    kTargetType = 12,
    kTargetCount = 13,
    kTargetKeys = 14,
    kDone = 15,
};

// Reads the values of a key line: behind the second ';' the first value, then each further
// one behind the next ','. False when a separator is missing from the line.
bool ReadKeyValues(const char* p, float* out, int count) {
    for (int s = 0; s < 2; ++s) {
        p = std::strchr(p, ';');
        if (!p) return false;
        ++p;
    }
    return ReadSeparatedReals(p, ',', out, count);
}

bool IsBlockStart(const char* line) {
    return MatchPrefix(line, "  AnimationKey {", 16) == 1;
}

bool IsBlockEnd(const char* line) {
    return MatchPrefix(line, "  }", 3) == 1;
}

}  // namespace

CameraPathCounts LastCameraPathCounts() {
    return gLastCounts;
}

void ResetCameraPathCounts() {
    gLastCounts = CameraPathCounts{};
}

void ReadAnimationKeys(const char* data, size_t size, int slot) {
    if (slot < 0 || slot >= kRailSlots) return;
    if (!data) size = 0;
    gCameraRail.lookAt = 0;
    CameraPathCounts counts{0, 0, 0};
    int state = kWaitRotation;
    char line[kLineBytes];
    size_t pos = 0;
    while (pos < size && data[pos] != 0 && state != kDone) {
        // A line runs up to and including the first NUL, CR or LF; longer lines are cut.
        size_t len = 0;
        while (pos + len < size && len < kLineBytes - 1) {
            char c = data[pos + len++];
            if (c == 0 || c == '\r' || c == '\n') break;
        }
        std::memcpy(line, data + pos, len);
        line[len] = 0;
        pos += len;
        if (line[0] == '\r' || line[0] == '\n' || line[0] == '/' || line[0] == 0) continue;

        switch (state) {
            case kWaitRotation:
            case kWaitSecond:
            case kWaitCamera:
            case kWaitFifth:
            case kWaitTarget:
                if (IsBlockStart(line)) ++state;
                break;
            case kWaitFourth:
                if (IsBlockStart(line)) {
                    gCameraRail.lookAt = 1;
                    ++state;
                }
                break;
            case kRotationType:
            case kRotationCount:
            case kCameraType:
            case kCameraCount:
            case kTargetType:
            case kTargetCount:
                ++state;
                break;
            case kRotationKeys: {
                if (IsBlockEnd(line)) {
                    ++state;
                    break;
                }
                float v[4];
                if (!ReadKeyValues(line, v, 4) || counts.rotation >= kRailRotationKeys) break;
                std::memcpy(gCameraRail.rotationKeys[slot][counts.rotation++], v, sizeof v);
                break;
            }
            case kCameraKeys:
            case kTargetKeys: {
                if (IsBlockEnd(line)) {
                    state = state == kCameraKeys ? kWaitFourth : kDone;
                    break;
                }
                float v[3];
                int32_t& n = state == kCameraKeys ? counts.camera : counts.target;
                if (!ReadKeyValues(line, v, 3) || n >= kRailPositionKeys) break;
                gfx::Vec3* path = state == kCameraKeys ? gCameraRail.cameraPath[slot]
                                                       : gCameraRail.targetPath[slot];
                path[n++] = gfx::Vec3{v[0], v[1], v[2]};
                break;
            }
            default:
                break;
        }
    }
    gLastCounts = counts;
    // A looked-at frame without position keys (its block missing or empty) gives nothing to
    // look at: the camera is turned by its rotation keys as in a file without one.
    if (gCameraRail.lookAt && counts.target == 0) gCameraRail.lookAt = 0;
    // The rail uses the camera keys and either the target keys or the rotation keys.
    int32_t other = gCameraRail.lookAt ? counts.target : counts.rotation;
    gCameraRail.keyCount[0] = std::min(counts.camera, other);
}

void LoadAnimationKeys(const char* path, int slot) {
    if (slot < 0 || slot >= kRailSlots) return;
    FILE* file = sys::OpenDataFile(path, "rb");
    if (!file) {
        ShowMessageBox(path ? path : "", kFileNotFound.c_str());
        gCameraRail.keyCount[0] = 0;
        gCameraRail.lookAt = 0;
        gLastCounts = CameraPathCounts{0, 0, 0};
        return;
    }
    std::vector<char> data;
    long length = sys::FileLength(file);
    if (length > 0) data.resize(static_cast<size_t>(length));
    size_t got = data.empty() ? 0 : std::fread(data.data(), 1, data.size(), file);
    std::fclose(file);
    ReadAnimationKeys(data.data(), got, slot);
}
