#include "platform/xfile/mesh_loader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace xfile {

namespace {

// One Mesh object read into memory, vertices already split by normal and faces cut into
// triangles.
struct MeshData {
    bool hasNormals = false;
    bool hasColours = false;
    bool hasTexCoords = false;
    std::vector<gfx::Vec3> positions;
    std::vector<gfx::Vec3> normals;
    std::vector<uint32_t> colours;
    std::vector<gfx::Vec2> texCoords;
    std::vector<uint32_t> pointRep;  // the file's vertex each vertex comes from
    std::vector<uint32_t> corners;   // three per triangle
    std::vector<uint32_t> attributes;
    std::vector<MeshMaterial> materials;
    std::vector<gfx::Bone> bones;
};

struct Polygon {
    uint32_t first;  // into the flat index list
    uint32_t count;
};

class MeshReader {
public:
    MeshReader(const Document& document, const Object& mesh, ParseError* error)
        : doc_(document), mesh_(mesh), error_(error) {}

    LoadResult Read(MeshData* out, bool withBones) {
        ValueReader values(doc_, mesh_);
        uint32_t vertexCount = 0;
        if (!values.ReadUint(&vertexCount)) return Invalid("no vertex count");
        if (vertexCount > values.Remaining() / 3) return Invalid("fewer vertices than its count");
        positions_.resize(vertexCount);
        for (gfx::Vec3& p : positions_) values.ReadFloats(&p.x, 3);
        uint32_t faceCount = 0;
        if (!values.ReadUint(&faceCount)) return Invalid("no face count");
        if (faceCount > values.Remaining()) return Invalid("fewer faces than its count");
        LoadResult r = ReadFaces(values, faceCount, vertexCount, &polygons_, &polygonIndices_);
        if (r != LoadResult::Ok) return r;

        bool normalsSeen = false, coordsSeen = false, coloursSeen = false, materialsSeen = false;
        for (const Child& child : mesh_.children) {
            if (child.reference) continue;
            const Object& o = doc_.objects[child.object];
            if (o.type == "MeshNormals" && !normalsSeen) {
                normalsSeen = true;
                r = ReadNormals(o);
            } else if (o.type == "MeshTextureCoords" && !coordsSeen) {
                coordsSeen = true;
                r = ReadTexCoords(o);
            } else if (o.type == "MeshVertexColors" && !coloursSeen) {
                coloursSeen = true;
                r = ReadColours(o);
            } else if (o.type == "MeshMaterialList" && !materialsSeen) {
                materialsSeen = true;
                r = ReadMaterialList(o, faceCount);
            } else if (o.type == "SkinWeights" && withBones) {
                r = ReadSkinWeights(o, vertexCount);
            }
            if (r != LoadResult::Ok) return r;
        }
        Build(out);
        return LoadResult::Ok;
    }

private:
    LoadResult ReadFaces(ValueReader& values, uint32_t faceCount, uint32_t vertexCount,
                         std::vector<Polygon>* polygons, std::vector<uint32_t>* indices) {
        polygons->resize(faceCount);
        for (uint32_t f = 0; f < faceCount; ++f) {
            uint32_t n = 0;
            if (!values.ReadUint(&n)) return Invalid("face list ends early");
            if (n < 3) return Invalid("a face with fewer than three corners");
            if (n > values.Remaining()) return Invalid("face list ends early");
            (*polygons)[f] = Polygon{static_cast<uint32_t>(indices->size()), n};
            for (uint32_t k = 0; k < n; ++k) {
                uint32_t v = 0;
                if (!values.ReadUint(&v)) return Invalid("face list ends early");
                if (v >= vertexCount) return Invalid("a face names a vertex it does not have");
                indices->push_back(v);
            }
        }
        return LoadResult::Ok;
    }

