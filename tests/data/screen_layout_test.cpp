// Where the pieces of each screen land, as the screen's real draw code hands them to the
// device over the demo data: for every screen the pieces that must stay apart (plates,
// banners, cards, icons, portraits' faces, the score) share no pixel, and every face and
// text lies inside the 640 x 480 screen.
//
// A piece is what one quad of a draw shows of a named part of a picture: the texels of that
// part which are at least half opaque, rasterised the way the quad maps them. The recorder
// reads the quads from the vertices each draw hands the device (the sprite batch at its
// flush, the strips drawn beside it, the font's glyphs), so it knows nothing of where the
// draw code meant to put them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/models/skinned_model.h"
#include "engine/overlay/fade.h"
#include "engine/overlay/overlays.h"
#include "platform/gfx/device.h"
#include "platform/text/font.h"
#include "play/craft/craft.h"
#include "play/craft/weapons.h"
#include "play/display/play_display.h"
#include "scenes/event/event.h"
#include "scenes/event/story/story.h"
#include "scenes/result/result.h"
#include "scenes/shop/shop.h"
#include "scenes/title/title.h"
#include "tests/support/headless_game.h"
#include "tools/mkdata/layout.h"

namespace vqtest {
namespace {

constexpr int kScreenW = 640, kScreenH = 480;
// A texel at least this opaque is part of its piece; softer edges, glows and shadows are not.
constexpr uint32_t kSolidAlpha = 128;

// A named part of a picture: the texels of `holder` inside `box`. A null holder names the
// text font's glyphs.
struct Part {
    std::string name;
    const TextureHolder* holder;
    mk::TexelBox box;
};

// What one quad showed of one part.
struct Piece {
    std::string name;
    int order;  // the quad's place among everything drawn
    std::vector<bool> mask = std::vector<bool>(kScreenW * kScreenH);
    int pixels = 0, outside = 0;  // covered pixels on and off the screen
    int left = kScreenW, top = kScreenH, right = 0, bottom = 0;  // bounds on the screen

    void Cover(int x, int y) {
        if (x < 0 || y < 0 || x >= kScreenW || y >= kScreenH) {
            outside += 1;
            return;
        }
        size_t i = static_cast<size_t>(y) * kScreenW + static_cast<size_t>(x);
        if (!mask[i]) pixels += 1;
        mask[i] = true;
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x + 1);
        bottom = std::max(bottom, y + 1);
    }
    bool Has(int x, int y) const { return mask[static_cast<size_t>(y) * kScreenW + x]; }
};

struct Corner {
    float x, y, u, v;  // screen pixels, texture coordinates
    uint32_t color;
};

// Reads the corners of the draw's vertices: sprites and strips carry a specular colour
// before their texture coordinates, the font's glyphs do not.
bool ReadCorner(const gfx::DrawRecord& d, size_t k, Corner* c) {
    const uint8_t* v = &d.vertices[k * d.vertexStride];
    size_t uvAt;
    if (d.vertexStride == sizeof(SpriteVertex)) {
        uvAt = 24;
    } else if (d.vertexStride == 28) {
        uvAt = 20;
    } else {
        return false;
    }
    std::memcpy(&c->x, v, 4);
    std::memcpy(&c->y, v + 4, 4);
    std::memcpy(&c->color, v + 16, 4);
    std::memcpy(&c->u, v + uvAt, 4);
    std::memcpy(&c->v, v + uvAt + 4, 4);
    return true;
}

// Rasterises one triangle of a quad into the piece: each pixel whose centre it covers
// samples the texel there, and counts when that texel is inside the part and solid.
void CoverTriangle(const Corner& a, const Corner& b, const Corner& c, const gfx::Texture& texture,
                   const mk::TexelBox& box, Piece* piece) {
    float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (std::fabs(area) < 1e-6f) return;
    const auto tw = static_cast<float>(texture.Width()), th = static_cast<float>(texture.Height());
    const uint32_t* texels = texture.LevelData(0);
    int x0 = static_cast<int>(std::floor(std::min({a.x, b.x, c.x})));
    int x1 = static_cast<int>(std::ceil(std::max({a.x, b.x, c.x})));
    int y0 = static_cast<int>(std::floor(std::min({a.y, b.y, c.y})));
    int y1 = static_cast<int>(std::ceil(std::max({a.y, b.y, c.y})));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
            float wa = ((b.x - px) * (c.y - py) - (c.x - px) * (b.y - py)) / area;
            float wb = ((c.x - px) * (a.y - py) - (a.x - px) * (c.y - py)) / area;
            float wc = 1.0f - wa - wb;
            constexpr float kEdge = -1e-4f;
            if (wa < kEdge || wb < kEdge || wc < kEdge) continue;
            float tx = (wa * a.u + wb * b.u + wc * c.u) * tw;
            float ty = (wa * a.v + wb * b.v + wc * c.v) * th;
            if (tx < box.left || tx >= box.right || ty < box.top || ty >= box.bottom) continue;
            auto ix = std::clamp(static_cast<int>(tx), 0, static_cast<int>(tw) - 1);
            auto iy = std::clamp(static_cast<int>(ty), 0, static_cast<int>(th) - 1);
            if ((texels[static_cast<size_t>(iy) * texture.Width() + ix] >> 24) < kSolidAlpha)
                continue;
            piece->Cover(x, y);
        }
    }
}

