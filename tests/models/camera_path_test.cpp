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

CameraPathRead ReadText(const std::string& text, int slot) {
    return ReadAnimationKeys(text.data(), text.size(), slot);
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

// Lines the reader passes over: everything in and around the blocks it does not read (the
// second, fourth and fifth), closed on any column, with comments and blank lines, and lines
// of only blanks or tabs outside a key list. Each file gives the keys of its plain form.
TEST(CameraPathReader, LinesOutsideTheReadBlocksArePassedOver) {
    const std::string head = "xof 0302txt 0032\nAnimationSet {\n Animation {\n  {Camera}\n";
    const std::string target = " }\n Animation {\n  {Target}\n";
    const std::string rotation = RotationKeys(3, 1.0f), camera = PositionKeys(2, 3, 10.0f);
    const std::string scale = PositionKeys(1, 2, 1.0f), targetRotation = RotationKeys(3, 50.0f);
    const std::string targetScale = PositionKeys(1, 3, 60.0f);
    const std::string targetKeys = PositionKeys(2, 3, 500.0f) + " }\n}\n";
    // A block with its closing line "  }" replaced.
    auto closedBy = [](std::string block, const std::string& closing) {
        return block.replace(block.rfind("  }\n"), 4, closing);
    };
    struct Case {
        const char* name;
        std::string text;
        int32_t lookAt;
    };
    const Case cases[] = {
        {"second block closed at column 0", head + rotation + closedBy(scale, "}\n") + camera, 0},
        {"second block closed at column 4", head + rotation + closedBy(scale, "    }\n") + camera,
         0},
        {"second block closed after a tab", head + rotation + closedBy(scale, "\t}\n") + camera, 0},
        {"second block closed with a comment behind",
         head + rotation + closedBy(scale, "  } // scale\n") + camera, 0},
        {"a comment and a blank line before the second block's end",
         head + rotation + closedBy(scale, "// scale keys end\n\n  }\n") + camera, 0},
        {"a comment and blank lines after the second block",
         head + rotation + closedBy(scale, "  }\n// next: position\n\n\r\n") + camera, 0},
        {"the second block's end lost behind a comment",
         head + rotation + closedBy(scale, "// no end\n") + camera, 0},
        {"lines of blanks and tabs inside the second block",
         head + rotation + closedBy(scale, " \t \n\t\n  }\n") + camera, 0},
        {"lines of blanks and tabs between the blocks",
         " \t\n" + head + "  \n" + rotation + "\t\n" + scale + " \t \r\n" + camera + "   \n", 0},
        {"the fourth and fifth blocks closed on other columns",
         head + rotation + scale + camera + target + closedBy(targetRotation, "}\n") +
             closedBy(targetScale, "\t\t}\n") + targetKeys,
         1},
        {"comments and blank lines in the fourth and fifth blocks",
         head + rotation + scale + camera + target +
             closedBy(targetRotation, "// turn\n\n  }\n\n") +
             closedBy(targetScale, "  \t\n// size\n  }\n") + targetKeys,
         1},
        {"the file ends behind a fourth block closed on another column",
         head + rotation + scale + camera + target + closedBy(targetRotation, "   }\n") + " }\n}\n",
         0},
        {"the file ends behind a fifth block closed on another column",
         head + rotation + scale + camera + target + targetRotation +
             closedBy(targetScale, "}\n}\n"),
         0},
        {"lines of blanks and tabs around the looked-at frame's blocks",
         head + rotation + scale + camera + " \t\n" + target + "\t\n" + targetRotation + "  \n" +
             targetScale + " \n" + targetKeys + "\t \t",
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gCameraRail.keyCount[0] = 0;
        CameraPathRead read = ReadText(c.text, 0);
        EXPECT_EQ(read.damage, CameraPathDamage::None) << "line " << read.line;
        EXPECT_EQ(gCameraRail.lookAt, c.lookAt);
        EXPECT_EQ(gCameraRail.keyCount[0], 3);
        EXPECT_EQ(LastCameraPathCounts().rotation, 3);
        EXPECT_EQ(LastCameraPathCounts().camera, 3);
        EXPECT_FLOAT_EQ(gCameraRail.rotationKeys[0][2][0], 3.0f);
        EXPECT_FLOAT_EQ(gCameraRail.cameraPath[0][2].x, 12.0f);
        if (c.lookAt) {
            EXPECT_FLOAT_EQ(gCameraRail.targetPath[0][2].x, 502.0f);
        }
    }
}

TEST(CameraPathReader, BlockCountsAreKeptApartAndTheSmallestIsUsed) {
    ReadText(CameraOnly(3, 6), 0);
    EXPECT_EQ(LastCameraPathCounts().rotation, 3);
    EXPECT_EQ(LastCameraPathCounts().camera, 6);
    EXPECT_EQ(gCameraRail.keyCount[0], 3);

    ReadText(WithTarget(6, 2), 0);
    EXPECT_EQ(LastCameraPathCounts().target, 2);
    EXPECT_EQ(gCameraRail.keyCount[0], 2);
}

// Damage the reader finds: each case replaces one line of a sound file (or cuts it); the
// file is then read as a missing one, whatever was read before.
TEST(CameraPathReader, ADamagedFileIsToldAndKeepsNoKey) {
    const std::string camera = CameraOnly(3, 3);
    const std::string target = WithTarget(3, 3);
    auto replace = [](std::string text, const std::string& from, const std::string& to) {
        size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    // Lines of the files above: the rotation block's header is line 5, its count line 7, its
    // first key line 8 and its end line 11; the camera block's first key line is line 21.
    struct Case {
        const char* name;
        std::string text;
        CameraPathDamage damage;
        int32_t line;
    };
    const Case cases[] = {
        {"a rotation key with three values", replace(camera, "0;4;1.000000,", "0;3;"),
         CameraPathDamage::WrongValueCount, 8},
        {"a position key with four values",
         replace(camera, "0;3;10.000000,10.000000,", "0;4;1,10.000000,10.000000,"),
         CameraPathDamage::WrongValueCount, 21},
        {"a value count that is no number", replace(camera, "0;4;", "0;x;"),
         CameraPathDamage::UnreadableKey, 8},
        {"a key line without separators", replace(camera, "   0;4;", "   garbage"),
         CameraPathDamage::UnreadableKey, 8},
        {"a letter inside a value", replace(camera, "0.100000", "0.1x0000"),
         CameraPathDamage::UnreadableNumber, 8},
        {"a value missing", replace(camera, "0;4;1.000000,", "0;4;"),
         CameraPathDamage::UnreadableNumber, 8},
        {"a value beyond a float", replace(camera, "0.200000", "1e60"),
         CameraPathDamage::UnreadableNumber, 8},
        {"not a number", replace(camera, "0.300000", "nan"), CameraPathDamage::UnreadableNumber, 8},
        {"a count that is no number", replace(camera, "   0;\n   3;", "   0;\n   3x;"),
         CameraPathDamage::UnreadableCount, 7},
        {"more keys than the count says", replace(camera, "   0;\n   3;", "   0;\n   2;"),
         CameraPathDamage::KeyCountDiffers, 11},
        {"fewer keys than the count says", replace(camera, "   0;\n   3;", "   0;\n   4;"),
         CameraPathDamage::KeyCountDiffers, 11},
        {"a lost block end and header", replace(camera, ";;;\n  }\n  AnimationKey {\n", ";;;\n"),
         CameraPathDamage::UnreadableKey, 11},
        {"cut inside the second block, which is not read",
         camera.substr(0, camera.find("   160;3;")), CameraPathDamage::CutShort, 0},
        {"cut inside the camera block", camera.substr(0, camera.find("   160;3;11.000000")),
         CameraPathDamage::CutShort, 0},
        {"cut inside the looked-at frame's first block",
         target.substr(0, target.find("   0;4;50.000000")), CameraPathDamage::CutShort, 0},
        {"cut inside the looked-at frame's position block",
         target.substr(0, target.find("   160;3;501.000000")), CameraPathDamage::CutShort, 0},
        {"a file that ends before its camera block", RotationKeys(3, 1.0f),
         CameraPathDamage::NoCameraKeys, 0},
        {"an empty file", "", CameraPathDamage::NoCameraKeys, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadText(target, 1);
        ASSERT_EQ(gCameraRail.keyCount[0], 3);
        CameraPathRead read = ReadAnimationKeys(c.text.data(), c.text.size(), 1);
        EXPECT_EQ(read.damage, c.damage);
        if (c.line > 0) {
            EXPECT_EQ(read.line, c.line);
        }
        EXPECT_EQ(gCameraRail.keyCount[0], 0);
        EXPECT_EQ(gCameraRail.lookAt, 0);
        EXPECT_EQ(LastCameraPathCounts().rotation, 0);
        EXPECT_EQ(LastCameraPathCounts().camera, 0);
    }
    // Blanks around the values and separators are not damage.
    CameraPathRead read =
        ReadText(replace(camera, "0;4;1.000000,0.100000,", "0;4; 1.0 , 0.1 ,"), 0);
    EXPECT_EQ(read.damage, CameraPathDamage::None);
    EXPECT_FLOAT_EQ(gCameraRail.rotationKeys[0][0][1], 0.1f);
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

TEST(CameraPathReader, AMissingEmptyOrDamagedFileIsToldAndEmptiesTheRail) {
    vqtest::ScratchFolder folder;
    folder.Write("xfile/stage1/camera.x", CameraOnly(4, 4));
    folder.Write("xfile/stage1/empty.x", "");
    std::string damaged = CameraOnly(4, 4);
    damaged[damaged.find("0.200000")] = '\xFF';
    folder.Write("xfile/stage1/damaged.x", damaged);
    struct Case {
        const char* path;
        const char* told;  // the message's text
    };
    const Case cases[] = {
        {"xfile/stage1/nothing.x", "xfile/stage1/nothing.x\n"},
        {"xfile/stage1/empty.x", "xfile/stage1/empty.x\n"},
        {"xfile/stage1/damaged.x", "xfile/stage1/damaged.x (line 8: unreadable number)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        LoadAnimationKeys("xfile/stage1/camera.x", 0);
        EXPECT_EQ(gCameraRail.keyCount[0], 4);
        gCameraRail.lookAt = 1;
        testing::internal::CaptureStderr();
        LoadAnimationKeys(c.path, 0);
        std::string shown = testing::internal::GetCapturedStderr();
        EXPECT_EQ(shown, std::string("[ファイルが見つかりません] ") + c.told);
        EXPECT_EQ(gCameraRail.keyCount[0], 0);
        EXPECT_EQ(gCameraRail.lookAt, 0);
    }
    // Slots outside 0..1 are not read.
    LoadAnimationKeys("xfile/stage1/camera.x", 2);
    EXPECT_EQ(gCameraRail.keyCount[0], 0);
}

}  // namespace
