// Writing the generated files into the run folder.
#include <cstdio>
#include <filesystem>
#include <fstream>

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

    // The common pictures go into the picture archive, the play pictures and the model and
    // course textures into the volume archive (in name order), everything else is loose.
    pack::PictureArchiveWriter pictures;
    pack::VolumeArchiveWriter volumes;
    constexpr int64_t kVolume = 10485760;
    std::string straddler, error;
    for (const OutFile& f : files) {
        switch (f.place) {
            case Place::Loose:
                if (f.name == "v_quorl.ini" && fs::exists(base / f.name))
                    break;  // keeps the player's records
                if (!WriteFile(base / f.name, f.data)) return false;
                break;
            case Place::PictureArchive:
                if (!pictures.Add(f.name, f.data, &error)) {
                    std::fprintf(stderr, "mkdata: picture archive: %s\n", error.c_str());
                    return false;
                }
                break;
            case Place::VolumeArchive: {
                int64_t start = volumes.SetSize();
                if (!volumes.Add(f.name, f.data, &error)) {
                    std::fprintf(stderr, "mkdata: volume archive: %s\n", error.c_str());
                    return false;
                }
                if (straddler.empty() && start / kVolume != (volumes.SetSize() - 1) / kVolume)
                    straddler = f.name;
                break;
            }
        }
    }
    if (straddler.empty()) {
        std::fprintf(stderr,
                     "mkdata: no volume archive entry runs from one volume into the next (%lld "
                     "bytes packed)\n",
                     static_cast<long long>(volumes.SetSize()));
        return false;
    }
    if (!pictures.Write(base, &error) || !volumes.Write(base, &error)) {
        std::fprintf(stderr, "mkdata: %s\n", error.c_str());
        return false;
    }
    const int64_t count = (volumes.SetSize() + kVolume - 1) / kVolume;
    std::printf("mkdata: %lld volumes; %s runs from one volume into the next\n",
                static_cast<long long>(count), straddler.c_str());
    return true;
}

}  // namespace mk