// Every piece of the named parts in the draws, in drawing order.
std::vector<Piece> Record(const std::vector<gfx::DrawRecord>& draws,
                          const std::vector<Part>& parts) {
    std::vector<Piece> pieces;
    const gfx::Texture* glyphs = gTextFont.Font() ? gTextFont.Font()->Atlas() : nullptr;
    int order = 0;
    for (const gfx::DrawRecord& d : draws) {
        if (!d.texture0 || d.indexed) continue;
        const size_t n = d.vertexStride ? d.vertices.size() / d.vertexStride : 0;
        // Quads: six corners of a triangle list, or the four of a strip.
        size_t step = d.primitive == gfx::PT_TRIANGLESTRIP && n == 4 ? 4 : 6;
        if (d.primitive != gfx::PT_TRIANGLELIST && step != 4) continue;
        for (size_t q = 0; q + step <= n; q += step, ++order) {
            Corner c[6];
            bool read = true;
            for (size_t k = 0; k < step; ++k) read = read && ReadCorner(d, q + k, &c[k]);
            if (!read || (c[0].color >> 24) == 0) continue;  // an invisible quad
            // A picture tinted black (a shadow, a locked stage) shows none of its parts.
            if ((c[0].color & 0xFFFFFFu) == 0 && d.stage0[gfx::TSS_COLOROP] == gfx::TOP_MODULATE)
                continue;
            for (const Part& part : parts) {
                const gfx::Texture* texture = part.holder ? part.holder->texture : glyphs;
                if (!texture || texture != d.texture0) continue;
                Piece piece{part.name, order};
                if (step == 4) {
                    CoverTriangle(c[0], c[1], c[2], *texture, part.box, &piece);
                    CoverTriangle(c[1], c[3], c[2], *texture, part.box, &piece);
                } else {
                    CoverTriangle(c[0], c[1], c[2], *texture, part.box, &piece);
                    CoverTriangle(c[3], c[4], c[5], *texture, part.box, &piece);
                }
                if (piece.pixels + piece.outside > 0) pieces.push_back(std::move(piece));
            }
        }
    }
    return pieces;
}

// What must hold between the pieces named `a` and those named `b` (a name matches every
// piece whose name begins with it).
enum class Rule {
    Apart,     // no piece a comes within the clearance of any other piece b
    Over,      // no piece a drawn after a piece b comes within the clearance of it
    Within,    // every piece a lies inside the bounds of all pieces b together
    Backed,    // every pixel of each piece a lies on a piece b drawn before it
    OnScreen,  // no piece a lies partly on and partly off the screen (b unused)
};

struct Check {
    Rule rule;
    const char* a;
    const char* b;
};

bool Named(const Piece& p, const char* prefix) {
    return p.name.compare(0, std::strlen(prefix), prefix) == 0;
}

// Pieces that must stay apart keep this many clear pixels between them, so that one does
// not seem to touch the other.
constexpr int kClearance = 2;

// The first pixel of p that has a pixel of q within the clearance, if any.
bool Meet(const Piece& p, const Piece& q, int* x, int* y) {
    int l = std::max(p.left, q.left - kClearance), r = std::min(p.right, q.right + kClearance);
    int t = std::max(p.top, q.top - kClearance), b = std::min(p.bottom, q.bottom + kClearance);
    for (int py = t; py < b; ++py) {
        for (int px = l; px < r; ++px) {
            if (!p.Has(px, py)) continue;
            for (int qy = std::max(py - kClearance, 0);
                 qy <= std::min(py + kClearance, kScreenH - 1); ++qy) {
                for (int qx = std::max(px - kClearance, 0);
                     qx <= std::min(px + kClearance, kScreenW - 1); ++qx) {
                    if (!q.Has(qx, qy)) continue;
                    *x = px;
                    *y = py;
                    return true;
                }
            }
        }
    }
    return false;
}

std::string Bounds(const Piece& p) {
    return p.name + " (" + std::to_string(p.left) + ", " + std::to_string(p.top) + ")-(" +
           std::to_string(p.right) + ", " + std::to_string(p.bottom) + ")";
}

