// The camera-path reader: block order, the look-at flag, exact block lines, comments, the
// counts of the blocks kept apart, the tables' limits and the missing file.
#include "engine/stagefiles/camera_path.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/models/scratch_folder.h"

namespace {

std::string RotationKeys(int count, float first) {
    std::string s = "  AnimationKey {\n   0;\n   " + std::to_string(count) + ";\n";
    for (int i = 0; i < count; ++i) {
        s += "   " + std::to_string(i * 160) + ";4;" + std::to_string(first + i) +
             ",0.100000,0.200000,0.300000;;" + (i + 1 < count ? ",\n" : ";\n");
    }
    return s + "  }\n";
}

std::string PositionKeys(int type, int count, float base) {
    std::string s =
        "  AnimationKey {\n   " + std::to_string(type) + ";\n   " + std::to_string(count) + ";\n";
    for (int i = 0; i < count; ++i) {
        s += "   " + std::to_string(i * 160) + ";3;" + std::to_string(base + i) + "," +
             std::to_string(base + 2 * i) + ",-" + std::to_string(base) + ";;" +
             (i + 1 < count ? ",\n" : ";\n");
    }
    return s + "  }\n";
}

std::string CameraOnly(int rotations, int positions) {
    return "xof 0302txt 0032\nAnimationSet {\n Animation {\n  {Camera}\n" +
           RotationKeys(rotations, 1.0f) + PositionKeys(1, 2, 1.0f) +
           PositionKeys(2, positions, 10.0f) + " }\n}\n";
}

std::string WithTarget(int positions, int targets) {
    return "xof 0302txt 0032\nAnimationSet {\n Animation {\n  {Camera}\n" +
           RotationKeys(positions, 1.0f) + PositionKeys(1, 2, 1.0f) +
           PositionKeys(2, positions, 10.0f) + " }\n Animation {\n  {Target}\n" +
           RotationKeys(3, 50.0f) + PositionKeys(1, 3, 60.0f) + PositionKeys(2, targets, 500.0f) +
           " }\n}\n";
}

void ReadText(const std::string& text, int slot) {
    ReadAnimationKeys(text.data(), text.size(), slot);
}

TEST(CameraPathReader, ThreeBlocksGiveRotationAndCameraKeys) {
    ReadText(CameraOnly(4, 4), 0);
    EXPECT_EQ(gCameraRail.lookAt, 0);
    EXPECT_EQ(gCameraRail.keyCount[0], 4);
    EXPECT_FLOAT_EQ(gCameraRail.rotationKeys[0][2][0], 3.0f);
    EXPECT_FLOAT_EQ(gCameraRail.rotationKeys[0][2][3], 0.3f);
    EXPECT_FLOAT_EQ(gCameraRail.cameraPath[0][3].x, 13.0f);
    EXPECT_FLOAT_EQ(gCameraRail.cameraPath[0][3].y, 16.0f);
    EXPECT_FLOAT_EQ(gCameraRail.cameraPath[0][3].z, -10.0f);
    // The second block (scale keys) is not stored anywhere.
    EXPECT_FLOAT_EQ(gCameraRail.cameraPath[0][0].x, 10.0f);
}

TEST(CameraPathReader, SixBlocksGiveTheTargetAndTheLookAtFlag) {
    ReadText(WithTarget(5, 5), 1);
    EXPECT_EQ(gCameraRail.lookAt, 1);
    EXPECT_EQ(gCameraRail.keyCount[0], 5);
    EXPECT_FLOAT_EQ(gCameraRail.targetPath[1][4].x, 504.0f);
    // The fourth and fifth blocks are not stored.
    EXPECT_FLOAT_EQ(gCameraRail.rotationKeys[1][0][0], 1.0f);
    EXPECT_FLOAT_EQ(gCameraRail.cameraPath[1][0].x, 10.0f);

    // One flag for both slots: reading slot 0 afterwards clears and re-sets it.
    ReadText(CameraOnly(3, 3), 0);
    EXPECT_EQ(gCameraRail.lookAt, 0);
    EXPECT_FLOAT_EQ(gCameraRail.targetPath[1][4].x, 504.0f);
}

TEST(CameraPathReader, BlockLinesMustMatchExactlyAndCommentsAreSkipped) {
    std::string text =
        "xof 0302txt 0032\n"
        "   AnimationKey {\n"  // three blanks: not a block
        "   0;\n"
        "  AnimationKey {\n"
        "   0;\n"
        "   2;\n"
        "   0;4;1.0,2.0,3.0,4.0;;,\n"
        "// a comment inside the list\n"
        "   160;4;5.0,6.0,7.0,8.0;;;\n"
        "  }  \n"
        "  AnimationKey {\n"
        "  }\n"
        "  AnimationKey {\n"
        "   2;\n"
        "   2;\r\n"
        "   0;3;1.5,2.5,3.5;;,\r\n"
        "   160;3;4.5,5.5,6.5;;;\r\n"
        "  }\r\n";
    ReadText(text, 0);
    EXPECT_EQ(gCameraRail.keyCount[0], 2);
    EXPECT_EQ(LastCameraPathCounts().rotation, 2);
    EXPECT_FLOAT_EQ(gCameraRail.rotationKeys[0][1][0], 5.0f);
    EXPECT_FLOAT_EQ(gCameraRail.rotationKeys[0][1][3], 8.0f);
    EXPECT_FLOAT_EQ(gCameraRail.cameraPath[0][1].z, 6.5f);
}

TEST(CameraPathReader, BlockCountsAreKeptApartAndTheSmallestIsUsed) {
    ReadText(CameraOnly(3, 6), 0);
    EXPECT_EQ(LastCameraPathCounts().rotation, 3);
    EXPECT_EQ(LastCameraPathCounts().camera, 6);
    EXPECT_EQ(gCameraRail.keyCount[0], 3);

    ReadText(WithTarget(6, 2), 0);
    EXPECT_EQ(LastCameraPathCounts().target, 2);
    EXPECT_EQ(gCameraRail.keyCount[0], 2);

    // A file that ends before its camera block has no usable keys.
    std::string text = "xof 0302txt 0032\n" + RotationKeys(3, 1.0f);
    ReadText(text, 0);
    EXPECT_EQ(gCameraRail.keyCount[0], 0);

    // Key lines without their separators are not keys.
    text = "  AnimationKey {\n   0;\n   2;\n   0;4;1,2,3,4;;,\n   garbage\n  }\n" +
           PositionKeys(1, 1, 0.0f) + PositionKeys(2, 1, 0.0f);
    ReadText(text, 0);
    EXPECT_EQ(LastCameraPathCounts().rotation, 1);
    EXPECT_EQ(gCameraRail.keyCount[0], 1);
}

TEST(CameraPathReader, ALookedAtFrameWithoutPositionKeysLeavesTheCameraKeys) {
    const std::string camera = "xof 0302txt 0032\nAnimationSet {\n Animation {\n  {Camera}\n" +
                               RotationKeys(4, 1.0f) + PositionKeys(1, 2, 1.0f) +
                               PositionKeys(2, 4, 10.0f) + " }\n Animation {\n  {Target}\n";
    struct Case {
        const char* name;
        std::string blocks;  // of the looked-at frame
    };
    const Case cases[] = {
        {"only its rotation block", RotationKeys(3, 50.0f)},
        {"no position block", RotationKeys(3, 50.0f) + PositionKeys(1, 3, 60.0f)},
        {"an empty position block",
         RotationKeys(3, 50.0f) + PositionKeys(1, 3, 60.0f) + PositionKeys(2, 0, 500.0f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gCameraRail.keyCount[0] = 0;
        ReadText(camera + c.blocks + " }\n}\n", 1);
        EXPECT_EQ(gCameraRail.lookAt, 0);
        EXPECT_EQ(LastCameraPathCounts().camera, 4);
        EXPECT_EQ(LastCameraPathCounts().target, 0);
        EXPECT_EQ(gCameraRail.keyCount[0], 4);
        EXPECT_FLOAT_EQ(gCameraRail.cameraPath[1][3].x, 13.0f);
        EXPECT_FLOAT_EQ(gCameraRail.rotationKeys[1][3][0], 4.0f);
    }
    // With its position keys the looked-at frame is used.
    ReadText(camera + RotationKeys(3, 50.0f) + PositionKeys(1, 3, 60.0f) +
                 PositionKeys(2, 3, 500.0f) + " }\n}\n",
             1);
    EXPECT_EQ(gCameraRail.lookAt, 1);
    EXPECT_EQ(gCameraRail.keyCount[0], 3);
}

TEST(CameraPathReader, KeysBeyondTheTablesAreDropped) {
    std::string text = RotationKeys(kRailRotationKeys + 2, 0.0f) + PositionKeys(1, 1, 0.0f) +
                       PositionKeys(2, kRailPositionKeys + 5, 0.0f);
    ReadText(text, 1);
    EXPECT_EQ(LastCameraPathCounts().rotation, kRailRotationKeys);
    EXPECT_EQ(LastCameraPathCounts().camera, kRailPositionKeys);
    EXPECT_EQ(gCameraRail.keyCount[0], kRailRotationKeys);
    EXPECT_FLOAT_EQ(gCameraRail.cameraPath[1][kRailPositionKeys - 1].x, kRailPositionKeys - 1.0f);

    // Lines longer than the reader's line are cut, not overrun.
    std::string longLine =
        "  AnimationKey {\n   0;\n   1;\n   0;4;" + std::string(2000, '7') + ",1,2,3;;;\n  }\n";
    ReadText(longLine, 0);
}

TEST(CameraPathReader, AMissingFileEmptiesTheRail) {
    vqtest::ScratchFolder folder;
    folder.Write("xfile/stage1/camera.x", CameraOnly(4, 4));
    LoadAnimationKeys("xfile/stage1/camera.x", 0);
    EXPECT_EQ(gCameraRail.keyCount[0], 4);
    gCameraRail.lookAt = 1;
    testing::internal::CaptureStderr();
    LoadAnimationKeys("xfile/stage1/nothing.x", 0);
    std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("xfile/stage1/nothing.x"), std::string::npos);
    EXPECT_NE(shown.find("ファイルが見つかりません"), std::string::npos);
    EXPECT_EQ(gCameraRail.keyCount[0], 0);
    EXPECT_EQ(gCameraRail.lookAt, 0);
    // Slots outside 0..1 are not read.
    LoadAnimationKeys("xfile/stage1/camera.x", 2);
    EXPECT_EQ(gCameraRail.keyCount[0], 0);
}

}  // namespace