    LoadResult ReadNormals(const Object& o) {
        ValueReader values(doc_, o);
        uint32_t count = 0;
        if (!values.ReadUint(&count) || count > values.Remaining() / 3) {
            return Invalid("MeshNormals: fewer normals than its count");
        }
        normalList_.resize(count);
        for (gfx::Vec3& n : normalList_) values.ReadFloats(&n.x, 3);
        uint32_t faces = 0;
        if (!values.ReadUint(&faces) || faces != polygons_.size()) {
            return Invalid("MeshNormals: face count differs from the mesh's");
        }
        std::vector<Polygon> polygons;
        LoadResult r = ReadFaces(values, faces, count, &polygons, &normalIndices_);
        if (r != LoadResult::Ok) return r;
        for (size_t f = 0; f < polygons.size(); ++f) {
            if (polygons[f].count != polygons_[f].count) {
                return Invalid("MeshNormals: a face's corners differ from the mesh's");
            }
        }
        hasNormals_ = true;
        return LoadResult::Ok;
    }

    LoadResult ReadTexCoords(const Object& o) {
        ValueReader values(doc_, o);
        uint32_t count = 0;
        if (!values.ReadUint(&count) || count < positions_.size() ||
            count > values.Remaining() / 2) {
            return Invalid("MeshTextureCoords: fewer coordinates than vertices");
        }
        texCoords_.resize(positions_.size());
        for (gfx::Vec2& t : texCoords_) values.ReadFloats(&t.x, 2);
        hasTexCoords_ = true;
        return LoadResult::Ok;
    }

    LoadResult ReadColours(const Object& o) {
        ValueReader values(doc_, o);
        uint32_t count = 0;
        if (!values.ReadUint(&count) || count > values.Remaining() / 5) {
            return Invalid("MeshVertexColors: fewer colours than its count");
        }
        colours_.assign(positions_.size(), 0xFFFFFFFFu);
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t v = 0;
            float c[4];
            if (!values.ReadUint(&v) || !values.ReadFloats(c, 4)) {
                return Invalid("MeshVertexColors: malformed colour");
            }
            if (v >= positions_.size()) return Invalid("MeshVertexColors: vertex out of range");
            colours_[v] = ToArgb(c);
        }
        hasColours_ = true;
        return LoadResult::Ok;
    }

    LoadResult ReadMaterialList(const Object& o, uint32_t faceCount) {
        ValueReader values(doc_, o);
        uint32_t materialCount = 0, indexCount = 0;
        if (!values.ReadUint(&materialCount) || !values.ReadUint(&indexCount) ||
            indexCount > values.Remaining()) {
            return Invalid("MeshMaterialList: malformed header");
        }
        std::vector<uint32_t> faceMaterial(indexCount);
        for (uint32_t& m : faceMaterial) values.ReadUint(&m);
        for (const Child& child : o.children) {
            if (materials_.size() == materialCount) break;
            const Object& m = doc_.objects[child.object];
            if (m.type != "Material") continue;
            MeshMaterial material;
            LoadResult r = ReadMaterial(m, &material);
            if (r != LoadResult::Ok) return r;
            materials_.push_back(std::move(material));
        }
        if (materials_.size() < materialCount) {
            return Invalid("MeshMaterialList: fewer materials than its count");
        }
        // Faces beyond the list take its last entry.
        faceAttributes_.assign(faceCount, 0);
        for (uint32_t f = 0; f < faceCount && indexCount > 0 && materialCount > 0; ++f) {
            uint32_t m = faceMaterial[std::min(f, indexCount - 1)];
            if (m >= materialCount) return Invalid("MeshMaterialList: material out of range");
            faceAttributes_[f] = m;
        }
        return LoadResult::Ok;
    }

