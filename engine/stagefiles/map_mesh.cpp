#include "engine/stagefiles/map_mesh.h"

#include <cstdio>
#include <cstring>

#include "engine/stagefiles/text_parse.h"
#include "platform/gfx/math.h"
#include "platform/system/system.h"

MapVertex gMapVertices[kMapVertexMax];
MapTriangle gMapTriangles[kMapTriangleMax];

namespace {

constexpr int kLineBytes = 512;

// The boss whose map mesh is modelled lying on its side: its points are turned upright.
constexpr char kTurnedBossPath[] = "xfile/bossS01/boss01.x";

struct KindName {
    const char* name;
    size_t length;
    int32_t kind;
};

// Compared in this order; the first match wins.
constexpr KindName kKindNames[] = {
    {"l_houdai", 8, kPartLargeTurret},   {"s_houdai", 8, kPartSmallTurret},
    {"sentou_koa", 10, kPartBattleCore}, {"kurank", 6, kPartCrank},
    {"renketu", 7, kPartLink},           {"mobu_s_houdai", 13, kPartMobSmallTurret},
    {"mobu_core", 9, kPartMobCore},
};

enum class State {
    Start,
    Root,
    Header,
    Row0,
    Row1,
    Row2,
    Row3,
    Mesh,
    VertexCount,
    Vertices,
    FaceCount,
    Faces,
    ListHeader,
    List,
    Reference,
};

// First triangle of each face of the mesh being read (faces are never more than triangles).
int32_t gFaceFirstTriangle[kMapTriangleMax + 1];
// Per entry of gMapVertices: its line could not be read. Faces using it make no triangles.
bool gVertexUnread[kMapVertexMax];

bool IsLineEnd(char c) {
    return c == 0 || c == '\r' || c == '\n';
}

// True when the text holds a decimal integer (after blanks and a sign).
bool HasDigits(const char* p) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '+' || *p == '-') ++p;
    return *p >= '0' && *p <= '9';
}

class MapReader {
public:
    explicit MapReader(const char* path) : turned_(MatchPrefix(path, kTurnedBossPath, 22) == 1) {}

    // Handles one line; false ends the reading (the tables' limits). A line that cannot be
    // read is passed over and takes no part in the collision; the next line is read in the
    // state that follows it, so one damaged line costs no more than itself.
    bool Line(const char* p) {
        switch (state_) {
            case State::Start:
            case State::Root:
                if (MatchPrefix(p, "Frame ", 6)) {
                    state_ = state_ == State::Start ? State::Root : State::Header;
                }
                return true;
            case State::Header:
                state_ = State::Row0;
                return true;
            case State::Row0:
            case State::Row1:
            case State::Row2:
            case State::Row3: {
                int k = static_cast<int>(state_) - static_cast<int>(State::Row0);
                // A row that cannot be read is the identity's.
                if (!ReadSeparatedReals(p, ',', frame_.m[k], 4)) {
                    for (int c = 0; c < 4; ++c) frame_.m[k][c] = c == k ? 1.0f : 0.0f;
                }
                state_ = state_ == State::Row3 ? State::Mesh
                                               : static_cast<State>(static_cast<int>(state_) + 1);
                return true;
            }
            case State::Mesh:
                if (MatchPrefix(p, "Mesh ", 5)) state_ = State::VertexCount;
                return true;
            case State::VertexCount:
                return VertexCount(p);
            case State::Vertices:
                return Vertex(p);
            case State::FaceCount: {
                int32_t n = ReadDecimalInt(p);
                if (n <= 0) return true;  // the next line is tried
                meshFaces_ = n;
                faceCounter_ = 0;
                meshFirstTriangle_ = triangles_;
                state_ = State::Faces;
                return true;
            }
            case State::Faces:
                return Face(p);
            case State::ListHeader:
                listValues_ = 0;
                materialCount_ = 0;
                faceIndexCount_ = 0;
                state_ = State::List;
                return true;
            case State::List:
                List(p);
                return true;
            case State::Reference:
                Reference(p);
                state_ = State::Root;
                return true;
        }
        return true;
    }

    MapMeshCounts Counts() const { return MapMeshCounts{vertices_, triangles_, enemies_}; }
    bool tooLarge() const { return tooLarge_; }

private:
    bool VertexCount(const char* p) {
        int32_t n = ReadDecimalInt(p);
        if (n < 0) {
            // No mesh has fewer than no vertices: its lines are passed over up to the next
            // frame.
            state_ = State::Root;
            return true;
        }
        if (n > kMapVertexMax - vertices_) {
            tooLarge_ = true;
            return false;
        }
        meshVertices_ = n;
        vertexCounter_ = 0;
        transform_ = frame_;
        if (turned_) {
            // Half a turn about z, then a quarter turn about y, then the frame's matrix.
            transform_ = gfx::Multiply(
                gfx::Multiply(gfx::RotationZ(gfx::kPi), gfx::RotationY(gfx::kPi / 2.0f)), frame_);
        }
        state_ = n == 0 ? State::FaceCount : State::Vertices;
        return true;
    }

