// Damaged stage data, through the real start-up and a stage's load: every kind of file that
// play reads (stage index, camera path, map, sky, craft and enemy models), each missing,
// empty, cut in half and with bytes changed. The game either tells the player with a message
// naming the file, or loads exactly what the sound files give; it never plays on changed
// without a word. A folder in a file's place (also in a music track's) is a missing file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/digest.h"
#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"
#include "engine/main/frame.h"
#include "engine/models/skinned_model.h"
#include "engine/stagefiles/camera_path.h"
#include "tests/models/scratch_folder.h"
#include "tests/support/headless_game.h"
#include "tests/support/pictures.h"
#include "tests/support/temp_folder.h"
#include "tests/world/stage_files.h"
#include "world/course/collision.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"

namespace {

constexpr const char* kCraftFiles[kCraftModelCount] = {
    "xfile/craft0/craft0.x", "xfile/craft1/craft1.x", "xfile/craft2/craft2.x",
    "xfile/craft3/craft3.x"};

// Stage 1-1 with its files, then blocks of further stages as the index of a whole game
// holds them (their files are not needed: only the first stage is loaded).
std::string StageIndexText() {
    std::string s =
        "// Stage index: one block per stage, in stage order.\n\n"
        "stage:1-1\nmaptype:2\nwindline:\nfog:1500.0:9000.0\nlightdir:-0.331:-0.827:0.455\n"
        "lightcolor:1.00:0.96:0.88\nlightamb:0.42:0.45:0.53\nfarclip:40000\ndrawcode:1\n"
        "sunpos:-30000.0:30000.0:90000.0\nmap:xfile/st/map0.x\nmap:xfile/st/map1.x\n"
        "mapbg:xfile/st/sky.x\nmapcamera:xfile/st/cam.x\nfogcolor:184:216:240\n"
        "backcolor:184:216:240\n";
    const char* codes[] = {"1-2", "1-3", "2-1", "2-2", "2-3", "3-1"};
    for (const char* code : codes) {
        s += std::string("\nstage:") + code +
             "\nmaptype:1\nmapx:1200\nmapz:1200\nmapnumx:3\nmapnumz:8\nscroll:6.0\n"
             "mapposy:-45.0\nfog:2000.0:9000.0\nlightdir:-0.331:-0.827:0.455\n"
             "map:xfile/later/map00.x\nmapbg:xfile/later/sky.x\nfogcolor:192:228:244\n"
             "backcolor:192:228:244\n";
    }
    return s;
}

// A rail of 40 keys along z that climbs a little, with a looked-at point ahead of it.
std::string CameraText() {
    vqtest::CameraKeys k;
    for (int i = 0; i < 40; ++i) {
        float z = 25.0f * static_cast<float>(i);
        k.rotations.push_back({0.0f, 0.0f, 0.0f, 1.0f});
        k.cameras.push_back({0.0f, 40.0f + 0.5f * static_cast<float>(i), z});
        k.targets.push_back({0.0f, 20.0f, z + 300.0f});
    }
    return vqtest::CameraFile(k);
}

// A model as the crafts and enemies are made: a textured body with a wing frame, whose
// wing is turned by an animation.
std::string ModelText() {
    std::string s =
        "xof 0302txt 0032\n\n"
        "Material paint {\n 0.8;0.8;0.8;1.0;;\n 8.0;\n 0.2;0.2;0.2;;\n 0.0;0.0;0.0;;\n"
        " TextureFilename { \"paint.bmp\"; }\n}\n"
        "Frame Root {\n FrameTransformMatrix {\n  1.0,0.0,0.0,0.0,\n  0.0,1.0,0.0,0.0,\n"
        "  0.0,0.0,1.0,0.0,\n  0.0,0.0,0.0,1.0;;\n }\n"
        " Frame Body {\n  FrameTransformMatrix {\n   1.0,0.0,0.0,0.0,\n   0.0,1.0,0.0,0.0,\n"
        "   0.0,0.0,1.0,0.0,\n   0.0,0.0,0.0,1.0;;\n  }\n"
        "  Mesh body {\n   8;\n   -2.0;-1.0;-4.0;,\n   2.0;-1.0;-4.0;,\n   2.0;1.0;-4.0;,\n"
        "   -2.0;1.0;-4.0;,\n   -2.0;-1.0;4.0;,\n   2.0;-1.0;4.0;,\n   2.0;1.0;4.0;,\n"
        "   -2.0;1.0;4.0;;\n   12;\n   3;0,2,1;,\n   3;0,3,2;,\n   3;4,5,6;,\n   3;4,6,7;,\n"
        "   3;0,1,5;,\n   3;0,5,4;,\n   3;3,7,6;,\n   3;3,6,2;,\n   3;1,2,6;,\n   3;1,6,5;,\n"
        "   3;0,4,7;,\n   3;0,7,3;;\n"
        "   MeshMaterialList {\n    1;\n    12;\n    0,0,0,0,0,0,0,0,0,0,0,0;;\n    {paint}\n   }\n"
        "   MeshTextureCoords {\n    8;\n    0.0;0.0;,\n    1.0;0.0;,\n    1.0;1.0;,\n"
        "    0.0;1.0;,\n    0.0;0.0;,\n    1.0;0.0;,\n    1.0;1.0;,\n    0.0;1.0;;\n   }\n"
        "  }\n"
        "  Frame Wing {\n   FrameTransformMatrix {\n    1.0,0.0,0.0,0.0,\n    0.0,1.0,0.0,0.0,\n"
        "    0.0,0.0,1.0,0.0,\n    2.0,0.0,0.0,1.0;;\n   }\n"
        "   Mesh wing {\n    4;\n    0.0;0.0;-2.0;,\n    6.0;0.0;-1.0;,\n    6.0;0.0;1.0;,\n"
        "    0.0;0.0;2.0;;\n    2;\n    3;0,1,2;,\n    3;0,2,3;;\n"
        "    MeshMaterialList {\n     1;\n     2;\n     0,0;;\n     {paint}\n    }\n   }\n  }\n"
        " }\n}\n\n"
        "AnimationSet Fly {\n Animation {\n  {Wing}\n  AnimationKey {\n   0;\n   5;\n";
    const char* turns[] = {"1.0,0.0,0.0,0.0", "0.996,0.0,0.0,0.087", "0.985,0.0,0.0,0.174",
                           "0.996,0.0,0.0,0.087", "1.0,0.0,0.0,0.0"};
    for (int i = 0; i < 5; ++i) {
        s += "   " + std::to_string(i * 40) + ";4;" + turns[i] + ";;" + (i < 4 ? ",\n" : ";\n");
    }
    return s + "  }\n }\n}\n";
}

// The files of the sound data, with the folders their textures are looked for in.
void WriteSoundData() {
    using vqtest::ScratchFolder;
    ScratchFolder::Write("idx/stage.idx", StageIndexText());
    ScratchFolder::Write("xfile/st/map0.x",
                         vqtest::MapFile({{-100, 100, 0, 500, 0}, {-100, 100, 500, 1000, 5}}));
    ScratchFolder::Write(
        "xfile/st/map1.x",
        vqtest::MapFile({{-300, -100, 0, 1000, 20}, {100, 300, 0, 1000, 20, "rock", "rock.bmp"}}));
    ScratchFolder::Write("xfile/st/sky.x",
                         vqtest::MapFile({{-900, 900, -900, 900, 500, "sky", "sky.bmp"}}));
    ScratchFolder::Write("xfile/st/cam.x", CameraText());
    const std::vector<uint8_t> bmp = vqtest::EncodeBmp24(vqtest::SolidPicture(8, 8, 0xFF608060u));
    for (const char* texture : {"xfile/st/ground.bmp", "xfile/st/rock.bmp", "xfile/st/sky.bmp"}) {
        ASSERT_TRUE(vqtest::WriteFileBytes(texture, bmp));
    }
    const std::string model = ModelText();
    auto writeModel = [&](const std::string& path) {
        ScratchFolder::Write(path, model);
        std::string folder = path.substr(0, path.rfind('/') + 1);
        ASSERT_TRUE(vqtest::WriteFileBytes(folder + "paint.bmp", bmp));
    };
    for (const char* path : kCraftFiles) writeModel(path);
    for (int slot = 0; slot < kEnemyModelSlots; ++slot) {
        if (EnemyModelFile(slot)) writeModel(EnemyModelFile(slot));
    }
}

enum class Form { Missing, Empty, CutInHalf, BytesChanged, Folder };

const char* FormName(Form form) {
    switch (form) {
        case Form::Missing:
            return "missing";
        case Form::Empty:
            return "empty";
        case Form::CutInHalf:
            return "cut in half";
        case Form::BytesChanged:
            return "bytes changed";
        case Form::Folder:
            return "a folder in its place";
    }
    return "";
}

// Damages one file of the data: removed, emptied, cut to its first half, one byte in every
// 200 (from byte 100 on) replaced by 0xFF, a byte neither ASCII nor CP932 text holds, or
// replaced by a folder holding a file.
void Damage(const std::string& path, Form form) {
    std::string bytes = std::filesystem::exists(path) ? vqtest::ReadWholeFile(path) : "";
    switch (form) {
        case Form::Missing:
            std::filesystem::remove(path);
            return;
        case Form::Folder:
            std::filesystem::remove(path);
            vqtest::ScratchFolder::Write(path + "/inside", bytes);
            return;
        case Form::Empty:
            bytes.clear();
            break;
        case Form::CutInHalf:
            bytes.resize(bytes.size() / 2);
            break;
        case Form::BytesChanged:
            for (size_t i = 100; i < bytes.size(); i += 200) bytes[i] = '\xFF';
            break;
    }
    vqtest::ScratchFolder::Write(path, bytes);
}

void CountModel(const ModelFrame* frame, size_t* frames, size_t* containers, size_t* keys) {
    for (; frame; frame = frame->sibling) {
        ++*frames;
        for (const MeshContainer* c = frame->containers; c; c = c->next) ++*containers;
        *keys += frame->rotationKeys.size() + frame->positionKeys.size() + frame->scaleKeys.size() +
                 frame->matrixKeys.size();
        CountModel(frame->firstChild, frames, containers, keys);
    }
}

std::string DescribeModel(const SkinnedModel& model) {
    if (!model.element) return "none";
    size_t frames = 0, containers = 0, keys = 0;
    CountModel(model.element->root, &frames, &containers, &keys);
    char text[160];
    std::snprintf(text, sizeof text, "frames %zu meshes %zu keys %zu radius %a", frames, containers,
                  keys, static_cast<double>(model.element->radius));
    return text;
}

std::string DescribeMesh(const StaticMesh& mesh) {
    if (!mesh.mesh) return "none";
    char text[96];
    std::snprintf(text, sizeof text, "faces %u subsets %d radius %a", mesh.mesh->GetNumFaces(),
                  mesh.subsetCount, static_cast<double>(mesh.radius));
    return text;
}

// What the first stage's play is made of once the start-up and the stage's load are done,
// one line per part.
std::string DescribeLoadedStage() {
    std::string s;
    char line[160];
    s += gGameState.stageCount > 0 ? "stage 1-1 listed\n" : "no stage\n";
    std::snprintf(line, sizeof line, "record %016llx\n",
                  static_cast<unsigned long long>(FoldDigestValue(0, gStageInfo[0])));
    s += line;
    const CameraRail& r = gCameraRail;
    uint64_t keys = 0;
    int32_t n = std::max(0, r.keyCount[0]);
    keys = FoldDigest(keys, r.rotationKeys[0], sizeof r.rotationKeys[0][0] * n);
    keys = FoldDigest(keys, r.cameraPath[0], sizeof r.cameraPath[0][0] * n);
    if (r.lookAt) keys = FoldDigest(keys, r.targetPath[0], sizeof r.targetPath[0][0] * n);
    std::snprintf(line, sizeof line, "rail %d look-at %d keys %016llx\n", r.keyCount[0], r.lookAt,
                  static_cast<unsigned long long>(keys));
    s += line;
    for (int i = 0; i < kStageMeshSlots; ++i) {
        const CollisionSegment& c = gCollisionSegments[static_cast<size_t>(i)];
        if (!gStageMeshes[static_cast<size_t>(i)].mesh && c.count == 0) continue;
        std::snprintf(line, sizeof line, "map %d: %s; collision %d polygons %016llx\n", i,
                      DescribeMesh(gStageMeshes[static_cast<size_t>(i)]).c_str(), c.count,
                      static_cast<unsigned long long>(
                          FoldDigest(0, c.polygons, sizeof c.polygons[0] * c.count)));
        s += line;
    }
    s += "sky: " + DescribeMesh(BackgroundMesh()) + "\n";
    for (int i = 0; i < kCraftModelCount; ++i) {
        s += "craft " + std::to_string(i) + ": " + DescribeModel(gCraftModels[i]) + "\n";
    }
    for (int slot = 0; slot < kEnemyModelSlots; ++slot) {
        if (!gEnemyModelNeeded[static_cast<size_t>(slot)] || !EnemyModelFile(slot)) continue;
        s += "enemy " + std::to_string(slot) + ": " +
             DescribeModel(gEnemyModels[static_cast<size_t>(slot)]) + "\n";
    }
    return s;
}

// Starts the game on the data of the current folder, loads the first stage as the play
// scene's load step does and describes it; *told gets the messages shown meanwhile.
std::string StartAndLoadFirstStage(std::string* told) {
    testing::internal::CaptureStderr();
    vqtest::HeadlessOptions options;
    options.runFolder = std::filesystem::current_path().string();
    std::string loaded;
    if (vqtest::StartHeadlessGame(options)) {
        gGameState.stage = 0;
        gGameState.scene = SceneId::Play;
        StartLoaderThread();
        vqtest::RunFrame();
        loaded = DescribeLoadedStage();
    }
    vqtest::StopHeadlessGame();
    *told = testing::internal::GetCapturedStderr();
    return loaded;
}

TEST(DamagedData, IsToldOrPlaysAsTheSoundData) {
    std::string soundTold, enemyFile;
    std::string sound;
    {
        vqtest::ScratchFolder folder;
        WriteSoundData();
        sound = StartAndLoadFirstStage(&soundTold);
        // The sound data loads whole; pick an enemy model the stage needs.
        ASSERT_NE(sound.find("stage 1-1 listed"), std::string::npos);
        ASSERT_NE(sound.find("rail 40 look-at 1"), std::string::npos) << sound;
        ASSERT_EQ(sound.find("none"), std::string::npos) << sound;
        size_t enemy = sound.find("enemy ");
        ASSERT_NE(enemy, std::string::npos) << "the first stage needs no enemy model";
        enemyFile = EnemyModelFile(std::atoi(sound.c_str() + enemy + 6));
        ASSERT_FALSE(enemyFile.empty());
    }
    const std::string files[] = {"idx/stage.idx",  "xfile/st/cam.x", "xfile/st/map1.x",
                                 "xfile/st/sky.x", kCraftFiles[0],   enemyFile};
    for (const std::string& file : files) {
        ASSERT_EQ(soundTold.find(file), std::string::npos) << soundTold;
        for (Form form : {Form::Missing, Form::Empty, Form::CutInHalf, Form::BytesChanged}) {
            SCOPED_TRACE(file + " " + FormName(form));
            vqtest::ScratchFolder folder;
            WriteSoundData();
            Damage(file, form);
            std::string told;
            std::string loaded = StartAndLoadFirstStage(&told);
            if (told.find(file) != std::string::npos) continue;  // the player is told
            EXPECT_EQ(loaded, sound) << "played on changed without a word; shown:\n" << told;
        }
    }
}

// A folder where a data file should be is that file missing: the same message with the same
// path, and the same game.
TEST(DamagedData, AFolderInAFilesPlaceIsAMissingFile) {
    const std::string files[] = {"idx/stage.idx",  "xfile/st/cam.x", "xfile/st/map1.x",
                                 "xfile/st/sky.x", kCraftFiles[0],   "xfile/st/ground.bmp",
                                 "BGM/title.wav",  "BGM/stage1.wav"};
    for (const std::string& file : files) {
        std::string told[2], loaded[2];
        for (Form form : {Form::Missing, Form::Folder}) {
            SCOPED_TRACE(file + " " + FormName(form));
            vqtest::ScratchFolder folder;
            WriteSoundData();
            Damage(file, form);
            int k = form == Form::Folder;
            loaded[k] = StartAndLoadFirstStage(&told[k]);
        }
        SCOPED_TRACE(file);
        EXPECT_EQ(told[1], told[0]);
        EXPECT_EQ(loaded[1], loaded[0]);
    }
}

}  // namespace
