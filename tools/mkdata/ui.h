// Shared look of the game's menus and panels: plates, frames, text styles, the item and
// weapon icons, the turning emblem and flat drawings of the four crafts.
#pragma once

#include <string>

#include "tools/mkdata/image.h"
#include "tools/mkdata/layout.h"
#include "tools/mkdata/text.h"

namespace mk {

// The menu palette.
namespace pal {
inline const Color kNavy = Rgb(0x0E1B3D);
inline const Color kDeep = Rgb(0x142C63);
inline const Color kBlue = Rgb(0x2D63C8);
inline const Color kSky = Rgb(0x7FC8FF);
inline const Color kGold = Rgb(0xF2C14E);
inline const Color kAmber = Rgb(0xE08A1E);
inline const Color kCream = Rgb(0xFFF4D6);
inline const Color kWhite = Rgb(0xFFFFFF);
inline const Color kInk = Rgb(0x0A0F24);
inline const Color kRed = Rgb(0xE0443A);
inline const Color kGreen = Rgb(0x55C46A);
}  // namespace pal

// Bold menu text: a vertical gradient with a dark outline.
TextStyle MenuText(float size, Color top = pal::kWhite, Color bottom = pal::kSky,
                   Color outline = pal::kInk, float outlineWidth = 0);
// Heavy caption text in gold.
TextStyle GoldText(float size);
// Text for a 2D picture drawn on a dark plate (no outline).
TextStyle PlainText(float size, Color c);

// A rounded plate with a gradient body, a light rim and a soft inner gloss.
void Plate(Image& img, float x, float y, float w, float h, float radius, Color top, Color bottom,
           Color rim, float rimWidth = 2, float alpha = 1);
// The plate that the game's text font is drawn on: the text is dark brown, so the body is
// near white (a plate the scene draws translucent must still read light over what lies
// under it).
void TextPlate(Image& img, float x, float y, float w, float h, float radius, Color rim,
               float rimWidth = 3);
// The plate of the game's menus (deep blue with a gold rim).
void MenuPlate(Image& img, float x, float y, float w, float h, float alpha = 0.92f);
// A thin horizontal bar that fades at both ends.
void GlowBar(Image& img, float x, float y, float w, float h, Color c);
// A pointing hand (the menu cursor), pointing right, in a size x size box.
void DrawHand(Image& img, float x, float y, float size);
// The turning emblem: a round compass rose in a square box.
void DrawEmblem(Image& img, float cx, float cy, float r, Color main, Color accent);

// Icons of the shop items and sub-weapons, centred, `size` across. Ids 0..10 weapons,
// 11 the random choice in the weapon select, 12..15 boosts, 16 credit, 17..20 unlocks,
// 21 one more starting credit.
enum IconId {
    kIconRandom = 11,
    kIconEngine = 12,
    kIconGun = 13,
    kIconCooling = 14,
    kIconReflect = 15,
    kIconCredit = 16,
    kIconCraft2 = 17,
    kIconCraft3 = 18,
    kIconExtra = 19,
    kIconStaff = 20,
    kIconStartCredit = 21,
};
void DrawIcon(Image& img, int id, float cx, float cy, float size);
// A shield in a 64-texel cell at (x, y), scaled by k: a flat top, short straight sides,
// then straight edges narrowing to a rounded point at the bottom middle. `in` insets the
// outline (a negative `in` widens it), the shield scaled about its middle.
Path ShieldPath(float x, float y, float k, float in);
// A weapon's icon as an emblem on a shield, in the 64-texel cell at (x, y) scaled by k: the
// shield narrows below its middle, leaving the cell's lower corners and bottom rows clear.
void DrawWeaponEmblem(Image& img, int id, float x, float y, float k);
// The name of a shop item or weapon.
std::string ItemName(int id);

// Flat drawings of the crafts: seen from above (nose up) and from the side (nose right).
void DrawCraftTop(Image& img, int craft, float cx, float cy, float size, float angle = 0,
                  float alpha = 1, bool silhouette = false, Color silhouetteColor = {});
void DrawCraftSide(Image& img, int craft, float cx, float cy, float size, float alpha = 1);
// The bounds of a craft drawn from above, its outline included (not its shadow).
TexelBox CraftTopBox(int craft, float cx, float cy, float size, float angle = 0);
// The craft colours: main, second, trim.
Color CraftColor(int craft, int which);
std::string CraftName(int craft);

}  // namespace mk
