// Packs files into the volume archive: "pakindex.bin" and "bin/data%03d.bin".
#include "tools/pack/command.h"

int main(int argc, char** argv) {
    return pack::RunPackerCommand(pack::ArchiveKind::Volumes, argc, argv);
}
