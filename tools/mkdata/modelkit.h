// Building the animated models: a tree of frames with meshes, an atlas texture of
// painted swatches, rigid and skinned parts, and the animation tracks the game drives.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/mkdata/geom.h"
#include "tools/mkdata/image.h"
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/render3d.h"

namespace mk {

// Animation time units per tick of the enemy animation clock (17 a tick, times 4.8).
constexpr float kTicks = 81.6f;

// The swatches of a model's texture atlas (a 4 x 4 grid).
enum Sw {
    kMain,
    kSecond,
    kDark,
    kLight,
    kGlass,
    kGlow,
    kStripe,
    kBlack,
    kEye,
    kWood,
    kNumber,
    kCamo,
    kGold,
    kRed,
    kPanel,
    kTread,
};

struct Palette {
    Color main, second, dark, light, glow, stripe;
    // The stripe swatch: hazard hatching in the stripe colour and its shade, or (false) a
    // plain trim in the stripe colour.
    bool hatched = true;
};

class Kit {
public:
    // `texture` names the atlas file beside the model (default: the model's own name).
    Kit(std::string path, uint32_t seed, Palette pal, std::string texture = "");

    int Node(int parent, const std::string& name, const Mat4& local = Mat4{});
    // A builder writing into the node's own mesh, mapping to a swatch.
    MeshBuilder Build(int node, Sw swatch);
    Mesh& MeshOf(int node);
    Swatch Region(Sw s) const;

    // Animation tracks, in file order (the game lists them newest first).
    void Hold(int node);
    void Spin(int node, V3 axis, float periodTicks, float startTicks = 0);
    void Swing(int node, V3 axis, float amplitude, float periodTicks, float phase = 0);
    void Pulse(int node, float amount, float periodTicks);
    void Track(int node, const std::vector<RotKey>& keys);
    // Places the next tracks so that track k (in the order added) gets list index `index[k]`.
    void OrderByListIndex(const std::vector<int>& index);
    size_t Tracks() const { return anims_.size(); }

    // Moves the whole model along z (through the root frame) so that its parts reach as far
    // forward as back: the model then turns about its middle.
    void CentreAlongZ();
    // Scales the whole model (through the root frame, after CentreAlongZ) so that no part
    // reaches further than `radius` from the vertical axis it turns about; a model already
    // within it is kept as it is.
    void FitTurningRadius(float radius);
    // The one material of the model's parts: its diffuse and emissive grey levels.
    void SetMaterial(float diffuse, float emissive) {
        diffuse_ = diffuse;
        emissive_ = emissive;
    }

    // Skins the node's mesh to bones (nodes), weight function by bind-pose position.
    void Skin(int node, const std::vector<int>& bones,
              const std::function<std::vector<float>(V3)>& weights);

    Image& Texture() { return tex_; }
    void Write(Output& out);
    // Draws the model in its bind pose (for the generator's own pictures).
    void Render(Renderer& r, const Mat4& world, const Shading& sh) const;

private:
    struct NodeData {
        std::string name;
        int parent;
        Mat4 local;
        Mesh mesh;
    };
    Mat4 BindMatrix(int node) const;  // product of locals from the node up to the root (excluded)
    Frame BuildFrame(int node) const;

    std::string path_, folder_, texName_;
    std::vector<NodeData> nodes_;
    std::vector<Animation> anims_;
    Image tex_;
    Palette pal_;
    float diffuse_ = 0.62f, emissive_ = 0.14f;
};

// The craft models 0 to 3 and a minion fighter, for the generator's own renderings.
Kit CraftKit(int craft);
Kit MinionFighterKit();

// A look at every model: when switched on, each model written is also drawn from three
// sides into a thumbnail (mkdata --model-sheet).
void CollectModelThumbnails(bool on);
std::vector<std::pair<std::string, Image>> ModelThumbnails();

}  // namespace mk
