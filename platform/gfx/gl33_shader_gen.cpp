#include "platform/gfx/gl33_shader_gen.h"

#include <algorithm>
#include <cstring>

namespace gfx::gl33 {

bool ShaderKey::operator==(const ShaderKey& o) const {
    return std::memcmp(this, &o, sizeof *this) == 0;
}

size_t ShaderKeyHash::operator()(const ShaderKey& key) const {
    uint64_t h = 1469598103934665603ull;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&key);
    for (size_t i = 0; i < sizeof key; ++i) {
        h ^= bytes[i];
        h *= 1099511628211ull;
    }
    return static_cast<size_t>(h);
}

namespace {

// An argument reduced to what the shader reads: the source and its two modifiers.
uint8_t CleanArg(uint32_t arg, bool alpha) {
    uint32_t select = arg & TA_SELECTMASK;
    if (select > TA_SPECULAR) select = TA_CURRENT;
    uint32_t modifiers = arg & TA_COMPLEMENT;
    // Replicating alpha into an alpha argument changes nothing.
    if (!alpha) modifiers |= arg & TA_ALPHAREPLICATE;
    return static_cast<uint8_t>(select | modifiers);
}

bool ValidOp(uint32_t op) {
    return op >= TOP_DISABLE && op <= TOP_BLENDCURRENTALPHA;
}

bool UsesArg1(uint32_t op) {
    return op != TOP_DISABLE && op != TOP_SELECTARG2;
}
bool UsesArg2(uint32_t op) {
    return op != TOP_DISABLE && op != TOP_SELECTARG1;
}
bool ReadsTextureAlpha(uint32_t op) {
    return op == TOP_BLENDTEXTUREALPHA || op == TOP_BLENDTEXTUREALPHAPM;
}

uint8_t ResolveSource(uint32_t source, bool colorVertex, bool hasDiffuse, bool hasSpecular) {
    if (!colorVertex) return kFromMaterial;
    if (source == MCS_COLOR1 && hasDiffuse) return kFromDiffuse;
    if (source == MCS_COLOR2 && hasSpecular) return kFromSpecular;
    return kFromMaterial;
}

uint8_t ValidFogMode(uint32_t mode) {
    return mode >= FOG_EXP && mode <= FOG_LINEAR ? static_cast<uint8_t>(mode) : uint8_t{kFogNone};
}

}  // namespace