    // A vertex line that cannot be read still holds its vertex's place, so that the
    // mesh's faces keep naming the right vertices.
    bool Vertex(const char* p) {
        float v[3];
        bool read = ReadSeparatedReals(p, ';', v, 3);
        gVertexUnread[vertices_] = !read;
        if (read) {
            gfx::Vec4 t = gfx::Transform(gfx::Vec3{v[0], v[1], v[2]}, transform_);
            gMapVertices[vertices_] = MapVertex{t.x, t.y, t.z};
        } else {
            gMapVertices[vertices_] = MapVertex{0.0f, 0.0f, 0.0f};
        }
        ++vertices_;
        if (++vertexCounter_ == meshVertices_) state_ = State::FaceCount;
        return true;
    }

    // A face: its corner count, ';', the corners separated by ','. Polygons become fans.
    // A face line that cannot be read, or that names a vertex its mesh lacks or whose line
    // could not be read, still counts as a face of the mesh but makes no triangles.
    bool Face(const char* p) {
        gFaceFirstTriangle[faceCounter_] = triangles_;
        if (!FaceTriangles(p)) {
            if (tooLarge_) return false;
            triangles_ = gFaceFirstTriangle[faceCounter_];
        }
        if (++faceCounter_ == meshFaces_) {
            gFaceFirstTriangle[faceCounter_] = triangles_;
            vertexBase_ += meshVertices_;
            state_ = State::ListHeader;
        }
        return true;
    }

    // Writes the face's triangles from triangles_ on; false when the line cannot be read.
    bool FaceTriangles(const char* p) {
        int32_t n = ReadDecimalInt(p);
        p = std::strchr(p, ';');
        if (!p || n < 3) return false;
        ++p;
        if (n - 2 > kMapTriangleMax - triangles_) {
            tooLarge_ = true;
            return false;
        }
        int32_t first = 0, previous = 0;
        for (int32_t k = 0; k < n; ++k) {
            if (k > 0) {
                p = std::strchr(p, ',');
                if (!p) return false;
                ++p;
            }
            if (!HasDigits(p)) return false;
            int32_t index = ReadDecimalInt(p);
            if (index < 0 || index >= meshVertices_) return false;
            index += vertexBase_;
            if (gVertexUnread[index]) return false;
            if (k == 0) {
                first = index;
            } else if (k >= 2) {
                MapTriangle& t = gMapTriangles[triangles_++];
                t.vertex[0] = first;
                t.vertex[1] = previous;
                t.vertex[2] = index;
            }
            previous = index;
        }
        return true;
    }

    // Material count, face-index count, then one material number per face (dropped).
    void List(const char* p) {
        for (;;) {
            if (!HasDigits(p)) return;
            int32_t value = ReadDecimalInt(p);
            if (listValues_ == 0) {
                materialCount_ = value;
            } else if (listValues_ == 1) {
                faceIndexCount_ = value;
            }
            ++listValues_;
            if (listValues_ >= 2 && listValues_ - 2 >= faceIndexCount_) {
                state_ = State::Reference;
                return;
            }
            while (!IsLineEnd(*p) && *p != ';' && *p != ',') ++p;
            if (IsLineEnd(*p)) return;
            ++p;
            if (IsLineEnd(*p) || *p == ' ') return;
        }
    }

    // The name after the first '{' gives the kind of the mesh's listed faces.
    void Reference(const char* p) {
        const char* brace = std::strchr(p, '{');
        int32_t kind = brace ? MapPartKindFromName(brace + 1) : kPartGround;
        int32_t faces = faceIndexCount_ < meshFaces_ ? faceIndexCount_ : meshFaces_;
        if (faces < 0) faces = 0;
        int32_t end = gFaceFirstTriangle[faces];
        for (int32_t t = meshFirstTriangle_; t < end; ++t) {
            gMapTriangles[t].kind = kind;
            if (kind == kPartSmallTurret) ++enemies_;
        }
    }

    bool turned_;
    bool tooLarge_ = false;
    State state_ = State::Start;
    gfx::Mat4 frame_ = gfx::Identity();
    gfx::Mat4 transform_ = gfx::Identity();
    int32_t vertices_ = 0, triangles_ = 0, enemies_ = 0;
    int32_t vertexBase_ = 0;
    int32_t meshVertices_ = 0, vertexCounter_ = 0;
    int32_t meshFaces_ = 0, faceCounter_ = 0, meshFirstTriangle_ = 0;
    int32_t listValues_ = 0, materialCount_ = 0, faceIndexCount_ = 0;
};

}  // namespace

int32_t MapPartKindFromName(const char* name) {
    for (const KindName& k : kKindNames) {
        if (MatchPrefix(name, k.name, k.length)) return k.kind;
    }
    return kPartGround;
}

MapReadResult ReadMapMesh(const char* path, MapMeshCounts* counts) {
    *counts = MapMeshCounts{0, 0, 0};
    FILE* file = sys::OpenDataFile(path, "r");
    if (!file) return MapReadResult::Missing;
    MapReadResult result = ReadMapMeshFile(file, path, counts);
    std::fclose(file);
    return result;
}

MapReadResult ReadMapMeshFile(FILE* file, const char* path, MapMeshCounts* counts) {
    *counts = MapMeshCounts{0, 0, 0};
    for (MapTriangle& t : gMapTriangles) t.kind = kPartGround;

    MapReader reader(path);
    char line[kLineBytes];
    while (std::fgets(line, sizeof line, file)) {
        if (line[0] == '\r' || line[0] == '\n') continue;
        const char* p = line;
        while (*p == ' ') ++p;
        if (!reader.Line(p)) break;
    }
    if (reader.tooLarge()) return MapReadResult::TooLarge;
    *counts = reader.Counts();
    return MapReadResult::Read;
}
