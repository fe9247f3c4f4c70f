#include "tests/support/temp_folder.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vqtest {

TempFolder::TempFolder() {
    char folder[] = "/tmp/vq_test.XXXXXX";
    if (mkdtemp(folder)) path_ = folder;
}

TempFolder::~TempFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

int TempFolder::EntryCount() const {
    int n = 0;
    if (DIR* dir = opendir(path_.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") ++n;
        }
        closedir(dir);
    }
    return n;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace vqtest