ShaderKey DescribeState(const DeviceState& s, uint32_t vertexShader) {
    ShaderKey k;
    std::memset(&k, 0, sizeof k);
    const uint32_t* rs = s.renderStates;

    if (vertexShader >= kShaderHandleBase) {
        k.geometry = static_cast<uint8_t>(Geometry::Program);
        k.influences = static_cast<uint8_t>(std::clamp(vertexShader - kShaderHandleBase, 1u, 4u));
        k.hasNormal = 1;
        k.texSets = 1;
    } else {
        const uint32_t position = vertexShader & FVF_POSITION_MASK;
        const bool pre = position == FVF_XYZRHW;
        k.geometry = static_cast<uint8_t>(pre ? Geometry::Pretransformed : Geometry::Transformed);
        k.hasNormal = !pre && (vertexShader & FVF_NORMAL) ? 1 : 0;
        k.hasDiffuse = vertexShader & FVF_DIFFUSE ? 1 : 0;
        k.hasSpecular = vertexShader & FVF_SPECULAR ? 1 : 0;
        const uint32_t sets = (vertexShader & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
        k.texSets = static_cast<uint8_t>(std::min(sets, kMaxTexSets));
    }
    const auto geometry = static_cast<Geometry>(k.geometry);

    // Lighting applies to untransformed vertices of the fixed-function path only.
    if (geometry == Geometry::Transformed && rs[RS_LIGHTING]) {
        k.lighting = 1;
        k.lightOn = s.lightEnabled && s.light.type == LIGHT_DIRECTIONAL ? 1 : 0;
        k.normalize = rs[RS_NORMALIZENORMALS] ? 1 : 0;
        k.specularEnable = k.lightOn && rs[RS_SPECULARENABLE] ? 1 : 0;
        k.localViewer = k.specularEnable && rs[RS_LOCALVIEWER] ? 1 : 0;
        const bool cv = rs[RS_COLORVERTEX] != 0;
        k.diffuseFrom =
            ResolveSource(rs[RS_DIFFUSEMATERIALSOURCE], cv, k.hasDiffuse, k.hasSpecular);
        k.ambientFrom =
            ResolveSource(rs[RS_AMBIENTMATERIALSOURCE], cv, k.hasDiffuse, k.hasSpecular);
        k.emissiveFrom =
            ResolveSource(rs[RS_EMISSIVEMATERIALSOURCE], cv, k.hasDiffuse, k.hasSpecular);
        if (k.specularEnable)
            k.specularFrom =
                ResolveSource(rs[RS_SPECULARMATERIALSOURCE], cv, k.hasDiffuse, k.hasSpecular);
        k.specularAdd = k.specularEnable;
    } else if (geometry != Geometry::Program) {
        k.specularAdd = rs[RS_SPECULARENABLE] && k.hasSpecular ? 1 : 0;
    }

    if (rs[RS_FOGENABLE]) {
        const uint8_t table = ValidFogMode(rs[RS_FOGTABLEMODE]);
        const uint8_t vertex = ValidFogMode(rs[RS_FOGVERTEXMODE]);
        if (table != kFogNone) {
            k.tableFog = table;
        } else if (vertex != kFogNone && geometry != Geometry::Pretransformed) {
            k.vertexFog = vertex;
            k.rangeFog = geometry == Geometry::Transformed && rs[RS_RANGEFOGENABLE] ? 1 : 0;
        } else if (k.hasSpecular) {
            // Without a fog formula the vertex brings its own factor in its specular alpha.
            k.vertexFog = kFogSpecularAlpha;
        }
    }

    k.flat = rs[RS_SHADEMODE] == SHADE_FLAT ? 1 : 0;
    if (rs[RS_ALPHATESTENABLE]) {
        const uint32_t func = rs[RS_ALPHAFUNC];
        if (func >= CMP_NEVER && func < CMP_ALWAYS) k.alphaFunc = static_cast<uint8_t>(func);
    }

    for (uint32_t i = 0; i < kMaxStages; ++i) {
        const uint32_t* ts = s.stageStates[i];
        const uint32_t colorOp = ts[TSS_COLOROP];
        if (!ValidOp(colorOp) || colorOp == TOP_DISABLE) break;
        uint32_t alphaOp = ts[TSS_ALPHAOP];
        if (!ValidOp(alphaOp)) alphaOp = TOP_DISABLE;
        StageKey& st = k.stages[i];
        auto isTexture = [](uint8_t arg) { return (arg & TA_SELECTMASK) == TA_TEXTURE; };
        // An operation that takes the stage's texture as an argument while no texture is
        // bound passes the previous stage's result through unchanged.
        const bool bound = s.textures[i] != nullptr;
        auto setOp = [&](uint32_t op, uint32_t arg1, uint32_t arg2, bool alpha, uint8_t* outOp,
                         uint8_t* outArg1, uint8_t* outArg2) {
            const uint8_t a1 = UsesArg1(op) ? CleanArg(arg1, alpha) : uint8_t{0};
            const uint8_t a2 = UsesArg2(op) ? CleanArg(arg2, alpha) : uint8_t{0};
            if (!bound && ((UsesArg1(op) && isTexture(a1)) || (UsesArg2(op) && isTexture(a2)))) {
                *outOp = TOP_SELECTARG1;
                *outArg1 = TA_CURRENT;
                *outArg2 = 0;
                return;
            }
            *outOp = static_cast<uint8_t>(op);
            *outArg1 = a1;
            *outArg2 = a2;
        };
        setOp(colorOp, ts[TSS_COLORARG1], ts[TSS_COLORARG2], false, &st.colorOp, &st.colorArg1,
              &st.colorArg2);
        setOp(alphaOp, ts[TSS_ALPHAARG1], ts[TSS_ALPHAARG2], true, &st.alphaOp, &st.alphaArg1,
              &st.alphaArg2);
        const bool samples = isTexture(st.colorArg1) || isTexture(st.colorArg2) ||
                             isTexture(st.alphaArg1) || isTexture(st.alphaArg2) ||
                             ReadsTextureAlpha(st.colorOp) || ReadsTextureAlpha(st.alphaOp);
        if (samples) {
            st.samples = 1;
            const uint32_t set = ts[TSS_TEXCOORDINDEX] & 0xFFFF;
            st.texSet = static_cast<uint8_t>(set < k.texSets ? set : kMaxTexSets);
        }
        k.stageCount = static_cast<uint8_t>(i + 1);
    }
    return k;
}

// --- opaque alpha --------------------------------------------------------------------------

namespace {

// Whether an alpha argument is one everywhere, given the stage's input alpha (current).
bool ArgAlphaIsOne(uint8_t arg, uint32_t stage, bool current, const AlphaFacts& facts) {
    if (arg & TA_COMPLEMENT) return false;  // one only where the value is zero: not tracked
    switch (arg & TA_SELECTMASK) {
        case TA_DIFFUSE:
            return facts.diffuse;
        case TA_TEXTURE:
            return facts.texture[stage];
        case TA_TFACTOR:
            return facts.factor;
        case TA_SPECULAR:
            return facts.specular;
        default:
            return current;
    }
}

}  // namespace

bool StagesGiveOpaqueAlpha(const ShaderKey& key, const AlphaFacts& facts) {
    bool current = facts.diffuse;  // the stages start from the diffuse colour
    for (uint32_t i = 0; i < key.stageCount; ++i) {
        const StageKey& st = key.stages[i];
        const bool a = ArgAlphaIsOne(st.alphaArg1, i, current, facts);
        const bool b = ArgAlphaIsOne(st.alphaArg2, i, current, facts);
        switch (st.alphaOp) {
            case TOP_SELECTARG1:
                current = a;
                break;
            case TOP_SELECTARG2:
                current = b;
                break;
            // Products of ones; the results are clamped to one.
            case TOP_MODULATE:
            case TOP_MODULATE2X:
            case TOP_MODULATE4X:
                current = a && b;
                break;
            // Sums with a one in them, clamped; x + y (1 - x) is one where x is.
            case TOP_ADD:
                current = a || b;
                break;
            case TOP_ADDSMOOTH:
                current = a;
                break;
            case TOP_DISABLE:
                break;
            default:
                current = false;
                break;
        }
    }
    return current;
}

bool AlphaTestPassesOpaque(uint8_t alphaFunc, uint32_t reference) {
    const uint32_t ref = reference & 0xFF;
    switch (alphaFunc) {
        case 0:
        case CMP_ALWAYS:
        case CMP_GREATEREQUAL:
            return true;
        case CMP_LESS:
            return 255 < ref;
        case CMP_EQUAL:
            return ref == 255;
        case CMP_LESSEQUAL:
            return ref == 255;
        case CMP_GREATER:
            return ref < 255;
        case CMP_NOTEQUAL:
            return ref != 255;
        default:
            return false;
    }
}

bool BlendReplacesAtOpaqueAlpha(uint32_t srcBlend, uint32_t destBlend, uint32_t blendOp) {
    if (blendOp != BLENDOP_ADD && blendOp != BLENDOP_SUBTRACT) return false;
    if (srcBlend == BLEND_BOTHSRCALPHA) return true;  // source alpha and its complement
    const bool srcOne = srcBlend == BLEND_ONE || srcBlend == BLEND_SRCALPHA;
    const bool destZero = destBlend == BLEND_ZERO || destBlend == BLEND_INVSRCALPHA;
    return srcOne && destZero;
}

// --- source text ---------------------------------------------------------------------------

namespace {

const char kFixedBlock[] = R"(layout(std140) uniform Fixed {
    mat4 uWorldView;
    mat4 uProjection;
    mat4 uNormalMatrix;
    vec4 uMatDiffuse;
    vec4 uMatAmbient;
    vec4 uMatSpecular;
    vec4 uMatEmissive;
    vec4 uLightDiffuse;
    vec4 uLightSpecular;
    vec4 uLightAmbient;
    vec4 uLightDir;
    vec4 uAmbient;
    vec4 uFog;
    vec4 uFogColor;
    vec4 uTextureFactor;
    vec4 uScreen;
    vec4 uFixup;
};
)";