void Judge(const std::vector<Piece>& pieces, const std::vector<Check>& checks) {
    for (const Check& c : checks) {
        if (c.rule == Rule::OnScreen) {
            for (const Piece& p : pieces) {
                if (Named(p, c.a) && p.pixels > 0) {
                    EXPECT_EQ(p.outside, 0) << Bounds(p) << " runs off the screen";
                }
            }
            continue;
        }
        if (c.rule == Rule::Backed) {
            for (const Piece& p : pieces) {
                if (!Named(p, c.a)) continue;
                int bare = 0, bx = 0, by = 0;
                for (int y = p.top; y < p.bottom; ++y) {
                    for (int x = p.left; x < p.right; ++x) {
                        if (!p.Has(x, y)) continue;
                        bool under = std::any_of(pieces.begin(), pieces.end(), [&](const Piece& q) {
                            return q.order < p.order && Named(q, c.b) && q.Has(x, y);
                        });
                        if (under) continue;
                        if (bare++ == 0) bx = x, by = y;
                    }
                }
                EXPECT_EQ(bare, 0) << Bounds(p) << " has " << bare << " pixels on no " << c.b
                                   << ", the first at (" << bx << ", " << by << ")";
            }
            continue;
        }
        if (c.rule == Rule::Within) {
            int l = kScreenW, t = kScreenH, r = 0, b = 0;
            bool any = false;
            for (const Piece& q : pieces)
                if (Named(q, c.b) && q.pixels > 0) {
                    any = true;
                    l = std::min(l, q.left);
                    t = std::min(t, q.top);
                    r = std::max(r, q.right);
                    b = std::max(b, q.bottom);
                }
            for (const Piece& p : pieces) {
                if (!Named(p, c.a) || p.pixels == 0) continue;
                EXPECT_TRUE(any && p.left >= l && p.top >= t && p.right <= r && p.bottom <= b)
                    << Bounds(p) << " is not inside " << c.b << " (" << l << ", " << t << ")-(" << r
                    << ", " << b << ")";
            }
            continue;
        }
        for (const Piece& p : pieces) {
            if (!Named(p, c.a)) continue;
            for (const Piece& q : pieces) {
                if (&p == &q || p.order == q.order || !Named(q, c.b)) continue;
                if (c.rule == Rule::Over && p.order < q.order) continue;
                int x, y;
                if (Meet(p, q, &x, &y))
                    ADD_FAILURE() << Bounds(p) << " meets " << Bounds(q) << " at (" << x << ", "
                                  << y << ")";
            }
        }
    }
}

// One screen of the table: `show` sets the game up and calls `look` for each moment to
// judge, with the moment's name, after drawing it.
using Look = std::function<void(const std::string& moment)>;
struct Screen {
    const char* name;
    void (*show)(const Look& look);
    std::vector<Part> (*parts)();
    std::vector<Check> checks;
    // Pieces that are not quads of pictures (the title's turning crafts), found after the
    // moment was drawn; none when null.
    std::vector<Piece> (*more)() = nullptr;
};

gfx::NullDevice& Null() {
    return *static_cast<gfx::NullDevice*>(Device3D());
}

// Draws a frame with `draw` as the frame loop would, recording what reaches the device.
void DrawRecorded(void (*draw)()) {
    gfx::NullDevice& d = Null();
    d.ClearDraws();
    d.SetRecording(true);
    EmptySpriteBatch();
    d.BeginScene();
    draw();
    d.EndScene();
    d.SetRecording(false);
}

Part Whole(const char* name, const TextureHolder& holder) {
    return {
        name, &holder,
        mk::TexelBox{0, 0, static_cast<float>(holder.width), static_cast<float>(holder.height)}};
}

Part Cut(const char* name, const TextureHolder& holder, float l, float t, float r, float b) {
    return {name, &holder, mk::TexelBox{l, t, r, b}};
}

Part Text() {
    return {"text", nullptr, mk::TexelBox{0, 0, 1e9f, 1e9f}};
}

void Tick(uint8_t pressed = 0, uint8_t held = 0) {
    for (PadState& pad : gPadState) {
        pad = PadState{};
        pad.pressed = pressed;
        pad.held = held | pressed;
    }
}

// ---------------------------------------------------------------- the title

void ShowPressStart(const Look& look) {
    // Mid-pulse, as the screen waits for a press.
    for (int i = 0; i < 30; ++i) UpdateTitle();
    DrawRecorded(DrawTitle);
    look("press start");
}

std::vector<Part> PressStartParts() {
    const TitleTextures& t = gTitleTextures;
    // The press-start picture: its two crafts in flight and the strip "PUSH START BUTTON".
    std::vector<Part> parts = {Cut("strip", t.title, 640, 0, 1024, 80)};
    for (int which = 0; which < 2; ++which)
        parts.push_back({"craft", &t.title, mk::TitleCraftBox(which)});
    return parts;
}

