#include "platform/text/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/text/cp932.h"

namespace text {

namespace {

constexpr uint32_t kAtlasSize = 1024;
constexpr int32_t kMaxCellHeight = 256;
constexpr uint32_t kQuadsPerDraw = 256;

// The vertex the font draws with: pre-transformed position, colour, one texture set.
struct FontVertex {
    float x, y, z, rhw;
    uint32_t diffuse;
    float u, v;
};
static_assert(sizeof(FontVertex) == 28);
constexpr uint32_t kFontFvf = gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;

// What the font knows of one CP932 character.
struct Glyph {
    int16_t left = 0;     // bitmap's left edge from the pen
    int16_t top = 0;      // bitmap's top edge above the baseline
    uint16_t width = 0;   // bitmap size
    uint16_t height = 0;  //
    int32_t advance = 0;  // pen movement in 1/64 pixels
    uint16_t atlasX = 0, atlasY = 0;
    uint16_t generation = 0;  // atlas generation the bitmap is placed in (0: not placed)
    bool known = false;       // metrics above are valid
};

// The states the font sets, saved before drawing and put back after.
constexpr gfx::RenderState kSavedRenderStates[] = {
    gfx::RS_ALPHABLENDENABLE, gfx::RS_SRCBLEND,       gfx::RS_DESTBLEND,        gfx::RS_BLENDOP,
    gfx::RS_ALPHATESTENABLE,  gfx::RS_ALPHAREF,       gfx::RS_ALPHAFUNC,        gfx::RS_FOGENABLE,
    gfx::RS_ZENABLE,          gfx::RS_ZWRITEENABLE,   gfx::RS_CULLMODE,         gfx::RS_FILLMODE,
    gfx::RS_LIGHTING,         gfx::RS_SPECULARENABLE, gfx::RS_COLORWRITEENABLE,
};
constexpr gfx::TextureStageState kSavedStage0States[] = {
    gfx::TSS_COLOROP,
    gfx::TSS_COLORARG1,
    gfx::TSS_COLORARG2,
    gfx::TSS_ALPHAOP,
    gfx::TSS_ALPHAARG1,
    gfx::TSS_ALPHAARG2,
    gfx::TSS_MAGFILTER,
    gfx::TSS_MINFILTER,
    gfx::TSS_MIPFILTER,
    gfx::TSS_TEXCOORDINDEX,
    gfx::TSS_TEXTURETRANSFORMFLAGS,
};

struct SavedStates {
    uint32_t render[std::size(kSavedRenderStates)];
    uint32_t stage0[std::size(kSavedStage0States)];
    uint32_t stage1Color, stage1Alpha;
    gfx::Texture* texture;
    uint32_t vertexShader;
};

// The first code point of a UTF-8 text; 0 when there is none.
uint32_t FirstCodePoint(const std::string& utf8) {
    if (utf8.empty()) return 0;
    auto c = static_cast<uint8_t>(utf8[0]);
    if (c < 0x80) return c;
    int extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || utf8.size() < static_cast<size_t>(extra) + 1) return 0;
    uint32_t cp = c & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) cp = cp << 6 | (static_cast<uint8_t>(utf8[i]) & 0x3F);
    return cp;
}

int32_t OpenTypeWeight(int32_t weight) {
    if (weight <= 0) return 400;
    return std::min(weight, 1000);
}

// The configuration's loading thread; a program ending early still waits for it.
struct WarmingThread {
    std::thread thread;
    ~WarmingThread() {
        if (thread.joinable()) thread.join();
    }
} gWarming;

