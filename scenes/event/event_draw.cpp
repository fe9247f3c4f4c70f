// Drawing of the story event: background, flicker, message window, portraits, speaker
// marker, dialogue and the event's own fade.
#include <algorithm>
#include <cmath>

#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "scenes/event/event.h"
#include "scenes/event/story/story.h"

namespace {

constexpr gfx::Color kWhite = 0xFFFFFFFFu;
constexpr int kFirstSheetFaces = 12;
constexpr int kSecondSheetFaces = 9;  // 3 x 3 cells of 320 x 320

gfx::Color WhiteWithAlpha(int32_t alpha) {
    auto a = static_cast<uint32_t>(std::clamp(alpha, 0, 255));
    return a << 24 | 0x00FFFFFFu;
}

// A 6 x 6 cell of the common system picture over the whole screen.
void CoverScreen(const TexelRect& cell, gfx::Color color) {
    const TextureHolder& system = gCommonTextures.system;
    BindTexture(system);
    AddSpriteQuad(SpriteRect{0, 0, 640, 480}, cell, system, color);
    FlushSprites();
}

constexpr TexelRect kCellA{1, 1, 7, 7};
constexpr TexelRect kCellB{9, 1, 15, 7};

void DrawBackground(const EventState& s) {
    if (s.background < 0 || s.background >= kEventImages) return;
    const TextureHolder& picture = gEventTextures.images[static_cast<size_t>(s.background)];
    BindTexture(picture);
    if (IsScrollingEventImage(s.background)) {
        auto x = static_cast<float>(s.scroll);
        AddSpriteQuad(SpriteRect{x, 0, 1024, 480}, TexelRect{0, 0, 1024, 480}, picture, kWhite);
        AddSpriteQuad(SpriteRect{x + 1024, 0, 1024, 480}, TexelRect{0, 0, 1024, 480}, picture,
                      kWhite);
    } else {
        AddSpriteQuad(SpriteRect{0, 0, 640, 480}, TexelRect{0, 0, 640, 480}, picture, kWhite);
    }
    FlushSprites();
}

void DrawActor(const EventActor& a) {
    const TextureHolder* sheet;
    TexelRect cell;
    float w;
    if (a.face >= 0 && a.face < kFirstSheetFaces) {
        sheet = &gEventTextures.faces1;
        auto cx = static_cast<float>((a.face % 4) * 240);
        auto cy = static_cast<float>((a.face / 4) * 320);
        cell = TexelRect{cx, cy, cx + 240, cy + 320};
        w = 240;
    } else if (a.face >= kFirstSheetFaces && a.face < kFirstSheetFaces + kSecondSheetFaces) {
        sheet = &gEventTextures.faces2;
        int f = a.face - kFirstSheetFaces;
        auto cx = static_cast<float>((f % 3) * 320);
        auto cy = static_cast<float>((f / 3) * 320);
        cell = TexelRect{cx, cy, cx + 320, cy + 320};
        w = 320;
    } else {
        return;  // no such cell on either sheet
    }
    SpriteRect dest;
    switch (a.mirror) {
        case 1:
            dest = SpriteRect{a.x + w / 2, 0, -w, 320};
            break;
        case 2:
            dest = SpriteRect{a.x + w / 2, 176, -w, 320};
            break;
        default:
            dest = SpriteRect{a.x - w / 2, 0, w, 320};
            break;
    }
    BindTexture(*sheet);
    AddSpriteQuad(dest, cell, *sheet, kWhite);
    FlushSprites();
}

}  // namespace

void DrawEventLayers() {
    EventState& s = gEventState;
    DrawBackground(s);

    if (s.background == 0) {
        s.flicker += 1;
        float a = 8.0f * std::sin(0.4f * static_cast<float>(s.flicker)) + 8.0f;
        CoverScreen(kCellA, WhiteWithAlpha(static_cast<int32_t>(a)));
    }

    const TextureHolder& window = gEventTextures.window;
    if (s.windowSlide >= 0) {
        BindTexture(window);
        AddSpriteQuad(SpriteRect{0, static_cast<float>(480 - 4 * s.windowSlide), 640, 160},
                      TexelRect{0, 0, 640, 160}, window, kWhite);
        FlushSprites();
    }
    bool textShown = s.firstLine >= 0;
    if (textShown) {
        BindTexture(window);
        AddSpriteQuad(SpriteRect{0, 312, 640, 160}, TexelRect{0, 160, 640, 320}, window, kWhite);
        FlushSprites();
    }

    for (const EventActor& a : s.actors) {
        if (a.visible != 0) DrawActor(a);
    }

    if (textShown && s.speaker >= 0 && s.speaker < kEventActors) {
        const EventActor& speaker = s.actors[static_cast<size_t>(s.speaker)];
        BindTexture(window);
        AddSpriteQuad(SpriteRect{speaker.x - 16, 300, 32, 32}, TexelRect{0, 320, 32, 352}, window,
                      kWhite);
        FlushSprites();
    }

    if (textShown) {
        for (int32_t i = 0; i < s.lineCount; ++i) {
            int32_t line = s.firstLine + i;
            if (line < 0 || line >= kEventTextLineCount) break;
            DrawShadowedText(64, static_cast<float>(338 + 30 * i),
                             kEventTextLines[static_cast<size_t>(line)].c_str(), 255, 255, 255, 0);
        }
    }

    if (s.fadeMode != 0) {
        bool covering = s.fadeMode == 1 || s.fadeMode == 3;
        int32_t a;
        if (s.fadeLength <= 0) {
            // A fade of no length has already got where it goes.
            a = covering ? 255 : 0;
        } else {
            a = s.fadeCounter * 255 / s.fadeLength;
            if (!covering) a = 255 - a;
        }
        CoverScreen(s.fadeMode <= 2 ? kCellB : kCellA, WhiteWithAlpha(a));
    }
}

void DrawEvent() {
    Begin2DDrawing();
    DrawEventLayers();
}
