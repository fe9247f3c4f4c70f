// Packs files into the picture archive "bmpdata.bin".
#include "tools/pack/command.h"

int main(int argc, char** argv) {
    return pack::RunPackerCommand(pack::ArchiveKind::Pictures, argc, argv);
}
