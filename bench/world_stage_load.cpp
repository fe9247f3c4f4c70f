// A stage's load as the play scene's load step runs it, and its release: 10 map files of
// 1,000 triangles each (read as meshes and again for the collision), a background, the
// shot and object meshes, a camera path of 2,000 keys, the 19 play pictures and the maps'
// textures, from a temporary folder on the null device.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/game_state.h"
#include "engine/main/app.h"
#include "platform/gfx/device.h"
#include "tests/models/scratch_folder.h"
#include "tests/support/pictures.h"
#include "tests/world/stage_files.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"

namespace {

void WriteStage() {
    using vqtest::ScratchFolder;
    std::vector<uint8_t> picture = vqtest::EncodeBmp24(vqtest::SolidPicture(64, 64, 0xFF608040u));
    std::vector<uint8_t> sheet = vqtest::EncodeTga32(vqtest::SolidPicture(256, 256, 0xFF608040u));
    const char* pictures[] = {
        "bmp/itemslot01.tga",    "bmp/weponsel_pil0.tga", "bmp/weponsel_pil1.tga",
        "bmp/item.tga",          "bmp/item_mini.tga",     "bmp/effect.bmp",
        "bmp/effect_opa.bmp",    "bmp/effect_sun.bmp",    "bmp/effect_shot.bmp",
        "bmp/b_coin.tga",        "bmp/murabito.bmp",      "bmp/walk_masc.bmp",
        "bmp/roll_efect.bmp",    "bmp/shade.bmp",         "bmp/pc_gage.tga",
        "bmp/clear_messe.tga",   "bmp/gameover.tga",      "bmp/weponsel_pil2.tga",
        "bmp/weponsel_pil3.tga", "bmp/walk_figure.bmp",
    };
    ScratchFolder::Write("bmp/.keep", "");
    for (const char* p : pictures) {
        vqtest::WriteFileBytes(p, std::string(p).ends_with(".tga") ? sheet : picture);
    }
    vqtest::WriteFileBytes("xfile/st/ground.bmp", picture);
    vqtest::WriteFileBytes("xfile/st/rock.bmp", picture);

    StageInfo& stage = gStageInfo[0];
    std::memset(&stage, 0, sizeof stage);
    stage.mapType = 2;
    for (int m = 0; m < 10; ++m) {
        std::vector<vqtest::MapSquare> squares;
        for (int q = 0; q < 500; ++q) {
            float x = static_cast<float>(q % 25) * 20.0f,
                  z = static_cast<float>(m * 20 + q / 25) * 20.0f;
            squares.push_back({x, x + 20.0f, z, z + 20.0f, 0.0f, q % 2 ? "rock" : "ground",
                               q % 2 ? "rock.bmp" : "ground.bmp"});
        }
        std::string name = "xfile/st/map" + std::to_string(m) + ".x";
        ScratchFolder::Write(name, vqtest::MapFile(squares));
        std::strcpy(stage.mapNames[stage.mapCount++], name.c_str());
    }
    ScratchFolder::Write("xfile/st/sky.x", vqtest::MapFile({{-900, 900, -900, 900, 500}}));
    stage.hasBackground = 1;
    std::strcpy(stage.backgroundName, "xfile/st/sky.x");
    const char* objects[] = {"xfile/misairu/misairu.x",      "xfile/kabocha/kabocha.x",
                             "xfile/vecter/vecter_option.x", "xfile/vecter/vecter_cannon.x",
                             "xfile/drill/drill.x",          "xfile/glider/glider.x"};
    for (const char* o : objects)
        ScratchFolder::Write(o, vqtest::MapFile({{0, 1, 0, 1, 0, "m", ""}}));
    vqtest::CameraKeys keys;
    for (int k = 0; k < 2000; ++k) {
        keys.rotations.push_back({0.0f, 0.0f, 0.0f, 1.0f});
        keys.cameras.push_back({0.0f, 50.0f, 10.0f * static_cast<float>(k)});
    }
    ScratchFolder::Write("xfile/st/cam.x", vqtest::CameraFile(keys));
    std::strcpy(stage.cameraNames[stage.cameraCount++], "xfile/st/cam.x");
}

void StageLoad(benchmark::State& state) {
    vqtest::ScratchFolder folder;
    WriteStage();
    gfx::Device* device = gfx::CreateNullDevice(gfx::PresentParams{});
    gPlatform.device = device;
    gGameState.stage = 0;
    for (auto _ : state) {
        LoadStageResources();
        LoadStageEnemyModels();
        state.PauseTiming();
        ReleaseStageResources();
        state.ResumeTiming();
    }
    gCurrentStage = nullptr;
    gPlatform.device = nullptr;
    delete device;
}
BENCHMARK(StageLoad)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
