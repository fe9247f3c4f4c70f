// Runs the game headless and prints state digests: the project's replay harness.
//
// From the title (the start-up as the program makes it):
//   vq_headless [--frames N] [--digest-every K] [--run-folder DIR] [--gl33]
//               [--pad-script FILE] [--program-folder DIR]
//
// From a chosen start of stage play, through every scene the run reaches:
//   vq_headless --stage N [--mode M] [--setup S] [--crafts A,B] [--ticks T]
//               [--pad-script FILE] [--autopilot P] [--invulnerable] [--credits C]
//               [--digest-every K] [--snapshot T1,T2,... --out DIR] [--run-folder DIR]
//
//   --mode M         game mode 0 story, 1 stages in a row, 2 practice, 3 extra (default 1)
//   --setup S        player set-up 0 one player, 1 computer partner, 2 two players
//   --crafts A,B     the two players' crafts 0..3 (default 0,1)
//   --stage N        the first stage 0..18
//   --ticks T        ticks to run (default 600); the run also ends back at the title
//   --autopilot P    the computer partner's logic drives pad P (0 or 1), a test aid
//   --invulnerable   the crafts take no damage, a test aid
//   --credits C      the start credits of the settings
//   --snapshot ...   ticks drawn with gl33 and written as DIR/tick_NNNNNN.png
//
// The pad script holds the inputs per tick (see tests/support/scripted_input.h); the
// program folder holds the settings file (default: a temporary folder).
//
// A play run prints a digest line every K ticks and, last, the result as key=value pairs:
// ticks scene mode stage phase score credits spawned destroyed life0 life1. Exit status 0
// when the start-up succeeded and the run ended as asked (all its ticks ran, or it returned
// to the title), 1 when it could not start, 2 for bad options.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"
#include "tests/support/scripted_input.h"

namespace {

bool ParseList(const char* text, std::vector<int64_t>* out) {
    std::stringstream ss(text);
    std::string item;
    while (std::getline(ss, item, ',')) {
        char* end = nullptr;
        long long v = std::strtoll(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0') return false;
        out->push_back(v);
    }
    return !out->empty();
}

bool ParseInt(const char* text, long long low, long long high, long long* out) {
    char* end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    if (*text == '\0' || *end != '\0' || v < low || v > high) return false;
    *out = v;
    return true;
}

int Usage(const char* message, const char* value) {
    std::fprintf(stderr, "vq_headless: %s%s%s\n", message, value ? " " : "", value ? value : "");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 60;
    int every = 0;
    bool play = false;
    vqtest::HeadlessOptions options;
    vqtest::PlayRunOptions run;
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
        long long v = 0;
        if (a == "--frames") {
            frames = std::atoi(next("--frames"));
        } else if (a == "--digest-every") {
            if (!ParseInt(next("--digest-every"), 0, 1 << 30, &v)) return Usage("bad", argv[i]);
            every = static_cast<int>(v);
            run.digestEvery = v;
        } else if (a == "--run-folder") {
            options.runFolder = next("--run-folder");
            run.runFolder = options.runFolder;
        } else if (a == "--pad-script") {
            std::string error;
            if (!script.Load(next("--pad-script"), &error)) {
                std::fprintf(stderr, "vq_headless: %s\n", error.c_str());
                return 2;
            }
            options.padScript = &script;
            run.padScript = &script;
        } else if (a == "--program-folder") {
            options.programFolder = next("--program-folder");
            run.programFolder = options.programFolder;
        } else if (a == "--gl33") {
            options.gl33 = true;
            run.gl33 = true;
        } else if (a == "--mode") {
            if (!ParseInt(next("--mode"), 0, 3, &v)) return Usage("bad --mode", argv[i]);
            run.mode = static_cast<GameMode>(v);
            play = true;
        } else if (a == "--setup") {
            if (!ParseInt(next("--setup"), 0, 2, &v)) return Usage("bad --setup", argv[i]);
            run.setup = static_cast<PlayerSetup>(v);
            play = true;
        } else if (a == "--crafts") {
            std::vector<int64_t> crafts;
            const char* text = next("--crafts");
            if (!ParseList(text, &crafts) || crafts.size() != 2 || crafts[0] < 0 || crafts[0] > 3 ||
                crafts[1] < 0 || crafts[1] > 3) {
                return Usage("bad --crafts", text);
            }
            run.crafts[0] = static_cast<int32_t>(crafts[0]);
            run.crafts[1] = static_cast<int32_t>(crafts[1]);
            play = true;
        } else if (a == "--stage") {
            if (!ParseInt(next("--stage"), 0, 18, &v)) return Usage("bad --stage", argv[i]);
            run.stage = static_cast<int32_t>(v);
            play = true;
        } else if (a == "--ticks") {
            if (!ParseInt(next("--ticks"), 0, 1LL << 40, &v)) return Usage("bad --ticks", argv[i]);
            run.ticks = v;
            play = true;
        } else if (a == "--autopilot") {
            if (!ParseInt(next("--autopilot"), 0, 1, &v)) return Usage("bad --autopilot", argv[i]);
            run.autopilot = static_cast<int>(v);
            play = true;
        } else if (a == "--invulnerable") {
            run.invulnerable = true;
            play = true;
        } else if (a == "--credits") {
            if (!ParseInt(next("--credits"), 0, 99, &v)) return Usage("bad --credits", argv[i]);
            run.totalCredit = static_cast<int32_t>(v);
            play = true;
        } else if (a == "--snapshot") {
            const char* text = next("--snapshot");
            if (!ParseList(text, &run.snapshotTicks)) return Usage("bad --snapshot", text);
            play = true;
        } else if (a == "--out") {
            run.outFolder = next("--out");
        } else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            return 2;
        }
    }

    if (play) {
        vqtest::PlayRunResult result;
        if (!vqtest::RunPlay(run, &result, stdout)) {
            std::fprintf(stderr, "vq_headless: start-up failed\n");
            return 1;
        }
        // Every snapshot of a tick the run reached was written.
        int due = 0;
        for (int64_t t : run.snapshotTicks) due += t >= 1 && t <= result.ticks;
        bool pictures = result.snapshotsWritten == due;
        if (!pictures) {
            std::fprintf(stderr, "vq_headless: %d of %d snapshots written\n",
                         result.snapshotsWritten, due);
        }
        std::printf("%s\n", vqtest::PlayResultLine(result).c_str());
        bool asAsked = (result.ticks == run.ticks || result.backAtTitle) && pictures;
        return asAsked ? 0 : 1;
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
