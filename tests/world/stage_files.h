// Text of the stage data files the world tests write: map meshes (text ".x" that both the
// mesh loader and the map reader read), camera paths and skinned models.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vqtest {

// A level square of two triangles facing up at height y over x0..x1, z0..z1, in one frame
// of its own, with the material named (whose texture is `texture`, or none when empty).
struct MapSquare {
    float x0, x1, z0, z1, y;
    std::string material = "ground";
    std::string texture = "ground.bmp";
    unsigned color = 0xFFFFFFFFu;
};

inline std::string Real(float v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.6f", static_cast<double>(v));
    return b;
}

inline std::string MapFile(const std::vector<MapSquare>& squares) {
    std::string s = "xof 0302txt 0032\n\n";
    for (size_t i = 0; i < squares.size(); ++i) {
        const MapSquare& q = squares[i];
        s += "Material " + q.material + std::to_string(i) + " {\n 1.0;1.0;1.0;1.0;;\n 0.0;\n" +
             " 0.0;0.0;0.0;;\n 0.0;0.0;0.0;;\n";
        if (!q.texture.empty()) s += " TextureFilename { \"" + q.texture + "\"; }\n";
        s += "}\n";
    }
    s += "Frame Root {\n FrameTransformMatrix {\n  1.0,0.0,0.0,0.0,\n  0.0,1.0,0.0,0.0,\n"
         "  0.0,0.0,1.0,0.0,\n  0.0,0.0,0.0,1.0;;\n }\n";
    for (size_t i = 0; i < squares.size(); ++i) {
        const MapSquare& q = squares[i];
        std::string y = Real(q.y);
        auto corner = [&](float x, float z) {
            return "   " + Real(x) + ";" + y + ";" + Real(z) + ";";
        };
        s += " Frame Part" + std::to_string(i) +
             " {\n  FrameTransformMatrix {\n   1.0,0.0,0.0,0.0,\n   0.0,1.0,0.0,0.0,\n"
             "   0.0,0.0,1.0,0.0,\n   0.0,0.0,0.0,1.0;;\n  }\n  Mesh {\n   4;\n" +
             corner(q.x0, q.z0) + ",\n" + corner(q.x0, q.z1) + ",\n" + corner(q.x1, q.z1) + ",\n" +
             corner(q.x1, q.z0) + ";\n   2;\n   3;0,1,2;,\n   3;0,2,3;;\n" +
             "   MeshMaterialList {\n    1;\n    2;\n    0,\n    0;;\n    {" + q.material +
             std::to_string(i) + "}\n   }\n" +
             "   MeshTextureCoords {\n    4;\n    0.0;0.0;,\n    0.0;1.0;,\n    1.0;1.0;,\n"
             "    1.0;0.0;;\n   }\n  }\n }\n";
    }
    return s + "}\n";
}

// A camera path: rotation keys (x, y, z, w), camera positions and, when given, target
// positions (the file then has the looked-at frame's three blocks).
struct CameraKeys {
    std::vector<std::vector<float>> rotations;
    std::vector<std::vector<float>> cameras;
    std::vector<std::vector<float>> targets;
};

inline std::string CameraFile(const CameraKeys& k) {
    auto block = [](int type, const std::vector<std::vector<float>>& keys) {
        std::string s = "  AnimationKey {\n   " + std::to_string(type) + ";\n   " +
                        std::to_string(keys.size()) + ";\n";
        for (size_t i = 0; i < keys.size(); ++i) {
            s += "   " + std::to_string(i * 160) + ";" + std::to_string(keys[i].size()) + ";";
            for (size_t j = 0; j < keys[i].size(); ++j) s += (j ? "," : "") + Real(keys[i][j]);
            s += i + 1 < keys.size() ? ";;,\n" : ";;;\n";
        }
        return s + "  }\n";
    };
    std::vector<std::vector<float>> one = {{1.0f, 1.0f, 1.0f}};
    std::string s = "xof 0302txt 0032\nAnimationSet {\n Animation {\n  {Camera}\n" +
                    block(0, k.rotations) + block(1, one) + block(2, k.cameras) + " }\n";
    if (!k.targets.empty()) {
        std::vector<std::vector<float>> turn = {{1.0f, 0.0f, 0.0f, 0.0f}};
        s += " Animation {\n  {Target}\n" + block(0, turn) + block(1, one) + block(2, k.targets) +
             " }\n";
    }
    return s + "}\n";
}

// A skinned-model file with one plain mesh (no bones).
inline std::string PlainModelFile() {
    return "xof 0302txt 0032\nFrame Body {\n FrameTransformMatrix {\n  1.0,0.0,0.0,0.0,\n"
           "  0.0,1.0,0.0,0.0,\n  0.0,0.0,1.0,0.0,\n  0.0,0.0,0.0,1.0;;\n }\n"
           " Mesh {\n  3;\n  0.0;0.0;0.0;,\n  1.0;0.0;0.0;,\n  0.0;1.0;0.0;;\n"
           "  1;\n  3;0,1,2;;\n  MeshMaterialList {\n   1;\n   1;\n   0;;\n"
           "   Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n  }\n }\n}\n";
}

}  // namespace vqtest
