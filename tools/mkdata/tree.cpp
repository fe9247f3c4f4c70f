// Writing the generated files into the run folder.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/mkdata/mkdata.h"
#include "tools/pack/pack.h"

namespace mk {

namespace fs = std::filesystem;

namespace {

bool WriteFile(const fs::path& path, const Bytes& data) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    fs::path tmp = path;
    tmp += ".part";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) {
            std::fprintf(stderr, "mkdata: cannot write %s\n", path.string().c_str());
            return false;
        }
        f.write(reinterpret_cast<const char*>(data.data()),
                static_cast<std::streamsize>(data.size()));
        if (!f) {
            std::fprintf(stderr, "mkdata: cannot write %s\n", path.string().c_str());
            return false;
        }
    }
    fs::rename(tmp, path, ec);
    if (ec) {
        std::fprintf(stderr, "mkdata: cannot write %s: %s\n", path.string().c_str(),
                     ec.message().c_str());
        return false;
    }
    return true;
}

constexpr const char* kSettingsFile = "v_quorl.ini";
// The files a run wrote into the run folder (archives and loose files, not the settings),
// one relative path a line: the next run removes exactly these.
constexpr const char* kFileList = "mkdata.files";

// Removes the files the list of an earlier run names. Only plain files inside the folder
// are removed: a line naming an absolute path or climbing out with ".." is passed over.
void RemoveListedFiles(const fs::path& base) {
    std::ifstream list(base / kFileList);
    std::string line;
    while (std::getline(list, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        fs::path rel(line);
        if (line.empty() || rel.is_absolute() || rel.has_root_name()) continue;
        bool climbs = false;
        for (const fs::path& part : rel) climbs = climbs || part == "..";
        if (climbs) continue;
        std::error_code ec;
        if (fs::is_regular_file(fs::symlink_status(base / rel, ec))) fs::remove(base / rel, ec);
    }
}

}  // namespace

bool WriteLooseFiles(const std::vector<OutFile>& files, const std::string& root) {
    for (const OutFile& f : files)
        if (!WriteFile(fs::path(root) / f.name, f.data)) return false;
    return true;
}

bool WriteDataTree(const std::vector<OutFile>& files, const std::string& root) {
    fs::path base(root);

    // The common pictures go into the picture archive, the play pictures and the model and
    // course textures into the volume archive (in name order), everything else is loose.
    // Both archives are assembled first: a data set they refuse leaves the folder as it was.
    pack::PictureArchiveWriter pictures;
    pack::VolumeArchiveWriter volumes;
    constexpr int64_t kVolume = 10485760;
    std::string straddler, error;
    for (const OutFile& f : files) {
        if (f.place == Place::PictureArchive && !pictures.Add(f.name, f.data, &error)) {
            std::fprintf(stderr, "mkdata: picture archive: %s\n", error.c_str());
            return false;
        }
        if (f.place == Place::VolumeArchive) {
            int64_t start = volumes.SetSize();
            if (!volumes.Add(f.name, f.data, &error)) {
                std::fprintf(stderr, "mkdata: volume archive: %s\n", error.c_str());
                return false;
            }
            if (straddler.empty() && start / kVolume != (volumes.SetSize() - 1) / kVolume)
                straddler = f.name;
        }
    }
    if (straddler.empty()) {
        std::fprintf(stderr,
                     "mkdata: no volume archive entry runs from one volume into the next (%lld "
                     "bytes packed)\n",
                     static_cast<long long>(volumes.SetSize()));
        return false;
    }

    // A file that moved into an archive must not survive as a loose file, because the game
    // prefers loose files: what the last run wrote goes first (and nothing else).
    RemoveListedFiles(base);
    std::vector<std::string> written;
    for (const OutFile& f : files) {
        if (f.place != Place::Loose) continue;
        if (f.name == kSettingsFile && fs::exists(base / f.name))
            continue;  // keeps the player's records
        if (!WriteFile(base / f.name, f.data)) return false;
        if (f.name != kSettingsFile) written.push_back(f.name);
    }
    if (!pictures.Write(base, &error) || !volumes.Write(base, &error)) {
        std::fprintf(stderr, "mkdata: %s\n", error.c_str());
        return false;
    }
    const int64_t count = (volumes.SetSize() + kVolume - 1) / kVolume;
    written.push_back("bmpdata.bin");
    written.push_back("pakindex.bin");
    for (int64_t v = 0; v < count; ++v) {
        char name[32];
        std::snprintf(name, sizeof name, "bin/data%03d.bin", static_cast<int>(v));
        written.push_back(name);
    }
    std::string list;
    for (const std::string& name : written) list += name + "\n";
    if (!WriteFile(base / kFileList, Bytes(list.begin(), list.end()))) return false;
    std::printf("mkdata: %lld volumes; %s runs from one volume into the next\n",
                static_cast<long long>(count), straddler.c_str());
    return true;
}

}  // namespace mk
