// A scratch folder that is the current folder while a test runs, for the readers that open
// data files by relative paths.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vqtest {

class ScratchFolder {
public:
    ScratchFolder() {
        static int serial = 0;
        root_ = std::filesystem::temp_directory_path() /
                ("vq_models_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
        std::filesystem::create_directories(root_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(root_);
    }
    ~ScratchFolder() {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(root_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes a file below the folder, making its folders.
    static void Write(const std::string& path, const std::string& text) {
        std::filesystem::path p(path);
        if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
    }

private:
    std::filesystem::path root_, previous_;
};

}  // namespace vqtest
