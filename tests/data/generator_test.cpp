// The generator's own parts: what it writes reads back through the game's readers as it
// meant it, its shapes face outward, its music loops without a jump, its archive rules hold,
// and two runs write the same bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>

#include "engine/models/skinned_model.h"
#include "engine/stagefiles/camera_path.h"
#include "platform/image/picture.h"
#include "tests/data/data_fixture.h"
#include "tests/support/temp_folder.h"
#include "tools/mkdata/geom.h"
#include "tools/mkdata/imagefile.h"
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/music.h"
#include "tools/mkdata/terrain.h"

namespace vqtest {
namespace {

namespace fs = std::filesystem;

TEST(GeneratorTest, CameraPathsReadBackAsWritten) {
    std::vector<mk::V3> rail, target;
    for (int i = 0; i < 50; ++i) {
        rail.push_back(
            {static_cast<float>(i) * 3, 40 + std::sin(i * 0.1f), static_cast<float>(i) * 4});
        target.push_back({static_cast<float>(i) * 3 + 100, 30, static_cast<float>(i) * 4 + 200});
    }
    std::string text = mk::WriteCameraPath(rail, target);
    ReadAnimationKeys(text.data(), text.size(), 0);
    ASSERT_EQ(gCameraRail.keyCount[0], 50);
    EXPECT_EQ(gCameraRail.lookAt, 1);
    for (int i = 0; i < 50; ++i) {
        EXPECT_NEAR(gCameraRail.cameraPath[0][i].x, rail[i].x, 1e-3f);
        EXPECT_NEAR(gCameraRail.cameraPath[0][i].y, rail[i].y, 1e-3f);
        EXPECT_NEAR(gCameraRail.targetPath[0][i].z, target[i].z, 1e-3f);
        // The rotation keys are turns about y, read in file order as x, y, z, w.
        const float* q = gCameraRail.rotationKeys[0][i];
        EXPECT_NEAR(q[0], 0, 1e-5f);
        EXPECT_NEAR(q[2], 0, 1e-5f);
        EXPECT_NEAR(q[1] * q[1] + q[3] * q[3], 1, 1e-4f);
    }
    // Without a looked-at point the file has three blocks and no look-at.
    std::string plain = mk::WriteCameraPath(rail, {});
    ReadAnimationKeys(plain.data(), plain.size(), 0);
    EXPECT_EQ(gCameraRail.lookAt, 0);
    EXPECT_EQ(gCameraRail.keyCount[0], 50);
}

// A small model with a frame tree, a skinned mesh and a rotation track, written by the
// generator and read by the game: the track turns its frame the way it was meant to.
class GeneratorModelTest : public DataTest {};

TEST_F(GeneratorModelTest, ModelTextReadsBackWithItsTurnsAndBones) {
    TempFolder folder;
    mk::Model m;
    mk::Material mat;
    mat.name = "paint";
    mat.texture = "paint.bmp";
    m.materials = {mat};
    m.root.name = "Root";
    mk::Frame body;
    body.name = "body";
    mk::Frame arm;
    arm.name = "arm";
    arm.local = mk::Mat4::Translation(10, 0, 0);
    mk::Mesh mesh;
    mk::MeshBuilder b(mesh);
    b.Box({5, 0, 0}, {10, 2, 2});
    mesh.name = "skin";
    mk::SkinWeight wb, wa;
    wb.bone = "body";
    wa.bone = "arm";
    wa.offset = mk::Mat4::Translation(-10, 0, 0);
    for (size_t v = 0; v < mesh.verts.size(); ++v) {
        bool out = mesh.verts[v].p.x > 5;
        (out ? wa : wb).vertices.push_back(static_cast<int>(v));
        (out ? wa : wb).weights.push_back(1.0f);
    }
    mesh.skin = {wb, wa};
    body.meshes.push_back(mesh);
    body.children.push_back(arm);
    m.root.children.push_back(body);
    const float turn = 0.5f;
    mk::Animation a;
    a.name = "swing";
    a.frame = "arm";
    a.rot = {{0, mk::QuatFromAxisAngle({0, 1, 0}, turn)},
             {100, mk::QuatFromAxisAngle({0, 1, 0}, turn)}};
    m.sets.push_back({"motion", {a}});
    const std::string path = folder.File("model.x");
    std::ofstream(path) << mk::WriteX(m);
    mk::Image tex(4, 4, mk::Rgb(0x808080));
    mk::Bytes bmp = mk::EncodeBmp(tex, mk::BmpMode::Opaque);
    std::ofstream(folder.File("paint.bmp"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));

    SkinnedModel model;
    InitModelDevice(&model, 0, device_.get());
    ASSERT_EQ(LoadModelFile(&model, path.c_str()), kModelOk);
    EXPECT_EQ(model.bonePaletteSize, 2);
    ModelFrame* node = model.element->animatedFrames;
    ASSERT_NE(node, nullptr);
    ASSERT_NE(node->animatedTarget, nullptr);
    EXPECT_EQ(node->animatedTarget->name, "arm");
    uint32_t counters[kModelTimeSlots] = {};
    AdvanceModelAnimation(&model, counters);
    // The arm turns about y by `turn` (row vectors: x goes to (cos, 0, -sin)) and keeps its
    // place 10 units out.
    const gfx::Mat4& l = node->animatedTarget->local;
    EXPECT_NEAR(l.m[0][0], std::cos(turn), 1e-4f);
    EXPECT_NEAR(l.m[0][2], -std::sin(turn), 1e-4f);
    EXPECT_NEAR(l.m[2][0], std::sin(turn), 1e-4f);
    EXPECT_NEAR(l.m[3][0], 10, 1e-4f);
    ReleaseModel(&model);
}

TEST(GeneratorTest, PicturesEncodeAsTheLoaderReadsThem) {
    mk::Image img(4, 2);
    img.Px(0, 0) = {0, 1, 0, 1};              // opaque pure green must not turn into the key
    img.Px(1, 0) = {0.5f, 0, 0, 0.5f};        // half cover: kept, un-premultiplied (pure red)
    img.Px(2, 0) = {0.1f, 0.1f, 0.1f, 0.2f};  // little cover: the key
    img.Px(3, 1) = {0.25f, 0.25f, 0.25f, 0.5f};
    image::Picture p;
    mk::Bytes bmp = mk::EncodeBmp(img, mk::BmpMode::Keyed);
    ASSERT_TRUE(image::DecodePicture(bmp, &p));
    ASSERT_EQ(p.width, 4u);
    auto at = [&](int x, int y) { return p.texels[static_cast<size_t>(y) * p.width + x]; };
    EXPECT_NE(at(0, 0), image::kTransparentKey);
    EXPECT_EQ(at(1, 0), 0xFFFF0000u);
    EXPECT_EQ(at(2, 0), image::kTransparentKey);
    // TGA keeps the alpha; the premultiplied form stores colour x alpha (0.25 of 255).
    mk::Bytes tga = mk::EncodeTga(img, true);
    ASSERT_TRUE(image::DecodePicture(tga, &p));
    EXPECT_EQ(at(3, 1) >> 24, 128u);
    EXPECT_EQ((at(3, 1) >> 16) & 0xFF, 64u);
}

// Front faces: (b - a) x (c - a) points away from the inside, as the course collision and
// the culling expect.
TEST(GeneratorTest, BuiltShapesFaceOutward) {
    auto outward = [](const mk::Mesh& m, mk::V3 centre) {
        int wrong = 0;
        for (const mk::Tri& t : m.tris) {
            mk::V3 a = m.verts[t.a].p, b = m.verts[t.b].p, c = m.verts[t.c].p;
            mk::V3 n = mk::Cross(b - a, c - a);
            mk::V3 mid = (a + b + c) * (1.0f / 3);
            wrong += mk::Dot(n, mid - centre) < 0;
        }
        return wrong;
    };
    mk::Mesh box, sphere, loft, torus;
    mk::MeshBuilder(box).Box({1, 2, 3}, {4, 5, 6});
    mk::MeshBuilder(sphere).Sphere({0, 0, 0}, 10, 8, 12);
    mk::MeshBuilder(loft).Loft({{-10, 3, 3, 0}, {0, 5, 4, 0}, {10, 2, 2, 0}}, 10);
    mk::MeshBuilder(torus).Torus(10, 2, 16, 8);
    EXPECT_EQ(outward(box, {1, 2, 3}), 0);
    EXPECT_EQ(outward(sphere, {0, 0, 0}), 0);
    EXPECT_EQ(outward(loft, {0, 0, 0}), 0);
    // A mirrored builder keeps the faces outward.
    mk::Mesh mirrored;
    mk::MeshBuilder(mirrored).At(mk::Mat4::Scaling(-1, 1, 1)).Box({0, 0, 0}, {2, 2, 2});
    EXPECT_EQ(outward(mirrored, {0, 0, 0}), 0);
    // Ground built along a course faces up.
    std::vector<mk::V3> keys;
    for (int i = 0; i < 200; ++i) keys.push_back({std::sin(i * 0.01f) * 50, 40, i * 5.0f});
    mk::Mesh ground;
    mk::BuildRibbon(ground, keys, false, 0, 199, mk::Ribbon{},
                    [](float lat, float) { return -45 + std::fabs(lat) * 0.1f; });
    int down = 0;
    for (const mk::Tri& t : ground.tris) {
        mk::V3 a = ground.verts[t.a].p, b = ground.verts[t.b].p, c = ground.verts[t.c].p;
        down += mk::Cross(b - a, c - a).y <= 0;
    }
    EXPECT_EQ(down, 0);
}

// The end of each loop runs on into its start: the step across the join is no larger than
// the steps the music makes around it.
TEST(GeneratorTest, MusicLoopsJoinWithoutAJump) {
    for (int track : {0, 4, 10}) {
        std::vector<int16_t> s = mk::RenderTrack(track);
        const size_t frames = s.size() / 2;
        ASSERT_GT(frames, 20u * mk::kMusicRate);
        for (int ch = 0; ch < 2; ++ch) {
            int local = 1;
            for (size_t i = frames - 200; i + 1 < frames; ++i)
                local = std::max(local, std::abs(s[2 * (i + 1) + ch] - s[2 * i + ch]));
            for (size_t i = 0; i < 200; ++i)
                local = std::max(local, std::abs(s[2 * (i + 1) + ch] - s[2 * i + ch]));
            int join = std::abs(s[ch] - s[2 * (frames - 1) + ch]);
            EXPECT_LE(join, local + local / 2) << "track " << track;
        }
    }
}

// Bytes that do not pack smaller, so that two entries fill more than one volume.
mk::Bytes Unpackable(size_t size, uint32_t seed) {
    mk::Bytes b(size);
    for (uint8_t& x : b) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<uint8_t>(seed >> 24);
    }
    return b;
}

// A data set whose archive names would shadow each other is refused, and the folder keeps
// what an earlier run wrote.
TEST(GeneratorTest, ArchiveNamesThatShadowEachOtherAreRefused) {
    TempFolder folder;
    const std::vector<mk::OutFile> good = {
        {"bmp/title.bmp", mk::Bytes(10, 7), mk::Place::Loose},
        {"xfile/a/big0.bmp", Unpackable(6 << 20, 1), mk::Place::VolumeArchive},
        {"xfile/a/big1.bmp", Unpackable(6 << 20, 2), mk::Place::VolumeArchive},
    };
    ASSERT_TRUE(mk::WriteDataTree(good, folder.Path()));
    std::vector<mk::OutFile> files = good;
    files.push_back({"xfile/fortress/guardian_a.bmp", mk::Bytes(100, 1), mk::Place::VolumeArchive});
    files.push_back({"xfile/fortress/guardian_b.bmp", mk::Bytes(100, 2), mk::Place::VolumeArchive});
    EXPECT_FALSE(mk::WriteDataTree(files, folder.Path()));
    for (const char* kept : {"bmp/title.bmp", "pakindex.bin", "bin/data000.bin", "bin/data001.bin"})
        EXPECT_TRUE(fs::exists(folder.File(kept))) << kept;
}

// A second run replaces what the first one wrote (a picture that moved into an archive
// leaves no loose copy behind) and touches nothing else in the folder: the player's
// settings, files of their own, and nothing outside the folder even when the list of the
// last run's files names it.
TEST(GeneratorTest, ARerunRemovesOnlyWhatTheLastRunWrote) {
    TempFolder outer;
    const std::string run = outer.File("run");
    std::vector<mk::OutFile> files = {
        {"bmp/title.bmp", mk::Bytes(10, 7), mk::Place::Loose},
        {"v_quorl.ini", mk::Bytes(5, 'a'), mk::Place::Loose},
        {"xfile/a/big0.bmp", Unpackable(6 << 20, 1), mk::Place::VolumeArchive},
        {"xfile/a/big1.bmp", Unpackable(6 << 20, 2), mk::Place::VolumeArchive},
        {"bmp/system.bmp", mk::Bytes(300, 3), mk::Place::PictureArchive},
    };
    ASSERT_TRUE(mk::WriteDataTree(files, run));
    EXPECT_EQ(ReadWholeFile(run + "/v_quorl.ini"), "aaaaa");
    WriteWholeFile(run + "/v_quorl.ini", "records");
    WriteWholeFile(run + "/bmp/mine.bmp", "mine");
    WriteWholeFile(outer.File("outside.txt"), "outside");
    {
        std::ofstream list(run + "/mkdata.files", std::ios::app);
        list << "../outside.txt\n" << outer.File("outside.txt") << "\n";
    }

    files[0].place = mk::Place::VolumeArchive;  // the title moves into the volumes
    ASSERT_TRUE(mk::WriteDataTree(files, run));
    EXPECT_FALSE(fs::exists(run + "/bmp/title.bmp"));
    EXPECT_EQ(ReadWholeFile(run + "/v_quorl.ini"), "records");
    EXPECT_EQ(ReadWholeFile(run + "/bmp/mine.bmp"), "mine");
    EXPECT_EQ(ReadWholeFile(outer.File("outside.txt")), "outside");
    for (const char* made : {"bmpdata.bin", "pakindex.bin", "bin/data000.bin", "bin/data001.bin"})
        EXPECT_TRUE(fs::exists(run + "/" + made)) << made;
    EXPECT_FALSE(fs::exists(run + "/bin/data002.bin"));
}

// The command line: nothing unknown is taken for granted, and a part of the data set is
// never written over a run folder.
TEST(GeneratorTest, TheCommandRefusesWhatItCannotDoSafely) {
    TempFolder folder;
    WriteWholeFile(folder.File("keep.txt"), "keep");
    auto run = [&](const std::string& args) {
        std::string cmd = std::string("ASAN_OPTIONS=detect_leaks=0 ") + VQ_MKDATA + " " + args +
                          " > /dev/null 2>&1";
        int rc = std::system(cmd.c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    };
    const std::string dir = "'" + folder.Path() + "'";
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(run("--jobs 4"), 2);
    EXPECT_EQ(run(dir + " --job 4"), 2);
    EXPECT_EQ(run(dir + " --jobs x"), 2);
    EXPECT_EQ(run(dir + " --jobs 0"), 2);
    EXPECT_EQ(run(dir + " --only title"), 2);
    EXPECT_EQ(run(dir + " --preview --only no-such-part"), 2);
    EXPECT_EQ(folder.EntryCount(), 1);
    // A preview writes its pictures loose and removes nothing.
    EXPECT_EQ(run(dir + " --preview --only hiscore_title --jobs 2"), 0);
    EXPECT_TRUE(fs::exists(folder.File("bmp/hiscore_title.tga")));
    EXPECT_EQ(ReadWholeFile(folder.File("keep.txt")), "keep");
}

// Two runs of the generator write the same bytes.
TEST(GeneratorTest, TwoRunsWriteTheSameBytes) {
    TempFolder a, b;
    for (const TempFolder* f : {&a, &b}) {
        std::string cmd = std::string("ASAN_OPTIONS=detect_leaks=0 ") + VQ_MKDATA + " '" +
                          f->Path() + "' > /dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(a.Path())) {
        if (!entry.is_regular_file()) continue;
        fs::path rel = fs::relative(entry.path(), a.Path());
        SCOPED_TRACE(rel.string());
        fs::path other = fs::path(b.Path()) / rel;
        ASSERT_TRUE(fs::exists(other));
        std::ifstream x(entry.path(), std::ios::binary), y(other, std::ios::binary);
        std::string bx((std::istreambuf_iterator<char>(x)), std::istreambuf_iterator<char>());
        std::string by((std::istreambuf_iterator<char>(y)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(bx == by);
        ++files;
    }
    EXPECT_GT(files, 200u);
}

}  // namespace
}  // namespace vqtest
