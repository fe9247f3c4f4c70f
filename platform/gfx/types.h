// Values of the graphics device's vocabulary. The numbers are the ones the game's drawing
// code uses (render-state numbers, blend factors, texture operations, vertex-format bits),
// so tables of numbers in the game map onto the device unchanged.
#pragma once

#include <cstdint>

namespace gfx {

using Color = uint32_t;  // ARGB, 8 bits each, alpha in the top byte

constexpr Color MakeArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a & 0xFF) << 24 | (r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF);
}

struct ColorValue {
    float r, g, b, a;
};

// Results of device calls.
enum class Result : int32_t {
    Ok = 0,
    Fail = -1,
    DeviceLost = -2,      // the device cannot draw now; wait for NotReset
    DeviceNotReset = -3,  // the device can be reset now
    InvalidCall = -4,
    OutOfMemory = -5,
};
inline bool Failed(Result r) {
    return r != Result::Ok;
}

// Render states (numbers as the game's tables use them).
enum RenderState : uint32_t {
    RS_ZENABLE = 7,
    RS_FILLMODE = 8,
    RS_SHADEMODE = 9,
    RS_ZWRITEENABLE = 14,
    RS_ALPHATESTENABLE = 15,
    RS_LASTPIXEL = 16,
    RS_SRCBLEND = 19,
    RS_DESTBLEND = 20,
    RS_CULLMODE = 22,
    RS_ZFUNC = 23,
    RS_ALPHAREF = 24,
    RS_ALPHAFUNC = 25,
    RS_DITHERENABLE = 26,
    RS_ALPHABLENDENABLE = 27,
    RS_FOGENABLE = 28,
    RS_SPECULARENABLE = 29,
    RS_FOGCOLOR = 34,
    RS_FOGTABLEMODE = 35,
    RS_FOGSTART = 36,  // float bits
    RS_FOGEND = 37,    // float bits
    RS_FOGDENSITY = 38,
    RS_ZBIAS = 47,
    RS_RANGEFOGENABLE = 48,
    RS_TEXTUREFACTOR = 60,
    RS_LIGHTING = 137,
    RS_AMBIENT = 139,
    RS_FOGVERTEXMODE = 140,
    RS_COLORVERTEX = 141,
    RS_LOCALVIEWER = 142,
    RS_NORMALIZENORMALS = 143,
    RS_DIFFUSEMATERIALSOURCE = 145,
    RS_SPECULARMATERIALSOURCE = 146,
    RS_AMBIENTMATERIALSOURCE = 147,
    RS_EMISSIVEMATERIALSOURCE = 148,
    RS_VERTEXBLEND = 151,
    RS_SOFTWAREVERTEXPROCESSING = 153,
    RS_POINTSIZE = 154,
    RS_INDEXEDVERTEXBLENDENABLE = 167,
    RS_COLORWRITEENABLE = 168,
    RS_BLENDOP = 171,
};
constexpr uint32_t kRenderStateCount = 256;

// Texture-stage states.
enum TextureStageState : uint32_t {
    TSS_COLOROP = 1,
    TSS_COLORARG1 = 2,
    TSS_COLORARG2 = 3,
    TSS_ALPHAOP = 4,
    TSS_ALPHAARG1 = 5,
    TSS_ALPHAARG2 = 6,
    TSS_TEXCOORDINDEX = 11,
    TSS_ADDRESSU = 13,
    TSS_ADDRESSV = 14,
    TSS_BORDERCOLOR = 15,
    TSS_MAGFILTER = 16,
    TSS_MINFILTER = 17,
    TSS_MIPFILTER = 18,
    TSS_MIPMAPLODBIAS = 19,
    TSS_MAXMIPLEVEL = 20,
    TSS_MAXANISOTROPY = 21,
    TSS_TEXTURETRANSFORMFLAGS = 24,
    TSS_ADDRESSW = 25,
    TSS_COLORARG0 = 26,
    TSS_ALPHAARG0 = 27,
    TSS_RESULTARG = 28,
};
constexpr uint32_t kTextureStageStateCount = 32;
constexpr uint32_t kTextureStages = 8;

// Boolean values of render states.
constexpr uint32_t kFalse = 0;
constexpr uint32_t kTrue = 1;

enum ZBufferType : uint32_t { ZB_FALSE = 0, ZB_TRUE = 1 };
enum FillMode : uint32_t { FILL_POINT = 1, FILL_WIREFRAME = 2, FILL_SOLID = 3 };
enum ShadeMode : uint32_t { SHADE_FLAT = 1, SHADE_GOURAUD = 2 };
enum Cull : uint32_t { CULL_NONE = 1, CULL_CW = 2, CULL_CCW = 3 };
enum Cmp : uint32_t {
    CMP_NEVER = 1,
    CMP_LESS = 2,
    CMP_EQUAL = 3,
    CMP_LESSEQUAL = 4,
    CMP_GREATER = 5,
    CMP_NOTEQUAL = 6,
    CMP_GREATEREQUAL = 7,
    CMP_ALWAYS = 8,
};
enum Blend : uint32_t {
    BLEND_ZERO = 1,
    BLEND_ONE = 2,
    BLEND_SRCCOLOR = 3,
    BLEND_INVSRCCOLOR = 4,
    BLEND_SRCALPHA = 5,
    BLEND_INVSRCALPHA = 6,
    BLEND_DESTALPHA = 7,
    BLEND_INVDESTALPHA = 8,
    BLEND_DESTCOLOR = 9,
    BLEND_INVDESTCOLOR = 10,
    BLEND_SRCALPHASAT = 11,
    BLEND_BOTHSRCALPHA = 12,
    BLEND_BOTHINVSRCALPHA = 13,
};
enum BlendOp : uint32_t {
    BLENDOP_ADD = 1,
    BLENDOP_SUBTRACT = 2,
    BLENDOP_REVSUBTRACT = 3,
    BLENDOP_MIN = 4,
    BLENDOP_MAX = 5,
};
enum FogMode : uint32_t { FOG_NONE = 0, FOG_EXP = 1, FOG_EXP2 = 2, FOG_LINEAR = 3 };
enum MaterialSource : uint32_t { MCS_MATERIAL = 0, MCS_COLOR1 = 1, MCS_COLOR2 = 2 };

