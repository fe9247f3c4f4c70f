// Integer keys of the settings file, shared by the game and the settings tool.
#pragma once

#include <cstdint>

#include "engine/input/bindings.h"

namespace profile {
class Document;
struct SaveError;
}  // namespace profile

// Writes `value` in decimal under section/key of the profile file at path. Inside a batch
// on the same path the write is collected and made by EndProfileWrites; otherwise the file
// is replaced at once. Returns whether the write was made (or collected).
bool WriteProfileInt(const char* section, const char* key, int32_t value, const char* path);

// Collects the following writes to `path` into one replacement of the file, so the whole
// set is written at once or not at all.
void BeginProfileWrites(const char* path);
// Writes the collected keys; false when the file could not be replaced (*error says why).
bool EndProfileWrites(profile::SaveError* error = nullptr);

// The `setup` section's keys in the file's order (all default to 0).
constexpr int kSetupKeyCount = 6;
inline constexpr const char* kSetupKeys[kSetupKeyCount] = {"winmode", "fps",     "dispfps",
                                                           "texmode", "mapmode", "demomode"};

// Reads the `setup` keys into the integers given in kSetupKeys' order.
void ReadSetupValues(const profile::Document& doc, int32_t* const values[kSetupKeyCount]);

// Reads the binding map of the `option` section ("pad%d%d" by row and column; a missing key
// gives its default binding).
void ReadPadBindings(const profile::Document& doc, int16_t bindings[kBindingRows][kBindingColumns]);
