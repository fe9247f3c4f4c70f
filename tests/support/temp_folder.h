// A fresh folder under /tmp for one test, removed with everything in it (subfolders too)
// at the end.
#pragma once

#include <string>

namespace vqtest {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // A path inside the folder.
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Number of entries in the folder.
    int EntryCount() const;

private:
    std::string path_;
};

// A whole file's bytes ("" when it cannot be read) and its replacement.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace vqtest
