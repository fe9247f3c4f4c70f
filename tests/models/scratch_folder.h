// A temporary folder that is the current folder while a test runs, for the readers that
// open data files by paths relative to it.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

namespace vqtest {

class ScratchFolder {
public:
    ScratchFolder() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder_.Path());
    }
    ~ScratchFolder() { std::filesystem::current_path(previous_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes a file by a relative path, making its folders.
    static void Write(const std::string& path, const std::string& bytes) {
        std::filesystem::path p(path);
        if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
        WriteWholeFile(path, bytes);
    }

private:
    TempFolder folder_;
    std::filesystem::path previous_;
};

}  // namespace vqtest
