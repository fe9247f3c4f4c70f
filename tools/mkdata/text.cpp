#include "tools/mkdata/text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace mk {

namespace {

std::string LookUpFont(const char* pattern) {
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    FcInit();
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    std::string file;
    FcChar8* f = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &f) == FcResultMatch)
        file = reinterpret_cast<char*>(f);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pat);
    return file;
}

struct FaceHolder {
    FT_Library lib = nullptr;
    FT_Face face[2] = {nullptr, nullptr};
    FaceHolder() {
        if (FT_Init_FreeType(&lib)) {
            std::fprintf(stderr, "mkdata: FreeType could not start\n");
            std::exit(1);
        }
        for (int i = 0; i < 2; ++i) {
            std::string file = FontFile(static_cast<Face>(i));
            if (file.empty() || FT_New_Face(lib, file.c_str(), 0, &face[i])) {
                std::fprintf(
                    stderr,
                    "mkdata: no Japanese gothic font found (install fonts-ipafont-gothic)\n");
                std::exit(1);
            }
            FT_Set_Char_Size(face[i], 0, 64 * 64, 72, 72);  // outlines at 64 px per em
        }
    }
    ~FaceHolder() {
        for (FT_Face f : face)
            if (f) FT_Done_Face(f);
        if (lib) FT_Done_FreeType(lib);
    }
};

FaceHolder& Faces() {
    thread_local FaceHolder holder;
    return holder;
}

std::vector<uint32_t> DecodeUtf8(const std::string& s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp;
        int n;
        if (c < 0x80) {
            cp = c;
            n = 1;
        } else if ((c >> 5) == 6) {
            cp = c & 0x1F;
            n = 2;
        } else if ((c >> 4) == 14) {
            cp = c & 0x0F;
            n = 3;
        } else {
            cp = c & 0x07;
            n = 4;
        }
        for (int k = 1; k < n && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += n;
    }
    return out;
}

struct Decomposer {
    Path* path;
    float scale, ox, oy, sx;
    Vec2 Map(const FT_Vector* v) const {
        return {ox + v->x / 64.0f * scale * sx, oy - v->y / 64.0f * scale};
    }
};

int OnMove(const FT_Vector* to, void* user) {
    auto* d = static_cast<Decomposer*>(user);
    Vec2 p = d->Map(to);
    d->path->MoveTo(p.x, p.y);
    return 0;
}
int OnLine(const FT_Vector* to, void* user) {
    auto* d = static_cast<Decomposer*>(user);
    Vec2 p = d->Map(to);
    d->path->LineTo(p.x, p.y);
    return 0;
}
int OnConic(const FT_Vector* c, const FT_Vector* to, void* user) {
    auto* d = static_cast<Decomposer*>(user);
    Vec2 cp = d->Map(c), p = d->Map(to);
    d->path->QuadTo(cp.x, cp.y, p.x, p.y);
    return 0;
}
int OnCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* d = static_cast<Decomposer*>(user);
    Vec2 a = d->Map(c1), b = d->Map(c2), p = d->Map(to);
    d->path->CubicTo(a.x, a.y, b.x, b.y, p.x, p.y);
    return 0;
}

}  // namespace

std::string FontFile(Face face) {
    static std::string files[2];
    static std::once_flag once;
    std::call_once(once, [] {
        files[0] = LookUpFont("IPAPGothic:lang=ja");
        files[1] = LookUpFont("IPAGothic:lang=ja:spacing=mono");
        if (files[0].empty()) files[0] = LookUpFont("sans-serif:lang=ja");
        if (files[1].empty()) files[1] = files[0];
    });
    return files[static_cast<int>(face)];
}

Path TextPath(const std::string& utf8, const TextStyle& st, float x, float y, float* advance) {
    FT_Face face = Faces().face[static_cast<int>(st.face)];
    Path path;
    float scale = st.size / 64.0f;
    float pen = x;
    FT_Outline_Funcs funcs{OnMove, OnLine, OnConic, OnCubic, 0, 0};
    for (uint32_t cp : DecodeUtf8(utf8)) {
        FT_UInt gi = FT_Get_Char_Index(face, cp);
        // A character the face lacks would be drawn as the empty-box glyph: stop rather
        // than write a picture with it.
        if (gi == 0 && cp >= 0x20) {
            std::fprintf(stderr, "mkdata: the font %s has no glyph for U+%04X\n",
                         FontFile(st.face).c_str(), cp);
            std::exit(1);
        }
        if (FT_Load_Glyph(face, gi, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING)) continue;
        FT_GlyphSlot slot = face->glyph;
        if (st.bold > 0 && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            FT_Pos strength = static_cast<FT_Pos>(st.bold / scale * 64.0f);
            FT_Outline_Embolden(&slot->outline, strength);
        }
        Decomposer d{&path, scale, pen, y, st.stretchX};
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE)
            FT_Outline_Decompose(&slot->outline, &funcs, &d);
        pen += (slot->advance.x / 64.0f * scale + (st.bold > 0 ? st.bold : 0)) * st.stretchX +
               st.spacing;
    }
    if (advance) *advance = pen - x - st.spacing;
    return path;
}

float TextWidth(const std::string& utf8, const TextStyle& st) {
    float adv = 0;
    TextPath(utf8, st, 0, 0, &adv);
    return adv;
}

void DrawText(Image& img, const std::string& utf8, float x, float y, Align align,
              const TextStyle& st) {
    float w = TextWidth(utf8, st);
    float left = align == Align::Left ? x : align == Align::Center ? x - w * 0.5f : x - w;
    // The em box of IPA faces: ascent about 0.88 em; centre the box 0.5 em around y.
    float baseline = y + st.size * 0.38f;
    Path p = TextPath(utf8, st, left, baseline);
    Paint fill = st.gradient ? Linear(0, y - st.size * 0.42f, 0, y + st.size * 0.42f,
                                      {{0, st.gradTop},
                                       {0.45f, Mix(st.gradTop, st.gradBottom, 0.35f)},
                                       {1, st.gradBottom}})
                             : st.fill;
    if (st.glow.a > 0 && st.glowRadius > 0) img.Glow(p, st.glowRadius, st.glow);
    if (st.shadow.a > 0) {
        if (st.shadowBlur > 0) {
            img.Shadow(p, st.shadowDx, st.shadowDy, st.shadowBlur, st.shadow);
        } else {
            Mask m = Rasterize(p.Translated(st.shadowDx, st.shadowDy), img.W(), img.H());
            if (st.outlineWidth > 0) m = Dilate(m, st.outlineWidth, img.W(), img.H());
            img.FillMask(m, Solid(st.shadow));
        }
    }
    if (st.outline.a > 0 && st.outlineWidth > 0)
        img.FillOutlined(p, fill, st.outline, st.outlineWidth);
    else
        img.Fill(p, fill);
}

void DrawTextFit(Image& img, const std::string& utf8, float bx, float by, float bw, float bh,
                 Align align, TextStyle st) {
    float margin = st.outlineWidth * 2 + 2;
    float w = TextWidth(utf8, st);
    if (w > bw - margin && w > 0) {
        float k = (bw - margin) / w;
        st.size *= k;
        st.bold *= k;
    }
    if (st.size > bh - margin) st.size = bh - margin;
    float x = align == Align::Left     ? bx + margin * 0.5f
              : align == Align::Center ? bx + bw * 0.5f
                                       : bx + bw - margin * 0.5f;
    DrawText(img, utf8, x, by + bh * 0.5f, align, st);
}

}  // namespace mk