    LoadResult ReadMaterial(const Object& o, MeshMaterial* out) {
        ValueReader values(doc_, o);
        float face[4], power, specular[3], emissive[3];
        if (!values.ReadFloats(face, 4) || !values.ReadFloat(&power) ||
            !values.ReadFloats(specular, 3) || !values.ReadFloats(emissive, 3)) {
            return Invalid("Material: malformed colours");
        }
        gfx::Material& m = out->material;
        m = gfx::Material{};
        m.diffuse = gfx::ColorValue{face[0], face[1], face[2], face[3]};
        m.power = power;
        m.specular = gfx::ColorValue{specular[0], specular[1], specular[2], 1.0f};
        m.emissive = gfx::ColorValue{emissive[0], emissive[1], emissive[2], 1.0f};
        for (const Child& child : o.children) {
            const Object& t = doc_.objects[child.object];
            if (t.type != "TextureFilename" && t.type != "TextureFileName") continue;
            ValueReader name(doc_, t);
            std::string_view text;
            if (!name.ReadText(&text)) return Invalid("TextureFilename without a name");
            out->textureFilename = std::string(text);
            break;
        }
        return LoadResult::Ok;
    }

    LoadResult ReadSkinWeights(const Object& o, uint32_t vertexCount) {
        ValueReader values(doc_, o);
        std::string_view name;
        uint32_t count = 0;
        if (!values.ReadText(&name) || !values.ReadUint(&count) || count > values.Remaining() / 2) {
            return Invalid("SkinWeights: malformed header");
        }
        gfx::Bone bone;
        bone.name = std::string(name);
        bone.vertices.resize(count);
        bone.weights.resize(count);
        for (uint32_t& v : bone.vertices) {
            if (!values.ReadUint(&v)) return Invalid("SkinWeights: malformed vertex list");
            if (v >= vertexCount) return Invalid("SkinWeights: vertex out of range");
        }
        if (!values.ReadFloats(bone.weights.data(), count) ||
            !values.ReadFloats(&bone.offset.m[0][0], 16)) {
            return Invalid("SkinWeights: malformed weights or matrix");
        }
        bones_.push_back(std::move(bone));
        return LoadResult::Ok;
    }

    static uint32_t ToArgb(const float c[4]) {
        auto byte = [](float v) {
            if (!(v > 0.0f)) return 0u;
            if (v >= 1.0f) return 255u;
            return static_cast<uint32_t>(v * 255.0f + 0.5f);
        };
        return byte(c[3]) << 24 | byte(c[0]) << 16 | byte(c[1]) << 8 | byte(c[2]);
    }

