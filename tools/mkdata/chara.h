// The game's characters drawn from shapes: the four pilots and the story's cast in a
// round-headed style, turnable in eight directions, plus the small mascot creatures.
#pragma once

#include "tools/mkdata/image.h"
#include "tools/mkdata/layout.h"

namespace mk {

enum class Who {
    Kai,        // pilot of craft 0
    Mira,       // pilot of craft 1
    Gant,       // pilot of craft 2, the partner
    Zeno,       // pilot of craft 3, the rival
    Professor,  // the workshop's old engineer
    Commander,  // the leader of the enemy fleet
    Villager1,
    Villager2,
    Villager3,
    Villager4,
    Villager5,
};

enum class Expr { Normal, Smile, Grin, Angry, Surprised, Sad, Determined, Wink, Shout };

struct Pose {
    // Turn of the body: 0 faces the viewer, kPi/2 shows the left profile (facing the
    // viewer's left), kPi shows the back.
    float turn = 0;
    Expr expr = Expr::Normal;
    int frame = 0;    // 0..2: hair, scarf and arm phase
    float lean = 0;   // forward (+) or backward (-) lean of the upper body, radians
    float wave = 0;   // raises the right arm (0..1)
    float cheer = 0;  // raises both arms (0..1)
    bool walking = false;
};

// Draws a whole figure standing on (cx, footY), `height` pixels tall.
void DrawCharacter(Image& img, Who who, float cx, float footY, float height, const Pose& pose);
// The face (the head's skin) of that figure.
TexelBox CharacterFaceBox(float cx, float footY, float height, const Pose& pose);

// The mascot imps that ride the enemy fighters and swarm the airship boss.
void DrawMascot(Image& img, float cx, float footY, float height, float turn, int frame,
                bool walking);

// The shop's keeper: a small dragon merchant, drawn from the waist up.
void DrawShopkeeper(Image& img, float cx, float footY, float height, int pose);
// The keeper's head (without the cap and horns).
TexelBox ShopkeeperFaceBox(float cx, float footY, float height, int pose);

}  // namespace mk