// Windows face names and the Japanese faces that Debian ships closest to them: the
// proportional gothic for the proportional and UI faces, the fixed-pitch faces for the
// fixed-pitch ones, a mincho for the minchos; the Latin faces have no Japanese of their
// own and take the proportional gothic. The generic family stands in when the face is
// not installed.
struct FaceSubstitute {
    const char* windowsName;  // UTF-8
    const char* family;
    const char* generic;
};
constexpr FaceSubstitute kFaceSubstitutes[] = {
    {"MS UI Gothic", "IPAPGothic", "sans-serif"},
    {"ＭＳ Ｐゴシック", "IPAPGothic", "sans-serif"},
    {"MS PGothic", "IPAPGothic", "sans-serif"},
    {"ＭＳ ゴシック", "IPAGothic", "monospace"},
    {"MS Gothic", "IPAGothic", "monospace"},
    {"ＭＳ Ｐ明朝", "IPAPMincho", "serif"},
    {"MS PMincho", "IPAPMincho", "serif"},
    {"ＭＳ 明朝", "IPAMincho", "serif"},
    {"MS Mincho", "IPAMincho", "serif"},
    {"Terminal", "IPAGothic", "monospace"},
    {"Lucida Sans Unicode", "IPAPGothic", "sans-serif"},
    {"Microsoft Sans Serif", "IPAPGothic", "sans-serif"},
    {"Tahoma", "IPAPGothic", "sans-serif"},
};

// Windows compares face names without regard to the case of Latin letters.
bool SameFaceName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
               return lower(x) == lower(y);
           });
}

const FaceSubstitute* FindFaceSubstitute(std::string_view utf8Name) {
    for (const FaceSubstitute& f : kFaceSubstitutes)
        if (SameFaceName(utf8Name, f.windowsName)) return &f;
    return nullptr;
}

// Finds a face file for the request through fontconfig: first the Debian face standing in
// for the Windows name (or its generic family), then the name itself. The face must cover
// Japanese; when none of those does, any sans-serif face that does is taken.
bool MatchFace(const FontRequest& request, std::string* file, int* index, bool* embolden,
               std::string* family) {
    if (!FcInit()) return false;
    std::string name;
    Cp932ToUtf8(request.faceName ? request.faceName : "", &name);
    const FaceSubstitute* substitute = FindFaceSubstitute(name);
    int fcWeight = FcWeightFromOpenType(OpenTypeWeight(request.weight));

    auto addFamily = [](FcPattern* pattern, const char* f) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(f));
    };
    for (int attempt = 0; attempt < 2; ++attempt) {
        FcPattern* pattern = FcPatternCreate();
        if (!pattern) return false;
        if (attempt == 0 && substitute) {
            addFamily(pattern, substitute->family);
            addFamily(pattern, substitute->generic);
        } else if (attempt == 0 && !name.empty()) {
            addFamily(pattern, name.c_str());
        }
        addFamily(pattern, "sans-serif");
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
        FcPatternAddInteger(pattern, FC_WEIGHT, fcWeight);
        FcPatternAddDouble(pattern, FC_PIXEL_SIZE, request.height);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (!match) continue;

        bool japanese = false;
        FcLangSet* langs = nullptr;
        if (FcPatternGetLangSet(match, FC_LANG, 0, &langs) == FcResultMatch && langs) {
            japanese =
                FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual;
        }
        FcChar8* path = nullptr;
        if (japanese && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
            *file = reinterpret_cast<const char*>(path);
            int i = 0;
            *index = FcPatternGetInteger(match, FC_INDEX, 0, &i) == FcResultMatch ? i : 0;
            FcBool bold = FcFalse;
            *embolden = FcPatternGetBool(match, FC_EMBOLDEN, 0, &bold) == FcResultMatch && bold;
            FcChar8* fam = nullptr;
            family->clear();
            if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam) {
                *family = reinterpret_cast<const char*>(fam);
            }
            FcPatternDestroy(match);
            return true;
        }
        FcPatternDestroy(match);
    }
    return false;
}

}  // namespace

void WarmFontConfiguration() {
    if (gWarming.thread.joinable()) return;
    gWarming.thread = std::thread([] { FcInit(); });
}

class FontImpl {
public:
    ~FontImpl() {
        if (atlas_) atlas_->Release();
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }

