// The fixture of the mesh and model tests: the two-dimensional drawing fixture (a recording
// counting null device installed as the game's device inside a scene, a headless main window
// for the message boxes, a temporary run folder as the current folder) with helpers that
// write model files and their textures.
#pragma once

#include <string>

#include "tests/models/scratch_folder.h"
#include "tests/support/pictures.h"
#include "tests/twod/twod_fixture.h"

namespace vqtest {

class ModelTest : public TwoDTest {
protected:
    // Writes a small BMP picture for a model's texture.
    static void WriteTexture(const std::string& path, uint32_t argb = 0xFF808080u) {
        ASSERT_TRUE(WriteFileBytes(path, EncodeBmp24(SolidPicture(4, 4, argb))));
    }

    // Writes a ".x" text file; the header is added.
    static void WriteModel(const std::string& path, const std::string& body) {
        ScratchFolder::Write(path, "xof 0302txt 0032\n" + body);
    }
};

}  // namespace vqtest
