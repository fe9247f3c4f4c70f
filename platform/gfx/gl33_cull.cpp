#include "platform/gfx/gl33_cull.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace gfx::gl33 {

namespace {

// Starts empty: every point widens it.
Box EmptyBox() {
    constexpr float inf = std::numeric_limits<float>::infinity();
    return Box{{inf, inf, inf}, {-inf, -inf, -inf}, true};
}

template <uint32_t floats>
void AddPositions(Box* box, const uint8_t* data, uint32_t stride, uint32_t count) {
    float lo[3], hi[3], zero = 0.0f;
    std::copy(box->lo, box->lo + 3, lo);
    std::copy(box->hi, box->hi + 3, hi);
    for (uint32_t v = 0; v < count; ++v, data += stride) {
        float p[floats];
        std::memcpy(p, data, sizeof p);
        for (uint32_t i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], p[i]);
            hi[i] = std::max(hi[i], p[i]);
        }
        // Zero times a finite number is zero; an infinity or a NaN leaves a NaN.
        for (uint32_t i = 0; i < floats; ++i) zero += p[i] * 0.0f;
    }
    std::copy(lo, lo + 3, box->lo);
    std::copy(hi, hi + 3, box->hi);
    box->finite = box->finite && zero == 0.0f;
}

void Apply(const double p[4], const double m[4][4], double out[4]) {
    for (int c = 0; c < 4; ++c)
        out[c] = p[0] * m[0][c] + p[1] * m[1][c] + p[2] * m[2][c] + p[3] * m[3][c];
}

// Pixels of slack around the device viewport for every test: the half-pixel shift, rounding,
// line widths, and points, which reach half their size from their centre.
float SlackPixels(const uint32_t* renderStates) {
    return 2.0f + std::clamp(std::bit_cast<float>(renderStates[RS_POINTSIZE]), 1.0f, 64.0f);
}

// The bounds of the vertices the draw may read.
Box VertexRangeBounds(const DrawCall& call, uint32_t floats, RangeBoundsCache* bounds) {
    const int64_t first = int64_t{call.firstVertex} + (call.indexed ? call.baseVertex : 0);
    if (first < 0) return Box{{}, {}, false};
    const uint32_t stride = call.vertexStride;
    const uint8_t* data = call.vertexData + uint64_t(first) * stride;
    if (!bounds) return PositionBounds(data, stride, call.vertexCount, floats);
    return bounds->Bounds(call.vertexBuffer->Version(), data, static_cast<uint32_t>(first),
                          call.vertexCount, stride, floats);
}

}  // namespace

Box PositionBounds(const uint8_t* data, uint32_t stride, uint32_t count, uint32_t floats) {
    Box box = EmptyBox();
    if (floats == 4)
        AddPositions<4>(&box, data, stride, count);
    else
        AddPositions<3>(&box, data, stride, count);
    box.finite = box.finite && count > 0;
    return box;
}

void ClipVolume::Set(const Mat4& world, const Mat4& view, const Mat4& projection, double slackX,
                     double slackY, bool nearPlane) {
    double worldView[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0, bound = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += double{world.m[r][k]} * double{view.m[k][c]};
                bound += std::fabs(double{world.m[r][k]}) * std::fabs(double{view.m[k][c]});
            }
            worldView[r][c] = sum;
            boundWorldView_[r][c] = bound;
            boundProjection_[r][c] = std::fabs(double{projection.m[r][c]});
        }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += worldView[r][k] * double{projection.m[k][c]};
            matrix_[r][c] = sum;
        }
    slackX_ = slackX;
    slackY_ = slackY;
    nearPlane_ = nearPlane;
}

