// The music, the attract movie, the form table and the settings file, through the game's
// readers.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/archive/archive_format.h"
#include "engine/graphics/texture_groups.h"
#include "platform/audio/audio.h"
#include "platform/image/picture.h"
#include "platform/movie/movie.h"
#include "platform/profile/profile.h"
#include "tests/data/data_fixture.h"
#include "tests/support/temp_folder.h"
#include "tools/mkdata/mkdata.h"
#include "world/draw/form_sprite.h"

namespace vqtest {
namespace {

using MediaTest = DataTest;

TEST_F(MediaTest, EveryMusicTrackDecodesAndLastsTwentySeconds) {
    const char* tracks[11] = {"BGM/title.wav",  "BGM/stage1.wav",   "BGM/stage2.wav",
                              "BGM/stage3.wav", "BGM/intervel.wav", "BGM/shop.wav",
                              "BGM/ed.wav",     "BGM/staff.wav",    "BGM/result.wav",
                              "BGM/over.wav",   "BGM/select.wav"};
    for (const char* t : tracks) {
        SCOPED_TRACE(t);
        std::vector<uint8_t> bytes = ReadBytes(t);
        std::vector<int16_t> stereo;
        ASSERT_TRUE(audio::DecodeWave(bytes, &stereo));
        const double seconds = stereo.size() / 2 / 44100.0;
        EXPECT_GE(seconds, 20.0);
        EXPECT_LE(seconds, 40.0);
        // Loud enough to hear, and not clipped flat.
        double sum = 0;
        int clipped = 0;
        for (int16_t s : stereo) {
            sum += static_cast<double>(s) * s;
            clipped += s == 32767 || s == -32768;
        }
        EXPECT_GT(std::sqrt(sum / stereo.size()), 2000.0);
        EXPECT_LT(clipped, static_cast<int>(stereo.size() / 1000));
    }
}

TEST_F(MediaTest, TheAttractMoviePlaysPicturesToItsEnd) {
    movie::Clip* clip = movie::OpenClip(movie::Backend::Ffmpeg, "vq_demo.wmv");
    ASSERT_NE(clip, nullptr);
    ASSERT_EQ(clip->Advance(6000), movie::ClipStatus::Playing);
    int w = 0, h = 0;
    const uint8_t* px = clip->Picture(&w, &h);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 480);
    EXPECT_EQ(h, 360);
    // Mid-flight the picture is not blank.
    long sum = 0;
    for (int i = 0; i < w * h * 4; i += 4) sum += px[i] + px[i + 1] + px[i + 2];
    EXPECT_GT(sum / (w * h), 100);
    EXPECT_GT(clip->PictureCount(), 100u);
    EXPECT_EQ(clip->Advance(20000), movie::ClipStatus::Ended);
    movie::CloseClip(clip);
}

// The form table: the riders' frames (form 0 with its pitch poses) rebuilt from their cells
// stand on the sprite's bottom row, within the cell sheet.
TEST_F(MediaTest, TheFormTableRebuildsTheRiders) {
    std::span<const uint8_t> table = FormTableBytes();
    ASSERT_GT(table.size(), 24u);
    for (int form = 0; form < 4; ++form) {
        SCOPED_TRACE(form);
        uint32_t block = archive::ReadBe32(table.data() + 4 * form);
        ASSERT_LT(block + 1280, table.size());
        const int frames = form == 0 ? 46 : 40;
        for (int f = 0; f < frames; ++f) {
            uint16_t count = archive::ReadBe16(table.data() + block + 256 + 2 * f);
            uint16_t first = archive::ReadBe16(table.data() + block + 768 + 2 * f);
            ASSERT_GT(count, 30) << f;
            ASSERT_LE(first + count, 4096) << f;
            ASSERT_LE(block + 1280 + 2u * (first + count), table.size()) << f;
            int lowestRow = 0, minCol = 16, maxCol = 0;
            for (int n = first; n < first + count; ++n) {
                uint16_t cell = archive::ReadBe16(table.data() + block + 1280 + 2 * n);
                ASSERT_LT(cell, 256) << f;
                lowestRow = std::max(lowestRow, cell / 16);
                minCol = std::min(minCol, cell % 16);
                maxCol = std::max(maxCol, cell % 16);
            }
            EXPECT_EQ(lowestRow, 15) << "frame " << f << " stands on the bottom row";
            EXPECT_LE(std::abs((minCol + maxCol) - 15), 4) << "frame " << f << " is centred";
        }
        // Frames 3..7 of each view repeat the first three.
        for (int v = 0; v < 5; ++v)
            for (int a = 3; a < 8; ++a)
                EXPECT_EQ(archive::ReadBe16(table.data() + block + 768 + 2 * (v * 8 + a)),
                          archive::ReadBe16(table.data() + block + 768 + 2 * (v * 8 + a % 3)));
    }
    // Forms 4 and 5 draw nothing.
    for (int form = 4; form < 6; ++form) {
        uint32_t block = archive::ReadBe32(table.data() + 4 * form);
        for (int f = 0; f < 256; ++f)
            EXPECT_EQ(archive::ReadBe16(table.data() + block + 256 + 2 * f), 0);
    }
}

// The riders as the sprite drawing builds them: every view, animation frame and pitch pose
// has cells, each cell's texels lie in its picture and show something there.
TEST_F(MediaTest, RiderSpritesShowTheirPicturesInEveryViewAndPose) {
    static LitSpriteVertex vertices[kFormSpriteCellLimit * 6];
    LoadTexture(TextureGroup::Common, &gFormTextures[0], "bmp/chr00.bmp", 512, 512);
    LoadTexture(TextureGroup::Common, &gFormTextures[1], "bmp/chr01.bmp", 512, 512);
    LoadTexture(TextureGroup::Common, &gFormTextures[2], "bmp/chr02.bmp", 512, 512);
    LoadTexture(TextureGroup::Common, &gFormTextures[3], "bmp/chr03.bmp", 512, 512);
    for (int form = 0; form < 4; ++form) {
        const TextureHolder& holder = gFormTextures[static_cast<size_t>(form)];
        ASSERT_NE(holder.texture, nullptr);
        const uint32_t* px = holder.texture->LevelData(0);
        const int w = holder.width, h = holder.height;
        // The cells' surroundings are keyed out: a blank cell would show as nothing.
        EXPECT_GT(std::count_if(px, px + w * h, [](uint32_t c) { return c >> 24 == 0; }), 0);
        for (int view = 0; view < 8; ++view)
            for (int frame = 0; frame < 3; ++frame)
                for (float pitch : {-0.6f, -0.4f, -0.2f, 0.0f, 0.2f, 0.4f, 0.6f}) {
                    SCOPED_TRACE(testing::Message() << "form " << form << " view " << view
                                                    << " frame " << frame << " pitch " << pitch);
                    const float angle = static_cast<float>(view) * 0.7853982f;
                    int cells = BuildFormSpriteVertices(FormTableBytes(), form, frame, angle, pitch,
                                                        w, h, vertices);
                    ASSERT_GT(cells, 30);
                    int blank = 0;
                    for (int c = 0; c < cells; ++c) {
                        const LitSpriteVertex* q = &vertices[c * 6];
                        float u = std::min(q[0].u, q[2].u), v = std::min(q[0].v, q[2].v);
                        ASSERT_GE(u, 0.0f);
                        ASSERT_LE(std::max(q[0].u, q[2].u), 1.0f);
                        ASSERT_LE(std::max(q[0].v, q[2].v), 1.0f);
                        // The sprite stands in its 128 x 128 square, feet at y = 0.
                        EXPECT_GE(q[1].y, 0.0f);
                        EXPECT_LE(q[0].y, 128.0f);
                        EXPECT_LE(std::fabs(q[0].x), 64.0f);
                        const int tx = static_cast<int>(u * static_cast<float>(w));
                        const int ty = static_cast<int>(v * static_cast<float>(h));
                        bool shows = false;
                        for (int y = ty; y < ty + 8; ++y)
                            for (int x = tx; x < tx + 8; ++x)
                                shows = shows || (px[static_cast<size_t>(y) * w + x] >> 24) != 0;
                        blank += !shows;
                    }
                    EXPECT_EQ(blank, 0) << "of " << cells;
                }
    }
    ReleaseTextureGroup(TextureGroup::Common);
}

// The generated settings file (checked as the generator makes it: the run folder's copy is
// the player's once it exists, and the generator leaves it alone).
TEST(GeneratedSettings, OpenTheGameInAWindow) {
    std::vector<mk::Job> jobs;
    mk::AddSettingsJobs(jobs);
    mk::Output out;
    for (mk::Job& job : jobs) job.run(out);
    TempFolder folder;
    ASSERT_TRUE(mk::WriteLooseFiles(out.Files(), folder.Path()));
    EXPECT_EQ(profile::ReadInt(folder.File("v_quorl.ini").c_str(), "setup", "winmode", 0), 1);
}

}  // namespace
}  // namespace vqtest