void ShowRecords(const Look& look) {
    GameState& g = gGameState;
    g.records.words[record::kRunBest] = 987654;
    g.records.words[record::kRunBestCraft] = 0x0100;
    g.records.words[record::kRunBestWeapons] = 0x0102;
    TitleState& t = gTitleState;
    t.pressStart = 0;
    t.records = TitlePanel{PanelMode::Show, 0, 1};
    t.recordsPage = 0;
    DrawRecorded(DrawTitle);
    look("records, runs");
}

std::vector<Part> RecordsParts() {
    const TitleTextures& t = gTitleTextures;
    return {Cut("tab", t.titleSelect, 0, 0, 144, 288),
            Cut("caption", t.hiscoreTitle, 0, 0, 320, 64),
            Whole("score", gCommonTextures.scoreDigits)};
}

// After a practice stage with a record of both crafts, the title comes back on the stage
// select.
void ShowStageSelectAfterResult(const Look& look) {
    GameState& g = gGameState;
    g.gameMode = GameMode::Practice;
    g.records.words[record::kClearStage] = 5;
    const int setup = static_cast<int>(PlayerSetup::TwoPlayers);
    for (int stage = 0; stage < 3; ++stage) {
        g.records.words[static_cast<size_t>(record::kPracticeBest + 20 * setup + stage)] =
            123456789;
        g.records.words[static_cast<size_t>(record::kPracticeBestCraft + 20 * setup + stage)] =
            0x0100;
        g.records.words[static_cast<size_t>(record::kPracticeBestWeapon + 20 * setup + stage)] =
            0x0502;
    }
    g.playerSetup = PlayerSetup::TwoPlayers;
    InitTitle();
    for (int column = 0; column < 3; ++column) {
        gTitleState.stageColumn = column;
        DrawRecorded(DrawTitle);
        look("stage " + std::to_string(1 + column));
    }
}

std::vector<Part> StageSelectParts() {
    const TitleTextures& t = gTitleTextures;
    std::vector<Part> parts = {
        Cut("card", t.selectChapter, 0, 160, 288, 352),
        Cut("label", t.selectChapter, 288, 160, 384, 256),
        Cut("digit", t.selectChapter, 0, 352, 264, 384),
        Whole("score", gCommonTextures.scoreDigits),
        Whole("icon", t.itemMini),
        Cut("hand", t.menu, 768, 384, 832, 448),
    };
    for (int stage = 0; stage < 18; ++stage) {
        mk::TexelBox box = mk::StageCodeBox(stage);
        parts.push_back(Cut("stage code", t.practice, box.left, box.top, box.right, box.bottom));
    }
    return parts;
}

// ---------------------------------------------------------------- the craft select

// One tick of the title with the players' pads pressed and auto-repeated as given.
void TitleTick(uint8_t pressed = 0, uint8_t repeat = 0) {
    for (PadState& pad : gPadState) {
        pad = PadState{};
        pad.pressed = pressed;
        pad.repeat = repeat;
    }
    UpdateTitle();
    AdvanceFade();
}

void TitleIdle(int ticks) {
    for (int i = 0; i < ticks; ++i) TitleTick();
}

// Fills the triangle's pixels (those whose centres it covers) into the piece.
void CoverFlat(const gfx::Vec3& a, const gfx::Vec3& b, const gfx::Vec3& c, Piece* piece) {
    float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (std::fabs(area) < 1e-6f) return;
    auto low = [](float v, int limit) {
        return std::clamp(static_cast<int>(std::floor(v)), -limit / 4, limit + limit / 4);
    };
    int x0 = low(std::min({a.x, b.x, c.x}), kScreenW),
        x1 = low(std::max({a.x, b.x, c.x}), kScreenW);
    int y0 = low(std::min({a.y, b.y, c.y}), kScreenH),
        y1 = low(std::max({a.y, b.y, c.y}), kScreenH);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
            float wa = ((b.x - px) * (c.y - py) - (c.x - px) * (b.y - py)) / area;
            float wb = ((c.x - px) * (a.y - py) - (a.x - px) * (c.y - py)) / area;
            if (wa < 0 || wb < 0 || wa + wb > 1) continue;
            piece->Cover(x, y);
        }
    }
}

