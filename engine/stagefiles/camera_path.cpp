#include "engine/stagefiles/camera_path.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/core/context.h"
#include "engine/core/message_box.h"
#include "engine/stagefiles/text_parse.h"
#include "platform/system/system.h"

CameraRail gCameraRail;

namespace {

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

bool IsBlockStart(const char* line) {
    return MatchPrefix(line, "  AnimationKey {", 16) == 1;
}

bool IsBlockEnd(const char* line) {
    return MatchPrefix(line, "  }", 3) == 1;
}

const char* SkipBlanks(const char* p) {
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

// The end of a block whose lines are passed over: a closing brace on any column. Nothing of
// such a block is read, so only a file cut inside it (no brace at all) is damaged.
bool IsIgnoredBlockEnd(const char* line) {
    return *SkipBlanks(line) == '}';
}

// A block's key count line: a whole number of at least 0 and its ';'.
bool ReadCountLine(const char* line, int32_t* count) {
    const char* end = nullptr;
    int32_t n = 0;
    if (!ParseDecimalInt(line, &n, &end) || n < 0 || *SkipBlanks(end) != ';') return false;
    *count = n;
    return true;
}

// A key line: the time (not used) and the value count, each ended by ';', then the values,
// separated by ',' and ended by ';'.
CameraPathDamage ReadKeyLine(const char* line, float* out, int count) {
    const char* p = std::strchr(line, ';');
    int32_t values = 0;
    const char* end = nullptr;
    if (!p || !ParseDecimalInt(p + 1, &values, &end) || *(end = SkipBlanks(end)) != ';') {
        return CameraPathDamage::UnreadableKey;
    }
    if (values != count) return CameraPathDamage::WrongValueCount;
    p = end + 1;
    for (int k = 0; k < count; ++k) {
        if (!ParseDecimalReal(p, &out[k], &end)) return CameraPathDamage::UnreadableNumber;
        end = SkipBlanks(end);
        if (*end != (k + 1 < count ? ',' : ';')) return CameraPathDamage::UnreadableNumber;
        p = end + 1;
    }
    return CameraPathDamage::None;
}

// Inside the blocks whose keys are read: the file must not end there.
bool IsInsideReadBlock(int state) {
    return (state >= kRotationType && state <= kRotationKeys) ||
           (state >= kCameraType && state <= kCameraKeys) ||
           (state >= kTargetType && state <= kTargetKeys);
}

// A damaged file is used as a missing one.
void EmptyRail() {
    gCameraRail.keyCount[0] = 0;
    gCameraRail.lookAt = 0;
    gLastCounts = CameraPathCounts{0, 0, 0};
}

}  // namespace

const char* DescribeCameraPathDamage(CameraPathDamage damage) {
    switch (damage) {
        case CameraPathDamage::None:
            return nullptr;
        case CameraPathDamage::NoCameraKeys:
            return "no camera keys";
        case CameraPathDamage::UnreadableCount:
            return "unreadable key count";
        case CameraPathDamage::UnreadableKey:
            return "unreadable key";
        case CameraPathDamage::WrongValueCount:
            return "wrong number of values";
        case CameraPathDamage::UnreadableNumber:
            return "unreadable number";
        case CameraPathDamage::KeyCountDiffers:
            return "keys differ from their count";
        case CameraPathDamage::CutShort:
            return "file ends inside a block";
    }
    return "damaged";
}

CameraPathCounts LastCameraPathCounts() {
    return gLastCounts;
}

void ResetCameraPathCounts() {
    gLastCounts = CameraPathCounts{};
}

CameraPathRead ReadAnimationKeys(const char* data, size_t size, int slot) {
    if (slot < 0 || slot >= kRailSlots) return CameraPathRead{CameraPathDamage::None, 0};
    if (!data) size = 0;
    gCameraRail.lookAt = 0;
    CameraPathCounts counts{0, 0, 0};
    int state = kWaitRotation;
    bool ignoredBlockOpen = false;  // inside the second, fourth or fifth block
    int32_t declared = 0;           // the key count of the block being read
    int32_t keyLines = 0;           // its key lines, those beyond a table's room included
    int32_t lineNumber = 1;
    CameraPathRead result{CameraPathDamage::None, 0};
    auto damage = [&](CameraPathDamage d) { result = CameraPathRead{d, lineNumber}; };
    char line[kLineBytes];
    size_t pos = 0;
    while (pos < size && data[pos] != 0 && state != kDone &&
           result.damage == CameraPathDamage::None) {
        // A line runs up to and including the first NUL, CR or LF; longer lines are cut.
        size_t len = 0;
        char last = 0;
        while (pos + len < size && len < kLineBytes - 1) {
            last = data[pos + len++];
            if (last == 0 || last == '\r' || last == '\n') break;
        }
        std::memcpy(line, data + pos, len);
        line[len] = 0;
        pos += len;
        int32_t at = lineNumber;
        if (last == '\n') ++lineNumber;
        if (line[0] == '\r' || line[0] == '\n' || line[0] == '/' || line[0] == 0) continue;
        auto fail = [&](CameraPathDamage d) { result = CameraPathRead{d, at}; };

        switch (state) {
            case kWaitRotation:
            case kWaitCamera:
            case kWaitTarget:
                if (IsBlockStart(line)) {
                    ++state;
                    ignoredBlockOpen = false;
                } else if (ignoredBlockOpen && IsIgnoredBlockEnd(line)) {
                    ignoredBlockOpen = false;
                }
                break;
            case kWaitSecond:
            case kWaitFifth:
                if (IsBlockStart(line)) {
                    ++state;
                    ignoredBlockOpen = true;
                } else if (ignoredBlockOpen && IsIgnoredBlockEnd(line)) {
                    ignoredBlockOpen = false;
                }
                break;
            case kWaitFourth:
                if (IsBlockStart(line)) {
                    gCameraRail.lookAt = 1;
                    ++state;
                    ignoredBlockOpen = true;
                }
                break;
            case kRotationType:
            case kCameraType:
            case kTargetType:
                ++state;
                break;
            case kRotationCount:
            case kCameraCount:
            case kTargetCount:
                if (!ReadCountLine(line, &declared)) {
                    fail(CameraPathDamage::UnreadableCount);
                    break;
                }
                keyLines = 0;
                ++state;
                break;
            case kRotationKeys:
            case kCameraKeys:
            case kTargetKeys: {
                if (IsBlockEnd(line)) {
                    if (keyLines != declared) {
                        fail(CameraPathDamage::KeyCountDiffers);
                        break;
                    }
                    state = state == kRotationKeys ? kWaitSecond
                            : state == kCameraKeys ? kWaitFourth
                                                   : kDone;
                    break;
                }
                float v[4];
                int values = state == kRotationKeys ? 4 : 3;
                CameraPathDamage d = ReadKeyLine(line, v, values);
                if (d != CameraPathDamage::None) {
                    fail(d);
                    break;
                }
                ++keyLines;
                if (state == kRotationKeys) {
                    if (counts.rotation >= kRailRotationKeys) break;
                    std::memcpy(gCameraRail.rotationKeys[slot][counts.rotation++], v, sizeof v);
                    break;
                }
                int32_t& n = state == kCameraKeys ? counts.camera : counts.target;
                if (n >= kRailPositionKeys) break;
                gfx::Vec3* path = state == kCameraKeys ? gCameraRail.cameraPath[slot]
                                                       : gCameraRail.targetPath[slot];
                path[n++] = gfx::Vec3{v[0], v[1], v[2]};
                break;
            }
            default:
                break;
        }
    }
    if (result.damage == CameraPathDamage::None && (IsInsideReadBlock(state) || ignoredBlockOpen)) {
        damage(CameraPathDamage::CutShort);
    }
    if (result.damage != CameraPathDamage::None) {
        EmptyRail();
        return result;
    }
    gLastCounts = counts;
    // A looked-at frame without position keys (its block missing or empty) gives nothing to
    // look at: the camera is turned by its rotation keys as in a file without one.
    if (gCameraRail.lookAt && counts.target == 0) gCameraRail.lookAt = 0;
    // The rail uses the camera keys and either the target keys or the rotation keys.
    int32_t other = gCameraRail.lookAt ? counts.target : counts.rotation;
    gCameraRail.keyCount[0] = std::min(counts.camera, other);
    if (gCameraRail.keyCount[0] == 0) {
        EmptyRail();
        return CameraPathRead{CameraPathDamage::NoCameraKeys, 0};
    }
    return result;
}

void LoadAnimationKeys(const char* path, int slot) {
    if (slot < 0 || slot >= kRailSlots) return;
    if (!path) path = "";
    sys::DataFileBytes data;
    sys::DataFileRead got = sys::ReadWholeDataFile(path, kCameraPathMaxBytes, &data);
    if (got != sys::DataFileRead::Read) {
        // A folder or a pipe in the file's place is told as a missing file is.
        if (got == sys::DataFileRead::TooLarge) {
            ShowDamagedFileMessage(path, 0, "larger than a camera path can be");
        } else {
            ShowMessageBox(path, kFileNotFoundCaption.c_str());
        }
        EmptyRail();
        return;
    }
    CameraPathRead read =
        ReadAnimationKeys(reinterpret_cast<const char*>(data.data.get()), data.size, slot);
    if (read.damage == CameraPathDamage::None) return;
    // Told as a missing file is; a file with keys that cannot be read also says where.
    if (read.damage == CameraPathDamage::NoCameraKeys) {
        ShowMessageBox(path, kFileNotFoundCaption.c_str());
        return;
    }
    ShowDamagedFileMessage(path, read.line, DescribeCameraPathDamage(read.damage));
}
