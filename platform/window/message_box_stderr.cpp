#include <cstdio>
#include <mutex>
#include <string>

#include "platform/text/cp932.h"
#include "platform/window/window.h"

namespace win {

namespace {
std::mutex gStderrMutex;
}

// Writes a message box's text where no display can show it.
int ConsoleMessageBox(const char* text, const char* caption) {
    std::string t, c;
    text::Cp932ToUtf8(text ? text : "", &t);
    text::Cp932ToUtf8(caption ? caption : "", &c);
    std::lock_guard lock(gStderrMutex);
    std::fprintf(stderr, "[%s] %s\n", c.c_str(), t.c_str());
    return kIdOk;
}

}  // namespace win