// Fills every triangle of the model's meshes as its last draw placed them: through the
// frames' matrices of that draw (a skinned mesh through its bones), then `viewProjection`.
void CoverModel(const ModelFrame* frame, const gfx::Mat4& viewProjection, Piece* piece) {
    for (; frame; frame = frame->sibling) {
        for (const MeshContainer* c = frame->containers; c; c = c->next) {
            const gfx::Mesh* mesh = c->skin ? c->skin->GetOriginalMesh() : c->drawMesh;
            if (!mesh) continue;
            const uint8_t* data = mesh->GetVertexBuffer()->Data();
            std::vector<gfx::Vec3> at(mesh->GetNumVertices());
            for (uint32_t v = 0; v < mesh->GetNumVertices(); ++v)
                std::memcpy(&at[v], data + size_t{v} * mesh->GetNumBytesPerVertex(), sizeof at[v]);
            std::vector<gfx::Vec3> placed(at.size(), gfx::Vec3{0, 0, 0});
            if (!c->skin) {
                for (size_t v = 0; v < at.size(); ++v) {
                    gfx::Vec4 t = gfx::Transform(at[v], frame->combined);
                    placed[v] = gfx::Vec3{t.x, t.y, t.z};
                }
            } else {
                for (uint32_t b = 0; b < c->skin->GetNumBones(); ++b) {
                    if (b >= c->boneMatrices.size() || !c->boneMatrices[b]) continue;
                    gfx::Mat4 bone = gfx::Multiply(c->boneOffsets[b], *c->boneMatrices[b]);
                    const gfx::Bone& info = c->skin->GetBone(b);
                    for (size_t k = 0; k < info.vertices.size() && k < info.weights.size(); ++k) {
                        uint32_t v = info.vertices[k];
                        if (v >= at.size()) continue;
                        gfx::Vec4 t = gfx::Transform(at[v], bone);
                        placed[v] = gfx::Add(placed[v],
                                             gfx::Scale(gfx::Vec3{t.x, t.y, t.z}, info.weights[k]));
                    }
                }
            }
            for (uint32_t f = 0; f < mesh->GetNumFaces(); ++f) {
                gfx::Vec3 corner[3];
                bool inFront = true;
                for (uint32_t k = 0; k < 3; ++k) {
                    uint32_t v = mesh->GetIndex(3 * f + k);
                    if (v >= placed.size()) inFront = false;
                    if (!inFront) break;
                    gfx::Vec4 clip = gfx::Transform(placed[v], viewProjection);
                    if (!(clip.w > 0.0f)) inFront = false;
                    if (!inFront) break;
                    corner[k] = gfx::Vec3{(clip.x / clip.w + 1.0f) * kScreenW / 2.0f,
                                          (1.0f - clip.y / clip.w) * kScreenH / 2.0f, 0.0f};
                }
                if (inFront) CoverFlat(corner[0], corner[1], corner[2], piece);
            }
        }
        CoverModel(frame->firstChild, viewProjection, piece);
    }
}