// The varyings, declared alike on both sides.
void AppendVaryings(std::string* s, const ShaderKey& k, const char* direction) {
    const char* interp = k.flat ? "flat " : "";
    *s += std::string(interp) + direction + " vec4 vDiffuse;\n";
    *s += std::string(interp) + direction + " vec4 vSpecular;\n";
    for (uint32_t i = 0; i < k.texSets; ++i)
        *s += std::string(direction) + " vec2 vTex" + std::to_string(i) + ";\n";
    if (k.vertexFog != kFogNone) *s += std::string(direction) + " float vFog;\n";
    if (k.tableFog != kFogNone) *s += std::string(direction) + " float vDepth;\n";
}

// Fog factor of a distance d: 1 is no fog, 0 is all fog.
std::string FogFormula(uint8_t mode, const char* d) {
    const std::string x = d;
    switch (mode) {
        case kFogLinear:
            return "clamp((uFog.y - " + x + ") * uFog.w, 0.0, 1.0)";
        case kFogExp:
            return "clamp(exp(-uFog.z * " + x + "), 0.0, 1.0)";
        case kFogExp2:
            return "clamp(exp(-(uFog.z * " + x + ") * (uFog.z * " + x + ")), 0.0, 1.0)";
        default:
            return "1.0";
    }
}