    FontResult Open(gfx::Device* device, const FontRequest& request) {
        device_ = device;
        int32_t height = std::clamp(request.height, 1, kMaxCellHeight);
        std::string file;
        int index = 0;
        if (!MatchFace(request, &file, &index, &embolden_, &family_)) return FontResult::NoFace;
        if (FT_Init_FreeType(&library_) != 0) return FontResult::NoFace;
        if (FT_New_Face(library_, file.c_str(), index, &face_) != 0) return FontResult::NoFace;
        FT_Select_Charmap(face_, FT_ENCODING_UNICODE);

        // The height is the cell height, as a positive GDI height means: the face's Windows
        // ascent plus descent, which for many faces (the IPA ones among them) is more than
        // the em. A face without those metrics shares the cell by FreeType's ascender and
        // descender.
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
        const int32_t winAscent = os2 ? os2->usWinAscent : 0;
        const int32_t winCell = os2 ? winAscent + os2->usWinDescent : 0;
        FT_Size_RequestRec size{};
        if (winCell > 0 && face_->units_per_EM > 0) {
            size.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
            size.height = static_cast<FT_Long>(height) * 64 * face_->units_per_EM / winCell;
        } else {
            size.type = FT_SIZE_REQUEST_TYPE_CELL;
            size.height = static_cast<FT_Long>(height) * 64;
        }
        if (FT_Request_Size(face_, &size) != 0 && FT_Set_Pixel_Sizes(face_, 0, height) != 0) {
            return FontResult::NoFace;
        }
        const FT_Size_Metrics& m = face_->size->metrics;
        cellHeight_ = height;
        if (winCell > 0) {
            ascent_ = (height * winAscent + winCell / 2) / winCell;
        } else {
            int32_t ascender = static_cast<int32_t>((m.ascender + 32) >> 6);
            int32_t descender = static_cast<int32_t>((-m.descender + 32) >> 6);
            ascent_ =
                ascender + descender > 0 ? height * ascender / (ascender + descender) : height;
        }

        int32_t average = height / 2;
        if (os2 && os2->xAvgCharWidth > 0) {
            average = static_cast<int32_t>((FT_MulFix(os2->xAvgCharWidth, m.x_scale) + 32) >> 6);
        }
        tabWidth_ = std::max(1, average * 8);

        if (!device || gfx::Failed(device->CreateTexture(kAtlasSize, kAtlasSize, 1,
                                                         gfx::Format::A8R8G8B8, &atlas_))) {
            atlas_ = nullptr;
            return FontResult::NoTexture;
        }
        glyphs_.assign(0x10000, Glyph{});
        ResetAtlas();
        return FontResult::Ok;
    }

    void Draw(std::string_view s, int32_t x, int32_t y, int32_t clipRight, int32_t clipBottom,
              gfx::Color color) {
        if (!atlas_ || !device_) return;
        std::lock_guard lock(device_->Lock());
        SaveStates();
        SetStates();
        color_ = color;
        clipLeft_ = x;
        clipTop_ = y;
        clipRight_ = clipRight;
        clipBottom_ = clipBottom;

        // The pen moves in 1/64 pixels, so that each glyph's rounding (an emboldened
        // glyph's above all) does not add up along the line; glyphs stand on whole pixels.
        const int64_t originFixed = int64_t{x} * 64;
        const int64_t tabFixed = int64_t{tabWidth_} * 64;
        int64_t pen = originFixed;
        int64_t lineTop = y;
        for (size_t i = 0; i < s.size() && lineTop < clipBottom; ++i) {
            auto b = static_cast<uint8_t>(s[i]);
            if (b == 0) break;
            if (b == '\r' || b == '\n') {
                if (b == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
                pen = originFixed;
                lineTop += cellHeight_;
                continue;
            }
            if (b == '\t') {
                pen = originFixed + ((pen - originFixed) / tabFixed + 1) * tabFixed;
                continue;
            }
            uint16_t code = b;
            if (IsCp932LeadByte(b) && i + 1 < s.size() && s[i + 1] != 0) {
                code = static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(s[i + 1]));
                ++i;
            }
            if (code < 0x20) continue;  // other control characters draw nothing
            const int64_t penX = (pen + 32) >> 6;
            if (penX >= clipRight) continue;
            Glyph& g = Prepare(code);
            if (g.width > 0 && g.height > 0 && g.generation == generation_) {
                AddGlyphQuad(g, penX + g.left, lineTop + ascent_ - g.top);
            }
            pen += g.advance;
        }
        Flush();
        RestoreStates();
    }

