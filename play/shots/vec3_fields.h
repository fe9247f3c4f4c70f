// Reading and writing three-float record fields as vectors, whether a record keeps them as
// float[3] or as a gfx::Vec3.
#pragma once

#include "platform/gfx/math.h"

inline gfx::Vec3 ToVec(const float (&p)[3]) {
    return gfx::Vec3{p[0], p[1], p[2]};
}
inline gfx::Vec3 ToVec(const gfx::Vec3& p) {
    return p;
}
inline void SetVec(float (&p)[3], const gfx::Vec3& v) {
    p[0] = v.x;
    p[1] = v.y;
    p[2] = v.z;
}
inline void SetVec(gfx::Vec3& p, const gfx::Vec3& v) {
    p = v;
}