bool ClipVolume::Outside(const Box& box) const {
    if (!box.finite) return false;
    // What the shader's float products may be off by: a few hundred units in the last
    // place of the sum of the magnitudes of their terms.
    double magnitude[4] = {std::max(std::fabs(double{box.lo[0]}), std::fabs(double{box.hi[0]})),
                           std::max(std::fabs(double{box.lo[1]}), std::fabs(double{box.hi[1]})),
                           std::max(std::fabs(double{box.lo[2]}), std::fabs(double{box.hi[2]})),
                           1.0};
    double eye[4], error[4];
    Apply(magnitude, boundWorldView_, eye);
    Apply(eye, boundProjection_, error);
    for (double& e : error) e *= 2e-5;
    const double ex = error[0] + error[3], ey = error[1] + error[3];
    const double ez = error[2] + error[3];

    uint32_t outside = nearPlane_ ? 0x3Fu : 0x1Fu;
    for (uint32_t corner = 0; corner < 8; ++corner) {
        const double p[4] = {corner & 1 ? box.hi[0] : box.lo[0], corner & 2 ? box.hi[1] : box.lo[1],
                             corner & 4 ? box.hi[2] : box.lo[2], 1.0};
        double c[4];
        Apply(p, matrix_, c);
        const double w = c[3], aw = std::fabs(w);
        uint32_t beyond = 0;
        if (c[0] + w + aw * slackX_ < -ex) beyond |= 1u;
        if (c[0] - w - aw * slackX_ > ex) beyond |= 2u;
        if (c[1] + w + aw * slackY_ < -ey) beyond |= 4u;
        if (c[1] - w - aw * slackY_ > ey) beyond |= 8u;
        if (c[2] - w > ez) beyond |= 16u;
        if (c[2] < -ez) beyond |= 32u;
        outside &= beyond;
        if (!outside) return false;
    }
    return true;
}

Box RangeBoundsCache::Bounds(uint64_t version, const uint8_t* data, uint32_t first, uint32_t count,
                             uint32_t stride, uint32_t floats) {
    if (version_ != version) {
        ranges_.clear();
        version_ = version;
    }
    for (const Range& r : ranges_)
        if (r.first == first && r.count == count && r.stride == stride && r.floats == floats)
            return r.box;
    constexpr size_t kMaxRanges = 64;
    if (ranges_.size() >= kMaxRanges) ranges_.clear();
    const Box box = PositionBounds(data, stride, count, floats);
    ranges_.push_back(Range{first, count, stride, floats, box});
    return box;
}

bool OffScreenTest::Outside(const DeviceState& state, const DrawCall& call,
                            const uint32_t viewport[4], RangeBoundsCache* bounds) {
    // Skinning programs place their vertices their own way; without positions every vertex
    // sits at the origin.
    const uint32_t vertexShader = state.vertexShader;
    const uint32_t position = vertexShader & FVF_POSITION_MASK;
    if (vertexShader >= kShaderHandleBase || position == 0) return false;
    if (viewport[2] == 0 || viewport[3] == 0) return false;

    if (position == FVF_XYZRHW) {
        // Screen pixels, never clipped in depth: only the device viewport bounds them. Pixel
        // centres sit on whole coordinates, the viewport's from x to x + width - 1.
        const Box box = VertexRangeBounds(call, 4, bounds);
        if (!box.finite) return false;
        const float slack = SlackPixels(state.renderStates);
        const float left = static_cast<float>(viewport[0]) - slack;
        const float top = static_cast<float>(viewport[1]) - slack;
        const float right = static_cast<float>(viewport[0] + viewport[2] - 1) + slack;
        const float bottom = static_cast<float>(viewport[1] + viewport[3] - 1) + slack;
        return box.hi[0] < left || box.lo[0] > right || box.hi[1] < top || box.lo[1] > bottom;
    }
    return VolumeOf(state, viewport).Outside(VertexRangeBounds(call, 3, bounds));
}

const ClipVolume& OffScreenTest::VolumeOf(const DeviceState& state, const uint32_t viewport[4]) {
    const uint32_t pointSize = state.renderStates[RS_POINTSIZE];
    const Mat4& world = state.world[0];
    if (valid_ && std::equal(viewport, viewport + 4, viewport_) && pointSize == pointSize_ &&
        std::memcmp(&world, &world_, sizeof world) == 0 &&
        std::memcmp(&state.view, &view_, sizeof world) == 0 &&
        std::memcmp(&state.projection, &projection_, sizeof world) == 0)
        return clip_;
    // A pixel is 2 / width of the viewport in x / w.
    const double slack = 2.0 * SlackPixels(state.renderStates);
    // Transformed draws are clipped in depth (no depth clamp), so the near plane counts.
    clip_.Set(world, state.view, state.projection, slack / std::max(viewport[2], 1u),
              slack / std::max(viewport[3], 1u), true);
    world_ = world;
    view_ = state.view;
    projection_ = state.projection;
    std::copy(viewport, viewport + 4, viewport_);
    pointSize_ = pointSize;
    valid_ = true;
    return clip_;
}

}  // namespace gfx::gl33
