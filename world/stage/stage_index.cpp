#include "world/stage/stage_index.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/core/message_box.h"
#include "engine/stagefiles/text_parse.h"
#include "platform/system/system.h"

std::array<StageInfo, kStageRecords> gStageInfo;
StageInfo* gCurrentStage;

namespace {

constexpr char kIndexPath[] = "idx/stage.idx";

// Reads a line as fgets does (at most size - 1 bytes, up to and including its line end) and
// returns its length, NUL bytes included; 0 at the end of the file.
size_t ReadLine(FILE* file, char* line, size_t size) {
    size_t n = 0;
    int c = 0;
    while (n + 1 < size && (c = std::getc(file)) != EOF) {
        line[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    line[n] = 0;
    return n;
}

// False when the bytes hold one that neither ASCII nor CP932 text holds: a control byte
// other than the blanks, the line ends and the old end-of-file mark, DEL, or a byte CP932
// leaves unused at the top. Such a byte in a line the reader uses means the file is damaged.
bool IsText(const char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        bool control =
            c < 0x20 && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r' && c != 0x1A;
        if (control || c == 0x7F || c >= 0xFD) return false;
    }
    return true;
}

// Keeps what is told of a value: the key without its colon and what was refused or changed.
class ValueMessage {
public:
    bool Given() const { return text_[0] != 0; }
    const char* Text() const { return text_; }
    __attribute__((format(printf, 2, 3))) void Set(const char* format, ...) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(text_, sizeof text_, format, args);
        va_end(args);
    }

private:
    char text_[kStageIndexMessageBytes] = {};
};

// Copies a text value up to the line end. A name that does not fit the field is refused (the
// record keeps what it had): cut short it would name another file.
bool CopyName(const char* key, const char* value, char* field, ValueMessage* message) {
    size_t n = std::strcspn(value, "\r\n");
    if (n >= kStageNameBytes) {
        message->Set("%s name of %zu bytes, longer than %d", key, n, kStageNameBytes - 1);
        return false;
    }
    std::memcpy(field, value, n);
    field[n] = 0;
    return true;
}

// Reads count values separated by ':' into out; false (nothing stored) when a separator is
// missing.
template <typename T, typename Read>
bool ReadValues(const char* value, T* out, int count, Read read) {
    T values[3];
    const char* p = value;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            p = std::strchr(p, ':');
            if (!p) return false;
            ++p;
        }
        values[i] = read(p);
    }
    for (int i = 0; i < count; ++i) out[i] = values[i];
    return true;
}

bool ReadInts(const char* value, int32_t* out, int count) {
    return ReadValues(value, out, count, ReadDecimalInt);
}

bool ReadReals(const char* value, float* out, int count) {
    return ReadValues(value, out, count, ReadDecimalReal);
}

void StartBlock(StageInfo& s, int index) {
    s.stageNumber = index;
    s.hasBackground = 0;
    s.cameraCount = 0;
    s.loopCamera = 0;
    s.mapCount = 0;
    s.fogStart = 0.0f;
    s.fogEnd = 0.0f;
    s.drawCode = 0;
    s.farClip = 59000;
    s.waterHeight = -1000.0f;
    s.mapViewArea = 0;
    s.sunPosition[0] = s.sunPosition[1] = s.sunPosition[2] = 0.0f;
    s.sun = 0;
    s.moon = 0;
    s.fogColor[0] = s.fogColor[1] = s.fogColor[2] = 0;
    s.backColor[0] = s.backColor[1] = s.backColor[2] = 0;
    s.lightDirection[0] = s.lightDirection[1] = s.lightDirection[2] = 1.0f;
    s.lightColor[0] = s.lightColor[1] = s.lightColor[2] = 0.0f;
    s.lightAmbient[0] = s.lightAmbient[1] = s.lightAmbient[2] = 0.0f;
    s.scrollOffset = 1;
    s.windLine = 0;
    s.longLock = 0;
    s.flying = 0;
}

// Whether the C library's conversion reads the value within the int range (a value without
// digits reads as 0, which is).
bool FitsInt(const char* value) {
    int32_t v = 0;
    const char* end = nullptr;
    return ParseDecimalInt(value, &v, &end) || ReadDecimalInt(value) == 0;
}

// The integer of a value as the C library's conversion reads it (0 without digits), when it
// lies within low .. high.
bool ReadIntIn(const char* key, const char* value, int32_t low, int32_t high, int32_t* out,
               ValueMessage* message) {
    if (!FitsInt(value)) {
        message->Set("%s beyond the integers", key);
        return false;
    }
    int32_t v = ReadDecimalInt(value);
    if (v < low || v > high) {
        message->Set("%s %d out of range %d..%d", key, static_cast<int>(v), static_cast<int>(low),
                     static_cast<int>(high));
        return false;
    }
    *out = v;
    return true;
}