// Texture operations.
enum TextureOp : uint32_t {
    TOP_DISABLE = 1,
    TOP_SELECTARG1 = 2,
    TOP_SELECTARG2 = 3,
    TOP_MODULATE = 4,
    TOP_MODULATE2X = 5,
    TOP_MODULATE4X = 6,
    TOP_ADD = 7,
    TOP_ADDSIGNED = 8,
    TOP_ADDSIGNED2X = 9,
    TOP_SUBTRACT = 10,
    TOP_ADDSMOOTH = 11,
    TOP_BLENDDIFFUSEALPHA = 12,
    TOP_BLENDTEXTUREALPHA = 13,
    TOP_BLENDFACTORALPHA = 14,
    TOP_BLENDTEXTUREALPHAPM = 15,
    TOP_BLENDCURRENTALPHA = 16,
};
// Texture arguments (low bits select, high bits modify).
enum TextureArg : uint32_t {
    TA_DIFFUSE = 0,
    TA_CURRENT = 1,
    TA_TEXTURE = 2,
    TA_TFACTOR = 3,
    TA_SPECULAR = 4,
    TA_SELECTMASK = 0x0F,
    TA_COMPLEMENT = 0x10,
    TA_ALPHAREPLICATE = 0x20,
};
enum TextureAddress : uint32_t {
    TADDRESS_WRAP = 1,
    TADDRESS_MIRROR = 2,
    TADDRESS_CLAMP = 3,
    TADDRESS_BORDER = 4,
};
enum TextureFilter : uint32_t {
    TEXF_NONE = 0,
    TEXF_POINT = 1,
    TEXF_LINEAR = 2,
    TEXF_ANISOTROPIC = 3,
};

enum PrimitiveType : uint32_t {
    PT_POINTLIST = 1,
    PT_LINELIST = 2,
    PT_LINESTRIP = 3,
    PT_TRIANGLELIST = 4,
    PT_TRIANGLESTRIP = 5,
    PT_TRIANGLEFAN = 6,
};

enum TransformType : uint32_t {
    TS_VIEW = 2,
    TS_PROJECTION = 3,
    TS_TEXTURE0 = 16,
    TS_WORLD = 256,  // TS_WORLD + n: the n-th world matrix of the blending palette
};
constexpr uint32_t kWorldMatrices = 256;

// Flexible vertex format bits.
enum Fvf : uint32_t {
    FVF_XYZ = 0x002,
    FVF_XYZRHW = 0x004,
    FVF_XYZB1 = 0x006,
    FVF_XYZB2 = 0x008,
    FVF_XYZB3 = 0x00A,
    FVF_XYZB4 = 0x00C,
    FVF_XYZB5 = 0x00E,
    FVF_POSITION_MASK = 0x00E,
    FVF_NORMAL = 0x010,
    FVF_PSIZE = 0x020,
    FVF_DIFFUSE = 0x040,
    FVF_SPECULAR = 0x080,
    FVF_TEXCOUNT_MASK = 0xF00,
    FVF_TEXCOUNT_SHIFT = 8,
    FVF_TEX1 = 0x100,
    FVF_TEX2 = 0x200,
    FVF_LASTBETA_UBYTE4 = 0x1000,
};
// Size in bytes of one vertex of the given format (two floats per texture set).
uint32_t FvfVertexSize(uint32_t fvf);

enum LightType : uint32_t { LIGHT_POINT = 1, LIGHT_SPOT = 2, LIGHT_DIRECTIONAL = 3 };

struct Light {
    uint32_t type;
    ColorValue diffuse, specular, ambient;
    float position[3];
    float direction[3];
    float range, falloff, attenuation0, attenuation1, attenuation2, theta, phi;
};

struct Material {
    ColorValue diffuse, ambient, specular, emissive;
    float power;
};

struct Viewport {
    uint32_t x, y, width, height;
    float minZ, maxZ;
};

struct Rect {
    int32_t left, top, right, bottom;
};

// Clear flags.
enum ClearFlags : uint32_t { CLEAR_TARGET = 1, CLEAR_ZBUFFER = 2, CLEAR_STENCIL = 4 };

// Texel formats. The device keeps every texture as 32-bit ARGB in memory; the format only
// records what the picture asked for.
enum class Format : uint32_t {
    Unknown = 0,
    R8G8B8 = 20,
    A8R8G8B8 = 21,
    X8R8G8B8 = 22,
    R5G6B5 = 23,
    X1R5G5B5 = 24,
    A1R5G5B5 = 25,
    A4R4G4B4 = 26,
    D16 = 80,
    Index16 = 101,
    Index32 = 102,
};

}  // namespace gfx
