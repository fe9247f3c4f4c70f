#include "world/stage/stage_index.h"

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

// Copies a text value up to the line end; false when it does not fit the field (the
// record keeps what it had).
bool CopyName(const char* value, char* field) {
    size_t n = std::strcspn(value, "\r\n");
    if (n >= kStageNameBytes) return false;
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

// Applies one line of an open block.
void ReadKeyLine(StageInfo& s, int& mapSlot, const char* line) {
#define KEY(k) MatchPrefix(line, k, sizeof(k) - 1)
#define VALUE(k) (line + sizeof(k) - 1)
    if (KEY("maptype:")) {
        s.mapType = ReadDecimalInt(VALUE("maptype:"));
    } else if (KEY("map:")) {
        // A 21st map name has no slot; it is ignored.
        if (mapSlot < kStageMapNames && CopyName(VALUE("map:"), s.mapNames[mapSlot])) {
            ++mapSlot;
            ++s.mapCount;
        }
    } else if (KEY("mapbg:")) {
        if (CopyName(VALUE("mapbg:"), s.backgroundName)) s.hasBackground = 1;
    } else if (KEY("mapcamera:")) {
        if (s.cameraCount < kStageCameraNames &&
            CopyName(VALUE("mapcamera:"), s.cameraNames[s.cameraCount]))
            ++s.cameraCount;
    } else if (KEY("loopcamera:")) {
        s.loopCamera = 1;
    } else if (KEY("flying:")) {
        s.flying = 1;
    } else if (KEY("mapx:")) {
        s.tileWidth = static_cast<float>(ReadDecimalInt(VALUE("mapx:")));
    } else if (KEY("mapz:")) {
        s.tileDepth = static_cast<float>(ReadDecimalInt(VALUE("mapz:")));
    } else if (KEY("mapnumx:")) {
        s.tileColumns = ReadDecimalInt(VALUE("mapnumx:"));
    } else if (KEY("mapnumz:")) {
        s.tileRows = ReadDecimalInt(VALUE("mapnumz:"));
    } else if (KEY("scroll:")) {
        s.scroll = ReadDecimalReal(VALUE("scroll:"));
    } else if (KEY("mapposy:")) {
        s.floorHeight = ReadDecimalReal(VALUE("mapposy:"));
    } else if (KEY("fog:")) {
        float fog[2];
        if (ReadReals(VALUE("fog:"), fog, 2)) {
            s.fogStart = fog[0];
            s.fogEnd = fog[1];
        }
    } else if (KEY("fogcolor:")) {
        ReadInts(VALUE("fogcolor:"), s.fogColor, 3);
    } else if (KEY("backcolor:")) {
        ReadInts(VALUE("backcolor:"), s.backColor, 3);
    } else if (KEY("lightdir:")) {
        ReadReals(VALUE("lightdir:"), s.lightDirection, 3);
    } else if (KEY("lightcolor:")) {
        ReadReals(VALUE("lightcolor:"), s.lightColor, 3);
    } else if (KEY("windline:")) {
        s.windLine = 1;
    } else if (KEY("longlock:")) {
        s.longLock = 1;
    } else if (MatchPrefix(line, "scrolloffsetoff", 15)) {
        s.scrollOffset = 0;
    } else if (KEY("lightamb:")) {
        ReadReals(VALUE("lightamb:"), s.lightAmbient, 3);
    } else if (KEY("sunpos:")) {
        if (MatchPrefix(line, "sunpos:off", 10)) {
            s.sun = 0;
        } else if (ReadReals(VALUE("sunpos:"), s.sunPosition, 3)) {
            s.sun = 1;
        }
    } else if (KEY("moonpos:")) {
        if (ReadReals(VALUE("moonpos:"), s.sunPosition, 3)) s.moon = 1;
    } else if (KEY("waterheight:")) {
        s.waterHeight = static_cast<float>(ReadDecimalInt(VALUE("waterheight:")));
    } else if (KEY("farclip:")) {
        s.farClip = ReadDecimalInt(VALUE("farclip:"));
    } else if (KEY("drawcode:")) {
        s.drawCode = ReadDecimalInt(VALUE("drawcode:"));
    } else if (KEY("mapviewarea:")) {
        s.mapViewArea = ReadDecimalInt(VALUE("mapviewarea:"));
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
    } else if (!read.stageFound) {
        ShowMessageBox(kIndexPath, kFileNotFoundCaption.c_str());
    }
}

StageIndexRead ReadStageIndex(FILE* file) {
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
            return StageIndexRead{false, at};
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
        if (blockOpen) ReadKeyLine(gStageInfo[block], mapSlot, line);
    }
    gGameState.stageCount = block + 1;
    return StageIndexRead{block >= 0, 0};
}
