#include "engine/settings/profile_int.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/profile/profile.h"

namespace {

struct ProfileBatch {
    bool open;
    bool readable;  // the file was read, or does not exist yet
    int readError;  // errno of the failed read of an existing file
    std::string path;
    profile::Document document;
};

ProfileBatch gBatch;

}  // namespace

bool WriteProfileInt(const char* section, const char* key, int32_t value, const char* path) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    if (gBatch.open && gBatch.path == path) {
        gBatch.document.SetString(section, key, text);
        return gBatch.readable;
    }
    return profile::WriteString(path, section, key, text);
}

void BeginProfileWrites(const char* path) {
    gBatch.open = true;
    gBatch.path = path;
    // A file that exists but cannot be read is never replaced.
    gBatch.readError = 0;
    gBatch.readable = gBatch.document.Load(path, &gBatch.readError) || ::access(path, F_OK) != 0;
}

bool EndProfileWrites(profile::SaveError* error) {
    if (!gBatch.open) return false;
    gBatch.open = false;
    bool ok;
    if (gBatch.readable) {
        ok = gBatch.document.Save(gBatch.path.c_str(), error);
    } else {
        ok = false;
        if (error)
            *error = profile::SaveError{profile::SaveError::Cause::Unreadable, gBatch.readError};
    }
    gBatch.document = profile::Document{};
    return ok;
}

void ReadSetupValues(const profile::Document& doc, int32_t* const values[kSetupKeyCount]) {
    for (int i = 0; i < kSetupKeyCount; ++i) *values[i] = doc.ReadInt("setup", kSetupKeys[i], 0);
}

void ReadPadBindings(const profile::Document& doc,
                     int16_t bindings[kBindingRows][kBindingColumns]) {
    char key[16];
    for (int row = 0; row < kBindingRows; ++row) {
        for (int column = 0; column < kBindingColumns; ++column) {
            std::snprintf(key, sizeof key, "pad%d%d", row, column);
            bindings[row][column] =
                static_cast<int16_t>(doc.ReadInt("option", key, DefaultBinding(row, column)));
        }
    }
}
