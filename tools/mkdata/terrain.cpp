#include "tools/mkdata/terrain.h"

#include <algorithm>
#include <cmath>

namespace mk {

namespace {

V3 CatmullRom(V3 p0, V3 p1, V3 p2, V3 p3, float t) {
    float t2 = t * t, t3 = t2 * t;
    auto f = [&](float a, float b, float c, float d) {
        return 0.5f * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                       (-a + 3 * b - 3 * c + d) * t3);
    };
    return {f(p0.x, p1.x, p2.x, p3.x), f(p0.y, p1.y, p2.y, p3.y), f(p0.z, p1.z, p2.z, p3.z)};
}

}  // namespace

std::vector<V3> SampleCourse(const std::vector<V3>& c, bool closed, float spacing, size_t maxKeys) {
    // Dense polyline first, then points at even arc length.
    std::vector<V3> dense;
    const size_t n = c.size();
    const size_t segs = closed ? n : n - 1;
    for (size_t s = 0; s < segs; ++s) {
        auto at = [&](long k) {
            if (closed)
                return c[static_cast<size_t>((k % static_cast<long>(n) + static_cast<long>(n)) %
                                             static_cast<long>(n))];
            return c[static_cast<size_t>(std::clamp(k, 0L, static_cast<long>(n) - 1))];
        };
        long i = static_cast<long>(s);
        for (int k = 0; k < 64; ++k)
            dense.push_back(CatmullRom(at(i - 1), at(i), at(i + 1), at(i + 2), k / 64.0f));
    }
    if (closed)
        dense.push_back(dense.front());
    else
        dense.push_back(c.back());
    std::vector<V3> keys;
    keys.push_back(dense[0]);
    float carry = 0;
    for (size_t i = 1; i < dense.size() && keys.size() < maxKeys; ++i) {
        V3 a = dense[i - 1], b = dense[i];
        float len = Length(b - a);
        float pos = spacing - carry;
        while (pos <= len && keys.size() < maxKeys) {
            keys.push_back(Lerp(a, b, pos / len));
            pos += spacing;
        }
        carry = len - (pos - spacing);
    }
    if (closed && keys.size() > 1 && Length(keys.back() - keys.front()) < spacing * 0.5f)
        keys.pop_back();
    return keys;
}

V3 CourseDir(const std::vector<V3>& keys, size_t i, bool closed) {
    size_t n = keys.size();
    size_t a = i == 0 ? (closed ? n - 1 : 0) : i - 1;
    size_t b = i + 1 >= n ? (closed ? 0 : n - 1) : i + 1;
    V3 d = keys[b] - keys[a];
    d.y *= 0.25f;
    return Normalize(d);
}

