// Plays stages headless and measures, frame by frame, the largest share of the screen that
// one model, particle or effect draw shows: a harness run that finds objects passing close
// in front of the camera. The course, the sky and the 2D overlays are left out.
//
//   vq_view_share [--stage N | --stages A-B] [--ticks T] [--threshold P] [--setup S]
//                 [--crafts A,B] [--pad-script FILE] [--no-autopilot] [--events K]
//                 [--run-folder DIR] [--trace A-B]
//
//   --stages A-B   stages to play, one practice run each (default 0-18)
//   --ticks T      at most this many ticks a stage (default 12000); a run ends at its result
//   --threshold P  share in percent above which a frame of a model or of scenery counts as
//                  a close pass (default 15)
//   --events K     list up to K close passes a stage (default 8)
//   --run-folder D the data folder (default: the build's run folder)
//   --trace A-B    print the enemies and enemy shots near the eye at ticks A to B
//
// Each stage is a practice run of one player (or the set-up given) on the partner's logic,
// invulnerable, unless --no-autopilot; a pad script drives the pads instead when given. Per
// stage: how the run ended, then for each kind of object (models; petals and scenery; bursts
// of shot-down enemies; shots and their trails; the crafts with their own effects) the
// largest share one draw showed, its tick and what it was, then the close passes of models
// and scenery above the threshold. Exit status 0 when every run started, 1 when one could
// not, 2 for bad options.
#include <algorithm>
#include <array>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/texture_groups.h"
#include "engine/main/frame.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "play/shots/shot_pool.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"
#include "tests/support/scripted_input.h"
#include "tests/support/view_share.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_resources.h"

