#include "tools/pack/command.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/pack/pack.h"

namespace pack {

namespace {

bool ReadFile(const std::filesystem::path& path, std::vector<uint8_t>* bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

template <typename Writer>
int Pack(Writer& writer, const char* program, int argc, char** argv) {
    const std::filesystem::path output = argv[1];
    const std::filesystem::path input = argv[2];
    std::vector<uint8_t> bytes;
    std::string error;
    for (int i = 3; i < argc; ++i) {
        if (!ReadFile(input / argv[i], &bytes)) {
            std::fprintf(stderr, "%s: cannot read %s\n", program, (input / argv[i]).c_str());
            return 1;
        }
        if (!writer.Add(argv[i], bytes, &error)) {
            std::fprintf(stderr, "%s: %s\n", program, error.c_str());
            return 1;
        }
    }
    if (!writer.Write(output, &error)) {
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int RunPackerCommand(ArchiveKind kind, int argc, char** argv) {
    const char* program = argc > 0 ? argv[0] : "pack";
    if (argc < 3) {
        std::fprintf(
            stderr,
            "usage: %s OUTPUT-FOLDER DATA-FOLDER NAME...\n"
            "Packs each DATA-FOLDER/NAME under NAME into %s in OUTPUT-FOLDER.\n",
            program,
            kind == ArchiveKind::Volumes ? "pakindex.bin and bin/data%03d.bin" : "bmpdata.bin");
        return 2;
    }
    if (kind == ArchiveKind::Volumes) {
        VolumeArchiveWriter writer;
        return Pack(writer, program, argc, argv);
    }
    PictureArchiveWriter writer;
    return Pack(writer, program, argc, argv);
}

}  // namespace pack