void BuildRibbon(Mesh& mesh, const std::vector<V3>& keys, bool closed, size_t first, size_t last,
                 const Ribbon& r, const Profile& profile,
                 const std::function<int(float, float)>& materialAt) {
    const size_t n = keys.size();
    struct Station {
        V3 p, d;
        float along;
    };
    std::vector<Station> stations;
    auto station = [&](size_t k) {
        stations.push_back(
            {keys[k % n], CourseDir(keys, k % n, closed), static_cast<float>(k) * 5});
    };
    for (size_t k = first; k <= last; k += static_cast<size_t>(r.keyStep)) station(k);
    if (stations.back().along != static_cast<float>(last) * 5) station(last);
    // An open course's ground reaches on beyond its first and last keys, so that the camera
    // at either end looks at no edge.
    if (!closed && first == 0) {
        Station s0 = stations.front();
        s0.p = s0.p - s0.d * r.apron;
        s0.along -= r.apron;
        stations.insert(stations.begin(), s0);
    }
    if (!closed && last + 1 >= n) {
        Station s1 = stations.back();
        s1.p = s1.p + s1.d * r.apron;
        s1.along += r.apron;
        stations.push_back(s1);
    }
    const int L = r.lateralSteps;
    // Positions of the grid, then shared-edge triangles with smooth normals.
    std::vector<std::vector<V3>> grid(stations.size(), std::vector<V3>(static_cast<size_t>(L) + 1));
    std::vector<float> along(stations.size());
    std::vector<float> lats(static_cast<size_t>(L) + 1);
    for (int j = 0; j <= L; ++j) {
        // Lateral steps crowd toward the course centre where the detail is.
        float t = static_cast<float>(j) / L * 2 - 1;
        lats[static_cast<size_t>(j)] = r.halfWidth * t * (0.3f + 0.7f * t * t);
    }
    for (size_t s = 0; s < stations.size(); ++s) {
        const V3 p = stations[s].p, d = stations[s].d;
        V3 right = Normalize(V3{d.z, 0, -d.x});
        along[s] = stations[s].along;
        for (int j = 0; j <= L; ++j) {
            float lat = lats[static_cast<size_t>(j)];
            float h = p.y + profile(lat, along[s]);
            grid[s][static_cast<size_t>(j)] = {p.x + right.x * lat, h, p.z + right.z * lat};
        }
    }
    auto normalAt = [&](size_t s, size_t j) {
        V3 a = grid[std::min(s + 1, grid.size() - 1)][j] - grid[s > 0 ? s - 1 : 0][j];
        V3 b = grid[s][std::min(j + 1, static_cast<size_t>(L))] - grid[s][j > 0 ? j - 1 : 0];
        V3 nn = Normalize(Cross(a, b));
        if (nn.y < 0) nn = nn * -1.0f;
        return nn;
    };
    // Each quad gets its own four vertices, so materials can change from quad to quad.
    for (size_t s = 0; s + 1 < stations.size(); ++s)
        for (int j = 0; j < L; ++j) {
            size_t jj = static_cast<size_t>(j);
            V3 corners[4] = {grid[s][jj], grid[s][jj + 1], grid[s + 1][jj + 1], grid[s + 1][jj]};
            V3 normals[4] = {normalAt(s, jj), normalAt(s, jj + 1), normalAt(s + 1, jj + 1),
                             normalAt(s + 1, jj)};
            float latMid = (lats[jj] + lats[jj + 1]) * 0.5f;
            int mat = materialAt ? materialAt(latMid, along[s]) : r.material;
            int base = static_cast<int>(mesh.verts.size());
            for (int c = 0; c < 4; ++c) {
                Vertex v;
                v.p = corners[c];
                v.n = normals[c];
                // World-space texture coordinates: seamless across segments.
                bool steep = v.n.y < 0.6f;
                v.u = steep ? (v.p.x + v.p.z) * r.uvScale : v.p.x * r.uvScale;
                v.v = steep ? -v.p.y * r.uvScale : v.p.z * r.uvScale;
                v.color = r.tint;
                mesh.verts.push_back(v);
            }
            // Front faces up (toward the normals).
            V3 fn = Cross(corners[1] - corners[0], corners[2] - corners[0]);
            if (Dot(fn, normals[0] + normals[2]) >= 0) {
                mesh.tris.push_back({base, base + 1, base + 2, mat});
                mesh.tris.push_back({base, base + 2, base + 3, mat});
            } else {
                mesh.tris.push_back({base, base + 2, base + 1, mat});
                mesh.tris.push_back({base, base + 3, base + 2, mat});
            }
        }
}