    int32_t CellHeight() const { return cellHeight_; }
    int32_t Ascent() const { return ascent_; }
    const char* FamilyName() const { return family_.c_str(); }
    bool Emboldened() const { return embolden_; }
    const gfx::Texture* Atlas() const { return atlas_; }

private:
    void ResetAtlas() {
        uint32_t pitch = 0;
        uint32_t* texels = atlas_->LockRect(0, &pitch);
        if (texels) {
            std::fill(texels, texels + static_cast<size_t>(pitch) * kAtlasSize, 0x00FFFFFFu);
            atlas_->UnlockRect(0);
        }
        ++generation_;
        if (generation_ == 0) generation_ = 1;
        shelfX_ = shelfY_ = shelfHeight_ = 0;
        atlasDirty_ = false;
    }

    // Makes sure the glyph's metrics are known and its bitmap is in the atlas.
    Glyph& Prepare(uint16_t code) {
        Glyph& g = glyphs_[code];
        if (g.known && (g.generation == generation_ || g.width == 0 || g.height == 0)) return g;
        if (!RenderGlyph(code)) {
            g.known = true;
            g.width = g.height = 0;
            return g;
        }
        const FT_Bitmap& bitmap = face_->glyph->bitmap;
        g.known = true;
        g.left = static_cast<int16_t>(face_->glyph->bitmap_left);
        g.top = static_cast<int16_t>(face_->glyph->bitmap_top);
        g.advance = static_cast<int32_t>(face_->glyph->advance.x);
        g.width = static_cast<uint16_t>(std::min<unsigned>(bitmap.width, kAtlasSize - 2));
        g.height = static_cast<uint16_t>(std::min<unsigned>(bitmap.rows, kAtlasSize - 2));
        if (g.width == 0 || g.height == 0) return g;

        // Shelf packing with one texel of space around each glyph.
        if (shelfX_ + g.width + 1 > kAtlasSize) {
            shelfX_ = 0;
            shelfY_ += shelfHeight_ + 1;
            shelfHeight_ = 0;
        }
        if (shelfY_ + g.height + 1 > kAtlasSize) {
            // The atlas is full: draw what uses it, then start it afresh.
            Flush();
            ResetAtlas();
            if (!RenderGlyph(code)) return g;
        }
        g.atlasX = static_cast<uint16_t>(shelfX_ + 1);
        g.atlasY = static_cast<uint16_t>(shelfY_ + 1);
        shelfX_ += g.width + 1;
        shelfHeight_ = std::max<uint32_t>(shelfHeight_, g.height + 1u);
        g.generation = generation_;

        uint32_t pitch = 0;
        uint32_t* texels = atlas_->LockRect(0, &pitch);
        if (!texels) return g;
        for (uint32_t row = 0; row < g.height; ++row) {
            const uint8_t* src = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
            uint32_t* dst = texels + static_cast<size_t>(g.atlasY + row) * pitch + g.atlasX;
            for (uint32_t col = 0; col < g.width; ++col) {
                dst[col] = static_cast<uint32_t>(src[col]) << 24 | 0x00FFFFFFu;
            }
        }
        atlasDirty_ = true;
        return g;
    }

    // Renders the character's glyph into FreeType's slot as an 8-bit coverage bitmap.
    bool RenderGlyph(uint16_t code) {
        char bytes[3] = {0, 0, 0};
        if (code >= 0x100) {
            bytes[0] = static_cast<char>(code >> 8);
            bytes[1] = static_cast<char>(code & 0xFF);
        } else {
            bytes[0] = static_cast<char>(code);
        }
        std::string utf8;
        if (!Cp932ToUtf8(bytes, &utf8)) return false;
        uint32_t cp = FirstCodePoint(utf8);
        if (cp == 0) return false;
        FT_UInt index = FT_Get_Char_Index(face_, cp);
        if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return false;
        if (embolden_) FT_GlyphSlot_Embolden(face_->glyph);
        if (FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0) return false;
        return face_->glyph->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
    }

