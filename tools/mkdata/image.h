// A small 2D drawing library for the demo data: an RGBA canvas with anti-aliased path
// filling, gradients, blending, blur and noise. Pixels are premultiplied floats 0..1.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace mk {

struct Color {
    float r = 0, g = 0, b = 0, a = 0;  // straight (not premultiplied) colour
};

// 0xRRGGBB with an alpha.
Color Rgb(uint32_t rgb, float a = 1.0f);
Color Mix(Color x, Color y, float t);
Color Scale(Color c, float k);  // multiplies r, g, b (not a)
Color WithAlpha(Color c, float a);

struct Vec2 {
    float x = 0, y = 0;
};

// A set of closed contours; filling uses the non-zero winding rule.
class Path {
public:
    Path& MoveTo(float x, float y);
    Path& LineTo(float x, float y);
    Path& QuadTo(float cx, float cy, float x, float y);
    Path& CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y);
    Path& Close();
    Path& Add(const Path& other);

    Path& Rect(float x, float y, float w, float h);
    Path& RoundRect(float x, float y, float w, float h, float r);
    Path& Ellipse(float cx, float cy, float rx, float ry);
    Path& Circle(float cx, float cy, float r) { return Ellipse(cx, cy, r, r); }
    Path& Polygon(const std::vector<Vec2>& pts);
    Path& Star(float cx, float cy, float outer, float inner, int points, float rot = 0);
    // A thick polyline with round joins and caps (as a union of pieces).
    Path& Stroke(const std::vector<Vec2>& pts, float width, bool closed = false);
    // A ring between two radii.
    Path& Ring(float cx, float cy, float outer, float inner);

    // Every point moved through x' = a x + b y + c, y' = d x + e y + f.
    Path Transformed(float a, float b, float c, float d, float e, float f) const;
    Path Translated(float dx, float dy) const { return Transformed(1, 0, dx, 0, 1, dy); }
    Path Scaled(float sx, float sy, float ox = 0, float oy = 0) const;
    Path Rotated(float angle, float ox, float oy) const;

    const std::vector<std::vector<Vec2>>& Contours() const { return contours_; }
    bool Empty() const { return contours_.empty(); }

private:
    std::vector<std::vector<Vec2>> contours_;
};

// Coverage of a path over a pixel rectangle (x0, y0, w, h), values 0..1.
struct Mask {
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<float> cov;
    float At(int x, int y) const;  // image coordinates; 0 outside
};

Mask Rasterize(const Path& path, int imageW, int imageH);
// Grows (r > 0) a mask by a disk of radius r pixels, with a soft edge.
Mask Dilate(const Mask& m, float r, int imageW, int imageH);
Mask BlurMask(const Mask& m, float radius, int imageW, int imageH);

// A paint gives the straight colour at a pixel centre.
using Paint = std::function<Color(float x, float y)>;
Paint Solid(Color c);
struct Stop {
    float t;
    Color c;
};
Paint Linear(float x0, float y0, float x1, float y1, std::vector<Stop> stops);
Paint Radial(float cx, float cy, float r, std::vector<Stop> stops);
Color SampleStops(const std::vector<Stop>& stops, float t);

enum class Blend { Over, Add, Multiply, Screen, Replace };

class Image {
public:
    Image() = default;
    Image(int w, int h, Color fill = {});
    int W() const { return w_; }
    int H() const { return h_; }

    // Premultiplied pixel access.
    Color& Px(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }
    const Color& Px(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
    Color Straight(int x, int y) const;  // un-premultiplied

    void Clear(Color c);
    void FillMask(const Mask& m, const Paint& paint, float opacity = 1, Blend blend = Blend::Over);
    void Fill(const Path& p, const Paint& paint, float opacity = 1, Blend blend = Blend::Over);
    void Fill(const Path& p, Color c, float opacity = 1, Blend blend = Blend::Over) {
        Fill(p, Solid(c), opacity, blend);
    }
    void FillRect(float x, float y, float w, float h, const Paint& paint,
                  Blend blend = Blend::Over);
    void FillRect(float x, float y, float w, float h, Color c, Blend blend = Blend::Over) {
        FillRect(x, y, w, h, Solid(c), blend);
    }
    // Fill with an outline (outline drawn first, widened by `width`).
    void FillOutlined(const Path& p, const Paint& paint, Color outline, float width);
    // A soft shadow of a path, offset and blurred.
    void Shadow(const Path& p, float dx, float dy, float blur, Color c);
    void Glow(const Path& p, float radius, Color c, Blend blend = Blend::Over);

    // Composites `src` (premultiplied) with its top left at (dx, dy).
    void Draw(const Image& src, int dx, int dy, float opacity = 1, Blend blend = Blend::Over);
    // Draws src scaled into the rectangle (bilinear).
    void DrawScaled(const Image& src, float dx, float dy, float dw, float dh, float opacity = 1);
    Image Crop(int x, int y, int w, int h) const;
    Image FlippedX() const;
    void Blur(float radius);
    // Multiplies every pixel's colour by a paint (for shading passes).
    void Tint(const Paint& paint, float amount);
    // Pixels with alpha below `cut` become fully transparent, the rest opaque.
    void Threshold(float cut = 0.5f);
    // Keeps what lies inside the path (with its soft edge) and clears the rest.
    void ClipTo(const Path& p);

    const std::vector<Color>& Pixels() const { return px_; }

private:
    int w_ = 0, h_ = 0;
    std::vector<Color> px_;
};

// Deterministic hash-based noise in 0..1; `period` > 0 makes it tile.
float Hash2(int x, int y, uint32_t seed);
float ValueNoise(float x, float y, uint32_t seed, int period = 0);
float Fbm(float x, float y, uint32_t seed, int octaves, int period = 0);

// A deterministic random stream (xorshift) for the generator's choices.
class Rng {
public:
    explicit Rng(uint32_t seed) : s_(seed * 2654435761u + 0x9E3779B9u) { Next(); }
    uint32_t Next();
    float Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
    float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
    int Int(int lo, int hi) {
        return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1));
    }

private:
    uint32_t s_;
};

constexpr float kPi = 3.14159265358979f;

}  // namespace mk