// A count of floor tiles, clamped into 0 .. most: a larger one still leaves a floor, the
// most the floor drawing draws in a frame.
int32_t ReadTileCount(const char* key, const char* value, int32_t most, ValueMessage* message) {
    int32_t v = ReadDecimalInt(value);  // clamped to the int range
    int32_t kept = std::clamp(v, 0, most);
    if (!FitsInt(value)) {
        message->Set("%s beyond the integers, read as %d", key, static_cast<int>(kept));
    } else if (kept != v) {
        message->Set("%s %d out of range 0..%d, read as %d", key, static_cast<int>(v),
                     static_cast<int>(most), static_cast<int>(kept));
    }
    return kept;
}

// count reals separated by ':' (each within the stage's reach) into out; nothing stored when
// a separator is missing (that line is ignored) or a value is refused.
bool ReadRealsIn(const char* key, const char* value, float* out, int count, ValueMessage* message) {
    float values[3];
    if (!ReadReals(value, values, count)) return false;
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(values[i])) {
            message->Set("%s not a finite number", key);
            return false;
        }
        if (std::fabs(values[i]) > kStageReach) {
            message->Set("%s beyond %.0f", key, static_cast<double>(kStageReach));
            return false;
        }
    }
    std::copy(values, values + count, out);
    return true;
}

// Applies one line of an open block. What is told of its value (refused: the field keeps what
// it holds; or changed) is written to *message.
void ReadKeyLine(StageInfo& s, int& mapSlot, const char* line, ValueMessage* message) {
#define KEY(k) MatchPrefix(line, k, sizeof(k) - 1)
#define VALUE(k) (line + sizeof(k) - 1)
    constexpr auto kReach = static_cast<int32_t>(kStageReach);
    int32_t n = 0;
    float v[3];
    if (KEY("maptype:")) {
        s.mapType = ReadDecimalInt(VALUE("maptype:"));
    } else if (KEY("map:")) {
        // A 21st map name has no slot; it is ignored.
        if (mapSlot < kStageMapNames &&
            CopyName("map", VALUE("map:"), s.mapNames[mapSlot], message)) {
            ++mapSlot;
            ++s.mapCount;
        }
    } else if (KEY("mapbg:")) {
        if (CopyName("mapbg", VALUE("mapbg:"), s.backgroundName, message)) s.hasBackground = 1;
    } else if (KEY("mapcamera:")) {
        if (s.cameraCount < kStageCameraNames &&
            CopyName("mapcamera", VALUE("mapcamera:"), s.cameraNames[s.cameraCount], message))
            ++s.cameraCount;
    } else if (KEY("loopcamera:")) {
        s.loopCamera = 1;
    } else if (KEY("flying:")) {
        s.flying = 1;
    } else if (KEY("mapx:")) {
        if (ReadIntIn("mapx", VALUE("mapx:"), 1, kReach, &n, message)) {
            s.tileWidth = static_cast<float>(n);
        }
    } else if (KEY("mapz:")) {
        if (ReadIntIn("mapz", VALUE("mapz:"), 1, kReach, &n, message)) {
            s.tileDepth = static_cast<float>(n);
        }
    } else if (KEY("mapnumx:")) {
        s.tileColumns = ReadTileCount("mapnumx", VALUE("mapnumx:"), kFloorTileColumnsMax, message);
    } else if (KEY("mapnumz:")) {
        s.tileRows = ReadTileCount("mapnumz", VALUE("mapnumz:"), kFloorTileRowsMax, message);
    } else if (KEY("scroll:")) {
        if (ReadRealsIn("scroll", VALUE("scroll:"), v, 1, message)) s.scroll = v[0];
    } else if (KEY("mapposy:")) {
        if (ReadRealsIn("mapposy", VALUE("mapposy:"), v, 1, message)) s.floorHeight = v[0];
    } else if (KEY("fog:")) {
        // A fog that ends where it starts is a hard edge.
        if (ReadRealsIn("fog", VALUE("fog:"), v, 2, message)) {
            s.fogStart = v[0];
            s.fogEnd = v[1];
        }
    } else if (KEY("fogcolor:")) {
        // The drawing takes the low 8 bits of each channel.
        ReadInts(VALUE("fogcolor:"), s.fogColor, 3);
    } else if (KEY("backcolor:")) {
        ReadInts(VALUE("backcolor:"), s.backColor, 3);
    } else if (KEY("lightdir:")) {
        if (ReadRealsIn("lightdir", VALUE("lightdir:"), v, 3, message)) {
            if (v[0] == 0.0f && v[1] == 0.0f && v[2] == 0.0f) {
                message->Set("lightdir has no direction");
            } else {
                std::copy(v, v + 3, s.lightDirection);
            }
        }
    } else if (KEY("lightcolor:")) {
        ReadRealsIn("lightcolor", VALUE("lightcolor:"), s.lightColor, 3, message);
    } else if (KEY("windline:")) {
        s.windLine = 1;
    } else if (KEY("longlock:")) {
        s.longLock = 1;
    } else if (MatchPrefix(line, "scrolloffsetoff", 15)) {
        s.scrollOffset = 0;
    } else if (KEY("lightamb:")) {
        ReadRealsIn("lightamb", VALUE("lightamb:"), s.lightAmbient, 3, message);
    } else if (KEY("sunpos:")) {
        if (MatchPrefix(line, "sunpos:off", 10)) {
            s.sun = 0;
        } else if (ReadRealsIn("sunpos", VALUE("sunpos:"), s.sunPosition, 3, message)) {
            s.sun = 1;
        }
    } else if (KEY("moonpos:")) {
        if (ReadRealsIn("moonpos", VALUE("moonpos:"), s.sunPosition, 3, message)) s.moon = 1;
    } else if (KEY("waterheight:")) {
        if (ReadIntIn("waterheight", VALUE("waterheight:"), -kReach, kReach, &n, message)) {
            s.waterHeight = static_cast<float>(n);
        }
    } else if (KEY("farclip:")) {
        // Beyond the near plane, which lies at 1.
        if (ReadIntIn("farclip", VALUE("farclip:"), 2, kReach, &n, message)) s.farClip = n;
    } else if (KEY("drawcode:")) {
        // The drawing takes the remainder by the 7 colour operations; a negative one sets none.
        s.drawCode = ReadDecimalInt(VALUE("drawcode:"));
    } else if (KEY("mapviewarea:")) {
        // Every value below 1 means no culling.
        if (ReadIntIn("mapviewarea", VALUE("mapviewarea:"), INT32_MIN, kReach, &n, message)) {
            s.mapViewArea = n;
        }
    }
#undef KEY
#undef VALUE
}

}  // namespace