    // The glyph's bitmap with its top left at (gx, gy), clipped; wide coordinates, so that
    // a text placed near the ends of the integer range clips instead of wrapping.
    void AddGlyphQuad(const Glyph& g, int64_t gx, int64_t gy) {
        int64_t x0 = std::max<int64_t>(gx, clipLeft_), y0 = std::max<int64_t>(gy, clipTop_);
        int64_t x1 = std::min<int64_t>(gx + g.width, clipRight_);
        int64_t y1 = std::min<int64_t>(gy + g.height, clipBottom_);
        if (x0 >= x1 || y0 >= y1) return;
        if (quadCount_ == kQuadsPerDraw) Flush();
        constexpr float kTexel = 1.0f / kAtlasSize;
        auto texel = [](int64_t atlas, int64_t offset) {
            return static_cast<float>(atlas + offset) * kTexel;
        };
        float u0 = texel(g.atlasX, x0 - gx), u1 = texel(g.atlasX, x1 - gx);
        float v0 = texel(g.atlasY, y0 - gy), v1 = texel(g.atlasY, y1 - gy);
        // Pixel centres lie on whole coordinates: edges half a pixel before them put each
        // pixel on the centre of its texel.
        auto edge = [](int64_t p) { return static_cast<float>(p) - 0.5f; };
        float l = edge(x0), t = edge(y0), r = edge(x1), b = edge(y1);
        FontVertex* v = &vertices_[quadCount_ * 6];
        v[0] = {l, t, 0.0f, 1.0f, color_, u0, v0};
        v[1] = {r, t, 0.0f, 1.0f, color_, u1, v0};
        v[2] = {l, b, 0.0f, 1.0f, color_, u0, v1};
        v[3] = {r, t, 0.0f, 1.0f, color_, u1, v0};
        v[4] = {r, b, 0.0f, 1.0f, color_, u1, v1};
        v[5] = {l, b, 0.0f, 1.0f, color_, u0, v1};
        ++quadCount_;
    }

