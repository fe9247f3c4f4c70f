// The title (scene 0): the press-start screen with the attract movie, the main menu and
// its five sliding panels (player set-up, craft select, stage select, options, records),
// and every change of scene out of the title. The step owns TitleState; the drawing reads
// it.
#pragma once

#include <array>
#include <cstdint>

// Main menu items by code; the menu list holds the codes on offer in order.
enum class TitleMenuItem : int32_t {
    Story = 0,
    StagesInARow = 1,
    Practice = 2,
    Extra = 3,  // offered with getextra
    Shop = 4,
    Records = 5,
    StaffRoll = 6,  // offered with getstaff
    Options = 7,
    Exit = 8,
};
constexpr int kTitleMenuMax = 9;

// Where a panel is going: shown (slide runs to 0), or hidden to the left (slide runs to
// -10) or to the right (+10).
enum class PanelMode : int32_t { HideLeft = -1, Show = 0, HideRight = 1 };
constexpr int32_t kPanelSlideEnd = 10;

struct TitlePanel {
    PanelMode mode;
    int32_t slide;  // -10..10, in steps of 64 pixels
    int32_t open;   // 1 from reaching slide 0 until the slide reaches +-10 again
};

// A player's progress in the craft select.
enum class CraftChoice : int32_t {
    Craft = 0,  // choosing a craft
    Sense = 1,  // choosing the up/down sense
    Ready = 2,
};

struct TitlePlayerChoice {
    int32_t cursor;  // index into the craft list
    CraftChoice state;
    int32_t senseCounter;  // 0..8: the sense boxes slide in while the state is not Craft
    int32_t readyCounter;  // 0..16 while Ready
    int32_t upDownToggle;  // 0 normal, 1 reversed
};

constexpr int kCraftListMax = 4;
constexpr int32_t kTransitionTicks = 16;
// Idle ticks on the press-start screen: a cancel jumps to the first, the fade-out starts at
// the second, the attract movie at the third.
constexpr int32_t kIdleCancelTicks = 5020;
constexpr int32_t kIdleFadeTicks = 5023;
constexpr int32_t kIdleMovieTicks = 5040;
constexpr int32_t kPointsTotalCap = 999999999;

struct TitleState {
    int32_t pressStart;  // 1 while the press-start screen is shown
    // 0 at rest; 1..17 on the way to the menus, -1..-17 on the way back.
    int32_t transition;
    int32_t frameCounter;  // ticks since InitTitle
    float modelTurn;       // turns the stage-select emblem
    // main menu
    std::array<TitleMenuItem, kTitleMenuMax> menuItems;
    int32_t menuCount;
    int32_t menuCursor;
    int32_t menuLeaving;  // a shop or exit choice waits for its fade-out
    // the five panels
    TitlePanel setup, craftSelect, stageSelect, options, records;
    int32_t optionsCursor;  // 0 music level, 1 effect level, 2 exit
    int32_t recordsPage;    // 0 runs, 1 extra stage
    int32_t setupCursor;    // a PlayerSetup value
    std::array<int32_t, kCraftListMax> craftList;
    int32_t craftCount;
    std::array<TitlePlayerChoice, 2> players;
    int32_t selectionLeaving;  // the craft or stage choice is made and its fade-out runs
    // stage select: the stage is (row + page) x 3 + column
    int32_t stageColumn, stageRow, stagePage;
};

extern TitleState gTitleState;

// The two lines of the player set-up's text window by set-up cursor, and the four lines of
// the craft select's text window by craft (CP932).
extern const char* const kPlayerSetupTexts[3][2];
extern const char* const kCraftTexts[4][4];

// How the title enters the scenes it leads to besides play: each scene's own entry, which
// the scene table fills in; an empty one is skipped. The title writes the scene number and
// the run's fields first.
struct TitleExits {
    void (*startEvent)();                  // scene 5: the event player starts the event
    void (*openShop)(int32_t fromResult);  // scene 6, with 0: the title shop
    void (*initEnding)(int32_t variant);   // scene 3, with 0: the staff roll
};
extern TitleExits gTitleExits;

// Program-start values of the title's globals (the step's and the drawing's).
void ResetTitleGlobals();
// Folds the title's records into a running FNV-1a digest.
uint64_t DigestTitleGlobals(uint64_t digest);
// The drawing's share: the craft models' spin and light angle.
void ResetTitlePreview();

// Puts the title into its starting state on every entry, and banks the finished run's
// score into the points total.
void InitTitle();
// One tick of scene 0.
void UpdateTitle();
// One drawn frame of scene 0.
void DrawTitle();
// Scene 0's pictures (on the loader thread, at start-up and on a return to the title).
void LoadTitleScene();
// Opens the title on its main menu instead of the press-start screen (after the title shop).
void ShowTitleMenuImmediately();
// Crafts 0 and 1 always; 2 with getcraft2; 3 with getcraft3 unless the story was chosen.
void BuildCraftList();
// 1 while the press-start screen is shown.
int IsPressStartScreen();
// The main window's Esc on the title: true on the press-start screen (the program is to
// close); on the menus the title returns to the press-start screen and false.
bool OnTitleEscape();
// 1 while the craft-select or the stage-select panel is open.
int IsSelectPanelOpen();

// The item under the main menu's cursor.
TitleMenuItem ChosenMenuItem();
// The practice stage under the stage-select cursor.
int32_t ChosenPracticeStage();
// Whether a practice stage can be started: in the stage index and not above the highest
// cleared stage.
bool IsPracticeStageOpen(int32_t stage);
// The craft number at a craft-list index, the index brought into the list.
int32_t CraftAtListIndex(int32_t index);