const char* ColorSourceName(uint8_t from, const char* material) {
    switch (from) {
        case kFromDiffuse:
            return "inDiffuse";
        case kFromSpecular:
            return "inSpecular";
        default:
            return material;
    }
}

// Our clip space (y up, z from 0 to w) to GL's: the back buffer is stored top row first,
// so y is mirrored; z runs from -w to w; and the half-pixel shift puts pixel centres on
// whole screen coordinates.
const char kClipToGl[] =
    "vec4(clip.x + clip.w * uFixup.x, -clip.y + clip.w * uFixup.y, 2.0 * clip.z - clip.w, "
    "clip.w)";

}  // namespace

std::string VertexShaderSource(const ShaderKey& k) {
    const auto geometry = static_cast<Geometry>(k.geometry);
    std::string s = "#version 330 core\n";
    s += kFixedBlock;
    if (geometry == Geometry::Program)
        s += "layout(std140) uniform Constants { vec4 c[" + std::to_string(kConstantCount) +
             "]; };\n";
    const bool batched = k.batched && geometry == Geometry::Transformed;
    if (batched)
        s += "struct BatchDraw { mat4 worldView; mat4 normalMatrix; };\n"
             "layout(std140) uniform Batch { BatchDraw uBatch[" +
             std::to_string(kBatchDraws) +
             "]; };\nlayout(location = " + std::to_string(kAttrDrawIndex) +
             ") in uint aDrawIndex;\n";
    // The same products as the single draw's, only with the matrices read from the block.
    const std::string worldView = batched ? "uBatch[aDrawIndex].worldView" : "uWorldView";
    const std::string normalMatrix = batched ? "uBatch[aDrawIndex].normalMatrix" : "uNormalMatrix";
    s += "layout(location = 0) in vec4 aPosition;\n";
    if (geometry == Geometry::Program && k.influences > 1)
        s += "layout(location = 1) in vec4 aWeights;\n";
    if (geometry == Geometry::Program) s += "layout(location = 2) in vec4 aIndices;\n";
    if (k.hasNormal) s += "layout(location = 3) in vec3 aNormal;\n";
    if (k.hasDiffuse) s += "layout(location = 4) in vec4 aDiffuse;\n";
    if (k.hasSpecular) s += "layout(location = 5) in vec4 aSpecular;\n";
    for (uint32_t i = 0; i < k.texSets; ++i)
        s += "layout(location = " + std::to_string(kAttrTex0 + i) + ") in vec2 aTex" +
             std::to_string(i) + ";\n";
    AppendVaryings(&s, k, "out");
    s += "void main() {\n";
    for (uint32_t i = 0; i < k.texSets; ++i)
        s += "    vTex" + std::to_string(i) + " = aTex" + std::to_string(i) + ";\n";

    std::string fogDistance;
    switch (geometry) {
        case Geometry::Pretransformed:
            // x, y in pixels, z in 0..1, then 1/w: w restores perspective-correct
            // interpolation of everything the vertex carries.
            s += "    float w = aPosition.w > 0.0 ? 1.0 / aPosition.w : 1.0;\n";
            s += "    gl_Position = vec4((aPosition.xy * uScreen.xy + uScreen.zw) * w,\n"
                 "                       (2.0 * aPosition.z - 1.0) * w, w);\n";
            s += k.hasDiffuse ? "    vDiffuse = aDiffuse;\n" : "    vDiffuse = vec4(1.0);\n";
            s += k.hasSpecular ? "    vSpecular = aSpecular;\n" : "    vSpecular = vec4(0.0);\n";
            fogDistance = "w";
            break;

        case Geometry::Program: {
            // Indexed skinning: the index bytes arrive as 0..1 and c0.w turns them into
            // register offsets (index x 3, rounded down).
            s += "    vec4 offsets = aIndices * c[0].w;\n";
            s += "    vec4 p = vec4(aPosition.xyz, 1.0);\n";
            s += "    vec3 pos = vec3(0.0);\n    vec3 nrm = vec3(0.0);\n";
            s += "    float rest = 1.0;\n";
            const char* comp[4] = {"x", "y", "z", "w"};
            for (uint32_t b = 0; b < k.influences; ++b) {
                const std::string r = "r" + std::to_string(b);
                const std::string w = "w" + std::to_string(b);
                if (b + 1 < k.influences) {
                    s += "    float " + w + " = aWeights." + comp[b] + ";\n";
                    s += "    rest -= " + w + ";\n";
                } else {
                    s += "    float " + w + " = rest;\n";
                }
                s += "    int " + r + " = 9 + clamp(int(offsets." + comp[b] + "), 0, " +
                     std::to_string(kConstantCount - 12) + ");\n";
                s += "    pos += " + w + " * vec3(dot(p, c[" + r + "]), dot(p, c[" + r +
                     " + 1]), dot(p, c[" + r + " + 2]));\n";
                s += "    nrm += " + w + " * vec3(dot(aNormal, c[" + r + "].xyz), dot(aNormal, c[" +
                     r + " + 1].xyz), dot(aNormal, c[" + r + " + 2].xyz));\n";
            }
            s += "    vec4 q = vec4(pos, 1.0);\n";
            s += "    vec4 clip = vec4(dot(q, c[2]), dot(q, c[3]), dot(q, c[4]), dot(q, c[5]));\n";
            s += std::string("    gl_Position = ") + kClipToGl + ";\n";
            s += "    float len = length(nrm);\n    if (len > 0.0) nrm /= len;\n";
            s += "    float intensity = max(dot(nrm, c[1].xyz), 0.0);\n";
            s += "    vDiffuse = clamp(intensity * c[8] + c[7], 0.0, 1.0);\n";
            s += "    vSpecular = vec4(0.0);\n";
            fogDistance = "abs(pos.z)";
            break;
        }

        case Geometry::Transformed:
            s += "    vec4 eye = " + worldView + " * vec4(aPosition.xyz, 1.0);\n";
            s += "    vec4 clip = uProjection * eye;\n";
            s += std::string("    gl_Position = ") + kClipToGl + ";\n";
            s += k.hasDiffuse ? "    vec4 inDiffuse = aDiffuse;\n"
                              : "    vec4 inDiffuse = vec4(1.0);\n";
            s += k.hasSpecular ? "    vec4 inSpecular = aSpecular;\n"
                               : "    vec4 inSpecular = vec4(0.0);\n";
            if (k.lighting) {
                s += std::string("    vec4 cd = ") + ColorSourceName(k.diffuseFrom, "uMatDiffuse") +
                     ";\n";
                s += std::string("    vec4 ca = ") + ColorSourceName(k.ambientFrom, "uMatAmbient") +
                     ";\n";
                s += std::string("    vec4 ce = ") +
                     ColorSourceName(k.emissiveFrom, "uMatEmissive") + ";\n";
                s += k.hasNormal ? "    vec3 n = mat3(" + normalMatrix + ") * aNormal;\n"
                                 : "    vec3 n = vec3(0.0);\n";
                if (k.normalize) s += "    float len = length(n);\n    if (len > 0.0) n /= len;\n";
                s += "    vec3 color = ce.rgb + ca.rgb * uAmbient.rgb;\n";
                s += "    vec3 spec = vec3(0.0);\n";
                if (k.lightOn) {
                    s += "    float ndl = max(dot(n, uLightDir.xyz), 0.0);\n";
                    s += "    color += ca.rgb * uLightAmbient.rgb + cd.rgb * uLightDiffuse.rgb * "
                         "ndl;\n";
                    if (k.specularEnable) {
                        s += std::string("    vec4 cs = ") +
                             ColorSourceName(k.specularFrom, "uMatSpecular") + ";\n";
                        if (k.localViewer)
                            s += "    vec3 toEye = length(eye.xyz) > 0.0 ? -normalize(eye.xyz) "
                                 ": vec3(0.0, 0.0, -1.0);\n";
                        else
                            s += "    vec3 toEye = vec3(0.0, 0.0, -1.0);\n";
                        s += "    vec3 h = normalize(uLightDir.xyz + toEye);\n";
                        s += "    float ndh = max(dot(n, h), 0.0);\n";
                        s += "    float power = uFixup.w;\n";
                        s += "    float shine = ndh > 0.0 ? pow(ndh, power) : (power == 0.0 ? "
                             "1.0 : 0.0);\n";
                        s += "    if (ndl > 0.0) spec = cs.rgb * uLightSpecular.rgb * shine;\n";
                    }
                }
                s += "    vDiffuse = vec4(clamp(color, 0.0, 1.0), clamp(cd.a, 0.0, 1.0));\n";
                s += "    vSpecular = vec4(clamp(spec, 0.0, 1.0), inSpecular.a);\n";
            } else {
                s += "    vDiffuse = inDiffuse;\n    vSpecular = inSpecular;\n";
            }
            fogDistance = k.rangeFog ? "length(eye.xyz)" : "abs(eye.z)";
            break;
    }

    if (k.vertexFog == kFogSpecularAlpha)
        s += k.hasSpecular ? "    vFog = aSpecular.a;\n" : "    vFog = 1.0;\n";
    else if (k.vertexFog != kFogNone)
        s += "    vFog = " + FogFormula(k.vertexFog, fogDistance.c_str()) + ";\n";
    if (k.tableFog != kFogNone) s += "    vDepth = " + fogDistance + ";\n";
    s += "}\n";
    return s;
}

