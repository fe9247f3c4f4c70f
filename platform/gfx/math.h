// Vector, matrix and quaternion math in the game's conventions: row vectors
// (v' = v x M), 4 x 4 row-major matrices, right-handed look-at and perspective.
#pragma once

#include <cstdint>

namespace gfx {

struct Vec2 {
    float x, y;
};

struct Vec3 {
    float x, y, z;
};

struct Vec4 {
    float x, y, z, w;
};

struct Quat {
    float x, y, z, w;
};

// m[row][col]; a point is transformed as the row vector (x, y, z, 1) times the matrix,
// so the translation lives in row 3.
struct Mat4 {
    float m[4][4];
};

struct Plane {
    float a, b, c, d;
};

constexpr float kPi = 3.14159265358979323846f;

Mat4 Identity();
Mat4 Multiply(const Mat4& a, const Mat4& b);  // a then b
Mat4 Transpose(const Mat4& a);
// General inverse; returns false (and leaves out untouched) when the matrix is singular.
bool Inverse(const Mat4& a, Mat4* out, float* determinant = nullptr);
Mat4 Translation(float x, float y, float z);
Mat4 Scaling(float x, float y, float z);
Mat4 RotationX(float angle);
Mat4 RotationY(float angle);
Mat4 RotationZ(float angle);
Mat4 RotationAxis(const Vec3& axis, float angle);
// Roll about z, then pitch about x, then yaw about y.
Mat4 RotationYawPitchRoll(float yaw, float pitch, float roll);
Mat4 RotationQuaternion(const Quat& q);
Mat4 LookAtRH(const Vec3& eye, const Vec3& at, const Vec3& up);
Mat4 PerspectiveFovRH(float fovY, float aspect, float zNear, float zFar);
Mat4 OrthoRH(float w, float h, float zNear, float zFar);

Quat QuatIdentity();
Quat Slerp(const Quat& a, const Quat& b, float t);
Quat QuatNormalize(const Quat& q);
Quat QuatRotationMatrix(const Mat4& m);
Quat QuatMultiply(const Quat& a, const Quat& b);

Vec3 Add(const Vec3& a, const Vec3& b);
Vec3 Sub(const Vec3& a, const Vec3& b);
Vec3 Scale(const Vec3& a, float s);
Vec3 Lerp(const Vec3& a, const Vec3& b, float t);
float Dot(const Vec3& a, const Vec3& b);
Vec3 Cross(const Vec3& a, const Vec3& b);
float Length(const Vec3& a);
float LengthSq(const Vec3& a);
Vec3 Normalize(const Vec3& a);  // zero vector stays zero

// (x, y, z, 1) x M, divided by the resulting w.
Vec3 TransformCoord(const Vec3& v, const Mat4& m);
// (x, y, z, 0) x M: direction only.
Vec3 TransformNormal(const Vec3& v, const Mat4& m);
// (x, y, z, 1) x M without the division.
Vec4 Transform(const Vec3& v, const Mat4& m);
Vec4 Transform(const Vec4& v, const Mat4& m);

// Smallest sphere around the points' centroid that holds them all: centre = mean of the
// points, radius = largest distance from it. `stride` is in bytes; positions are the first
// three floats of each vertex.
void ComputeBoundingSphere(const void* positions, uint32_t count, uint32_t stride, Vec3* centre,
                           float* radius);

}  // namespace gfx