namespace {

// What a draw shows, for the table: the course is left out; the threshold applies to the
// models and the scenery, what the stage's data places; the bursts of shot-down enemies and
// the shots with their trails move as the game's rules move them and are reported apart.
enum class Kind { Excluded, Models, Scenery, Bursts, Shots, Crafts, Count };
constexpr int kKinds = static_cast<int>(Kind::Count);
constexpr const char* kKindNames[kKinds] = {"",       "models",           "petals and scenery",
                                            "bursts", "shots and trails", "crafts"};

Kind KindOfParticle(int32_t kind) {
    switch (kind) {
        case 21:
        case 22:
        case 23:
        case 24:
        case 25:
        case 26:
        case 27:
        case 29:
        case 30:
        case 37:
            return Kind::Scenery;
        case 3:
        case 4:
        case 15:
        case 31:
            return Kind::Crafts;
        case 28:
        case 32:
        case 33:
        case 34:
        case 35:
        case 36:
            return Kind::Shots;
        default:
            return Kind::Bursts;
    }
}

struct Owner {
    Kind kind;
    std::string name;
};

void AddModelBuffers(const SkinnedModel& model, Kind kind, const std::string& name,
                     std::map<const gfx::VertexBuffer*, Owner>* out) {
    if (!model.element) return;
    std::vector<const ModelFrame*> stack{model.element->root};
    while (!stack.empty()) {
        const ModelFrame* f = stack.back();
        stack.pop_back();
        if (!f) continue;
        for (const MeshContainer* c = f->containers; c; c = c->next) {
            if (c->drawMesh && c->drawMesh->GetVertexBuffer())
                (*out)[c->drawMesh->GetVertexBuffer()] = {kind, name};
        }
        stack.push_back(f->sibling);
        stack.push_back(f->firstChild);
    }
}

// Which model each vertex buffer belongs to, now (skinned meshes are made at first draw).
std::map<const gfx::VertexBuffer*, Owner> BufferOwners() {
    std::map<const gfx::VertexBuffer*, Owner> owners;
    for (int s = 0; s < kStageMeshSlots; ++s) {
        const StaticMesh& m = gStageMeshes[static_cast<size_t>(s)];
        if (m.mesh && m.mesh->GetVertexBuffer())
            owners[m.mesh->GetVertexBuffer()] = {Kind::Excluded, "course"};
    }
    for (int s = 0; s < kObjectMeshSlots; ++s) {
        const StaticMesh& m = gObjectMeshes[static_cast<size_t>(s)];
        const char* file = ObjectMeshFile(s);
        if (m.mesh && m.mesh->GetVertexBuffer())
            owners[m.mesh->GetVertexBuffer()] = {Kind::Shots, file ? file : "object mesh"};
    }
    for (int k = 0; k < kCraftModelCount; ++k) {
        AddModelBuffers(gCraftModels[k], Kind::Crafts, "craft " + std::to_string(k), &owners);
    }
    for (int s = 0; s < kEnemyModelSlots; ++s) {
        const char* file = EnemyModelFile(s);
        AddModelBuffers(gEnemyModels[static_cast<size_t>(s)], Kind::Models,
                        "model " + std::to_string(s) + " " + (file ? file : ""), &owners);
    }
    return owners;
}

const char* TextureName(const gfx::Texture* t) {
    if (!t) return "untextured";
    const PlayTextures& p = gPlayTextures;
    const struct {
        const TextureHolder* holder;
        const char* name;
    } names[] = {
        {&p.effect, "effect.bmp"},
        {&p.effectOpaque, "effect_opa.bmp"},
        {&p.effectSun, "effect_sun.bmp"},
        {&p.effectShot, "effect_shot.bmp"},
        {&p.coin, "b_coin.tga"},
        {&p.villager, "murabito.bmp"},
        {&p.walkingMascot, "walk_masc.bmp"},
        {&p.rollEffect, "roll_efect.bmp"},
        {&p.shade, "shade.bmp"},
        {&p.enemyBoard, "enemy_board.bmp"},
        {&p.walkingFigure, "walk_figure.bmp"},
    };
    for (const auto& n : names) {
        if (n.holder->texture == t) return n.name;
    }
    return "other texture";
}

// Where each particle slot's present particle was first seen: tick and place in the camera's
// axes then (right, up, ahead of the eye).
struct Birth {
    int32_t kind = 0, age = 0;
    int64_t tick = 0;
    gfx::Vec3 place{};
};
std::vector<Birth> gBirths(kParticlePoolSize);

gfx::Vec3 InCameraAxes(const gfx::Vec3& p) {
    const gfx::Vec3& eye = gGraphics.eye;
    gfx::Vec3 ahead = gfx::Normalize(gfx::Sub(gGraphics.target, eye));
    gfx::Vec3 right = gfx::Normalize(gfx::Cross(ahead, gfx::Vec3{0, 1, 0}));
    gfx::Vec3 up = gfx::Cross(right, ahead);
    gfx::Vec3 d = gfx::Sub(p, eye);
    return {gfx::Dot(d, right), gfx::Dot(d, up), gfx::Dot(d, ahead)};
}

void NoteBirths(int64_t tick) {
    for (size_t i = 0; i < gParticlePool.particles.size(); ++i) {
        const Particle& p = gParticlePool.particles[i];
        Birth& b = gBirths[i];
        if (p.kind != 0 && (p.kind != b.kind || p.age < b.age)) {
            b.tick = tick;
            b.place = InCameraAxes(gfx::Vec3{p.position[0], p.position[1], p.position[2]});
        }
        b.kind = p.kind;
        b.age = p.age;
    }
}

// What a draw from user memory is: the particle or shot at its world position, else what
// its texture tells.
std::string BillboardName(const gfx::DrawRecord& d, Kind* kind) {
    gfx::Vec3 at{d.world.m[3][0], d.world.m[3][1], d.world.m[3][2]};
    auto near = [&](const float* p) {
        return std::fabs(p[0] - at.x) + std::fabs(p[1] - at.y) + std::fabs(p[2] - at.z) < 0.05f;
    };
    std::string texture = TextureName(d.texture0);
    for (size_t i = 0; i < gParticlePool.particles.size(); ++i) {
        const Particle& p = gParticlePool.particles[i];
        if (p.kind != 0 && near(p.position)) {
            const Birth& b = gBirths[i];
            char text[200];
            std::snprintf(
                text, sizeof text,
                "particle %d, age %d, from tick %" PRId64 " at right %.0f up %.0f ahead %.0f (%s)",
                p.kind, p.age, b.tick, static_cast<double>(b.place.x),
                static_cast<double>(b.place.y), static_cast<double>(b.place.z), texture.c_str());
            *kind = KindOfParticle(p.kind);
            return text;
        }
    }
    for (const Shot& sh : gShotPool.shots) {
        if (sh.kind != 0 && near(sh.position)) {
            *kind = Kind::Shots;
            return "shot " + std::to_string(sh.kind) + " (" + texture + ")";
        }
    }
    if (texture == "shade.bmp" || texture == "enemy_board.bmp") {
        *kind = Kind::Models;
    } else if (texture == "b_coin.tga" || texture == "murabito.bmp" || texture == "walk_masc.bmp" ||
               texture == "walk_figure.bmp") {
        *kind = Kind::Scenery;
    } else if (texture == "roll_efect.bmp") {
        *kind = Kind::Crafts;
    } else {
        *kind = Kind::Bursts;
    }
    return "quad (" + texture + ")";
}

// The live enemy of a model nearest the eye, for naming what a model draw shows.
std::string NearestEnemyOf(const std::string& modelName) {
    int slot = std::atoi(modelName.c_str() + 6);
    const gfx::Vec3& eye = gGraphics.eye;
    float best = 1e30f;
    const Enemy* found = nullptr;
    for (const Enemy& e : gEnemyPool) {
        if (e.state == EnemyState::Free) continue;
        const EnemyType* t = EnemyTypeOf(e);
        if (!t || t->model != slot) continue;
        gfx::Vec3 p = EnemyWorldBase(e);
        float d = gfx::Length(gfx::Sub(p, eye));
        if (d < best) {
            best = d;
            found = &e;
        }
    }
    if (!found) return "";
    char text[96];
    std::snprintf(text, sizeof text, " [enemy %d type %d, %.0f from the eye]", EnemyIndex(*found),
                  found->type, static_cast<double>(best));
    return text;
}

struct Peak {
    float share = 0, box = 0, nearest = 0;
    int64_t tick = 0;
    std::string what;
    float rail = 0;
};

// The enemies within 200 units of the eye, in the camera's axes (right, up, ahead).
void TraceTick(int64_t tick, const Peak& frame) {
    const gfx::Vec3& eye = gGraphics.eye;
    gfx::Vec3 ahead = gfx::Normalize(gfx::Sub(gGraphics.target, eye));
    gfx::Vec3 right = gfx::Normalize(gfx::Cross(ahead, gfx::Vec3{0, 1, 0}));
    gfx::Vec3 up = gfx::Cross(right, ahead);
    gfx::Vec3 rail{};
    GetRailPoint(&rail, 0.0f);
    std::printf("tick %" PRId64
                " rail %.1f eye above the rail point %.1f, %.1f from it; peak %.1f%% %s\n",
                tick, static_cast<double>(gRailPosition), static_cast<double>(eye.y - rail.y),
                static_cast<double>(gfx::Length(gfx::Sub(eye, rail))),
                static_cast<double>(frame.share * 100), frame.what.c_str());
    for (const Enemy& e : gEnemyPool) {
        if (e.state == EnemyState::Free) continue;
        gfx::Vec3 d = gfx::Sub(EnemyWorldBase(e), eye);
        if (gfx::Length(d) > 200.0f) continue;
        std::printf("    enemy %d type %d state %d behaviour %d: right %.1f up %.1f ahead %.1f\n",
                    EnemyIndex(e), e.type, static_cast<int>(e.state), e.behaviour,
                    static_cast<double>(gfx::Dot(d, right)), static_cast<double>(gfx::Dot(d, up)),
                    static_cast<double>(gfx::Dot(d, ahead)));
    }
    for (const Shot& sh : gShotPool.shots) {
        if (sh.kind == 0) continue;
        gfx::Vec3 d = gfx::Sub(gfx::Vec3{sh.position[0], sh.position[1], sh.position[2]}, eye);
        if (gfx::Length(d) > 60.0f) continue;
        std::printf("    shot kind %d side %d timer %d: right %.1f up %.1f ahead %.1f\n", sh.kind,
                    sh.side, sh.timer, static_cast<double>(gfx::Dot(d, right)),
                    static_cast<double>(gfx::Dot(d, up)), static_cast<double>(gfx::Dot(d, ahead)));
    }
}

struct Options {
    int64_t traceFirst = -1, traceLast = -1;
    int first = 0, last = 18;
    int64_t ticks = 12000;
    float threshold = 15.0f;
    int events = 8;
    vqtest::PlayRunOptions run;
};

std::string StageCode(int s) {
    char b[32];
    std::snprintf(b, sizeof b, "%d-%d", s / 3 + 1, s % 3 + 1);
    return b;
}

bool PlayStage(const Options& o, int stage) {
    vqtest::PlayRunOptions run = o.run;
    run.stage = stage;
    run.ticks = 0;
    vqtest::PlayRunResult result;
    if (!vqtest::RunPlay(run, &result, nullptr, true)) return false;
    auto* device = dynamic_cast<gfx::NullDevice*>(Device3D());
    if (!device) {
        vqtest::StopHeadlessGame();
        return false;
    }
    device->SetRecording(true);
    vqtest::CoverGrid grid;
    std::array<Peak, kKinds> peaks{};
    std::vector<Peak> passes;  // one per run of frames above the threshold
    bool inPass = false;
    bool played = false;
    int64_t ticks = 0;
    gBirths.assign(kParticlePoolSize, Birth{});
    for (; ticks < o.ticks; ++ticks) {
        device->ClearDraws();
        vqtest::ContinuePlay(run, 1, &result, nullptr);
        bool playing = gGameState.scene == SceneId::Play;
        if (!playing) {
            if (played) break;
            continue;
        }
        played = true;
        NoteBirths(result.ticks);
        std::map<const gfx::VertexBuffer*, Owner> owners = BufferOwners();
        std::array<Peak, kKinds> frame{};
        grid.BeginFrame();
        for (const gfx::DrawRecord& d : device->Draws()) grid.AddOccluder(d);
        for (const gfx::DrawRecord& d : device->Draws()) {
            if (vqtest::IsScreenSpaceDraw(d)) continue;
            Kind kind = Kind::Bursts;
            std::string name;
            if (d.vertexBuffer) {
                auto it = owners.find(d.vertexBuffer);
                if (it == owners.end()) {
                    name = "buffer";
                } else {
                    kind = it->second.kind;
                    name = it->second.name;
                }
                if (kind == Kind::Excluded) continue;
            }
            vqtest::ScreenCover c = grid.Measure(d);
            if (!c.inFront) continue;
            if (!d.vertexBuffer) name = BillboardName(d, &kind);
            Peak& peak = frame[static_cast<size_t>(kind)];
            if (c.share <= peak.share) continue;
            peak.share = c.share;
            peak.box = c.boxShare;
            peak.nearest = c.nearest;
            peak.tick = result.ticks;
            peak.rail = gRailPosition;
            if (name.rfind("model ", 0) == 0) name += NearestEnemyOf(name);
            peak.what = name;
        }
        for (size_t k = 0; k < peaks.size(); ++k) {
            if (frame[k].share > peaks[k].share) peaks[k] = frame[k];
        }
        const Peak& placed = frame[static_cast<size_t>(Kind::Models)].share >=
                                     frame[static_cast<size_t>(Kind::Scenery)].share
                                 ? frame[static_cast<size_t>(Kind::Models)]
                                 : frame[static_cast<size_t>(Kind::Scenery)];
        if (result.ticks >= o.traceFirst && result.ticks <= o.traceLast)
            TraceTick(result.ticks, placed);
        bool above = placed.share * 100.0f > o.threshold;
        if (above && (!inPass || placed.share > passes.back().share)) {
            if (!inPass) passes.push_back(placed);
            passes.back() = placed;
        }
        inPass = above;
    }
    std::printf("stage %2d (%s): %s, %" PRId64
                " ticks; passes of models or scenery above %.0f%%: %zu\n",
                stage, StageCode(stage).c_str(),
                gGameState.scene == SceneId::Play ? "still in play" : "cleared", ticks,
                static_cast<double>(o.threshold), passes.size());
    for (int k = 1; k < kKinds; ++k) {
        const Peak& p = peaks[static_cast<size_t>(k)];
        std::printf(
            "  %-18s max %5.1f%% (box %5.1f%%, depth %.1f) tick %" PRId64 " rail %.0f: %s\n",
            kKindNames[k], static_cast<double>(p.share * 100), static_cast<double>(p.box * 100),
            static_cast<double>(p.nearest), p.tick, static_cast<double>(p.rail), p.what.c_str());
    }
    std::sort(passes.begin(), passes.end(),
              [](const Peak& a, const Peak& b) { return a.share > b.share; });
    for (size_t i = 0; i < passes.size() && static_cast<int>(i) < o.events; ++i) {
        const Peak& p = passes[i];
        std::printf("    pass %5.1f%% (box %5.1f%%, depth %.1f) tick %" PRId64 " rail %.0f: %s\n",
                    static_cast<double>(p.share * 100), static_cast<double>(p.box * 100),
                    static_cast<double>(p.nearest), p.tick, static_cast<double>(p.rail),
                    p.what.c_str());
    }
    std::fflush(stdout);
    device->SetRecording(false);
    vqtest::StopHeadlessGame();
    return true;
}

int Usage(const char* what) {
    std::fprintf(stderr, "vq_view_share: bad %s\n", what);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    o.run.mode = GameMode::Practice;
    o.run.setup = PlayerSetup::OnePlayer;
    o.run.autopilot = 0;
    o.run.invulnerable = true;
    vqtest::PadScript script;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--no-autopilot") {
            o.run.autopilot = -1;
            continue;
        }
        if (!v) return Usage(a.c_str());
        ++i;
        if (a == "--stage") {
            o.first = o.last = std::atoi(v);
        } else if (a == "--stages") {
            if (std::sscanf(v, "%d-%d", &o.first, &o.last) != 2) return Usage(a.c_str());
        } else if (a == "--ticks") {
            o.ticks = std::atoll(v);
        } else if (a == "--threshold") {
            o.threshold = static_cast<float>(std::atof(v));
        } else if (a == "--trace") {
            long long x = 0, y = 0;
            if (std::sscanf(v, "%lld-%lld", &x, &y) != 2) return Usage(a.c_str());
            o.traceFirst = x;
            o.traceLast = y;
        } else if (a == "--run-folder") {
            o.run.runFolder = v;
        } else if (a == "--events") {
            o.events = std::atoi(v);
        } else if (a == "--setup") {
            o.run.setup = static_cast<PlayerSetup>(std::atoi(v));
        } else if (a == "--crafts") {
            if (std::sscanf(v, "%d,%d", &o.run.crafts[0], &o.run.crafts[1]) != 2)
                return Usage(a.c_str());
        } else if (a == "--pad-script") {
            std::string error;
            if (!script.Load(v, &error)) {
                std::fprintf(stderr, "vq_view_share: %s\n", error.c_str());
                return 2;
            }
            o.run.padScript = &script;
            o.run.autopilot = -1;
        } else {
            return Usage(a.c_str());
        }
    }
    if (o.first < 0 || o.last > 18 || o.first > o.last) return Usage("stage range");
    for (int s = o.first; s <= o.last; ++s) {
        if (!PlayStage(o, s)) {
            std::fprintf(stderr, "vq_view_share: stage %d could not start\n", s);
            return 1;
        }
    }
    return 0;
}
