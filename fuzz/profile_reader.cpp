// The profile reader over arbitrary bytes: lookups, an update and a second reading of the
// result must agree.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/profile/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    profile::Document doc;
    doc.Parse(bytes);
    static const char* const kKeys[] = {"winmode", "fps", "pad00", "gametime", "se"};
    static const char* const kSections[] = {"setup", "option", "record", "config"};
    for (const char* section : kSections) {
        for (const char* key : kKeys) (void)doc.ReadInt(section, key, 7);
    }
    doc.SetString("setup", "fps", "123");
    doc.SetString("brand new", "key", "-5");
    profile::Document again;
    again.Parse(doc.Text());
    if (again.ReadInt("setup", "fps", 0) != 123) __builtin_trap();
    if (again.ReadInt("BRAND NEW", "KEY", 0) != -5) __builtin_trap();
    // Writing the same again changes nothing.
    again.SetString("setup", "fps", "123");
    if (again.Text() != doc.Text()) __builtin_trap();
    return 0;
}
