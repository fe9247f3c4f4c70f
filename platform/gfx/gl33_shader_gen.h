// The gl33 backend emulates the fixed-function pipeline with generated GLSL 330 shaders.
// Every draw's pipeline state is reduced to a ShaderKey that holds exactly what changes the
// shader text (states that cannot change the picture are left out, so equivalent states
// share one program); the backend keeps one linked program per key.
//
// This file knows no GL: it turns device state into keys and keys into source text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "platform/gfx/device.h"

namespace gfx::gl33 {

// Texture stages the generated pixel shader runs (later stages are treated as disabled).
constexpr uint32_t kMaxStages = 2;
// Texture coordinate sets the vertex shader passes on.
constexpr uint32_t kMaxTexSets = 2;
// Vertex shader constants, as vec4s.
constexpr uint32_t kConstantCount = kVertexShaderConstants;

enum class Geometry : uint8_t {
    Transformed = 0,     // positions through world, view and projection
    Pretransformed = 1,  // screen pixels with reciprocal w
    Program = 2,         // one of the skinning vertex programs
};

// Where a lighting colour comes from once the vertex format is known.
enum ColorFrom : uint8_t { kFromMaterial = 0, kFromDiffuse = 1, kFromSpecular = 2 };

// How the fog factor is made.
enum FogSource : uint8_t {
    kFogNone = 0,
    kFogExp = FOG_EXP,  // per vertex (or per pixel for table fog) from the distance
    kFogExp2 = FOG_EXP2,
    kFogLinear = FOG_LINEAR,
    kFogSpecularAlpha = 4,  // per vertex: the vertex's specular alpha is the factor
};

struct StageKey {
    uint8_t colorOp;  // 0 when the stage is not run
    uint8_t colorArg1, colorArg2;
    uint8_t alphaOp;
    uint8_t alphaArg1, alphaArg2;
    uint8_t texSet;   // coordinate set sampled with; kMaxTexSets: none (reads (0, 0))
    uint8_t samples;  // 1 when the stage reads its texture
};

struct ShaderKey {
    uint8_t geometry;
    uint8_t influences;  // programs: 1..4
    uint8_t hasNormal, hasDiffuse, hasSpecular;
    uint8_t texSets;  // coordinate sets the vertex carries, at most kMaxTexSets
    uint8_t lighting, lightOn, normalize, specularEnable, localViewer;
    uint8_t diffuseFrom, ambientFrom, specularFrom, emissiveFrom;  // ColorFrom
    uint8_t vertexFog;                                             // FogSource, computed per vertex
    uint8_t rangeFog;
    uint8_t tableFog;  // FogSource, computed per pixel (exp, exp2, linear)
    uint8_t flat;
    uint8_t alphaFunc;  // Cmp; 0 when there is no alpha test
    uint8_t specularAdd;
    uint8_t stageCount;
    // Transformed draws merged into one: each vertex takes world x view and its normal
    // matrix from the Batch block, by the draw index it carries.
    uint8_t batched;
    StageKey stages[kMaxStages];

    bool operator==(const ShaderKey& o) const;
};
static_assert(std::has_unique_object_representations_v<ShaderKey>);

struct ShaderKeyHash {
    size_t operator()(const ShaderKey& key) const;
};

// The key of a draw made with the given state. vertexShader is the FVF code or the
// program handle (see Device::SetVertexShader).
ShaderKey DescribeState(const DeviceState& state, uint32_t vertexShader);

// What is known of the alpha values a draw's stages read: each flag is set only when the
// value is one for every fragment (textures: every texel and the border it may sample).
struct AlphaFacts {
    bool texture[kMaxStages];
    bool diffuse;   // the interpolated diffuse colour's alpha
    bool specular;  // the interpolated specular colour's alpha
    bool factor;    // the texture factor's alpha
};

// Whether every fragment leaves the stages with alpha one (fog and the specular sum change
// only the colour). Such a draw passes any alpha test that 255 passes, and a blend by the
// source alpha writes its colour as it is.
bool StagesGiveOpaqueAlpha(const ShaderKey& key, const AlphaFacts& facts);
// Whether the alpha test of the key passes a fragment of alpha 255 with the given reference.
bool AlphaTestPassesOpaque(uint8_t alphaFunc, uint32_t reference);
// Whether blending with these factors and operation writes the source colour unchanged when
// the source alpha is one: the same picture as no blending at all.
bool BlendReplacesAtOpaqueAlpha(uint32_t srcBlend, uint32_t destBlend, uint32_t blendOp);

std::string VertexShaderSource(const ShaderKey& key);
std::string FragmentShaderSource(const ShaderKey& key);

// Generic vertex attribute locations the shaders use.
enum Attribute : uint32_t {
    kAttrPosition = 0,
    kAttrWeights = 1,
    kAttrIndices = 2,
    kAttrNormal = 3,
    kAttrDiffuse = 4,
    kAttrSpecular = 5,
    kAttrTex0 = 6,                             // kAttrTex0 + set
    kAttrDrawIndex = kAttrTex0 + kMaxTexSets,  // batched keys: the merged draw a vertex is of
    kAttrCount,
};

// The uniform block of the fixed-function state, std140 (all vec4 and mat4).
struct FixedUniforms {
    float worldView[16];  // world x view, row-vector convention
    float projection[16];
    float normalMatrix[16];  // inverse transpose of world x view
    float matDiffuse[4], matAmbient[4], matSpecular[4], matEmissive[4];
    float lightDiffuse[4], lightSpecular[4], lightAmbient[4];
    float lightDir[4];  // towards the light, view space
    float ambient[4];   // the ambient render state
    float fog[4];       // start, end, density, 1 / (end - start)
    float fogColor[4];
    float textureFactor[4];
    float screen[4];  // pretransformed x, y: scale x, scale y, offset x, offset y
    float fixup[4];   // clip-space half-pixel offset x, y; alpha reference; material power
};
static_assert(sizeof(FixedUniforms) % 16 == 0);

// The matrices of merged draws, std140: entry i belongs to the vertices of draw index i.
struct BatchDraw {
    float worldView[16];
    float normalMatrix[16];
};
// Draws one batched draw holds: the block fills the 16 KiB every GL 3.3 context offers.
constexpr uint32_t kBatchDraws = 16384 / sizeof(BatchDraw);

// Names the backend binds after linking.
inline constexpr const char* kFixedBlockName = "Fixed";
inline constexpr const char* kBatchBlockName = "Batch";
inline constexpr const char* kConstantBlockName = "Constants";
inline constexpr const char* kSamplerNames[kMaxStages] = {"uSampler0", "uSampler1"};

}  // namespace gfx::gl33