namespace {

std::string ArgExpression(uint8_t arg, uint32_t stage, bool alpha) {
    std::string base;
    switch (arg & TA_SELECTMASK) {
        case TA_DIFFUSE:
            base = "diffuse";
            break;
        case TA_TEXTURE:
            base = "tex" + std::to_string(stage);
            break;
        case TA_TFACTOR:
            base = "uTextureFactor";
            break;
        case TA_SPECULAR:
            base = "specular";
            break;
        default:
            base = "current";
            break;
    }
    if (arg & TA_ALPHAREPLICATE) base = base + ".aaaa";
    if (arg & TA_COMPLEMENT) base = "(vec4(1.0) - " + base + ")";
    return base + (alpha ? ".a" : ".rgb");
}

std::string OpExpression(uint32_t op, const std::string& x, const std::string& y, uint32_t stage,
                         bool alpha) {
    const std::string texAlpha = "tex" + std::to_string(stage) + ".a";
    const std::string half = alpha ? "0.5" : "vec3(0.5)";
    const std::string one = alpha ? "1.0" : "vec3(1.0)";
    switch (op) {
        case TOP_SELECTARG1:
            return x;
        case TOP_SELECTARG2:
            return y;
        case TOP_MODULATE:
            return x + " * " + y;
        case TOP_MODULATE2X:
            return x + " * " + y + " * 2.0";
        case TOP_MODULATE4X:
            return x + " * " + y + " * 4.0";
        case TOP_ADD:
            return x + " + " + y;
        case TOP_ADDSIGNED:
            return x + " + " + y + " - " + half;
        case TOP_ADDSIGNED2X:
            return "(" + x + " + " + y + " - " + half + ") * 2.0";
        case TOP_SUBTRACT:
            return x + " - " + y;
        case TOP_ADDSMOOTH:
            return x + " + " + y + " * (" + one + " - " + x + ")";
        case TOP_BLENDDIFFUSEALPHA:
            return "mix(" + y + ", " + x + ", diffuse.a)";
        case TOP_BLENDTEXTUREALPHA:
            return "mix(" + y + ", " + x + ", " + texAlpha + ")";
        case TOP_BLENDFACTORALPHA:
            return "mix(" + y + ", " + x + ", uTextureFactor.a)";
        case TOP_BLENDTEXTUREALPHAPM:
            return x + " + " + y + " * (1.0 - " + texAlpha + ")";
        case TOP_BLENDCURRENTALPHA:
            return "mix(" + y + ", " + x + ", current.a)";
        default:
            return alpha ? "current.a" : "current.rgb";
    }
}

const char* CompareOperator(uint8_t func) {
    switch (func) {
        case CMP_LESS:
            return "<";
        case CMP_EQUAL:
            return "==";
        case CMP_LESSEQUAL:
            return "<=";
        case CMP_GREATER:
            return ">";
        case CMP_NOTEQUAL:
            return "!=";
        case CMP_GREATEREQUAL:
            return ">=";
        default:
            return nullptr;
    }
}

}  // namespace