    // Splits vertices by normal, cuts polygons into fans and moves the bones onto the split
    // vertices.
    void Build(MeshData* out) {
        const uint32_t fileVertices = static_cast<uint32_t>(positions_.size());
        out->hasNormals = hasNormals_;
        out->hasColours = hasColours_;
        out->hasTexCoords = hasTexCoords_;
        out->positions = positions_;
        out->pointRep.resize(fileVertices);
        for (uint32_t i = 0; i < fileVertices; ++i) out->pointRep[i] = i;
        if (hasNormals_) out->normals.assign(fileVertices, gfx::Vec3{0.0f, 0.0f, 0.0f});
        if (hasColours_) out->colours = colours_;
        if (hasTexCoords_) out->texCoords = texCoords_;

        std::vector<uint32_t> cornerVertex(polygonIndices_.size());
        if (hasNormals_) {
            std::vector<uint32_t> firstNormal(fileVertices, 0xFFFFFFFFu);
            std::unordered_map<uint64_t, uint32_t> split;
            for (size_t c = 0; c < polygonIndices_.size(); ++c) {
                uint32_t p = polygonIndices_[c];
                uint32_t n = normalIndices_[c];
                if (firstNormal[p] == 0xFFFFFFFFu) {
                    firstNormal[p] = n;
                    out->normals[p] = normalList_[n];
                    cornerVertex[c] = p;
                } else if (firstNormal[p] == n) {
                    cornerVertex[c] = p;
                } else {
                    uint64_t key = static_cast<uint64_t>(p) << 32 | n;
                    auto [it, added] =
                        split.emplace(key, static_cast<uint32_t>(out->positions.size()));
                    if (added) {
                        out->positions.push_back(positions_[p]);
                        out->normals.push_back(normalList_[n]);
                        out->pointRep.push_back(p);
                        if (hasColours_) out->colours.push_back(colours_[p]);
                        if (hasTexCoords_) out->texCoords.push_back(texCoords_[p]);
                    }
                    cornerVertex[c] = it->second;
                }
            }
        } else {
            cornerVertex = polygonIndices_;
        }

        if (materials_.empty()) {
            materials_.push_back(MeshMaterial{DefaultMeshMaterial(), {}});
            faceAttributes_.assign(polygons_.size(), 0);
        }
        out->materials = std::move(materials_);
        for (size_t f = 0; f < polygons_.size(); ++f) {
            const Polygon& poly = polygons_[f];
            for (uint32_t k = 1; k + 1 < poly.count; ++k) {
                out->corners.push_back(cornerVertex[poly.first]);
                out->corners.push_back(cornerVertex[poly.first + k]);
                out->corners.push_back(cornerVertex[poly.first + k + 1]);
                out->attributes.push_back(faceAttributes_[f]);
            }
        }

        // Split vertices follow the bones of the vertex they were split from.
        std::vector<std::vector<uint32_t>> copies;
        if (!bones_.empty() && out->positions.size() > fileVertices) {
            copies.resize(fileVertices);
            for (uint32_t v = fileVertices; v < out->positions.size(); ++v) {
                copies[out->pointRep[v]].push_back(v);
            }
            for (gfx::Bone& bone : bones_) {
                size_t n = bone.vertices.size();
                for (size_t i = 0; i < n; ++i) {
                    const float weight = bone.weights[i];
                    for (uint32_t copy : copies[bone.vertices[i]]) {
                        bone.vertices.push_back(copy);
                        bone.weights.push_back(weight);
                    }
                }
            }
        }
        out->bones = std::move(bones_);
    }

    LoadResult Invalid(const char* what) {
        if (error_) {
            error_->line = mesh_.line;
            error_->message = "Mesh";
            if (!mesh_.name.empty()) error_->message += " " + mesh_.name;
            error_->message += ": ";
            error_->message += what;
        }
        return LoadResult::InvalidData;
    }

    const Document& doc_;
    const Object& mesh_;
    ParseError* error_;
    std::vector<gfx::Vec3> positions_;
    std::vector<Polygon> polygons_;
    std::vector<uint32_t> polygonIndices_;
    bool hasNormals_ = false, hasColours_ = false, hasTexCoords_ = false;
    std::vector<gfx::Vec3> normalList_;
    std::vector<uint32_t> normalIndices_;
    std::vector<gfx::Vec2> texCoords_;
    std::vector<uint32_t> colours_;
    std::vector<uint32_t> faceAttributes_;
    std::vector<MeshMaterial> materials_;
    std::vector<gfx::Bone> bones_;
};

uint32_t FormatOf(bool normals, bool colours, bool texCoords) {
    return gfx::FVF_XYZ | (normals ? gfx::FVF_NORMAL : 0u) | (colours ? gfx::FVF_DIFFUSE : 0u) |
           (texCoords ? gfx::FVF_TEX1 : 0u);
}

// Writes the vertices of `data` at vertex `first` of a locked buffer in `layout`.
void WriteVertices(const MeshData& data, const gfx::VertexLayout& layout, uint8_t* buffer,
                   uint32_t first) {
    const uint32_t white = 0xFFFFFFFFu;
    for (size_t v = 0; v < data.positions.size(); ++v) {
        uint8_t* d = buffer + (first + v) * layout.size;
        std::memcpy(d, &data.positions[v], 12);
        if (layout.normal >= 0 && data.hasNormals)
            std::memcpy(d + layout.normal, &data.normals[v], 12);
        if (layout.diffuse >= 0) {
            std::memcpy(d + layout.diffuse, data.hasColours ? &data.colours[v] : &white, 4);
        }
        if (layout.texCoords >= 0 && data.hasTexCoords) {
            std::memcpy(d + layout.texCoords, &data.texCoords[v], 8);
        }
    }
}