    void Flush() {
        if (atlasDirty_) {
            atlas_->UnlockRect(0);
            atlasDirty_ = false;
        }
        if (quadCount_ == 0) return;
        device_->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, quadCount_ * 2, vertices_.data(),
                                 sizeof(FontVertex));
        quadCount_ = 0;
    }

    void SaveStates() {
        for (size_t i = 0; i < std::size(kSavedRenderStates); ++i)
            saved_.render[i] = device_->GetRenderState(kSavedRenderStates[i]);
        for (size_t i = 0; i < std::size(kSavedStage0States); ++i)
            saved_.stage0[i] = device_->GetTextureStageState(0, kSavedStage0States[i]);
        saved_.stage1Color = device_->GetTextureStageState(1, gfx::TSS_COLOROP);
        saved_.stage1Alpha = device_->GetTextureStageState(1, gfx::TSS_ALPHAOP);
        saved_.texture = device_->GetTexture(0);
        saved_.vertexShader = device_->GetVertexShader();
    }

    void SetStates() {
        gfx::Device* d = device_;
        d->SetRenderState(gfx::RS_ALPHABLENDENABLE, gfx::kTrue);
        d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
        d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
        d->SetRenderState(gfx::RS_BLENDOP, gfx::BLENDOP_ADD);
        d->SetRenderState(gfx::RS_ALPHATESTENABLE, gfx::kTrue);
        d->SetRenderState(gfx::RS_ALPHAREF, 0);
        d->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATER);
        d->SetRenderState(gfx::RS_FOGENABLE, gfx::kFalse);
        d->SetRenderState(gfx::RS_ZENABLE, gfx::ZB_FALSE);
        d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kFalse);
        d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
        d->SetRenderState(gfx::RS_FILLMODE, gfx::FILL_SOLID);
        d->SetRenderState(gfx::RS_LIGHTING, gfx::kFalse);
        d->SetRenderState(gfx::RS_SPECULARENABLE, gfx::kFalse);
        d->SetRenderState(gfx::RS_COLORWRITEENABLE, 0xF);
        d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
        d->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_TEXTURE);
        d->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_DIFFUSE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAARG1, gfx::TA_TEXTURE);
        d->SetTextureStageState(0, gfx::TSS_ALPHAARG2, gfx::TA_DIFFUSE);
        d->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_POINT);
        d->SetTextureStageState(0, gfx::TSS_MINFILTER, gfx::TEXF_POINT);
        d->SetTextureStageState(0, gfx::TSS_MIPFILTER, gfx::TEXF_NONE);
        d->SetTextureStageState(0, gfx::TSS_TEXCOORDINDEX, 0);
        d->SetTextureStageState(0, gfx::TSS_TEXTURETRANSFORMFLAGS, 0);
        d->SetTextureStageState(1, gfx::TSS_COLOROP, gfx::TOP_DISABLE);
        d->SetTextureStageState(1, gfx::TSS_ALPHAOP, gfx::TOP_DISABLE);
        d->SetTexture(0, atlas_);
        d->SetVertexShader(kFontFvf);
    }

    void RestoreStates() {
        for (size_t i = 0; i < std::size(kSavedRenderStates); ++i)
            device_->SetRenderState(kSavedRenderStates[i], saved_.render[i]);
        for (size_t i = 0; i < std::size(kSavedStage0States); ++i)
            device_->SetTextureStageState(0, kSavedStage0States[i], saved_.stage0[i]);
        device_->SetTextureStageState(1, gfx::TSS_COLOROP, saved_.stage1Color);
        device_->SetTextureStageState(1, gfx::TSS_ALPHAOP, saved_.stage1Alpha);
        device_->SetTexture(0, saved_.texture);
        device_->SetVertexShader(saved_.vertexShader);
    }

    gfx::Device* device_ = nullptr;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    gfx::Texture* atlas_ = nullptr;
    std::string family_;
    bool embolden_ = false;
    int32_t cellHeight_ = 0, ascent_ = 0, tabWidth_ = 1;

    std::vector<Glyph> glyphs_;  // by CP932 code
    uint16_t generation_ = 0;
    uint32_t shelfX_ = 0, shelfY_ = 0, shelfHeight_ = 0;
    bool atlasDirty_ = false;

    std::array<FontVertex, kQuadsPerDraw * 6> vertices_{};
    uint32_t quadCount_ = 0;
    gfx::Color color_ = 0;
    int32_t clipLeft_ = 0, clipTop_ = 0, clipRight_ = 0, clipBottom_ = 0;
    SavedStates saved_{};
};

std::unique_ptr<Font> Font::Create(gfx::Device* device, const FontRequest& request,
                                   FontResult* result) {
    auto impl = std::make_unique<FontImpl>();
    FontResult r = impl->Open(device, request);
    if (result) *result = r;
    if (r != FontResult::Ok) return nullptr;
    return std::unique_ptr<Font>(new Font(std::move(impl)));
}

Font::Font(std::unique_ptr<FontImpl> impl) : impl_(std::move(impl)) {}
Font::~Font() = default;

void Font::Draw(std::string_view cp932, int32_t x, int32_t y, int32_t clipRight, int32_t clipBottom,
                gfx::Color color) {
    impl_->Draw(cp932, x, y, clipRight, clipBottom, color);
}

int32_t Font::CellHeight() const {
    return impl_->CellHeight();
}
int32_t Font::Ascent() const {
    return impl_->Ascent();
}
const char* Font::FamilyName() const {
    return impl_->FamilyName();
}
bool Font::Emboldened() const {
    return impl_->Emboldened();
}
const gfx::Texture* Font::Atlas() const {
    return impl_->Atlas();
}

}  // namespace text
