// The attract movie "vq_demo.wmv": a title card, the two crafts flying the first stage's
// valley with a wing of enemy fighters, and the logo again. Frames come from the
// generator's renderer and the title music; the ffmpeg command-line tool encodes them as
// WMV2 video with WMA sound in an ASF file, with its bit-exact options so that every run
// writes the same bytes.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include "tools/mkdata/modelkit.h"
#include "tools/mkdata/music.h"
#include "tools/mkdata/pictures.h"
#include "tools/mkdata/render3d.h"
#include "tools/mkdata/stages.h"
#include "tools/mkdata/ui.h"

namespace mk {

namespace {

constexpr int kW = 480, kH = 360, kFps = 24;
constexpr float kSeconds = 12;

struct MovieAssets {
    StageScene stage;
    Kit craft0 = CraftKit(0);
    Kit craft1 = CraftKit(1);
    Kit fighter = MinionFighterKit();
    Image title, titleNoLogo;
};

V3 RailAt(const std::vector<V3>& rail, float key) {
    size_t n = rail.size();
    size_t i = static_cast<size_t>(key) % n;
    float f = key - std::floor(key);
    return Lerp(rail[i], rail[(i + 1) % n], f);
}

Image Scaled(const Image& src, int w, int h) {
    Image out(w, h, Rgb(0x000000));
    out.DrawScaled(src, 0, 0, static_cast<float>(w), static_cast<float>(h));
    return out;
}

void Fade(Image& img, float k) {
    img.Tint(Solid(Rgb(0x000000)), 1 - std::clamp(k, 0.0f, 1.0f));
}

Image FlightFrame(const MovieAssets& a, float t) {
    const StageScene& sc = a.stage;
    const float key = 240 + t * 60;  // the game's pace: one key a tick
    V3 p = RailAt(sc.rail, key);
    V3 ahead = RailAt(sc.rail, key + 30);
    V3 dir = Normalize(V3{ahead.x - p.x, 0, ahead.z - p.z});
    V3 right = Normalize(V3{dir.z, 0, -dir.x});
    V3 eye, target;
    if (t < 4.5f) {  // the game's chase view
        eye = p - dir * 90 + V3{0, 16, 0};
        target = p + V3{0, 2, 0};
    } else {  // a low shot from the side as the crafts pass
        float k = (t - 4.5f) / 2.5f;
        eye = p + right * (70 - 30 * k) + dir * (40 - 60 * k) + V3{0, -8, 0};
        target = p + V3{0, 2, 0};
    }
    Renderer r(kW, kH);
    DrawStageInto(r, sc, eye, target, 7000);  // only the parts near the view
    Shading lit;
    lit.ambient = {0.45f, 0.45f, 0.5f, 1};
    lit.light = {0.9f, 0.88f, 0.8f, 1};
    lit.brightness = 1.1f;
    float yaw = std::atan2(dir.x, dir.z);
    for (int c = 0; c < 2; ++c) {
        float side = c ? 14.0f : -12.0f;
        float bob = std::sin(t * 2.3f + c * 1.7f) * 3;
        float bank = std::sin(t * 0.9f + c) * 0.35f;
        V3 pos = p + right * side + V3{0, bob + (c ? 4.0f : 0.0f), c ? -6.0f : 0.0f};
        Mat4 w = Mat4::Scaling(0.25f, 0.25f, 0.25f) * Mat4::RotationZ(bank) * Mat4::RotationY(yaw) *
                 Mat4::Translation(pos);
        (c ? a.craft1 : a.craft0).Render(r, w, lit);
    }
    if (t > 1.0f && t < 4.5f) {  // a wing of fighters crossing ahead
        for (int f = 0; f < 3; ++f) {
            float k = (t - 1.0f) / 3.5f;
            V3 pos = p + dir * (260 - 120 * k + f * 25) + right * (-160 + 320 * k + f * 18) +
                     V3{0, 18 + f * 6.0f, 0};
            Mat4 w = Mat4::Scaling(0.16f, 0.16f, 0.16f) * Mat4::RotationZ(-0.4f) *
                     Mat4::RotationY(yaw + kPi / 2) * Mat4::Translation(pos);
            a.fighter.Render(r, w, lit);
        }
    }
    return r.Frame().FlippedX();
}

Image Frame(const MovieAssets& a, int index) {
    float t = static_cast<float>(index) / kFps;
    if (t < 3.0f) {
        Image img = Scaled(a.title, kW, kH);
        Fade(img, std::min(t / 1.0f, (3.0f - t) / 0.5f));
        return img;
    }
    if (t < 10.0f) {
        Image img = FlightFrame(a, t - 3.0f);
        Fade(img, std::min((t - 3.0f) / 0.5f, (10.0f - t) / 0.5f));
        return img;
    }
    Image img = Scaled(a.titleNoLogo, kW, kH);
    DrawGameLogo(img, kW / 2.0f, kH * 0.36f, 54);
    if (std::fmod(t, 0.8f) < 0.5f) {
        TextStyle st = MenuText(24, pal::kWhite, Rgb(0xFFE9A0), pal::kInk, 2.5f);
        DrawText(img, "PUSH START BUTTON", kW / 2.0f, kH * 0.84f, Align::Center, st);
    }
    Fade(img, std::min((t - 10.0f) / 0.5f, (kSeconds - t) / 0.6f));
    return img;
}

std::vector<int16_t> MovieSound() {
    std::vector<int16_t> music = RenderTrack(0);
    const size_t frames = static_cast<size_t>(kSeconds * kMusicRate);
    std::vector<int16_t> out(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kMusicRate;
        float g = std::min({1.0f, t / 0.3f, (kSeconds - t) / 1.0f});
        for (int c = 0; c < 2; ++c)
            out[2 * i + c] =
                static_cast<int16_t>(music[(2 * i + c) % music.size()] * std::max(0.0f, g));
    }
    return out;
}

bool ReadAll(const std::filesystem::path& p, Bytes& out) {
    std::ifstream f(p, std::ios::binary);
    if (!f) return false;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

// The movie is made by several jobs, each rendering a run of frames; the first to start
// prepares what they share and the last to finish encodes the movie.
struct MovieWork {
    std::once_flag ready;
    std::unique_ptr<MovieAssets> assets;
    std::vector<std::vector<uint8_t>> rgb =
        std::vector<std::vector<uint8_t>>(static_cast<size_t>(kSeconds * kFps));
    std::atomic<int> done{0};
};

constexpr int kMovieParts = 12;

void PrepareAssets(MovieWork& w) {
    std::call_once(w.ready, [&] {
        w.assets = std::make_unique<MovieAssets>();
        Output scratch;
        BuildStageInto(scratch, 0, &w.assets->stage);
        w.assets->title = TitleArt(true);
        w.assets->titleNoLogo = TitleArt(false);
    });
}

void RenderFrames(MovieWork& w, int part) {
    PrepareAssets(w);
    const int frames = static_cast<int>(w.rgb.size());
    for (int f = part; f < frames; f += kMovieParts) {
        Image img = Frame(*w.assets, f);
        std::vector<uint8_t>& px = w.rgb[static_cast<size_t>(f)];
        px.resize(static_cast<size_t>(kW) * kH * 3);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                Color c = img.Px(x, y);
                uint8_t* d = &px[(static_cast<size_t>(y) * kW + x) * 3];
                d[0] = static_cast<uint8_t>(std::clamp(c.r, 0.0f, 1.0f) * 255 + 0.5f);
                d[1] = static_cast<uint8_t>(std::clamp(c.g, 0.0f, 1.0f) * 255 + 0.5f);
                d[2] = static_cast<uint8_t>(std::clamp(c.b, 0.0f, 1.0f) * 255 + 0.5f);
            }
    }
}

void Encode(MovieWork& w, Output& out) {
    char dirTemplate[] = "/tmp/mkdata-movie-XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        std::fprintf(stderr, "mkdata: cannot make a temporary folder for the movie\n");
        std::exit(1);
    }
    std::filesystem::path dir(dirTemplate);
    {
        Bytes wav = EncodeWave(MovieSound(), kMusicRate);
        std::ofstream(dir / "sound.wav", std::ios::binary)
            .write(reinterpret_cast<const char*>(wav.data()),
                   static_cast<std::streamsize>(wav.size()));
        std::ofstream video(dir / "frames.rgb", std::ios::binary);
        for (const auto& f : w.rgb)
            video.write(reinterpret_cast<const char*>(f.data()),
                        static_cast<std::streamsize>(f.size()));
    }
    std::string cmd =
        std::string(VQ_FFMPEG) + " -nostdin -v error -y -f rawvideo -pix_fmt rgb24 -s " +
        std::to_string(kW) + "x" + std::to_string(kH) + " -r " + std::to_string(kFps) + " -i '" +
        (dir / "frames.rgb").string() + "' -i '" + (dir / "sound.wav").string() +
        "' -map 0:v -map 1:a -c:v wmv2 -b:v 1800k -g 48 -c:a wmav2 -b:a 96k -ar 22050 -ac 2"
        " -threads 1 -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -map_metadata -1 -f "
        "asf '" +
        (dir / "vq_demo.wmv").string() + "'";
    int rc = std::system(cmd.c_str());
    Bytes movie;
    bool ok = rc == 0 && ReadAll(dir / "vq_demo.wmv", movie) && !movie.empty();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    if (!ok) {
        std::fprintf(stderr, "mkdata: ffmpeg could not encode the attract movie\n");
        std::exit(1);
    }
    out.Add("vq_demo.wmv", std::move(movie));
}

}  // namespace

void AddMovieJobs(std::vector<Job>& jobs) {
    auto work = std::make_shared<MovieWork>();
    // The shared preparation first; the frames go after the other parts' first jobs, so
    // that no worker waits for the preparation.
    jobs.push_back({"vq_demo.wmv course and models", [work](Output&) { PrepareAssets(*work); }});
    for (int part = 0; part < kMovieParts; ++part)
        jobs.push_back({"vq_demo.wmv frames " + std::to_string(part), [work, part](Output& out) {
                            RenderFrames(*work, part);
                            if (work->done.fetch_add(1) + 1 == kMovieParts) Encode(*work, out);
                        }});
}

}  // namespace mk