// The turning crafts of the moment drawn last, where their models landed (not their
// reflections, which lie under the backdrop's veil): the view and projection are those
// the crafts' own pass drew with.
std::vector<Piece> TurningCrafts() {
    std::vector<Piece> pieces;
    const gfx::DrawRecord* pass = nullptr;
    for (const gfx::DrawRecord& d : Null().Draws()) {
        if (d.indexed && d.stage0[gfx::TSS_COLOROP] == gfx::TOP_MODULATE2X) pass = &d;
    }
    if (!pass) return pieces;
    gfx::Mat4 viewProjection = gfx::Multiply(pass->view, pass->projection);
    const int crafts = gGameState.playerSetup == PlayerSetup::OnePlayer ? 1 : 2;
    for (int i = 0; i < crafts; ++i) {
        int32_t craft = CraftAtListIndex(gTitleState.players[static_cast<size_t>(i)].cursor);
        const ModelDrawElement* element = gCraftModels[craft].element;
        if (!element) continue;
        Piece piece{"craft " + std::to_string(craft), i - crafts};
        CoverModel(element->root, viewProjection, &piece);
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

// The craft select reached through the menu with the set-up given, then every craft (one
// player) or pair of crafts turning a whole round, first while the players choose, then
// with every player past the choice and the up/down pop-ups shown.
void ShowCraftSelect(const Look& look, int setupDowns) {
    ResetTitleGlobals();
    InitTitle();
    TitleTick(kPadDecide);
    TitleIdle(20);
    for (int i = 0; i < kTitleMenuMax && ChosenMenuItem() != TitleMenuItem::StagesInARow; ++i)
        TitleTick(0, kPadDown);
    TitleTick(kPadDecide);
    TitleIdle(20);
    for (int i = 0; i < setupDowns; ++i) TitleTick(0, kPadDown);
    TitleTick(kPadDecide);
    TitleIdle(20);
    TitleState& t = gTitleState;
    t.craftList = {0, 1, 2, 3};
    t.craftCount = 4;
    const bool two = setupDowns > 0;
    for (int chosen = 0; chosen < 2; ++chosen) {
        for (int pair = 0; pair < (two ? 2 : 4); ++pair) {
            t.players[0].cursor = two ? 2 * pair : pair;
            t.players[1].cursor = two ? 2 * pair + 1 : 1;
            // A whole turn is 315 frames.
            for (int frame = 0; frame < 320; ++frame) {
                DrawRecorded(DrawTitle);
                if (frame % 10 != 0) continue;
                look(std::string(chosen ? "pop-ups" : "choosing") + ", crafts " +
                     std::to_string(t.players[0].cursor) +
                     (two ? " and " + std::to_string(t.players[1].cursor) : "") + ", frame " +
                     std::to_string(frame));
            }
        }
        // Every player takes the craft under the cursor: the pop-ups slide in.
        TitleTick(kPadDecide);
        TitleIdle(20);
        EXPECT_NE(t.players[0].state, CraftChoice::Craft);
    }
}

std::vector<Part> CraftSelectParts() {
    const TitleTextures& t = gTitleTextures;
    return {
        Cut("pop-up", t.menu, 768, 0, 896, 192),
        Cut("pop-up", t.menu, 896, 0, 1024, 32),
        Whole("portrait", t.selectCraft),
    };
}

// ---------------------------------------------------------------- play

void StartPlayDisplay() {
    ASSERT_EQ(LoadPlayDisplayPictures(), nullptr);
    SetSmallTextFont();
    GameState& g = gGameState;
    g.scene = SceneId::Play;
    g.playPhase = PlayPhase::Playing;
    g.score = 123456789;
    PlaceTwoDisplayCrafts();
}

void ShowWeaponSelect(const Look& look, int crafts) {
    StartPlayDisplay();
    GameState& g = gGameState;
    g.playerCount = crafts;
    g.playerSetup = crafts == 2 ? PlayerSetup::TwoPlayers : PlayerSetup::OnePlayer;
    g.weaponSelect = 1;
    g.weaponSelectTicks = 10;  // the panels have slid in
    for (int w = 0; w <= 10; ++w)
        g.records.words[static_cast<size_t>(record::kOwnedWeapons + w)] = 1;
    // Every slot under the cursors in turn, the random one and the one not on offer alone
    // included.
    for (int slot = 0; slot < 12; ++slot) {
        g.weaponCursor[0] = slot;
        g.weaponCursor[1] = (slot + 6) % 12;
        DrawRecorded(DrawGameHud);
        look("slot " + std::to_string(slot));
    }
}

std::vector<Part> WeaponSelectParts() {
    const PlayTextures& t = gPlayTextures;
    return {
        Cut("banner", t.itemSlot, 0, 320, 400, 416), Cut("plate", t.itemSlot, 0, 416, 280, 512),
        Cut("frame", t.itemSlot, 320, 0, 448, 128),  Whole("icon", t.item),
        Whole("score", gCommonTextures.scoreDigits), Text(),
    };
}

// The continue prompt over play, with the cursor on each answer.
void ShowContinuePrompt(const Look& look) {
    StartPlayDisplay();
    GameState& g = gGameState;
    g.playPhase = PlayPhase::ContinuePrompt;
    g.phaseTicks = 60;
    g.credits = 3;
    for (int cursor = 0; cursor < 2; ++cursor) {
        g.continueCursor = cursor;
        DrawRecorded(DrawContinuePrompt);
        look(cursor ? "on NO" : "on YES");
    }
}

std::vector<Part> ContinueParts() {
    const TextureHolder& t = gPlayTextures.gameOver;
    return {Cut("answer", t, 112, 96, 240, 192), Cut("ring", t, 368, 128, 432, 192)};
}

// Both panels at their fullest (a whole life bar, a heat well filled to its end), with
// each weapon's icon in turn in the socket above them.
void ShowPlayPanels(const Look& look, int crafts) {
    StartPlayDisplay();
    GameState& g = gGameState;
    g.playerCount = crafts;
    g.playerSetup = crafts == 2 ? PlayerSetup::TwoPlayers : PlayerSetup::OnePlayer;
    for (int weapon = 0; weapon <= 10; ++weapon) {
        for (int i = 0; i < crafts; ++i) {
            PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
            c.weapon = weapon;
            c.shownLife = kFullLife;
            c.shownHeat = kHeatLimit;
        }
        DrawRecorded(DrawGameHud);
        look("weapon " + std::to_string(weapon));
    }
}

std::vector<Part> PlayPanelParts() {
    const PlayTextures& t = gPlayTextures;
    return {
        Cut("weapon icon", t.itemMini, 0, 0, 256, 192),
        Cut("life bar", t.craftGauge, 144, 192, 186, 200),
        Cut("heat bar", t.craftGauge, 0, 192, 130, 214),
        // Anything of the panels' picture, so that a bar lying on nothing drawn before it
        // (where the world would show once the bar empties) is found.
        Whole("panel", t.craftGauge),
    };
}

// ---------------------------------------------------------------- story events

// Plays every event's script and looks at each moment a line waits for the player, once
// the portraits have stopped moving, when `portraits` of them stand on the screen. Each
// arrangement of portraits is looked at once.
void ShowEvents(const Look& look, int portraits) {
    gGameState.eventNumber = 0;
    LoadEventResources();
    std::vector<std::string> seen;
    for (int event = 0; event < kEventCount; ++event) {
        StartEventScript(event);
        const EventState& s = gEventState;
        for (int tick = 0; tick < 200000; ++tick) {
            const size_t at = static_cast<size_t>(s.commandIndex);
            if (at >= s.script.size() || s.script[at].op == EventOp::None) break;
            if (s.script[at].op == EventOp::EndEventScript) break;
            bool waiting = s.script[at].op == EventOp::WaitEventConfirm && s.wait == 0;
            bool settled = true;
            int shown = 0;
            std::string arrangement;
            for (size_t i = 0; i < s.actors.size(); ++i) {
                const EventActor& a = s.actors[i];
                if (!a.visible) continue;
                shown += 1;
                settled = settled && std::fabs(a.x - a.targetX) < a.speed;
                arrangement += " actor " + std::to_string(i) + " at " +
                               std::to_string(static_cast<int>(a.x)) + " face " +
                               std::to_string(a.face) + " mirror " + std::to_string(a.mirror);
            }
            uint8_t press = 0;
            if (waiting && settled) {
                if (shown == portraits &&
                    std::find(seen.begin(), seen.end(), arrangement) == seen.end()) {
                    seen.push_back(arrangement);
                    DrawRecorded(DrawEvent);
                    look("event " + std::to_string(event) + ", command " + std::to_string(at) +
                         ":" + arrangement);
                }
                press = kPadDecide;
            }
            Tick(press);
            RunEventScript();
        }
    }
    Tick();
    EXPECT_FALSE(seen.empty()) << "no moment with " << portraits << " portraits";
}

std::vector<Part> EventParts() {
    const EventTextures& t = gEventTextures;
    std::vector<Part> parts = {
        Cut("window", t.window, 0, 0, 640, 160),
        Cut("text box", t.window, 0, 160, 640, 320),
        Whole("portrait", t.faces1),
        Whole("portrait", t.faces2),
        Text(),
    };
    for (int face = 0; face < 21; ++face) {
        mk::TexelBox box = mk::EventFaceBox(face);
        parts.push_back({"face", face < 12 ? &t.faces1 : &t.faces2, box});
    }
    return parts;
}

// ---------------------------------------------------------------- the shop

// The title shop on each of its items, with the points to buy the first.
void ShowShop(const Look& look) {
    LoadShopResources();
    OpenShop(0);
    gGameState.pointsTotal = 876543210;
    gResultShop.shopTimer = kShopGreetingTicks;
    for (int i = 0; i < gResultShop.itemCount; ++i) {
        gResultShop.cursor = i;
        DrawRecorded(DrawShop);
        look("item " + std::to_string(i));
    }
}

std::vector<Part> ShopParts() {
    const ShopTextures& t = gShopTextures;
    return {
        Cut("item frame", t.shop, 0, 384, 128, 512),
        Whole("item icon", t.item),
        Whole("item icon", t.itemName),
        Whole("item icon", t.item2),
        Whole("item icon", t.item2Name),
        Cut("emblem", t.shop, 624, 160, 804, 340),
        Cut("window", t.shop, 624, 0, 1024, 160),
        Whole("score", gCommonTextures.scoreDigits),
        Text(),
    };
}

// ---------------------------------------------------------------- the result

// A chapter's result with one player and with two, every craft on each side, while the rows
// are counted (the choosing pose) and after the tally (both totals equal, so both pilots
// show the winning pose), with the widest numbers the rows and the score can hold.
void ShowResult(const Look& look) {
    LoadResultResources();
    GameState& g = gGameState;
    g.gameMode = GameMode::Story;
    g.score = 999'999'999;
    const int32_t captions[kResultRows] = {0, 1, 2, 3, 7, 6};
    for (int i = 0; i < kResultRows; ++i) {
        gResultShop.captions[i] = captions[i];
        for (auto& row : gResultShop.rows) row[i] = 99'999'999;
    }
    for (int players = 1; players <= 2; ++players) {
        g.playerCount = players;
        for (int craft = 0; craft < 4; ++craft) {
            g.craft[0] = craft;
            g.craft[1] = (craft + 1) % 4;
            for (int tick : {170, 200}) {
                gResultShop.resultTicks = tick;
                DrawRecorded(DrawResult);
                look(std::to_string(players) + " players, crafts " + std::to_string(g.craft[0]) +
                     " and " + std::to_string(g.craft[1]) + ", tick " + std::to_string(tick));
            }
        }
    }
}

std::vector<Part> ResultParts() {
    const ResultTextures& t = gResultTextures;
    std::vector<Part> parts = {
        Whole("number", gCommonTextures.scoreDigits),
        Whole("caption", t.message2),
    };
    for (int craft = 0; craft < 4; ++craft) {
        for (bool ready : {false, true})
            parts.push_back({"face", &t.selectCraft, mk::CraftPortraitFaceBox(craft, ready)});
    }
    return parts;
}

// ---------------------------------------------------------------- the table

std::vector<Screen> Screens() {
    using enum Rule;
    // The same rules hold with one craft or portrait as with more.
    const std::vector<Check> weaponSelect = {
        {Apart, "banner", "score"}, {Apart, "banner", "plate"}, {Apart, "plate", "plate"},
        {Apart, "plate", "icon"},   {Apart, "plate", "frame"},  {OnScreen, "text", ""},
    };
    const std::vector<Check> playPanels = {
        {Apart, "weapon icon", "life bar"},
        {Apart, "weapon icon", "heat bar"},
        {Backed, "life bar", "panel"},
        {Backed, "heat bar", "panel"},
    };
    const std::vector<Check> twoCrafts = {
        {OnScreen, "craft", ""},
        {Apart, "craft", "pop-up"},
        {Apart, "craft", "portrait"},
        {Apart, "pop-up", "portrait"},
    };
    const std::vector<Check> event = {
        {Within, "text box", "window"}, {Apart, "face", "face"}, {Over, "portrait", "face"},
        {OnScreen, "face", ""},         {OnScreen, "text", ""},
    };
    return {
        {"press start", ShowPressStart, PressStartParts, {{Apart, "craft", "strip"}}},
        {"records",
         ShowRecords,
         RecordsParts,
         {{Apart, "tab", "caption"}, {Apart, "tab", "score"}}},
        {"stage select after a result",
         ShowStageSelectAfterResult,
         StageSelectParts,
         {{Apart, "card", "label"},
          {Apart, "card", "digit"},
          {Apart, "card", "score"},
          {Apart, "card", "icon"},
          {Apart, "hand", "stage code"}}},
        {"weapon select, one craft", [](const Look& look) { ShowWeaponSelect(look, 1); },
         WeaponSelectParts, weaponSelect},
        {"weapon select, two crafts", [](const Look& look) { ShowWeaponSelect(look, 2); },
         WeaponSelectParts, weaponSelect},
        {"continue prompt", ShowContinuePrompt, ContinueParts, {{Apart, "ring", "answer"}}},
        {"play display, one craft", [](const Look& look) { ShowPlayPanels(look, 1); },
         PlayPanelParts, playPanels},
        {"play display, two crafts", [](const Look& look) { ShowPlayPanels(look, 2); },
         PlayPanelParts, playPanels},
        // With one craft its pop-up stands where the craft turns (both places are fixed):
        // only the pilot must keep clear of them.
        {"craft select, one craft",
         [](const Look& look) { ShowCraftSelect(look, 0); },
         CraftSelectParts,
         {{OnScreen, "craft", ""}, {Apart, "craft", "portrait"}, {Apart, "pop-up", "portrait"}},
         TurningCrafts},
        {"craft select, with the partner", [](const Look& look) { ShowCraftSelect(look, 1); },
         CraftSelectParts, twoCrafts, TurningCrafts},
        {"craft select, two players", [](const Look& look) { ShowCraftSelect(look, 2); },
         CraftSelectParts, twoCrafts, TurningCrafts},
        {"event, one portrait", [](const Look& look) { ShowEvents(look, 1); }, EventParts, event},
        {"event, two portraits", [](const Look& look) { ShowEvents(look, 2); }, EventParts, event},
        {"event, three portraits", [](const Look& look) { ShowEvents(look, 3); }, EventParts,
         event},
        {"result",
         ShowResult,
         ResultParts,
         {{OnScreen, "face", ""}, {Apart, "face", "number"}, {Apart, "face", "caption"}}},
        {"shop",
         ShowShop,
         ShopParts,
         {{Apart, "emblem", "item"},
          {Apart, "emblem", "score"},
          {Apart, "window", "score"},
          {OnScreen, "text", ""}}},
    };
}

TEST(ScreenLayout, PiecesThatMustStayApartNeverMeetAndFacesAndTextsStayOnScreen) {
    for (const Screen& screen : Screens()) {
        SCOPED_TRACE(screen.name);
        HeadlessOptions options;
        options.runFolder = VQ_RUN_DIR;
        ASSERT_TRUE(StartHeadlessGame(options));
        ASSERT_EQ(Device3D()->Kind(), gfx::BackendKind::Null);
        screen.show([&](const std::string& moment) {
            SCOPED_TRACE(moment);
            std::vector<Piece> pieces = Record(Null().Draws(), screen.parts());
            if (screen.more) {
                for (Piece& piece : screen.more()) pieces.push_back(std::move(piece));
            }
            Judge(pieces, screen.checks);
            Null().ClearDraws();
        });
        StopHeadlessGame();
    }
}

}  // namespace
}  // namespace vqtest