std::string FragmentShaderSource(const ShaderKey& k) {
    std::string s = "#version 330 core\n";
    s += kFixedBlock;
    for (uint32_t i = 0; i < k.stageCount; ++i)
        if (k.stages[i].samples) s += std::string("uniform sampler2D ") + kSamplerNames[i] + ";\n";
    AppendVaryings(&s, k, "in");
    s += "out vec4 oColor;\n";
    s += "void main() {\n";
    s += "    vec4 diffuse = vDiffuse;\n    vec4 specular = vSpecular;\n";
    s += "    vec4 current = diffuse;\n";
    for (uint32_t i = 0; i < k.stageCount; ++i) {
        const StageKey& st = k.stages[i];
        const std::string n = std::to_string(i);
        if (st.samples) {
            std::string coord =
                st.texSet < k.texSets ? "vTex" + std::to_string(st.texSet) : "vec2(0.0)";
            // Screen sprites put texel edges on pixel centres (a quad's near edges name the
            // first texel exactly), so a rounding error in the interpolation would pick the
            // texel before. A 256th of a texel towards +u, +v keeps such a centre on the
            // texel it names; everywhere else the nudge is far below what filtering shows.
            if (k.geometry == static_cast<uint8_t>(Geometry::Pretransformed))
                coord =
                    "(" + coord + " + 0.00390625 / vec2(textureSize(" + kSamplerNames[i] + ", 0)))";
            s += "    vec4 tex" + n + " = texture(" + kSamplerNames[i] + ", " + coord + ");\n";
        }
        const std::string color = OpExpression(st.colorOp, ArgExpression(st.colorArg1, i, false),
                                               ArgExpression(st.colorArg2, i, false), i, false);
        const std::string alpha = OpExpression(st.alphaOp, ArgExpression(st.alphaArg1, i, true),
                                               ArgExpression(st.alphaArg2, i, true), i, true);
        s += "    vec3 color" + n + " = " + color + ";\n";
        s += "    float alpha" + n + " = " + alpha + ";\n";
        s += "    current = clamp(vec4(color" + n + ", alpha" + n + "), 0.0, 1.0);\n";
    }
    if (k.specularAdd) s += "    current.rgb = min(current.rgb + specular.rgb, vec3(1.0));\n";
    if (k.alphaFunc == CMP_NEVER) {
        s += "    discard;\n";
    } else if (const char* cmp = CompareOperator(k.alphaFunc)) {
        // The comparison is made on 8-bit values, as the reference is one.
        s += "    int alpha8 = int(current.a * 255.0 + 0.5);\n";
        s += std::string("    if (!(alpha8 ") + cmp + " int(uFixup.z))) discard;\n";
    }
    if (k.vertexFog != kFogNone)
        s += "    current.rgb = mix(uFogColor.rgb, current.rgb, vFog);\n";
    else if (k.tableFog != kFogNone)
        s += "    current.rgb = mix(uFogColor.rgb, current.rgb, " +
             FogFormula(k.tableFog, "vDepth") + ");\n";
    s += "    oColor = current;\n";
    s += "}\n";
    return s;
}

}  // namespace gfx::gl33