// Moves a mesh's vertices and normals by a frame transform.
void TransformMesh(MeshData* data, const gfx::Mat4& m) {
    for (gfx::Vec3& p : data->positions) {
        gfx::Vec4 t = gfx::Transform(p, m);
        p = gfx::Vec3{t.x, t.y, t.z};
    }
    if (!data->hasNormals) return;
    // Normals go through the inverse transpose, so scaled frames keep them perpendicular.
    gfx::Mat4 normalMatrix = m;
    gfx::Mat4 inverse;
    if (gfx::Inverse(m, &inverse)) normalMatrix = gfx::Transpose(inverse);
    for (gfx::Vec3& n : data->normals) n = gfx::Normalize(gfx::TransformNormal(n, normalMatrix));
}

class FileMerger {
public:
    FileMerger(const Document& document, ParseError* error) : doc_(document), error_(error) {}

    LoadResult Collect() {
        for (int32_t index : doc_.topLevel) {
            LoadResult r = Visit(doc_.objects[index], gfx::Identity());
            if (r != LoadResult::Ok) return r;
        }
        return LoadResult::Ok;
    }

    std::vector<MeshData> meshes;

private:
    LoadResult Visit(const Object& o, const gfx::Mat4& parent) {
        if (o.type == "Mesh") {
            MeshData data;
            LoadResult r = MeshReader(doc_, o, error_).Read(&data, false);
            if (r != LoadResult::Ok) return r;
            TransformMesh(&data, parent);
            meshes.push_back(std::move(data));
            return LoadResult::Ok;
        }
        if (o.type != "Frame") return LoadResult::Ok;
        gfx::Mat4 local = gfx::Identity();
        for (const Child& child : o.children) {
            const Object& c = doc_.objects[child.object];
            if (child.reference || c.type != "FrameTransformMatrix") continue;
            ValueReader values(doc_, c);
            if (!values.ReadFloats(&local.m[0][0], 16)) {
                if (error_)
                    *error_ = ParseError{c.line, "FrameTransformMatrix: fewer than 16 values"};
                return LoadResult::InvalidData;
            }
            break;
        }
        gfx::Mat4 combined = gfx::Multiply(local, parent);
        for (const Child& child : o.children) {
            if (child.reference) continue;
            LoadResult r = Visit(doc_.objects[child.object], combined);
            if (r != LoadResult::Ok) return r;
        }
        return LoadResult::Ok;
    }

    const Document& doc_;
    ParseError* error_;
};

LoadResult MakeMesh(gfx::Device* device, uint32_t faces, uint32_t vertices, uint32_t fvf,
                    gfx::Mesh** out, ParseError* error) {
    if (gfx::Failed(gfx::Mesh::Create(device, faces, vertices, fvf, out))) {
        if (error) *error = ParseError{0, "the device could not hold the mesh"};
        return LoadResult::DeviceError;
    }
    return LoadResult::Ok;
}

}  // namespace

gfx::Material DefaultMeshMaterial() {
    gfx::Material m{};
    m.diffuse = gfx::ColorValue{0.5f, 0.5f, 0.5f, 1.0f};
    m.ambient = gfx::ColorValue{0.5f, 0.5f, 0.5f, 1.0f};
    return m;
}

