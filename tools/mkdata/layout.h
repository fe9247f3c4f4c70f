// Where the generator paints the parts of a picture that the scenes draw as a whole cell:
// the face inside a portrait's cell, the stage code inside a stage's picture. The tests of
// the screens' layout find those parts on the screen from here.
#pragma once

namespace mk {

// A rectangle of texels: left and top inclusive, right and bottom exclusive.
struct TexelBox {
    float left, top, right, bottom;
};

// The face (the head's skin, without hair) of face cell `face` of the story events' two
// sheets, in texels of its sheet: cells 0..11 are on the first sheet, 12 and up on the
// second. An empty box for a face number that names no cell.
TexelBox EventFaceBox(int face);

// The two crafts in flight on the title's press-start picture "bmp/title.bmp" (0 the blue,
// 1 the red one), in its texels.
TexelBox TitleCraftBox(int which);

// The face of craft `craft`'s pilot on the portrait sheet "bmp/selectchr.tga" (the ready
// pose when `ready`), in its texels.
TexelBox CraftPortraitFaceBox(int craft, bool ready);

// The stage code ("1-1") painted on stage `stage`'s picture, in texels of the practice
// sheet "bmp/pracss.bmp".
TexelBox StageCodeBox(int stage);

}  // namespace mk