Image GroundTexture(Ground g, int size, uint32_t seed, Color tint) {
    Image img(size, size);
    const int per = 8;  // noise lattice cells across the tile
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float u = static_cast<float>(x) / size * per, v = static_cast<float>(y) / size * per;
            float n = Fbm(u, v, seed, 5, per);
            float fine = Fbm(u * 4, v * 4, seed + 9, 3, per * 4);
            Color c;
            switch (g) {
                case Ground::Grass:
                    c = Mix(Rgb(0x4A8A2A), Rgb(0x8AC44A), n);
                    c = Mix(c, Rgb(0x3A6A1A), std::max(0.0f, fine - 0.6f) * 2);
                    break;
                case Ground::Rock:
                    c = Mix(Rgb(0x6A6258), Rgb(0xA89E8E), n);
                    c = Scale(c, 0.8f + 0.4f * fine);
                    break;
                case Ground::Sand:
                    c = Mix(Rgb(0xC8A870), Rgb(0xEED8A0), n * 0.7f + fine * 0.3f);
                    break;
                case Ground::Water: {
                    float w = 0.5f + 0.5f * std::sin((u + n * 2) * 2 * kPi / per * 3);
                    c = Mix(Rgb(0x1A5A9A), Rgb(0x5AA8E0), w * 0.6f + fine * 0.4f);
                    break;
                }
                case Ground::Road: {
                    c = Mix(Rgb(0x3A3A40), Rgb(0x5A5A62), fine);
                    int stripe = (x * 8 / size);
                    if (std::abs(x - size / 2) < size / 64 && (y * 4 / size) % 2 == 0)
                        c = Rgb(0xE8E0B0);
                    (void)stripe;
                    break;
                }
                case Ground::Facade: {
                    c = Mix(Rgb(0x4A5060), Rgb(0x6A7080), fine);
                    int cx = x % (size / 8), cy = y % (size / 8);
                    bool win = cx > size / 40 && cx < size / 8 - size / 40 && cy > size / 32 &&
                               cy < size / 8 - size / 48;
                    if (win) {
                        float lit = Hash2(x / (size / 8), y / (size / 8), seed);
                        c = lit > 0.45f ? Mix(Rgb(0xFFD890), Rgb(0xFFF4D0), fine) : Rgb(0x1A2030);
                    }
                    break;
                }
                case Ground::Metal: {
                    c = Mix(Rgb(0x6A7280), Rgb(0x9AA2B0), n);
                    if (x % (size / 4) < 2 || y % (size / 4) < 2) c = Scale(c, 0.6f);
                    if ((x % (size / 4) == size / 8) && (y % (size / 8) == 4)) c = Rgb(0xD0D8E0);
                    break;
                }
                case Ground::Stone: {
                    int bw = size / 4, bh = size / 8;
                    int row = y / bh, off = (row % 2) * bw / 2;
                    int bx = (x + off) % bw, by = y % bh;
                    c = Mix(Rgb(0x9A8E78), Rgb(0xC8BCA0), n);
                    if (bx < 2 || by < 2) c = Rgb(0x5A5040);
                    c = Scale(c, 0.85f + 0.3f * fine);
                    break;
                }
                case Ground::Cloud:
                    c = Mix(Rgb(0xB8C8E8), Rgb(0xFFFFFF), std::clamp(n * 1.6f - 0.3f, 0.0f, 1.0f));
                    break;
                case Ground::Crystal:
                    c = Mix(Rgb(0x3A2A7A), Rgb(0x8AC8FF), std::pow(n, 2.0f) + fine * 0.2f);
                    break;
                case Ground::Snow:
                    c = Mix(Rgb(0xC8D4E8), Rgb(0xFFFFFF), n * 0.6f + fine * 0.4f);
                    break;
                case Ground::Rail: {
                    c = Mix(Rgb(0x5A4A3A), Rgb(0x7A6A58), fine);  // ballast
                    int ty = y % (size / 8);
                    if (ty < size / 24) c = Rgb(0x4A3020);  // sleepers
                    int rx = std::abs(x - size / 2);
                    if (rx > size / 5 && rx < size / 5 + size / 40) c = Rgb(0xB8C0C8);  // rails
                    break;
                }
                case Ground::Dirt:
                    c = Mix(Rgb(0x6A4A2A), Rgb(0x9A7448), n * 0.7f + fine * 0.3f);
                    break;
                case Ground::Lava:
                    c = Mix(Rgb(0x2A0A05), Rgb(0xFF6A10),
                            std::pow(std::max(0.0f, 1 - std::fabs(n - 0.5f) * 6), 2.0f));
                    break;
            }
            c = {c.r * tint.r, c.g * tint.g, c.b * tint.b, 1};
            img.Px(x, y) = c;
        }
    return img;
}

}  // namespace mk