LoadResult LoadMeshFromDocument(const Document& document, gfx::Device* device, LoadedMesh* out,
                                ParseError* error) {
    *out = LoadedMesh{};
    FileMerger merger(document, error);
    LoadResult r = merger.Collect();
    if (r != LoadResult::Ok) return r;

    bool normals = false, colours = false, texCoords = false;
    uint64_t vertexTotal = 0, faceTotal = 0;
    for (const MeshData& m : merger.meshes) {
        normals |= m.hasNormals;
        colours |= m.hasColours;
        texCoords |= m.hasTexCoords;
        vertexTotal += m.positions.size();
        faceTotal += m.attributes.size();
    }
    if (faceTotal == 0) {
        if (error) *error = ParseError{0, "the file holds no triangles"};
        return LoadResult::NoData;
    }
    if (vertexTotal > 0x0FFFFFFFu || faceTotal > 0x0FFFFFFFu) {
        if (error) *error = ParseError{0, "the file holds too many vertices or faces"};
        return LoadResult::InvalidData;
    }
    uint32_t fvf = FormatOf(normals, colours, texCoords);
    gfx::VertexLayout layout;
    gfx::GetVertexLayout(fvf, &layout);
    gfx::Mesh* mesh = nullptr;
    r = MakeMesh(device, static_cast<uint32_t>(faceTotal), static_cast<uint32_t>(vertexTotal), fvf,
                 &mesh, error);
    if (r != LoadResult::Ok) return r;

    auto* vertices = static_cast<uint8_t*>(mesh->GetVertexBuffer()->Lock());
    std::vector<uint32_t> corners, pointRep;
    corners.reserve(faceTotal * 3);
    pointRep.reserve(vertexTotal);
    uint32_t vertexBase = 0, face = 0;
    for (MeshData& m : merger.meshes) {
        WriteVertices(m, layout, vertices, vertexBase);
        for (uint32_t c : m.corners) corners.push_back(c + vertexBase);
        for (uint32_t p : m.pointRep) pointRep.push_back(p + vertexBase);
        uint32_t materialBase = static_cast<uint32_t>(out->materials.size());
        for (uint32_t a : m.attributes) mesh->Attributes()[face++] = a + materialBase;
        for (MeshMaterial& mm : m.materials) out->materials.push_back(std::move(mm));
        vertexBase += static_cast<uint32_t>(m.positions.size());
    }
    mesh->GetVertexBuffer()->Unlock();
    mesh->WriteIndices(corners);
    mesh->SortByAttribute();
    out->adjacency = gfx::ComputeAdjacency(*mesh, &pointRep);
    out->mesh = mesh;
    return LoadResult::Ok;
}

LoadResult LoadMeshFromFile(const char* path, gfx::Device* device, LoadedMesh* out,
                            ParseError* error) {
    *out = LoadedMesh{};
    Document document;
    if (!ParseFile(path, &document, error)) return LoadResult::FileError;
    return LoadMeshFromDocument(document, device, out, error);
}

LoadResult LoadSkinMesh(const Document& document, const Object& meshObject, gfx::Device* device,
                        LoadedSkinMesh* out, ParseError* error) {
    *out = LoadedSkinMesh{};
    MeshData data;
    LoadResult r = MeshReader(document, meshObject, error).Read(&data, true);
    if (r != LoadResult::Ok) return r;
    if (data.attributes.empty()) {
        if (error) *error = ParseError{meshObject.line, "Mesh without faces"};
        return LoadResult::NoData;
    }
    uint32_t fvf = FormatOf(data.hasNormals, data.hasColours, data.hasTexCoords);
    gfx::VertexLayout layout;
    gfx::GetVertexLayout(fvf, &layout);
    gfx::Mesh* mesh = nullptr;
    r = MakeMesh(device, static_cast<uint32_t>(data.attributes.size()),
                 static_cast<uint32_t>(data.positions.size()), fvf, &mesh, error);
    if (r != LoadResult::Ok) return r;
    WriteVertices(data, layout, static_cast<uint8_t*>(mesh->GetVertexBuffer()->Lock()), 0);
    mesh->GetVertexBuffer()->Unlock();
    mesh->WriteIndices(data.corners);
    mesh->Attributes() = data.attributes;
    mesh->SortByAttribute();
    out->adjacency = gfx::ComputeAdjacency(*mesh, &data.pointRep);
    out->materials = std::move(data.materials);
    out->skin = new gfx::SkinMesh(mesh, std::move(data.bones));
    return LoadResult::Ok;
}

}  // namespace xfile
