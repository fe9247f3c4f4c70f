// The animated models (the crafts, the enemies, the bosses and the stage parts) and the
// plain object meshes. Models face +z with +y up; the crafts' decks are at y 0, where
// their riders stand, and each craft reaches as far forward as back, so that it turns about
// its middle in the craft select.
#include <cmath>

#include "tools/mkdata/modelkit.h"
#include "tools/mkdata/ui.h"

namespace mk {

namespace {

const Palette kMinion{Rgb(0x6A4AA8), Rgb(0xC8B4F0), Rgb(0x2A2038),
                      Rgb(0xD8D0E8), Rgb(0xFFD24A), Rgb(0xF08A24)};
const Palette kEscort{Rgb(0x3A8A8A), Rgb(0xD0E8E0), Rgb(0x1A2A30),
                      Rgb(0xC8D8D8), Rgb(0x60FFD0), Rgb(0xE0E040)};
const Palette kGuardian{Rgb(0xA82A3A), Rgb(0x2A1A22), Rgb(0x1A1016),
                        Rgb(0xC8A8A8), Rgb(0xFF6A3A), Rgb(0xFFD060)};
const Palette kArmy{Rgb(0x6A7A4A), Rgb(0xB8B090), Rgb(0x2A3020),
                    Rgb(0xA8A898), Rgb(0xFF8A30), Rgb(0xE8D040)};
const Palette kNavy{Rgb(0x3A4A7A), Rgb(0xB8C0D8), Rgb(0x1A2034),
                    Rgb(0xD0D8E8), Rgb(0xFFB040), Rgb(0xF2C14E)};
const Palette kTrain{Rgb(0x2A5A3A), Rgb(0xC8A86A), Rgb(0x1A2018),
                     Rgb(0xB8B8A8), Rgb(0xFFD070), Rgb(0xE8C040)};
const Palette kStone{Rgb(0x9A8E78), Rgb(0x6A8AA8), Rgb(0x3A342A),
                     Rgb(0xD8CCB0), Rgb(0x60D0FF), Rgb(0xE0A040)};

Palette CraftPalette(int c) {
    // The blue craft's body is lighter than its pictures' blue: on the title's night sky a
    // darker blue would melt into the sky on the side turned away from the light. The fins
    // and flaps carry the craft's trim colour plain, as its pictures do.
    return {c == 1 ? Mix(CraftColor(c, 0), Rgb(0xFFFFFF), 0.35f) : CraftColor(c, 0),
            CraftColor(c, 1),
            Rgb(0x2A2E38),
            Rgb(0xD8DCE4),
            c == 3 ? Rgb(0xFF60E0) : Rgb(0x80D8FF),
            CraftColor(c, 2),
            false};
}

// A slim fuselage along z from `tail` to `nose`, with a canopy bulge.
void Fuselage(MeshBuilder& b, float tail, float nose, float w, float h, float yc = 0) {
    b.Loft({{tail, w * 0.35f, h * 0.4f, yc},
            {tail * 0.6f, w * 0.8f, h * 0.85f, yc},
            {0, w, h, yc},
            {nose * 0.55f, w * 0.75f, h * 0.7f, yc - h * 0.05f},
            {nose, 0.05f, 0.05f, yc - h * 0.15f}},
           10);
}

void Propeller(MeshBuilder& b, float r, int blades, float width) {
    for (int i = 0; i < blades; ++i) {
        float a = 2 * kPi * i / blades;
        Mat4 m = Mat4::RotationZ(a);
        V3 p0 = TransformPoint({-width, 0, 0}, m), p1 = TransformPoint({width, 0, 0}, m);
        V3 p2 = TransformPoint({width * 0.6f, r, 0.3f}, m),
           p3 = TransformPoint({-width * 0.6f, r, -0.3f}, m);
        b.Quad(p0, p1, p2, p3, {0, 0, 1});
        b.Quad(p0, p3, p2, p1, {0, 0, -1});
    }
}

// ---------------------------------------------------------------- the crafts

// A craft as the game loads it. The craft select turns two crafts side by side near the
// screen's edges: each fits within a turning radius that keeps it whole there. Its material
// glows enough that the craft keeps its colours on the side turned away from the light.
void WriteCraft(Kit k, Output& out) {
    k.FitTurningRadius(19.5f);
    k.SetMaterial(0.42f, 0.34f);
    k.Write(out);
}

// Craft 0: a light jet sled with two wing propellers. Its 20 tracks: bank poses on list
// indices 1 (right), 3 (left) and 5 (both), running tracks on 13, 14, 18 and 19.
Kit Craft0Kit() {
    Kit k("xfile/craft0/craft0.x", 1001, CraftPalette(0));
    int hull = k.Node(0, "hull");
    int wingL = k.Node(0, "wing_L", Mat4::Translation(-6, -2, -1));
    int wingR = k.Node(0, "wing_R", Mat4::Translation(6, -2, -1));
    {
        MeshBuilder b = k.Build(hull, kMain);
        Fuselage(b, -22, 20, 5.5f, 4.5f, -3);
        b.Uv(k.Region(kSecond));
        b.Box({0, -0.2f, -2}, {9, 1.2f, 16});  // the deck
        // Wings as part of the skinned hull, flexing with the wing bones.
        b.Uv(k.Region(kSecond)).At(Mat4::Translation(4, -3, -2));
        b.Wing(16, 8, -6, 1, -5, 2.2f, 0.08f);
        b.At(Mat4::Scaling(-1, 1, 1) * Mat4::Translation(-4, -3, -2));
        b.Wing(16, 8, -6, 1, -5, 2.2f, 0.08f);
        b.Uv(k.Region(kStripe)).At(Mat4::Translation(0, -2, -18));
        b.Box({0, 5, 0}, {1.2f, 10, 6});
    }
    k.Skin(hull, {hull, wingL, wingR}, [](V3 p) {
        float out = std::clamp((std::fabs(p.x) - 5) / 12, 0.0f, 1.0f);
        if (p.x > 0) return std::vector<float>{1 - out, 0, out};
        return std::vector<float>{1 - out, out, 0};
    });
    // Canopy over the rider's feet, the gun pods, the two propeller pods and small parts.
    int canopy = k.Node(hull, "canopy", Mat4::Translation(0, -1, 10));
    k.Build(canopy, kGlass).Sphere({0, 0, 0}, 3.2f, 6, 10, {1, 0.7f, 1.6f});
    int podL = k.Node(0, "pod_L", Mat4::Translation(-12, -3.5f, 1)),
        podR = k.Node(0, "pod_R", Mat4::Translation(12, -3.5f, 1));
    for (int pod : {podL, podR})
        k.Build(pod, kMain)
            .Loft({{-7, 1.2f, 1.2f, 0}, {-2, 2.2f, 2.2f, 0}, {5, 2, 2, 0}, {7, 1, 1, 0}}, 8);
    int propL = k.Node(podL, "prop_L", Mat4::Translation(0, 0, 7.3f)),
        propR = k.Node(podR, "prop_R", Mat4::Translation(0, 0, 7.3f));
    for (int p : {propL, propR}) {
        MeshBuilder b = k.Build(p, kDark);
        Propeller(b, 5, 3, 0.7f);
        b.Uv(k.Region(kGold)).Sphere({0, 0, 0.3f}, 1.1f, 4, 6);
    }
    int flapL = k.Node(wingL, "flap_L", Mat4::Translation(-8, 0.4f, -6)),
        flapR = k.Node(wingR, "flap_R", Mat4::Translation(8, 0.4f, -6));
    for (int f : {flapL, flapR}) k.Build(f, kStripe).Box({0, 0, -1}, {8, 0.6f, 2.5f});
    int rudder = k.Node(hull, "rudder", Mat4::Translation(0, 6, -20));
    k.Build(rudder, kStripe).Box({0, 0, -1.5f}, {0.8f, 6, 3});
    int flame = k.Node(hull, "flame", Mat4::Translation(0, -3, -22.5f));
    k.Build(flame, kGlow).Lathe({{0, 1.8f}, {-4, 0.2f}}, 8);
    int antenna = k.Node(hull, "antenna", Mat4::Translation(0, 0.5f, 14));
    k.Build(antenna, kLight).Box({0, 2, 0}, {0.4f, 4, 0.4f});
    int lightL = k.Node(wingL, "light_L", Mat4::Translation(-16, 1, -3)),
        lightR = k.Node(wingR, "light_R", Mat4::Translation(16, 1, -3));
    k.Build(lightL, kRed).Sphere({0, 0, 0}, 0.6f, 4, 6);
    k.Build(lightR, kGlow).Sphere({0, 0, 0}, 0.6f, 4, 6);
    int gunL = k.Node(hull, "gun_L", Mat4::Translation(-3, -5, 12)),
        gunR = k.Node(hull, "gun_R", Mat4::Translation(3, -5, 12));
    for (int g : {gunL, gunR}) k.Build(g, kDark).At(Mat4{}).Cylinder(0.5f, 6, 6);
    int intake = k.Node(hull, "intake", Mat4::Translation(0, -6, 4));
    k.Build(intake, kDark).Box({0, 0, 0}, {4, 1.5f, 6});

    // Tracks, with their list indices: bank poses 1, 3, 5; running 13, 14, 18, 19.
    auto roll = [&](int node, std::vector<std::pair<uint32_t, float>> poses, V3 axis) {
        std::vector<RotKey> keys;
        Mat4 base = Mat4{};
        (void)node;
        for (auto [t, a] : poses)
            keys.push_back({t, QuatFromMatrix(Mat4::RotationAxis(axis, a) * base)});
        k.Track(node, keys);
    };
    // Right bank (times 0..3427 for bank 0..1, held to 4112 for 1.2): the right flap rises.
    roll(flapR, {{0, 0}, {3427, 0.6f}, {4200, 0.6f}}, {1, 0, 0});
    // Left bank (times 3754 for bank 0 .. 7181 for bank -1, 7862 for -1.2): the left flap.
    roll(flapL, {{0, 0}, {3754, 0}, {7181, 0.6f}, {7900, 0.6f}}, {1, 0, 0});
    // Both: the rudder leans into the turn.
    roll(rudder, {{0, 0}, {3427, -0.35f}, {3754, 0}, {7181, 0.35f}, {7900, 0.35f}}, {0, 1, 0});
    k.Spin(propL, {0, 0, 1}, 6);
    k.Spin(propR, {0, 0, -1}, 6);
    k.Pulse(flame, 0.25f, 4);
    k.Swing(antenna, {1, 0, 0}, 0.15f, 40);
    int beacon = k.Node(rudder, "beacon", Mat4::Translation(0, 3.5f, -1));
    k.Build(beacon, kGlow).Sphere({0, 0, 0}, 0.5f, 4, 6);
    for (int n : {hull, wingL, wingR, canopy, podL, podR, lightL, lightR, gunL, gunR, intake,
                  beacon, k.Node(0, "keel", Mat4::Translation(0, -7, 0))})
        k.Hold(n);
    // Track order above: flapR, flapL, rudder, propL, propR, flame, antenna, then 13 held.
    k.OrderByListIndex({1, 3, 5, 13, 14, 18, 19, 0, 2, 4, 6, 7, 8, 9, 10, 11, 12, 15, 16, 17});
    k.CentreAlongZ();
    return k;
}

void Craft0(Output& out) {
    WriteCraft(Craft0Kit(), out);
}

// Craft 1: a heavier twin-rotor gunship. Bank poses on list indices 3 (right) and 9 (left),
// running rotors on 6 and 7.
Kit Craft1Kit() {
    Kit k("xfile/craft1/craft1.x", 1002, CraftPalette(1));
    int hull = k.Node(0, "hull");
    {
        MeshBuilder b = k.Build(hull, kMain);
        b.Loft({{-20, 3, 3, -3},
                {-12, 6, 5, -3},
                {4, 7, 5.5f, -3},
                {14, 5, 4, -4},
                {20, 0.5f, 0.5f, -5}},
               10);
        b.Uv(k.Region(kSecond));
        b.Box({0, -0.3f, -1}, {10, 1.2f, 18});
        b.At(Mat4::Translation(6, -3, 0));
        b.Wing(10, 6, -4, 5, -3, 2.5f, 0);
        b.At(Mat4::Scaling(-1, 1, 1) * Mat4::Translation(-6, -3, 0));
        b.Wing(10, 6, -4, 5, -3, 2.5f, 0);
        b.Uv(k.Region(kStripe)).At(Mat4::Translation(0, 0, -17));
        b.Box({-4, 3, 0}, {1, 6, 4});
        b.Box({4, 3, 0}, {1, 6, 4});
    }
    int ductL = k.Node(0, "duct_L", Mat4::Translation(-17, -3, 1)),
        ductR = k.Node(0, "duct_R", Mat4::Translation(17, -3, 1));
    for (int d : {ductL, ductR})
        k.Build(d, kSecond).At(Mat4::RotationX(kPi / 2)).Torus(4.5f, 1.1f, 14, 6);
    int rotL = k.Node(ductL, "rotor_L"), rotR = k.Node(ductR, "rotor_R");
    for (int r : {rotL, rotR}) {
        MeshBuilder b = k.Build(r, kDark).At(Mat4::RotationX(kPi / 2));
        Propeller(b, 4, 4, 0.6f);
    }
    int tiltL = k.Node(hull, "tilt_L", Mat4::Translation(-8, -3.5f, -4)),
        tiltR = k.Node(hull, "tilt_R", Mat4::Translation(8, -3.5f, -4));
    for (int t : {tiltL, tiltR}) k.Build(t, kStripe).Box({0, 0, -1}, {6, 0.7f, 3});
    int canopy = k.Node(hull, "canopy", Mat4::Translation(0, -0.5f, 11));
    k.Build(canopy, kGlass).Sphere({0, 0, 0}, 3, 6, 10, {1.2f, 0.7f, 1.5f});
    int gun = k.Node(hull, "chin_gun", Mat4::Translation(0, -7, 14));
    k.Build(gun, kDark).Cylinder(0.9f, 7, 8);
    int flameL = k.Node(hull, "flame_L", Mat4::Translation(-3, -3, -20.5f)),
        flameR = k.Node(hull, "flame_R", Mat4::Translation(3, -3, -20.5f));
    for (int f : {flameL, flameR}) k.Build(f, kGlow).Lathe({{0, 1.4f}, {-3, 0.2f}}, 8);
    // Tracks: right bank (0..1714 for bank 0..1, held to 2100), left bank the same.
    k.Track(tiltR, {{0, QuatFromMatrix(Mat4{})},
                    {1714, QuatFromMatrix(Mat4::RotationX(0.7f))},
                    {2100, QuatFromMatrix(Mat4::RotationX(0.7f))}});
    k.Track(tiltL, {{0, QuatFromMatrix(Mat4{})},
                    {1714, QuatFromMatrix(Mat4::RotationX(0.7f))},
                    {2100, QuatFromMatrix(Mat4::RotationX(0.7f))}});
    k.Spin(rotL, {0, 1, 0}, 5);
    k.Spin(rotR, {0, -1, 0}, 5);
    for (int n : {hull, ductL, ductR, canopy, gun, flameL, flameR,
                  k.Node(0, "keel", Mat4::Translation(0, -8, 0))})
        k.Hold(n);
    // tiltR -> 3, tiltL -> 9, rotors -> 6, 7, the held ones fill the rest.
    k.OrderByListIndex({3, 9, 6, 7, 0, 1, 2, 4, 5, 8, 10, 11});
    k.CentreAlongZ();
    return k;
}

void Craft1(Output& out) {
    WriteCraft(Craft1Kit(), out);
}

// A rotation track of one node: (time, angle about the axis) keys.
void AngleTrack(Kit& k, int node, V3 axis, const std::vector<std::pair<uint32_t, float>>& poses) {
    std::vector<RotKey> keys;
    for (auto [t, a] : poses) keys.push_back({t, QuatFromMatrix(Mat4::RotationAxis(axis, a))});
    k.Track(node, keys);
}

// Craft 2: an armoured glider with two side fins and twin rear engines. Bank poses on list
// indices 9 (right: 0..1714 for bank 0..1), 4 (left: the same for bank 0..-1) and 1 (both:
// 0..1142 for bank 0..1, 1795..2938 for bank 0..-1); running tracks on 6, 7 and 12.
Kit Craft2Kit() {
    Kit k("xfile/craft2/craft2.x", 1003, CraftPalette(2));
    int hull = k.Node(0, "hull");
    {
        MeshBuilder b = k.Build(hull, kMain);
        b.Loft({{-20, 5, 3.5f, -3},
                {-10, 8, 5.5f, -3},
                {6, 8.5f, 6, -3},
                {16, 5.5f, 4, -4},
                {21, 1, 1, -5}},
               8);
        b.Uv(k.Region(kSecond));
        b.Box({0, -0.3f, -1}, {11, 1.4f, 18});  // the deck
        b.At(Mat4::Translation(7, -4, -2));
        b.Wing(9, 9, -7, 2, -5, 3.0f, -0.05f);
        b.At(Mat4::Scaling(-1, 1, 1) * Mat4::Translation(-7, -4, -2));
        b.Wing(9, 9, -7, 2, -5, 3.0f, -0.05f);
        b.Uv(k.Region(kDark)).At(Mat4{});
        b.Box({0, -7, 2}, {12, 2.5f, 22});  // the armour belly
    }
    int finL = k.Node(hull, "fin_L", Mat4::Translation(-16, -3, -4)),
        finR = k.Node(hull, "fin_R", Mat4::Translation(16, -3, -4));
    for (int f : {finL, finR}) k.Build(f, kStripe).Box({0, 2, -1}, {1.2f, 6, 7});
    int tail = k.Node(hull, "tail", Mat4::Translation(0, 4, -18));
    k.Build(tail, kStripe).Box({0, 2, -1}, {1.2f, 6, 5});
    int engL = k.Node(hull, "engine_L", Mat4::Translation(-5, -3, -21)),
        engR = k.Node(hull, "engine_R", Mat4::Translation(5, -3, -21));
    for (int e : {engL, engR}) {
        MeshBuilder b = k.Build(e, kDark);
        b.At(Mat4::RotationX(kPi / 2));
        Propeller(b, 3, 5, 0.5f);
    }
    int flame = k.Node(hull, "flame", Mat4::Translation(0, -3, -22));
    k.Build(flame, kGlow).Lathe({{0, 2.2f}, {-5, 0.3f}}, 8);
    int canopy = k.Node(hull, "canopy", Mat4::Translation(0, -0.5f, 12));
    k.Build(canopy, kGlass).Sphere({0, 0, 0}, 3.2f, 6, 10, {1.2f, 0.7f, 1.4f});
    int ram = k.Node(hull, "ram", Mat4::Translation(0, -6, 21));
    k.Build(ram, kGold).Lathe({{0, 2.5f}, {4, 0.2f}}, 6);

    AngleTrack(k, finR, {0, 0, 1}, {{0, 0}, {1714, -0.6f}, {2100, -0.6f}});
    AngleTrack(k, finL, {0, 0, 1}, {{0, 0}, {1714, 0.6f}, {2100, 0.6f}});
    AngleTrack(k, tail, {0, 1, 0},
               {{0, 0}, {1142, -0.35f}, {1795, 0}, {2938, 0.35f}, {3300, 0.35f}});
    k.Spin(engL, {0, 0, 1}, 5);
    k.Spin(engR, {0, 0, -1}, 5);
    k.Pulse(flame, 0.25f, 4);
    for (int n : {hull, canopy, ram, k.Node(0, "keel", Mat4::Translation(0, -9, 0)),
                  k.Node(hull, "hook_L", Mat4::Translation(-8, -6, 6)),
                  k.Node(hull, "hook_R", Mat4::Translation(8, -6, 6)),
                  k.Node(hull, "lamp", Mat4::Translation(0, 1, 18))})
        k.Hold(n);
    // finR -> 9, finL -> 4, tail -> 1, engines -> 6, 7, flame -> 12; held ones fill the rest.
    k.OrderByListIndex({9, 4, 1, 6, 7, 12, 0, 2, 3, 5, 8, 10, 11});
    k.CentreAlongZ();
    return k;
}

void Craft2(Output& out) {
    WriteCraft(Craft2Kit(), out);
}

// Craft 3: a dark dart with swept wings that fold with the bank. Bank poses on list indices
// 4 and 6 (both wings: 0..1714 for bank 0..-1, 1862..3576 for bank 0..1); running tracks on
// 10, 13 and 15.
Kit Craft3Kit() {
    Kit k("xfile/craft3/craft3.x", 1004, CraftPalette(3));
    int hull = k.Node(0, "hull");
    {
        MeshBuilder b = k.Build(hull, kMain);
        Fuselage(b, -21, 22, 4.5f, 4, -3);
        b.Uv(k.Region(kSecond));
        b.Box({0, -0.2f, -1}, {8, 1.2f, 15});  // the deck
        b.Uv(k.Region(kStripe)).At(Mat4::Translation(0, -2, -17));
        b.Box({-3, 4, 0}, {0.8f, 8, 5});
        b.Box({3, 4, 0}, {0.8f, 8, 5});
    }
    int wingL = k.Node(hull, "wing_L", Mat4::Translation(-4, -3, -2)),
        wingR = k.Node(hull, "wing_R", Mat4::Translation(4, -3, -2));
    k.Build(wingR, kSecond).Wing(15, 10, -8, -2, -10, 2.0f, 0.05f);
    k.Build(wingL, kSecond).At(Mat4::Scaling(-1, 1, 1)).Wing(15, 10, -8, -2, -10, 2.0f, 0.05f);
    int spinner = k.Node(hull, "spinner", Mat4::Translation(0, -3, 22));
    {
        MeshBuilder b = k.Build(spinner, kDark);
        Propeller(b, 4, 3, 0.6f);
    }
    int flame = k.Node(hull, "flame", Mat4::Translation(0, -3, -21.5f));
    k.Build(flame, kGlow).Lathe({{0, 1.6f}, {-5, 0.2f}}, 8);
    int antenna = k.Node(hull, "antenna", Mat4::Translation(0, 0.5f, 13));
    k.Build(antenna, kGlow).Box({0, 2.5f, 0}, {0.4f, 5, 0.4f});
    int canopy = k.Node(hull, "canopy", Mat4::Translation(0, -1, 10));
    k.Build(canopy, kGlass).Sphere({0, 0, 0}, 3, 6, 10, {1, 0.6f, 1.8f});
    int gunL = k.Node(hull, "gun_L", Mat4::Translation(-2.5f, -5, 12)),
        gunR = k.Node(hull, "gun_R", Mat4::Translation(2.5f, -5, 12));
    for (int g : {gunL, gunR}) k.Build(g, kDark).Cylinder(0.45f, 7, 6);

    // Both wings share one pose: they sweep back when banking left, forward banking right.
    const std::vector<std::pair<uint32_t, float>> sweep = {{0, 0},    {1714, 0.5f},  {1800, 0},
                                                           {1862, 0}, {3576, -0.5f}, {4000, -0.5f}};
    AngleTrack(k, wingL, {0, 1, 0}, sweep);
    AngleTrack(k, wingR, {0, -1, 0}, sweep);
    k.Spin(spinner, {0, 0, 1}, 4);
    k.Pulse(flame, 0.3f, 4);
    k.Swing(antenna, {1, 0, 0}, 0.2f, 30);
    for (int n : {hull, canopy, gunL, gunR, k.Node(0, "keel", Mat4::Translation(0, -8, 0)),
                  k.Node(hull, "light_L", Mat4::Translation(-10, -2, -8)),
                  k.Node(hull, "light_R", Mat4::Translation(10, -2, -8)),
                  k.Node(hull, "vent_L", Mat4::Translation(-3, 1, -10)),
                  k.Node(hull, "vent_R", Mat4::Translation(3, 1, -10)),
                  k.Node(hull, "tailcone", Mat4::Translation(0, -3, -19)),
                  k.Node(hull, "nose", Mat4::Translation(0, -3, 20))})
        k.Hold(n);
    // wings -> 4, 6; spinner -> 10, flame -> 13, antenna -> 15; the held ones fill the rest.
    k.OrderByListIndex({4, 6, 10, 13, 15, 0, 1, 2, 3, 5, 7, 8, 9, 11, 12, 14});
    k.CentreAlongZ();
    return k;
}

void Craft3(Output& out) {
    WriteCraft(Craft3Kit(), out);
}

// ---------------------------------------------------------------- enemies

// A fighter of the minion fleet with a propeller or a jet glow; `style` varies the shape.
Kit FighterKit(const std::string& path, const Palette& pal, uint32_t seed, int style, float size,
               const std::string& texture) {
    Kit k(path, seed, pal, texture);
    float s = size;
    int body = k.Node(0, "body");
    {
        MeshBuilder b = k.Build(body, kMain);
        Fuselage(b, -22 * s, 20 * s, 6 * s, 5 * s);
        b.Uv(k.Region(kSecond));
        float span = (style == 1 ? 22 : style == 2 ? 16 : 19) * s;
        float sweep = style == 2 ? -12 * s : -5 * s;
        b.At(Mat4::Translation(4 * s, -1 * s, 0));
        b.Wing(span, 6 * s, -8 * s, 2 * s + sweep * 0.2f, sweep, 2.5f * s,
               style == 1 ? 0.15f : -0.05f);
        b.At(Mat4::Scaling(-1, 1, 1) * Mat4::Translation(-4 * s, -1 * s, 0));
        b.Wing(span, 6 * s, -8 * s, 2 * s + sweep * 0.2f, sweep, 2.5f * s,
               style == 1 ? 0.15f : -0.05f);
        b.Uv(k.Region(kStripe)).At(Mat4::Translation(0, 0, -17 * s));
        b.Box({0, 5 * s, 0}, {1.2f * s, 10 * s, 6 * s});
        b.Uv(k.Region(kGlass)).At(Mat4{});
        b.Sphere({0, 3.5f * s, 6 * s}, 3 * s, 5, 8, {1, 0.7f, 1.6f});
        b.Uv(k.Region(kEye)).At(Mat4{});
        b.Sphere({0, 0, 18 * s}, 2.5f * s, 5, 8, {1, 1, 0.6f});
    }
    int spinner = k.Node(body, "spinner", Mat4::Translation(0, 0, 20 * s));
    {
        MeshBuilder b = k.Build(spinner, kDark);
        Propeller(b, 7 * s, style == 2 ? 2 : 3, 0.9f * s);
    }
    int tipL = k.Node(body, "tip_L", Mat4::Translation(-22 * s, 0, -4 * s)),
        tipR = k.Node(body, "tip_R", Mat4::Translation(22 * s, 0, -4 * s));
    k.Build(tipL, kRed).Sphere({0, 0, 0}, 1.2f * s, 4, 6);
    k.Build(tipR, kGlow).Sphere({0, 0, 0}, 1.2f * s, 4, 6);
    int glow = k.Node(body, "exhaust", Mat4::Translation(0, 0, -22 * s));
    k.Build(glow, kGlow).Lathe({{0, 2.5f * s}, {-6 * s, 0.3f * s}}, 8);
    k.Spin(spinner, {0, 0, 1}, 5);
    k.Pulse(glow, 0.3f, 6);
    k.Swing(body, {0, 0, 1}, 0.06f, 90);
    k.Hold(tipL);
    k.Hold(tipR);
    return k;
}

void Fighter(Output& out, const std::string& path, const Palette& pal, uint32_t seed, int style,
             float size, const std::string& texture = "") {
    FighterKit(path, pal, seed, style, size, texture).Write(out);
}

void Gunship(Output& out, const std::string& path, const Palette& pal, uint32_t seed, bool leader) {
    Kit k(path, seed, pal);
    int body = k.Node(0, "body");
    {
        MeshBuilder b = k.Build(body, kMain);
        b.Loft({{-26, 4, 4, 0}, {-14, 10, 9, 0}, {8, 12, 10, 0}, {20, 8, 7, -1}, {26, 2, 2, -2}},
               12);
        b.Uv(k.Region(kEye)).Sphere({0, 1, 24}, 4, 5, 8, {1, 1, 0.7f});
        b.Uv(k.Region(kSecond)).Box({0, 10, -2}, {10, 5, 22});
        if (leader) b.Uv(k.Region(kStripe)).Box({0, 15, -8}, {2, 8, 8});
        b.Uv(k.Region(kDark)).At(Mat4::Translation(0, -11, 10)).Cylinder(1.5f, 12, 8);
    }
    int ringL = k.Node(body, "ring_L", Mat4::Translation(-19, 2, -2)),
        ringR = k.Node(body, "ring_R", Mat4::Translation(19, 2, -2));
    for (int r : {ringL, ringR})
        k.Build(r, kSecond).At(Mat4::RotationX(kPi / 2)).Torus(7, 1.6f, 16, 6);
    int rotorL = k.Node(ringL, "rotor_L"), rotorR = k.Node(ringR, "rotor_R");
    for (int r : {rotorL, rotorR}) {
        MeshBuilder b = k.Build(r, kDark).At(Mat4::RotationX(kPi / 2));
        Propeller(b, 6.5f, 4, 0.9f);
    }
    int turret = k.Node(body, "turret", Mat4::Translation(0, -9, 4));
    k.Build(turret, kDark).Sphere({0, 0, 0}, 3.5f, 5, 8);
    k.Spin(rotorL, {0, 1, 0}, 4);
    k.Spin(rotorR, {0, -1, 0}, 4);
    k.Swing(turret, {0, 1, 0}, 0.6f, 120);
    k.Swing(body, {0, 0, 1}, 0.05f, 100);
    k.Write(out);
}

// A gun turret: a base, a turning head and barrels along +z.
void Turret(Output& out, const std::string& path, const Palette& pal, uint32_t seed, float size,
            int barrels, float barrelLen, bool dome, const std::string& texture = "") {
    Kit k(path, seed, pal, texture);
    float s = size;
    int base = k.Node(0, "base");
    k.Build(base, kDark)
        .At(Mat4::RotationX(-kPi / 2))
        .Lathe({{0, 16 * s}, {4 * s, 15 * s}, {6 * s, 11 * s}, {9 * s, 10 * s}}, 12);
    int head = k.Node(base, "head", Mat4::Translation(0, 9 * s, 0));
    {
        MeshBuilder b = k.Build(head, kMain);
        if (dome)
            b.Sphere({0, 0, 0}, 11 * s, 6, 12, {1, 0.7f, 1});
        else
            b.Box({0, 5 * s, 0}, {18 * s, 10 * s, 20 * s});
        b.Uv(k.Region(kEye)).Sphere({0, 6 * s, 9 * s}, 3 * s, 4, 8, {1, 1, 0.5f});
    }
    int gun = k.Node(head, "guns", Mat4::Translation(0, 5 * s, 6 * s));
    for (int i = 0; i < barrels; ++i) {
        float x = (i - (barrels - 1) * 0.5f) * 5 * s;
        k.Build(gun, kLight).At(Mat4::Translation(x, 0, 0)).Cylinder(1.6f * s, barrelLen * s, 8);
        k.Build(gun, kDark).At(Mat4::Translation(x, 0, barrelLen * s)).Cylinder(2.1f * s, 2 * s, 8);
    }
    int radar = k.Node(head, "radar", Mat4::Translation(0, 11 * s, -6 * s));
    k.Build(radar, kLight).Box({0, 2 * s, 0}, {10 * s, 3 * s, 1 * s});
    k.Swing(head, {0, 1, 0}, 0.25f, 160);
    k.Swing(gun, {1, 0, 0}, 0.12f, 70);
    k.Spin(radar, {0, 1, 0}, 50);
    k.Write(out);
}

void Tank(Output& out) {
    Kit k("xfile/tankA/tankA.x", 2005, kArmy);
    int hull = k.Node(0, "hull");
    {
        MeshBuilder b = k.Build(hull, kCamo);
        b.Box({0, 12, 0}, {44, 14, 64});
        b.Uv(k.Region(kTread));
        b.Box({-26, 8, 0}, {12, 16, 70});
        b.Box({26, 8, 0}, {12, 16, 70});
    }
    int turret = k.Node(hull, "turret", Mat4::Translation(0, 22, -4));
    {
        MeshBuilder b = k.Build(turret, kCamo);
        b.Sphere({0, 3, 0}, 15, 5, 10, {1, 0.5f, 1.2f});
        b.Uv(k.Region(kDark)).At(Mat4::Translation(0, 4, 10)).Cylinder(2.4f, 34, 8);
    }
    int wheels = k.Node(hull, "treads", Mat4::Translation(0, 8, 0));
    k.Build(wheels, kBlack).Box({0, -6, 0}, {40, 4, 60});
    k.Swing(turret, {0, 1, 0}, 0.5f, 200);
    k.Hold(wheels);
    k.Write(out);
}

// The train of stage 3-3. Its segments are drawn at 0.64 of the model's units, its mounted
// parts at 0.56 (0.64 for the gun-deck turret), so the builders below work in world units
// and scale by these factors. The parts sit at the offsets the set pieces give them, up to
// 43 units over the car's base and from 55 behind it to 40 ahead; the cars carry them on a
// low body with slim posts under the higher guns. The body reaches less far forward than
// back: a shot-down car tips nose up about its base where it fell, while the rail carries
// the camera over that place, and a short, low front keeps the tipped wreck clear of it.
constexpr float kTrainCarScale = 0.64f;

struct TrainPost {
    float x, top, z;  // a post from the roof to `top`, under a gun at (x, top, z)
};

// A train car; `kind` 0 engine, 1 armour car, 2 gun deck, 3 command car.
void TrainCar(Output& out, const std::string& path, uint32_t seed, int kind) {
    Kit k(path, seed, kTrain);
    const float s = 1 / kTrainCarScale;
    const float rear = -62, front = kind == 1 ? 46.0f : 28.0f;
    const float width = 34, roof = 18;
    const float len = front - rear, mid = (front + rear) / 2;
    int body = k.Node(0, "body");
    {
        // The body, and behind z -30 a lower deck for the rear guns (none on the gun deck).
        const float split = kind == 2 ? rear : -30.0f;
        const float deck = kind == 0 ? 8.0f : kind == 2 ? roof : 13.0f;
        const float hall = front - split;
        MeshBuilder b = k.Build(body, kMain);
        b.At(Mat4::Scaling(s, s, s));
        b.Box({0, (roof + 4) / 2, (front + split) / 2}, {width, roof - 4, hall});
        if (kind != 2)
            b.Box({0, (deck + 4) / 2, (split + rear) / 2}, {width, deck - 4, split - rear});
        b.Uv(k.Region(kSecond))
            .Box({0, roof + 1.5f, (front + split) / 2}, {width - 8, 3, hall - 8});
        b.Uv(k.Region(kDark)).Box({0, 5, mid}, {width - 4, 4, len - 10});
        b.Uv(k.Region(kGold)).Box({0, 5.5f, mid}, {width + 1, 2, len + 1});
        if (kind == 0) {
            // The engine's sloped nose and its lamp housing, within the body's length.
            b.Uv(k.Region(kMain))
                .At(Mat4::RotationX(-0.5f) * Mat4::Translation(0, 14, front - 6) *
                    Mat4::Scaling(s, s, s));
            b.Box({0, 0, 0}, {width - 2, 8, 10});
        }
        if (kind == 1) {
            // Sponsons for the side guns.
            b.Uv(k.Region(kDark)).At(Mat4::Scaling(s, s, s));
            for (float x : {-1.0f, 1.0f}) b.Box({x * 27, 2, 20}, {20, 4, 56});
        }
        // Slim posts under the guns that stand above the roof.
        static const TrainPost kPosts[4][9] = {
            {{0, 30, -55},
             {-20, 33, -10},
             {-15, 38, 5},
             {-10, 43, 20},
             {20, 33, -10},
             {15, 38, 5},
             {10, 43, 20}},
            {{0, 30, 10}, {-20, 30, 30}, {20, 30, 30}},
            {},
            {{10, 35, 20}, {-10, 35, 20}, {10, 25, -10}, {-10, 25, -10}},
        };
        b.Uv(k.Region(kDark));
        for (const TrainPost& p : kPosts[kind]) {
            if (p.top <= roof + 1) continue;
            float h = p.top - roof - 1.5f;
            b.At(Mat4::Scaling(s, s, s)).Box({p.x, roof + h / 2, p.z}, {3, h, 3});
            b.Box({p.x, p.top - 1.5f, p.z}, {8, 1.5f, 8});
        }
    }
    int bogieF = k.Node(body, "bogie_F", Mat4::Translation(0, 3 * s, (front - 14) * s)),
        bogieB = k.Node(body, "bogie_B", Mat4::Translation(0, 3 * s, (rear + 14) * s));
    for (int bg : {bogieF, bogieB}) {
        MeshBuilder b = k.Build(bg, kBlack);
        for (int w = -1; w <= 1; w += 2)
            for (int a = -1; a <= 1; a += 2)
                b.At(Mat4::RotationY(kPi / 2) *
                     Mat4::Translation(a * 17.0f * s - 2 * s, 0, w * 7 * s))
                    .Cylinder(3.5f * s, 4 * s, 10);
    }
    int smoke = k.Node(body, "light", Mat4::Translation(0, 16 * s, (front - 1) * s));
    k.Build(smoke, kGlow).Sphere({0, 0, 0}, 2.5f * s, 4, 8);
    k.Hold(bogieF);
    k.Hold(bogieB);
    k.Pulse(smoke, 0.2f, 30);
    k.Write(out);
}

// The shield mount of segments 1 to 3 (drawn at 0.768 of its units, its origin 5 units under
// the car's base): a generator housing round the car's middle, a little wider than the car so
// that it shows, its hit point 15 units over the car's base.
void Container(Output& out) {
    Kit k("xfile/train/boss_kontena.x", 2045, kTrain, "kontena.bmp");
    const float s = 1 / 0.768f;
    int box = k.Node(0, "box");
    {
        MeshBuilder b = k.Build(box, kPanel);
        b.At(Mat4::Scaling(s, s, s));
        b.Box({0, 16, 0}, {38, 18, 24});
        b.Uv(k.Region(kGold)).Box({0, 16, 0}, {39, 3, 25});
        b.Uv(k.Region(kDark)).Box({0, 26, 0}, {10, 2, 10});
    }
    int lamp = k.Node(box, "lamp", Mat4::Translation(0, 28 * s, 0));
    k.Build(lamp, kGlow).Sphere({0, 0, 0}, 2.5f * s, 4, 8);
    k.Pulse(lamp, 0.4f, 20);
    k.Write(out);
}

// The heavy star-shaped flier (five arms round a core, a gun at the front).
void StarBulwark(Output& out) {
    Kit k("xfile/star_bul/star_bul.x", 2010, kGuardian);
    int core = k.Node(0, "core");
    k.Build(core, kMain).Sphere({0, 0, 0}, 22, 8, 14, {1, 0.7f, 1});
    k.Build(core, kEye).Sphere({0, 4, 20}, 8, 5, 10, {1, 1, 0.6f});
    int arms = k.Node(core, "arms");
    for (int i = 0; i < 5; ++i) {
        float a = 2 * kPi * i / 5;
        MeshBuilder b =
            k.Build(arms, kSecond)
                .At(Mat4::RotationZ(kPi / 2) * Mat4::RotationY(a) * Mat4::Translation(0, 0, 0));
        b.At(Mat4::RotationY(kPi / 2 + a));
        b.Lathe({{14, 9}, {40, 6}, {62, 0}}, 6);
    }
    int glow = k.Node(core, "glow", Mat4::Translation(0, 0, -22));
    k.Build(glow, kGlow).Lathe({{0, 8}, {-14, 0.5f}}, 10);
    k.Spin(arms, {0, 1, 0}, 240);
    k.Pulse(glow, 0.25f, 8);
    k.Write(out);
}

void Connector(Output& out) {  // renketu: the clamp of a pillar in the gate stage
    Kit k("xfile/store/renketu.x", 2011, kStone);
    int ring = k.Node(0, "ring");
    k.Build(ring, kMain).At(Mat4::RotationX(kPi / 2)).Torus(34, 10, 20, 8);
    k.Build(ring, kDark).At(Mat4{}).Box({0, 0, 0}, {90, 10, 20});
    int bolts = k.Node(ring, "bolts");
    for (int i = 0; i < 6; ++i) {
        float a = 2 * kPi * i / 6;
        k.Build(bolts, kGlow).Sphere({std::cos(a) * 34, 0, std::sin(a) * 34}, 5, 4, 6);
    }
    k.Spin(bolts, {0, 1, 0}, 180);
    k.Write(out);
}

void CombatCore(Output& out) {  // sentou_koa: a reactor with a glowing heart
    Kit k("xfile/store/sentou_koa.x", 2012, kNavy);
    int body = k.Node(0, "body");
    k.Build(body, kMain)
        .At(Mat4::RotationX(-kPi / 2))
        .Lathe({{0, 30}, {14, 26}, {30, 20}, {70, 22}, {90, 14}, {100, 0}}, 12);
    int heart = k.Node(body, "heart", Mat4::Translation(0, 50, 0));
    k.Build(heart, kGlow).Sphere({0, 0, 0}, 16, 6, 12);
    int fins = k.Node(body, "fins", Mat4::Translation(0, 40, 0));
    for (int i = 0; i < 4; ++i)
        k.Build(fins, kSecond).At(Mat4::RotationY(i * kPi / 2)).Box({26, 0, 0}, {14, 50, 4});
    k.Pulse(heart, 0.3f, 24);
    k.Spin(fins, {0, 1, 0}, 120);
    k.Write(out);
}

void Crank(Output& out) {  // kurank: a great crank arm with weights at both ends
    Kit k("xfile/store/kurank.x", 2013, kArmy);
    int hub = k.Node(0, "hub");
    k.Build(hub, kDark).At(Mat4::RotationX(-kPi / 2)).Cylinder(26, 40, 14);
    int arm = k.Node(hub, "arm", Mat4::Translation(0, 30, 0));
    k.Build(arm, kMain).Box({0, 0, 0}, {300, 18, 26});
    k.Build(arm, kStripe).Sphere({150, 0, 0}, 26, 6, 10);
    k.Build(arm, kStripe).Sphere({-150, 0, 0}, 26, 6, 10);
    k.Spin(arm, {0, 1, 0}, 300);
    k.Write(out);
}

void FortressCore(Output& out) {  // mobu_core: an armoured eye
    Kit k("xfile/fortress/mobu_core.x", 2029, kGuardian);
    int shell = k.Node(0, "shell");
    k.Build(shell, kMain).Sphere({0, 10, 0}, 26, 8, 14, {1, 0.7f, 1});
    k.Build(shell, kDark).At(Mat4::RotationX(-kPi / 2)).Cylinder(30, 6, 14);
    int eye = k.Node(shell, "eye", Mat4::Translation(0, 16, 0));
    k.Build(eye, kEye).Sphere({0, 0, 12}, 13, 6, 12);
    k.Swing(eye, {0, 1, 0}, 0.6f, 120);
    k.Write(out);
}

// ---------------------------------------------------------------- bosses

// The giant: a skinned body with arms, on its legs. Clips on the clock (milliseconds x 4.8):
// wind-up 0..734, stride 1632..4978, idle 5712..9058, hit 8976..9547.
void Giant(Output& out, const std::string& path, const Palette& pal, uint32_t seed) {
    Kit k(path, seed, pal);
    int hips = k.Node(0, "hips", Mat4::Translation(0, 70, 0));
    int chest = k.Node(hips, "chest", Mat4::Translation(0, 60, 0));
    int head = k.Node(chest, "head", Mat4::Translation(0, 50, 4));
    int armL = k.Node(chest, "arm_L", Mat4::Translation(-48, 30, 0)),
        armR = k.Node(chest, "arm_R", Mat4::Translation(48, 30, 0));
    int foreL = k.Node(armL, "fore_L", Mat4::Translation(-6, -48, 0)),
        foreR = k.Node(armR, "fore_R", Mat4::Translation(6, -48, 0));
    int legL = k.Node(hips, "leg_L", Mat4::Translation(-20, -6, 0)),
        legR = k.Node(hips, "leg_R", Mat4::Translation(20, -6, 0));
    int body = k.Node(0, "body_skin");
    {
        MeshBuilder b = k.Build(body, kMain);
        b.At(Mat4::RotationX(-kPi / 2))
            .Loft({{60, 22, 18, 0},
                   {80, 30, 24, 0},
                   {120, 46, 30, 0},
                   {150, 40, 28, 0},
                   {165, 18, 16, 0}},
                  14);
        b.Uv(k.Region(kGold)).At(Mat4{}).Box({0, 145, 16}, {40, 14, 8});
        // Legs.
        for (int s = -1; s <= 1; s += 2) {
            b.Uv(k.Region(kSecond))
                .At(Mat4::RotationX(-kPi / 2) * Mat4::Translation(s * 20.0f, 0, 0));
            b.Loft({{0, 16, 20, 0}, {30, 12, 14, 0}, {66, 16, 16, 0}}, 10);
        }
    }
    k.Skin(body, {hips, chest, legL, legR}, [](V3 p) {
        float leg = std::clamp((70 - p.y) / 30, 0.0f, 1.0f);
        float up = std::clamp((p.y - 95) / 40, 0.0f, 1.0f);
        float l = p.x < 0 ? leg : 0, r = p.x > 0 ? leg : 0;
        return std::vector<float>{std::max(0.0f, 1 - leg - up), up, l, r};
    });
    k.Build(head, kEye).Sphere({0, 0, 0}, 18, 6, 12, {1, 0.9f, 1});
    k.Build(head, kSecond).Box({0, 16, -4}, {8, 14, 20});
    for (int a : {armL, armR})
        k.Build(a, kSecond).Sphere({0, -22, 0}, 14, 6, 10, {0.8f, 1.6f, 0.8f});
    for (int f : {foreL, foreR}) {
        MeshBuilder b = k.Build(f, kMain);
        b.Sphere({0, -26, 0}, 15, 6, 10, {0.9f, 1.5f, 0.9f});
        b.Uv(k.Region(kDark))
            .At(Mat4::RotationX(kPi / 2) * Mat4::Translation(0, -50, 0))
            .Cylinder(6, 30, 8);
    }
    auto R = [](V3 axis, float a) { return QuatFromMatrix(Mat4::RotationAxis(axis, a)); };
    auto ms = [](float m) { return static_cast<uint32_t>(std::lround(m * 4.8f)); };
    // Arms: wind-up raised, stride swinging, idle breathing, hit flung back.
    for (int s = -1; s <= 1; s += 2) {
        int arm = s < 0 ? armL : armR;
        k.Track(arm, {{0, R({1, 0, 0}, -1.6f)},
                      {ms(153), R({1, 0, 0}, -1.7f)},
                      {ms(340), R({1, 0, 0}, 0.4f * s)},
                      {ms(690), R({1, 0, 0}, -0.4f * s)},
                      {ms(1037), R({1, 0, 0}, 0.4f * s)},
                      {ms(1190), R({0, 0, 1}, 0.1f * s)},
                      {ms(1540), R({0, 0, 1}, 0.22f * s)},
                      {ms(1887), R({0, 0, 1}, 0.1f * s)},
                      {ms(1930), R({1, 0, 0}, 0.9f)},
                      {ms(1989), R({1, 0, 0}, 0.6f)}});
        int fore = s < 0 ? foreL : foreR;
        k.Track(fore, {{0, R({1, 0, 0}, -0.9f)},
                       {ms(340), R({1, 0, 0}, -0.3f)},
                       {ms(1190), R({1, 0, 0}, -0.4f)},
                       {ms(1540), R({1, 0, 0}, -0.6f)},
                       {ms(1887), R({1, 0, 0}, -0.4f)},
                       {ms(1989), R({1, 0, 0}, -1.0f)}});
        int leg = s < 0 ? legL : legR;
        k.Track(leg, {{0, R({1, 0, 0}, 0.0f)},
                      {ms(340), R({1, 0, 0}, 0.3f * s)},
                      {ms(690), R({1, 0, 0}, -0.3f * s)},
                      {ms(1037), R({1, 0, 0}, 0.3f * s)},
                      {ms(1190), R({1, 0, 0}, 0)},
                      {ms(1989), R({1, 0, 0}, 0)}});
    }
    k.Track(chest, {{0, R({1, 0, 0}, -0.25f)},
                    {ms(340), R({0, 1, 0}, 0.1f)},
                    {ms(1037), R({0, 1, 0}, -0.1f)},
                    {ms(1190), R({1, 0, 0}, 0.02f)},
                    {ms(1540), R({1, 0, 0}, -0.04f)},
                    {ms(1887), R({1, 0, 0}, 0.02f)},
                    {ms(1930), R({1, 0, 0}, 0.3f)},
                    {ms(1989), R({1, 0, 0}, 0.15f)}});
    k.Swing(head, {0, 1, 0}, 0.3f, 220);
    k.Hold(hips);
    k.Write(out);
}

void Crystal(Output& out) {
    Kit k(
        "xfile/crystal/ruin_crystal.x", 2026,
        {Rgb(0x6AC8FF), Rgb(0xC080FF), Rgb(0x1A2A6A), Rgb(0xE0F8FF), Rgb(0x9AF0FF), Rgb(0xFF80E0)});
    int core = k.Node(0, "core");
    k.Build(core, kGlow).At(Mat4::RotationX(-kPi / 2)).Lathe({{0, 0}, {25, 14}, {60, 0}}, 6);
    int shards = k.Node(core, "shards", Mat4::Translation(0, 25, 0));
    Rng r(26);
    for (int i = 0; i < 7; ++i) {
        float a = 2 * kPi * i / 7;
        k.Build(shards, i % 2 ? kMain : kSecond)
            .At(Mat4::RotationX(-kPi / 2) * Mat4::RotationZ(0.5f) * Mat4::RotationY(a) *
                Mat4::Translation(std::cos(a) * 18, -10, std::sin(a) * 18))
            .Lathe({{0, 0}, {8, 5}, {r.Range(22, 34), 0}}, 5);
    }
    k.Spin(shards, {0, 1, 0}, 200);
    k.Pulse(core, 0.08f, 40);
    k.Write(out);
}

// The stage 6-3 boss: a sky galleon, drawn at 0.24 of the model's units, so the builders
// below work in world units. It rides the rail 10 units under it (16 under the camera's eye,
// which overtakes its wreck where it was shot down), so it keeps low: its crew walks its deck
// 12.5 units over the galleon's origin, the three missile tubes open at its stern 42 to 47
// units behind the origin, 0 to 10 units down, and nothing rises more than a few units over
// the deck.
void Airship(Output& out) {
    Kit k(
        "xfile/bossR01/boss01_r.x", 2027,
        {Rgb(0xC84A3A), Rgb(0xF0E6D0), Rgb(0x3A2A22), Rgb(0xE0D8C8), Rgb(0xFFC060), Rgb(0xF2C14E)});
    const float s = 1 / 0.24f;
    const Mat4 world = Mat4::Scaling(s, s, s);
    int hull = k.Node(0, "hull");
    {
        MeshBuilder b = k.Build(hull, kMain);
        b.At(world).Loft(
            {{-50, 5, 5, 2}, {-36, 7, 8, 3}, {0, 7.5f, 8.5f, 3}, {14, 6, 7, 4}, {22, 1, 1, 7}}, 16);
        b.Uv(k.Region(kSecond)).At(world).Box({0, 11.75f, -13}, {13, 1.5f, 54});
        b.Uv(k.Region(kGold));
        for (float x : {-6.5f, 6.5f}) b.Box({x, 13.3f, -13}, {0.8f, 1.6f, 54});
        b.Box({0, 4, -13}, {15.5f, 1.5f, 66});
        // The stern cabin and the keel.
        b.Uv(k.Region(kLight)).Box({0, 14, -34}, {10, 3, 9});
        b.Uv(k.Region(kGlass)).Box({0, 14.2f, -29.4f}, {8, 1.6f, 0.4f});
        b.Uv(k.Region(kDark)).Box({0, -8, -24}, {1.6f, 8, 30});
    }
    // The missile tubes at the stern, their mouths at the launch points.
    int tubes = k.Node(hull, "tubes");
    {
        MeshBuilder b = k.Build(tubes, kDark);
        const V3 mouths[3] = {{0, 0, -47}, {0, -5, -45}, {0, -10, -42}};
        for (const V3& m : mouths) {
            b.At(Mat4::Translation(m.x, m.y, m.z) * world).Cylinder(1.6f, 14, 8);
            b.Uv(k.Region(kGlow))
                .At(Mat4::Translation(m.x, m.y, m.z - 0.2f) * world)
                .Cylinder(1.1f, 0.3f, 8);
            b.Uv(k.Region(kDark));
        }
    }
    // Stub wings with a propeller at each tip, turning behind the galleon.
    int props[2];
    for (int i = 0; i < 2; ++i) {
        float side = i ? 1.0f : -1.0f;
        int wing = k.Node(hull, "wing" + std::to_string(i),
                          Mat4::Translation(side * 7 * s, 5 * s, -6 * s));
        MeshBuilder b = k.Build(wing, kSecond);
        b.At(Mat4::Translation(side * 6, 0, 0) * world).Box({0, 0, 0}, {12, 1.2f, 8});
        b.Uv(k.Region(kDark))
            .At(Mat4::Translation(side * 12, 0, -6) * world)
            .Loft({{-3, 1.6f, 1.6f, 0}, {5, 2, 2, 0}, {8, 1, 1, 0}}, 8);
        props[i] = k.Node(wing, "prop" + std::to_string(i),
                          Mat4::Translation(side * 12 * s, 0, -9.5f * s));
        MeshBuilder p = k.Build(props[i], kWood);
        p.At(world);
        Propeller(p, 5, 3, 0.8f);
    }
    for (int i = 0; i < 2; ++i) k.Spin(props[i], {0, 0, i ? 1.0f : -1.0f}, 5);
    k.Hold(tubes);
    k.Write(out);
}

// The rival's fighter: craft 3's shape in black and magenta.
void Phantom(Output& out) {
    Kit k("xfile/phantom3/phantom3.x", 2046, CraftPalette(3));
    int body = k.Node(0, "body");
    {
        MeshBuilder b = k.Build(body, kMain);
        Fuselage(b, -22, 24, 4.5f, 4, -2);
        b.Uv(k.Region(kSecond)).At(Mat4::Translation(3, -2, 4));
        b.Wing(20, 10, -10, -14, -18, 2, -0.06f);
        b.At(Mat4::Scaling(-1, 1, 1) * Mat4::Translation(-3, -2, 4));
        b.Wing(20, 10, -10, -14, -18, 2, -0.06f);
        b.Uv(k.Region(kStripe)).At(Mat4::Translation(0, -1, -16));
        b.Box({0, 5, 0}, {1, 10, 8});
    }
    int canards = k.Node(body, "canards", Mat4::Translation(0, -1, 14));
    k.Build(canards, kStripe).Box({0, 0, 0}, {16, 0.8f, 4});
    int glow = k.Node(body, "engines", Mat4::Translation(0, -2, -23));
    k.Build(glow, kGlow).Lathe({{0, 2.6f}, {-7, 0.3f}}, 8);
    k.Pulse(glow, 0.3f, 4);
    k.Swing(canards, {1, 0, 0}, 0.2f, 50);
    k.Write(out);
}

// Parts of the battleship of stage 1-3 (scale 6.5): guns of five sizes, the fins, the screw.
void ShipGun(Output& out, const std::string& path, uint32_t seed, float size, int barrels,
             float len) {
    Turret(out, path, kNavy, seed, size, barrels, len, false);
}

void ShipFin(Output& out) {
    Kit k("xfile/bossS01/boss01s_hane.x", 2035, kNavy);
    int fin = k.Node(0, "fin");
    k.Build(fin, kMain).Wing(60, 14, -14, 6, -10, 6, 0.1f);
    int tip = k.Node(fin, "tip", Mat4::Translation(60, 6, -2));
    k.Build(tip, kGlow).Sphere({0, 0, 0}, 4, 4, 8);
    k.Swing(fin, {0, 0, 1}, 0.08f, 90);
    k.Pulse(tip, 0.3f, 16);
    k.Write(out);
}

void ShipScrew(Output& out) {
    Kit k("xfile/bossS01/boss01s_pera.x", 2036, kNavy);
    int hub = k.Node(0, "hub");
    k.Build(hub, kDark).Loft({{-10, 8, 8, 0}, {0, 12, 12, 0}, {8, 4, 4, 0}}, 10);
    int blades = k.Node(hub, "blades");
    MeshBuilder b = k.Build(blades, kGold);
    Propeller(b, 34, 4, 6);
    k.Spin(blades, {0, 0, 1}, 12);
    k.Write(out);
}

// ---------------------------------------------------------------- object meshes

// A plain mesh with its own texture (every subset textured), written with one frame.
void ObjectMesh(Output& out, const std::string& path, const std::string& tex, const Palette& pal,
                uint32_t seed,
                const std::function<void(MeshBuilder&, const std::function<Swatch(Sw)>&)>& build) {
    Kit kit(path, seed, pal, tex);
    Mesh mesh;
    MeshBuilder b(mesh);
    build(b, [&](Sw s) { return kit.Region(s); });
    Model m;
    Material mat;
    mat.name = "body";
    mat.diffuse = {1, 1, 1, 1};
    mat.texture = tex;
    m.materials = {mat};
    m.root.name = "Root";
    Frame f;
    f.name = "object";
    mesh.name = "object_mesh";
    f.meshes.push_back(mesh);
    m.root.children.push_back(f);
    out.AddText(path, WriteX(m));
    std::string folder = path.substr(0, path.rfind('/') + 1);
    AddBmp(out, folder + tex, kit.Texture(), BmpMode::Opaque, Place::VolumeArchive);
}

void Objects(Output& out) {
    ObjectMesh(out, "xfile/misairu/misairu.x", "misairu.bmp", kNavy, 3001,
               [](MeshBuilder& b, auto sw) {
                   b.Uv(sw(kLight)).Loft({{-20, 3, 3, 0}, {14, 3, 3, 0}, {22, 0.2f, 0.2f, 0}}, 10);
                   b.Uv(sw(kRed));
                   for (int i = 0; i < 4; ++i)
                       b.At(Mat4::RotationZ(i * kPi / 2)).Box({0, 5, -16}, {0.8f, 6, 6});
                   b.Uv(sw(kGlow)).At(Mat4{}).Lathe({{-20, 2.5f}, {-26, 0.3f}}, 8);
               });
    ObjectMesh(
        out, "xfile/kabocha/kabocha.x", "kabocha.bmp",
        {Rgb(0xF08A1E), Rgb(0x4F8A2A), Rgb(0x3A1400), Rgb(0xFFC04A), Rgb(0xFFE060), Rgb(0xD4620E)},
        3002, [](MeshBuilder& b, auto sw) {
            b.Uv(sw(kMain));
            for (int i = 0; i < 6; ++i) {
                float a = i * kPi / 3;
                b.Sphere({std::cos(a) * 7, 0, std::sin(a) * 7}, 13, 6, 10, {0.9f, 0.9f, 0.9f});
            }
            b.Uv(sw(kSecond)).At(Mat4::RotationX(-kPi / 2)).Cylinder(2.5f, 18, 6);
            b.Uv(sw(kBlack)).At(Mat4{}).Box({-6, 3, 18}, {5, 4, 3});
            b.Box({6, 3, 18}, {5, 4, 3});
            b.Box({0, -6, 18}, {12, 3, 3});
        });
    ObjectMesh(out, "xfile/vecter/vecter_option.x", "option.bmp", kEscort, 3003,
               [](MeshBuilder& b, auto sw) {
                   b.Uv(sw(kGlow)).Sphere({0, 0, 0}, 10, 8, 12);
                   b.Uv(sw(kSecond)).At(Mat4::RotationX(kPi / 2)).Torus(14, 2.5f, 20, 6);
               });
    ObjectMesh(out, "xfile/vecter/vecter_cannon.x", "cannon.bmp", kArmy, 3004,
               [](MeshBuilder& b, auto sw) {
                   b.Uv(sw(kMain)).Sphere({0, 0, 0}, 12, 6, 10, {1, 0.8f, 1.2f});
                   b.Uv(sw(kDark)).At(Mat4::Translation(0, 0, 8)).Cylinder(4, 22, 8);
                   b.Uv(sw(kGlow)).At(Mat4::Translation(0, 0, 30)).Cylinder(4.5f, 2, 8);
               });
    ObjectMesh(out, "xfile/drill/drill.x", "drill.bmp", kArmy, 3005, [](MeshBuilder& b, auto sw) {
        b.Uv(sw(kLight)).Lathe({{0, 12}, {10, 10}, {40, 0}}, 8);
        b.Uv(sw(kGold)).Lathe({{-12, 9}, {0, 12}}, 8);
        b.Uv(sw(kDark));
        for (int i = 0; i < 3; ++i)
            b.At(Mat4::RotationZ(i * 2 * kPi / 3)).Box({8, 0, 14}, {3, 2, 20});
    });
    ObjectMesh(out, "xfile/glider/glider.x", "glider.bmp", kEscort, 3006,
               [](MeshBuilder& b, auto sw) {
                   b.Uv(sw(kMain)).Lathe({{-20, 12}, {10, 10}, {24, 0}}, 3);
                   b.Uv(sw(kStripe)).At(Mat4::Translation(0, 0, -20)).Lathe({{0, 8}, {-6, 0}}, 3);
               });
}

}  // namespace

Kit CraftKit(int craft) {
    switch (craft) {
        case 1:
            return Craft1Kit();
        case 2:
            return Craft2Kit();
        case 3:
            return Craft3Kit();
        default:
            return Craft0Kit();
    }
}

Kit MinionFighterKit() {
    return FighterKit("xfile/zako/fighterA_ani.x", kMinion, 4000, 0, 1.0f, "");
}

void AddModelJobs(std::vector<Job>& jobs) {
    jobs.push_back({"craft0.x", Craft0});
    jobs.push_back({"craft1.x", Craft1});
    jobs.push_back({"craft2.x", Craft2});
    jobs.push_back({"craft3.x", Craft3});
    jobs.push_back(
        {"fighters", [](Output& o) {
             Fighter(o, "xfile/zako/fighterA_ani.x", kMinion, 4000, 0, 1.0f);
             Fighter(o, "xfile/zako/fighterD_ani.x", kMinion, 4001, 1, 1.1f);
             Fighter(o, "xfile/zako/escort_A.x", kEscort, 4008, 2, 1.1f);
             Fighter(o, "xfile/zako/escort_B.x", kEscort, 4009, 0, 1.0f);
             Fighter(o, "xfile/fortress/guardian_a.x", kGuardian, 4014, 2, 1.0f, "guard_a.bmp");
             Fighter(o, "xfile/fortress/guardian_b.x", kGuardian, 4015, 1, 1.0f, "guard_b.bmp");
             Fighter(o, "xfile/fortress/guardian_c.x", kGuardian, 4016, 0, 1.3f, "guard_c.bmp");
             Gunship(o, "xfile/zako/gunshipA_ani.x", kMinion, 4002, false);
             Gunship(o, "xfile/zako/gunshipC_ani.x", kMinion, 4003, true);
         }});
    jobs.push_back({"turrets", [](Output& o) {
                        Turret(o, "xfile/cannonS/cannonS.x", kArmy, 4004, 5.0f, 1, 14, true);
                        Tank(o);
                        Turret(o, "xfile/store/l_houdai.x", kArmy, 4006, 1.6f, 2, 14, false);
                        Turret(o, "xfile/store/s_houdai.x", kArmy, 4007, 1.0f, 1, 12, true);
                        Turret(o, "xfile/fortress/mobu_s_houdai.x", kGuardian, 4028, 1.2f, 2, 12,
                               true);
                        ShipGun(o, "xfile/bossS01/boss01s_xl_houdai.x", 4030, 3.0f, 3, 40);
                        ShipGun(o, "xfile/bossS01/boss01s_l_houdai.x", 4031, 2.2f, 2, 18);
                        ShipGun(o, "xfile/bossS01/boss01s_m_houdai.x", 4032, 1.7f, 2, 14);
                        ShipGun(o, "xfile/bossS01/boss01s_s_houdai.x", 4033, 1.2f, 1, 12);
                        ShipGun(o, "xfile/bossS01/boss01s_ss_houdai.x", 4034, 0.9f, 1, 10);
                        ShipFin(o);
                        ShipScrew(o);
                    }});
    // The train's guns are sized for their places on the cars: base radii of 3.4 to 8 units
    // as drawn.
    jobs.push_back({"train", [](Output& o) {
                        for (int i = 0; i < 4; ++i)
                            TrainCar(o, "xfile/train/boss_train0" + std::to_string(i + 1) + ".x",
                                     4020 + i, i);
                        Turret(o, "xfile/train/train_gun_ballon2.x", kTrain, 4037, 0.6f, 1, 10,
                               true, "gun_bal2.bmp");
                        Turret(o, "xfile/train/train_gun_ballon.x", kTrain, 4038, 0.6f, 2, 10, true,
                               "gun_bal.bmp");
                        Turret(o, "xfile/train/train_gun_big2.x", kTrain, 4039, 0.78f, 2, 22, false,
                               "gun_big2.bmp");
                        Turret(o, "xfile/train/train_gun_big.x", kTrain, 4040, 0.78f, 1, 26, false,
                               "gun_big.bmp");
                        Turret(o, "xfile/train/train_gun_box.x", kTrain, 4041, 0.78f, 3, 12, false,
                               "gun_box.bmp");
                        Turret(o, "xfile/train/train_gun_lage.x", kTrain, 4042, 0.66f, 2, 18, false,
                               "gun_lage.bmp");
                        Turret(o, "xfile/train/train_gun_mid.x", kTrain, 4043, 0.56f, 2, 14, true,
                               "gun_mid.bmp");
                        Turret(o, "xfile/train/train_gun_small.x", kTrain, 4044, 0.38f, 1, 12, true,
                               "gun_smal.bmp");
                        Container(o);
                    }});
    jobs.push_back({"structures", [](Output& o) {
                        StarBulwark(o);
                        Connector(o);
                        CombatCore(o);
                        Crank(o);
                        FortressCore(o);
                        Crystal(o);
                    }});
    jobs.push_back({"boss05_silver.x", [](Output& o) {
                        Giant(o, "xfile/boss05/boss05_silver.x",
                              {Rgb(0xC8D0DC), Rgb(0x3A5A9A), Rgb(0x2A2E38), Rgb(0xE8ECF4),
                               Rgb(0x60D0FF), Rgb(0x3A8AE0)},
                              2024);
                    }});
    jobs.push_back({"boss05_gold.x", [](Output& o) {
                        Giant(o, "xfile/boss05/boss05_gold.x",
                              {Rgb(0xE0B040), Rgb(0xA02A2A), Rgb(0x3A2A14), Rgb(0xFFF0C0),
                               Rgb(0xFF6A30), Rgb(0xC02A2A)},
                              2025);
                    }});
    jobs.push_back({"boss01_r.x phantom3.x", [](Output& o) {
                        Airship(o);
                        Phantom(o);
                    }});
    jobs.push_back({"objects", Objects});
}

}  // namespace mk
