// The enemy design table: model, score, hit points and attachment points of every type.
#include "play/enemies/enemy_pool.h"

namespace {

using gfx::Vec3;
using Points = std::array<Vec3, kEnemyPointCount>;

constexpr DeathKind kStrike = DeathKind::FallAndStrike;
constexpr DeathKind kFall = DeathKind::Fall;
constexpr DeathKind kBounce = DeathKind::FallAndBounce;
constexpr DeathKind kBurst = DeathKind::Burst;

// A type with one attachment point, at its centre.
constexpr EnemyType One(int32_t model, int32_t score, int32_t hp, Vec3 centre, float scale,
                        float shadowW, float shadowD, float radius, int32_t shake,
                        int32_t farVisible, int32_t shadowShape, DeathKind death) {
    return EnemyType{model,   score,   hp,     1,     centre,     Points{centre}, scale,
                     shadowW, shadowD, radius, shake, farVisible, shadowShape,    death};
}

constexpr EnemyType Many(int32_t model, int32_t score, int32_t hp, int32_t count, Vec3 centre,
                         Points points, float scale, float shadowW, float shadowD, float radius,
                         int32_t shake, int32_t farVisible, int32_t shadowShape, DeathKind death) {
    return EnemyType{model,   score,   hp,     count, centre,     points,      scale,
                     shadowW, shadowD, radius, shake, farVisible, shadowShape, death};
}

constexpr Vec3 kO{0, 0, 0};

// A stage-10 column part: model 11, 10000 points, the given hit points.
constexpr EnemyType ColumnPart(int32_t hp) {
    return One(11, 10000, hp, kO, 6.5f, 0, 0, 30, 1, 1, 0, kFall);
}

// A stage-8 part: one point at the centre, 1000 points.
constexpr EnemyType Stage8Part(int32_t model, int32_t hp, Vec3 centre, float scale) {
    return One(model, 1000, hp, centre, scale, 0, 0, 80, 1, 1, 0, kBounce);
}

// A stage-2 fortress part.
constexpr EnemyType Stage2Part(int32_t model, int32_t score, int32_t hp, Vec3 centre,
                               DeathKind death) {
    return One(model, score, hp, centre, 6.5f, 0, 0, 20, 1, 1, 0, death);
}

constexpr std::array<EnemyType, kEnemyTypeCount> MakeTable() {
    std::array<EnemyType, kEnemyTypeCount> t{};
    t[0] = One(0, 100, 10, kO, 1, 1, 1, 0, 0, 0, 0, kStrike);
    t[1] = One(1, 300, 3, kO, 1.3f, 1, 1, 0, 0, 0, 0, kStrike);
    t[2] = One(2, 500, 11, kO, 1.35f, 1, 1, 0, 0, 0, 0, kStrike);
    t[3] = One(3, 800, 11, kO, 1.25f, 1, 1, 0, 0, 0, 0, kStrike);
    t[4] =
        Many(4, 300, 5, 1, Vec3{0, 13, -30}, Points{Vec3{0, 13, 0}}, 1, 1, 1, 0, 1, 0, 2, kBurst);
    t[5] = One(5, 600, 10, Vec3{0, 5, 0}, 1, 1, 1, 0, 1, 0, 1, kBurst);
    t[6] = One(6, 600, 10, Vec3{0, 25, 0}, 6.5f, 1, 1, 0, 1, 0, 0, kBurst);
    t[7] = One(7, 300, 10, Vec3{0, 25, 0}, 6.5f, 1, 1, 0, 1, 0, 0, kBurst);
    t[8] = Many(20, 3000, 100, 3, Vec3{14, 10, -30},
                Points{Vec3{14, 10, -30}, Vec3{-14, 10, -30}, Vec3{0, 30, -30}}, 4, 4, 6, 10, 0, 1,
                1, kBounce);
    t[9] = Many(21, 3000, 100, 3, Vec3{14, 16, -30},
                Points{Vec3{14, 16, -30}, Vec3{-14, 16, -30}, Vec3{0, 30, -30}}, 4, 4, 6, 10, 0, 1,
                1, kBounce);
    t[10] =
        Many(22, 3000, 100, 4, Vec3{10, 15, -30},
             Points{Vec3{10, 15, -30}, Vec3{-10, 15, -30}, Vec3{10, 30, -20}, Vec3{-10, 30, -20}},
             4, 4, 6, 10, 0, 1, 1, kBounce);
    t[11] = Many(23, 3000, 100, 6, Vec3{14, 16, -30},
                 Points{Vec3{14, 16, -30}, Vec3{-14, 16, -30}, Vec3{14, 30, -20},
                        Vec3{-14, 30, -20}, Vec3{14, 45, -10}, Vec3{-14, 45, -10}},
                 4, 4, 6, 10, 0, 1, 1, kBounce);
    t[12] = Many(24, 10000, 400, 5, Vec3{0, 200, 0},
                 Points{Vec3{0, 200, 0}, Vec3{80, 200, 0}, Vec3{-80, 200, 0}, Vec3{50, 50, 0},
                        Vec3{-50, 50, 0}},
                 8, 1, 1, 100, 1, 1, 1, kStrike);
    t[13] = One(25, 20000, 1000, Vec3{0, 150, 0}, 6, 1, 1, 100, 1, 1, 1, kStrike);
    t[14] = Many(10, 3000, 280, 5, Vec3{0, 20, 20},
                 Points{Vec3{0, 20, 20}, Vec3{0, 20, -50}, Vec3{0, -30, -50}, Vec3{50, 20, -50},
                        Vec3{-50, 20, -50}},
                 6, 1, 1, 30, 1, 1, 0, kStrike);
    t[15] = One(26, 10000, 900, kO, 22, 1, 1, 100, 1, 0, 2, kFall);
    t[16] = One(27, 8000, 1000, Vec3{0, 10, 0}, 1.5f, 4, 6, 10, 1, 0, 0, kBounce);
    t[17] = One(28, 30000, 200, Vec3{0, 10, 0}, 6.5f, 1, 1, 20, 1, 1, 2, kFall);
    t[18] = One(29, 50000, 300, Vec3{0, 10, 0}, 6.5f, 1, 1, 20, 1, 1, 2, kFall);
    t[19] = Many(30, 3000, 300, 5, Vec3{0, 20, 0},
                 Points{Vec3{0, 20, 0}, Vec3{0, 40, -50}, Vec3{0, 40, -80}, Vec3{0, 40, -110},
                        Vec3{0, 40, -140}},
                 6.5f, 0, 0, 20, 1, 1, 0, kStrike);
    t[20] = Stage2Part(31, 2000, 90, Vec3{0, 25, 0}, kFall);
    t[21] = Stage2Part(32, 1000, 60, Vec3{0, 19, -35}, kBurst);
    t[22] = Stage2Part(33, 500, 10, Vec3{0, 0, -15}, kFall);
    t[23] = Stage2Part(34, 500, 20, Vec3{0, 0, -5}, kFall);
    t[24] = Stage2Part(35, 1000, 90, Vec3{30, 0, 0}, kFall);
    t[25] = Stage2Part(36, 1000, 60, kO, kFall);
    t[26] = Many(12, 3000, 120, 3, Vec3{0, 20, 0},
                 Points{Vec3{0, 20, 0}, Vec3{0, 50, 0}, Vec3{0, 80, 0}}, 6.5f, 0, 0, 80, 1, 1, 0,
                 kFall);
    t[27] = Many(13, 30000, 60, 2, Vec3{150, 0, 0}, Points{Vec3{150, 0, 0}, Vec3{-150, 0, 0}}, 6.5f,
                 0, 0, 180, 1, 1, 0, kFall);
    t[28] = ColumnPart(30);
    t[29] = ColumnPart(50);
    t[30] = ColumnPart(70);
    t[31] = ColumnPart(90);
    t[32] = ColumnPart(30);
    t[33] = ColumnPart(50);
    t[34] = ColumnPart(70);
    t[35] = ColumnPart(90);
    t[36] = ColumnPart(10);
    t[37] = ColumnPart(10);
    t[38] = One(8, 1000, 25, kO, 1.3f, 1, 1, 0, 0, 0, 0, kStrike);
    t[39] = One(9, 3000, 25, kO, 1.4f, 1, 1, 0, 0, 0, 0, kStrike);
    t[40] = Stage8Part(37, 40, Vec3{0, 10, 0}, 3.5f);
    t[41] = Stage8Part(38, 40, Vec3{0, 10, 0}, 3.5f);
    t[42] = Stage8Part(39, 300, Vec3{0, 10, 0}, 3.5f);
    t[43] = Stage8Part(40, 300, Vec3{0, 10, 0}, 3.5f);
    t[44] = Stage8Part(41, 300, Vec3{0, 10, 0}, 4);
    t[45] = Stage8Part(42, 60, Vec3{0, 10, -10}, 3.5f);
    t[46] = Stage8Part(43, 70, Vec3{0, 10, 0}, 3.5f);
    t[47] = Stage8Part(43, 70, Vec3{0, 10, 0}, 3.5f);
    t[48] = Stage8Part(44, 50, Vec3{0, 10, 0}, 3.5f);
    t[49] = Stage8Part(45, 60, Vec3{0, 20, 0}, 4.8f);
    t[50] = One(46, 10000, 100, kO, 1.56525f, 1, 1, 0, 0, 0, 0, kStrike);
    t[51] = One(46, 20000, 200, kO, 1.56525f, 1, 1, 0, 0, 0, 0, kStrike);
    t[52] = One(14, 1000, 10, kO, 1, 1, 1, 0, 0, 0, 0, kStrike);
    t[53] = One(15, 1000, 3, kO, 1, 1, 1, 0, 0, 0, 0, kStrike);
    t[54] = One(16, 10000, 256, kO, 3, 1, 1, 10, 0, 0, 0, kStrike);
    t[55] = One(-1, 10000, 500, kO, 3, 1, 1, 10, 0, 0, 2, kStrike);
    t[56] = One(-1, 1000, 10, kO, 1, 1, 1, 0, 0, 0, 2, kStrike);
    t[57] = One(-1, 1000, 10, kO, 1, 1, 1, 0, 0, 0, 2, kStrike);
    return t;
}

}  // namespace

const std::array<EnemyType, kEnemyTypeCount> gEnemyTypeTable = MakeTable();
