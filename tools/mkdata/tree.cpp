// Writing the generated files into the run folder.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/mkdata/archive.h"
#include "tools/mkdata/mkdata.h"

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

}  // namespace

bool WriteLooseFiles(const std::vector<OutFile>& files, const std::string& root) {
    for (const OutFile& f : files)
        if (!WriteFile(fs::path(root) / f.name, f.data)) return false;
    return true;
}

bool WriteDataTree(const std::vector<OutFile>& files, const std::string& root) {
    fs::path base(root);
    std::error_code ec;
    // Everything below these folders is generated: a file that moved into an archive must
    // not survive as a loose file, because the game prefers loose files.
    for (const char* dir : {"bmp", "xfile", "idx", "BGM", "bin", "data"})
        fs::remove_all(base / dir, ec);
    for (const char* file : {"bmpdata.bin", "pakindex.bin", "vq_demo.wmv"})
        fs::remove(base / file, ec);

    std::vector<ArchiveEntry> pictures, volume;
    std::vector<std::string> pictureNames, volumeNames;
    for (const OutFile& f : files) {
        switch (f.place) {
            case Place::Loose:
                if (f.name == "v_quorl.ini" && fs::exists(base / f.name))
                    break;  // keeps the player's records
                if (!WriteFile(base / f.name, f.data)) return false;
                break;
            case Place::PictureArchive:
                pictures.push_back({f.name, f.data});
                pictureNames.push_back(f.name);
                break;
            case Place::VolumeArchive:
                volume.push_back({f.name, f.data});
                volumeNames.push_back(f.name);
                break;
        }
    }
    std::string problem = CheckPictureArchiveNames(pictureNames);
    if (problem.empty()) problem = CheckVolumeArchiveNames(volumeNames);
    if (!problem.empty()) {
        std::fprintf(stderr, "mkdata: %s\n", problem.c_str());
        return false;
    }
    if (!WriteFile(base / "bmpdata.bin", BuildPictureArchive(pictures))) return false;
    Bytes index;
    std::vector<Bytes> volumes;
    std::string straddler;
    BuildVolumeArchive(volume, index, volumes, straddler);
    if (straddler.empty()) {
        std::fprintf(stderr,
                     "mkdata: no volume archive entry runs from one volume into the next\n");
        return false;
    }
    if (!WriteFile(base / "pakindex.bin", index)) return false;
    for (size_t v = 0; v < volumes.size(); ++v) {
        char name[48];
        std::snprintf(name, sizeof name, "bin/data%03zu.bin", v);
        if (!WriteFile(base / name, volumes[v])) return false;
    }
    std::printf("mkdata: %zu volumes; %s runs from one volume into the next\n", volumes.size(),
                straddler.c_str());
    return true;
}

}  // namespace mk
