// Runs the game headless for a number of frames and prints per-frame state digests.
//
//   vq_headless [--frames N] [--digest-every K] [--run-folder DIR] [--gl33]
//               [--pad-script FILE] [--program-folder DIR]
//
// The pad script holds the inputs per tick (see tests/support/scripted_input.h); the
// program folder holds the settings file (default: a temporary folder).
//
// Exit status 0 when the start-up succeeded and every frame ran.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/headless_game.h"
#include "tests/support/scripted_input.h"

int main(int argc, char** argv) {
    int frames = 60;
    int every = 0;
    vqtest::HeadlessOptions options;
    vqtest::PadScript script;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--frames") {
            frames = std::atoi(next("--frames"));
        } else if (a == "--digest-every") {
            every = std::atoi(next("--digest-every"));
        } else if (a == "--run-folder") {
            options.runFolder = next("--run-folder");
        } else if (a == "--pad-script") {
            std::string error;
            if (!script.Load(next("--pad-script"), &error)) {
                std::fprintf(stderr, "vq_headless: %s\n", error.c_str());
                return 2;
            }
            options.padScript = &script;
        } else if (a == "--program-folder") {
            options.programFolder = next("--program-folder");
        } else if (a == "--gl33") {
            options.gl33 = true;
        } else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            return 2;
        }
    }
    if (!vqtest::StartHeadlessGame(options)) {
        std::fprintf(stderr, "vq_headless: start-up failed\n");
        return 1;
    }
    for (int f = 1; f <= frames; ++f) {
        vqtest::RunFrame();
        if (every > 0 && f % every == 0) {
            std::printf("frame %d digest %016llx\n", f,
                        static_cast<unsigned long long>(vqtest::StateDigest()));
        }
    }
    vqtest::StopHeadlessGame();
    return 0;
}