int StageIndexFromCode(const char* code) {
    static const char* const kCodes[19] = {"1-1", "1-2", "1-3", "2-1", "2-2", "2-3", "3-1",
                                           "3-2", "3-3", "4-1", "4-2", "4-3", "5-1", "5-2",
                                           "5-3", "6-1", "6-2", "6-3", "7-1"};
    for (int i = 0; i < 19; ++i) {
        if (MatchPrefix(code, kCodes[i], 3)) return i;
    }
    return -1;
}

void LoadStageIndex() {
    FILE* file = sys::OpenDataFile(kIndexPath, "r");
    if (!file) {
        ShowMessageBox(kIndexPath, kFileNotFoundCaption.c_str());
        gGameState.stageCount = 0;
        return;
    }
    StageIndexRead read = ReadStageIndex(file);
    std::fclose(file);
    // An index without a stage, or one that cannot be trusted, leaves the game without
    // stages as a missing one does; the player is told the same way.
    if (read.damagedLine > 0) {
        ShowDamagedFileMessage(kIndexPath, read.damagedLine, "bytes that are not text");
        return;
    }
    if (!read.stageFound) ShowMessageBox(kIndexPath, kFileNotFoundCaption.c_str());
    // Each value refused (its field kept what it held) or changed.
    for (int32_t i = 0; i < std::min(read.valueMessageCount, kStageIndexValueMessagesKept); ++i) {
        const StageIndexValueMessage& m = read.valueMessages[static_cast<size_t>(i)];
        ShowFileLineMessage(kIndexPath, m.line, m.text, kStageIndexValueCaption);
    }
}

StageIndexRead ReadStageIndex(FILE* file) {
    StageIndexRead read{};
    int block = -1;  // index of the open block
    bool blockOpen = false;
    int mapSlot = 0;
    int32_t lineNumber = 1;
    char line[512];
    size_t length;
    while ((length = ReadLine(file, line, sizeof line)) > 0) {
        int32_t at = lineNumber;
        if (line[length - 1] == '\n') ++lineNumber;
        if (line[0] == '\r' || line[0] == '\n' || line[0] == '/') continue;
        if (!IsText(line, length)) {
            gStageInfo = {};
            gGameState.stageCount = 0;
            return StageIndexRead{false, at, 0, {}};
        }
        if (MatchPrefix(line, "stage:", 6)) {
            int index = StageIndexFromCode(line + 6);
            if (index < 0) {
                // An unknown code names no record: its lines are ignored.
                blockOpen = false;
                continue;
            }
            block = index;
            blockOpen = true;
            mapSlot = 0;
            StartBlock(gStageInfo[index], index);
            continue;
        }
        if (!blockOpen) continue;
        ValueMessage message;
        ReadKeyLine(gStageInfo[block], mapSlot, line, &message);
        if (message.Given()) {
            if (read.valueMessageCount < kStageIndexValueMessagesKept) {
                StageIndexValueMessage& m =
                    read.valueMessages[static_cast<size_t>(read.valueMessageCount)];
                m.line = at;
                std::snprintf(m.text, sizeof m.text, "%s", message.Text());
            }
            ++read.valueMessageCount;
        }
    }
    gGameState.stageCount = block + 1;
    read.stageFound = block >= 0;
    return read;
}
