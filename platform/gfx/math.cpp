#include "platform/gfx/math.h"

#include <cmath>
#include <cstring>

namespace gfx {

Mat4 Identity() {
    Mat4 r{};
    r.m[0][0] = r.m[1][1] = r.m[2][2] = r.m[3][3] = 1.0f;
    return r;
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
    Mat4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

Mat4 Transpose(const Mat4& a) {
    Mat4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) r.m[i][j] = a.m[j][i];
    }
    return r;
}

bool Inverse(const Mat4& a, Mat4* out, float* determinant) {
    // Cofactor expansion in double precision for stability.
    const float* m = &a.m[0][0];
    double inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] +
             m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
             m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
             m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
              m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
             m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
             m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
             m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
              m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
             m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
              m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
              m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
             m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (determinant) *determinant = static_cast<float>(det);
    if (det == 0.0) return false;
    double invDet = 1.0 / det;
    float* o = &out->m[0][0];
    for (int i = 0; i < 16; ++i) o[i] = static_cast<float>(inv[i] * invDet);
    return true;
}

Mat4 Translation(float x, float y, float z) {
    Mat4 r = Identity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

Mat4 Scaling(float x, float y, float z) {
    Mat4 r{};
    r.m[0][0] = x;
    r.m[1][1] = y;
    r.m[2][2] = z;
    r.m[3][3] = 1.0f;
    return r;
}

Mat4 RotationX(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    Mat4 r = Identity();
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Mat4 RotationY(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    Mat4 r = Identity();
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Mat4 RotationZ(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    Mat4 r = Identity();
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

Mat4 RotationAxis(const Vec3& axis, float angle) {
    Vec3 v = Normalize(axis);
    float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    Mat4 r = Identity();
    r.m[0][0] = t * v.x * v.x + c;
    r.m[0][1] = t * v.x * v.y + s * v.z;
    r.m[0][2] = t * v.x * v.z - s * v.y;
    r.m[1][0] = t * v.x * v.y - s * v.z;
    r.m[1][1] = t * v.y * v.y + c;
    r.m[1][2] = t * v.y * v.z + s * v.x;
    r.m[2][0] = t * v.x * v.z + s * v.y;
    r.m[2][1] = t * v.y * v.z - s * v.x;
    r.m[2][2] = t * v.z * v.z + c;
    return r;
}

Mat4 RotationYawPitchRoll(float yaw, float pitch, float roll) {
    return Multiply(Multiply(RotationZ(roll), RotationX(pitch)), RotationY(yaw));
}

Mat4 RotationQuaternion(const Quat& q) {
    Mat4 r = Identity();
    r.m[0][0] = 1.0f - 2.0f * (q.y * q.y + q.z * q.z);
    r.m[0][1] = 2.0f * (q.x * q.y + q.z * q.w);
    r.m[0][2] = 2.0f * (q.x * q.z - q.y * q.w);
    r.m[1][0] = 2.0f * (q.x * q.y - q.z * q.w);
    r.m[1][1] = 1.0f - 2.0f * (q.x * q.x + q.z * q.z);
    r.m[1][2] = 2.0f * (q.y * q.z + q.x * q.w);
    r.m[2][0] = 2.0f * (q.x * q.z + q.y * q.w);
    r.m[2][1] = 2.0f * (q.y * q.z - q.x * q.w);
    r.m[2][2] = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
    return r;
}

Mat4 LookAtRH(const Vec3& eye, const Vec3& at, const Vec3& up) {
    Vec3 z = Normalize(Sub(eye, at));
    Vec3 x = Normalize(Cross(up, z));
    Vec3 y = Cross(z, x);
    Mat4 r = Identity();
    r.m[0][0] = x.x;
    r.m[1][0] = x.y;
    r.m[2][0] = x.z;
    r.m[0][1] = y.x;
    r.m[1][1] = y.y;
    r.m[2][1] = y.z;
    r.m[0][2] = z.x;
    r.m[1][2] = z.y;
    r.m[2][2] = z.z;
    r.m[3][0] = -Dot(x, eye);
    r.m[3][1] = -Dot(y, eye);
    r.m[3][2] = -Dot(z, eye);
    return r;
}

Mat4 PerspectiveFovRH(float fovY, float aspect, float zNear, float zFar) {
    float yScale = 1.0f / std::tan(fovY / 2.0f);
    float xScale = yScale / aspect;
    Mat4 r{};
    r.m[0][0] = xScale;
    r.m[1][1] = yScale;
    r.m[2][2] = zFar / (zNear - zFar);
    r.m[2][3] = -1.0f;
    r.m[3][2] = zNear * zFar / (zNear - zFar);
    return r;
}

Mat4 OrthoRH(float w, float h, float zNear, float zFar) {
    Mat4 r = Identity();
    r.m[0][0] = 2.0f / w;
    r.m[1][1] = 2.0f / h;
    r.m[2][2] = 1.0f / (zNear - zFar);
    r.m[3][2] = zNear / (zNear - zFar);
    return r;
}

Quat QuatIdentity() {
    return Quat{0.0f, 0.0f, 0.0f, 1.0f};
}

Quat Slerp(const Quat& a, const Quat& b, float t) {
    float sign = 1.0f;
    float from = 1.0f - t, to = t;
    float dot = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    if (dot < 0.0f) {
        sign = -1.0f;
        dot = -dot;
    }
    if (1.0f - dot > 0.001f) {
        float theta = std::acos(dot);
        float s = std::sin(theta);
        from = std::sin(theta * from) / s;
        to = std::sin(theta * to) / s;
    }
    to *= sign;
    return Quat{from * a.x + to * b.x, from * a.y + to * b.y, from * a.z + to * b.z,
                from * a.w + to * b.w};
}

Quat QuatNormalize(const Quat& q) {
    float len = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (len == 0.0f) return Quat{0.0f, 0.0f, 0.0f, 0.0f};
    return Quat{q.x / len, q.y / len, q.z / len, q.w / len};
}

Quat QuatRotationMatrix(const Mat4& m) {
    Quat q;
    float trace = m.m[0][0] + m.m[1][1] + m.m[2][2] + 1.0f;
    if (trace > 1.0f) {
        float s = 2.0f * std::sqrt(trace);
        q.x = (m.m[1][2] - m.m[2][1]) / s;
        q.y = (m.m[2][0] - m.m[0][2]) / s;
        q.z = (m.m[0][1] - m.m[1][0]) / s;
        q.w = 0.25f * s;
    } else {
        int maxi = 0;
        for (int i = 1; i < 3; ++i) {
            if (m.m[i][i] > m.m[maxi][maxi]) maxi = i;
        }
        float s;
        switch (maxi) {
            case 0:
                s = 2.0f * std::sqrt(1.0f + m.m[0][0] - m.m[1][1] - m.m[2][2]);
                q.x = 0.25f * s;
                q.y = (m.m[0][1] + m.m[1][0]) / s;
                q.z = (m.m[0][2] + m.m[2][0]) / s;
                q.w = (m.m[1][2] - m.m[2][1]) / s;
                break;
            case 1:
                s = 2.0f * std::sqrt(1.0f + m.m[1][1] - m.m[0][0] - m.m[2][2]);
                q.x = (m.m[0][1] + m.m[1][0]) / s;
                q.y = 0.25f * s;
                q.z = (m.m[1][2] + m.m[2][1]) / s;
                q.w = (m.m[2][0] - m.m[0][2]) / s;
                break;
            default:
                s = 2.0f * std::sqrt(1.0f + m.m[2][2] - m.m[0][0] - m.m[1][1]);
                q.x = (m.m[0][2] + m.m[2][0]) / s;
                q.y = (m.m[1][2] + m.m[2][1]) / s;
                q.z = 0.25f * s;
                q.w = (m.m[0][1] - m.m[1][0]) / s;
                break;
        }
    }
    return q;
}

Quat QuatMultiply(const Quat& a, const Quat& b) {
    // Rotation a followed by rotation b.
    return Quat{b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y,
                b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
                b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w,
                b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z};
}

Vec3 Add(const Vec3& a, const Vec3& b) {
    return Vec3{a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 Sub(const Vec3& a, const Vec3& b) {
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 Scale(const Vec3& a, float s) {
    return Vec3{a.x * s, a.y * s, a.z * s};
}
Vec3 Lerp(const Vec3& a, const Vec3& b, float t) {
    return Vec3{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)};
}
float Dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(const Vec3& a) {
    return std::sqrt(Dot(a, a));
}
float LengthSq(const Vec3& a) {
    return Dot(a, a);
}
Vec3 Normalize(const Vec3& a) {
    float len = Length(a);
    if (len == 0.0f) return Vec3{0.0f, 0.0f, 0.0f};
    return Vec3{a.x / len, a.y / len, a.z / len};
}

Vec4 Transform(const Vec4& v, const Mat4& m) {
    return Vec4{v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + v.w * m.m[3][0],
                v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + v.w * m.m[3][1],
                v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + v.w * m.m[3][2],
                v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + v.w * m.m[3][3]};
}

Vec4 Transform(const Vec3& v, const Mat4& m) {
    return Transform(Vec4{v.x, v.y, v.z, 1.0f}, m);
}

Vec3 TransformCoord(const Vec3& v, const Mat4& m) {
    Vec4 r = Transform(v, m);
    // A w of exactly 0 would divide by zero; the point is then at infinity, and the
    // unscaled result is what callers have always seen from this routine.
    if (r.w == 0.0f) return Vec3{r.x, r.y, r.z};
    return Vec3{r.x / r.w, r.y / r.w, r.z / r.w};
}

Vec3 TransformNormal(const Vec3& v, const Mat4& m) {
    return Vec3{v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
                v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
                v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

void ComputeBoundingSphere(const void* positions, uint32_t count, uint32_t stride, Vec3* centre,
                           float* radius) {
    const auto* bytes = static_cast<const unsigned char*>(positions);
    Vec3 sum{0.0f, 0.0f, 0.0f};
    for (uint32_t i = 0; i < count; ++i) {
        Vec3 p;
        std::memcpy(&p, bytes + static_cast<size_t>(i) * stride, sizeof p);
        sum = Add(sum, p);
    }
    Vec3 c = count ? Scale(sum, 1.0f / static_cast<float>(count)) : Vec3{0.0f, 0.0f, 0.0f};
    float r2 = 0.0f;
    for (uint32_t i = 0; i < count; ++i) {
        Vec3 p;
        std::memcpy(&p, bytes + static_cast<size_t>(i) * stride, sizeof p);
        float d = LengthSq(Sub(p, c));
        if (d > r2) r2 = d;
    }
    *centre = c;
    *radius = std::sqrt(r2);
}

}  // namespace gfx
