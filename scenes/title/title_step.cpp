// The title's step: the press-start screen and its attract movie, the main menu, the five
// sliding panels and the changes of scene out of the title.
#include <cstdio>

#include "engine/core/context.h"
#include "engine/core/digest.h"
#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "engine/movie/movie.h"
#include "engine/overlay/fade.h"
#include "engine/sound/sound.h"
#include "platform/system/system.h"
#include "play/craft/craft.h"
#include "play/step/run_start.h"
#include "scenes/title/title.h"

TitleState gTitleState;
TitleExits gTitleExits;

namespace {

constexpr uint8_t kPadDirections = kPadRight | kPadLeft | kPadUp | kPadDown;

// The extra stage's number and the most chapters the stage select shows (one picture row
// each).
constexpr int32_t kExtraStage = 18;
constexpr int32_t kStageSelectRows = 7;

TitleState& T() {
    return gTitleState;
}

int32_t RecordWord(int index) {
    return gGameState.records.words[static_cast<size_t>(index)];
}

// Decide and cancel from the pressed edges, directions from the auto-repeat, of both pads.
uint8_t PressedBoth() {
    return gPadState[0].pressed | gPadState[1].pressed;
}
uint8_t RepeatBoth() {
    return gPadState[0].repeat | gPadState[1].repeat;
}

// The text font in the panel's form; made again only when it changes.
void SetPanelFont(bool large) {
    if (large) {
        if (gTextFontSettings.height != 30 || gTextFontSettings.weight != 300) SetLargeTextFont();
    } else {
        if (gTextFontSettings.height != 15 || gTextFontSettings.weight != 3000) SetSmallTextFont();
    }
}

enum class PanelFont { Keep, Large, Small };

// Moves one panel a step; returns true when a panel being shown moved (the tick is busy).
bool AdvancePanel(TitlePanel& p, PanelFont font) {
    switch (p.mode) {
        case PanelMode::Show: {
            bool moved = p.slide != 0;
            if (p.slide > 0) p.slide -= 1;
            if (p.slide < 0) p.slide += 1;
            if (p.slide == 0) {
                p.open = 1;
                if (font != PanelFont::Keep) SetPanelFont(font == PanelFont::Large);
            }
            return moved;
        }
        case PanelMode::HideLeft:
            p.slide -= 1;
            if (p.slide <= -kPanelSlideEnd) {
                p.slide = -kPanelSlideEnd;
                p.open = 0;
            }
            return false;
        case PanelMode::HideRight:
            p.slide += 1;
            if (p.slide >= kPanelSlideEnd) {
                p.slide = kPanelSlideEnd;
                p.open = 0;
            }
            return false;
    }
    return false;
}

void SetPanel(TitlePanel& p, PanelMode mode, int32_t slide, int32_t open) {
    p.mode = mode;
    p.slide = slide;
    p.open = open;
}

int32_t Wrap(int32_t value, int32_t count) {
    return count > 0 ? ((value % count) + count) % count : 0;
}

// Up and down move a cursor over count rows, round at either end, each with the cursor sound.
void MoveCursorUpDown(int32_t* cursor, uint8_t repeat, int32_t count) {
    if (repeat & kPadUp) {
        *cursor = Wrap(*cursor + count - 1, count);
        PlaySoundEffect(kSoundCursor);
    }
    if (repeat & kPadDown) {
        *cursor = Wrap(*cursor + 1, count);
        PlaySoundEffect(kSoundCursor);
    }
}

// A new run with what the title chose: the game mode, the player set-up, the crafts and the
// first stage.
void StartChosenRunState(int32_t stage) {
    RunChoice choice{};
    choice.mode = gGameState.gameMode;
    choice.setup = gGameState.playerSetup;
    choice.craft[0] = gGameState.craft[0];
    choice.craft[1] = gGameState.craft[1];
    choice.stage = stage;
    StartRun(choice);
}

// Leaves the title for another scene once its fade-out is done: the title's pictures go,
// the new scene loads on the loader thread and fades in.
void LeaveTitle() {
    ReleaseTitleResources();
    StartLoaderThread();
    StartFadeIn(0);
}

// Writes the new scene number and runs the new scene's own entry, before the loader starts.
void EnterScene(SceneId scene) {
    gGameState.scene = scene;
    switch (scene) {
        case SceneId::Event:
            if (gTitleExits.startEvent) gTitleExits.startEvent();
            break;
        case SceneId::Shop:
            if (gTitleExits.openShop) gTitleExits.openShop(0);
            break;
        case SceneId::Ending:
            if (gTitleExits.initEnding) gTitleExits.initEnding(0);
            break;
        default:
            break;
    }
}

// ---- options ----

void ChangeLevel(int32_t* level, int32_t step) {
    int32_t next = *level + step;
    if (next < 0) next = 0;
    if (next > 9) next = 9;
    *level = next;
}

void UpdateOptionsPanel() {
    TitleState& t = T();
    uint8_t pressed = PressedBoth();
    uint8_t repeat = RepeatBoth();
    if (pressed & kPadDecide) {
        if (t.optionsCursor == 2) {
            PlaySoundEffect(kSoundDecide);
            t.options.mode = PanelMode::HideRight;
        }
        return;
    }
    if (pressed & kPadCancel) {
        PlaySoundEffect(kSoundDecide);
        t.options.mode = PanelMode::HideRight;
        return;
    }
    int32_t step = (repeat & kPadLeft) ? -1 : (repeat & kPadRight) ? 1 : 0;
    if (step != 0) {
        if (t.optionsCursor == 1) {
            int32_t before = gGameState.soundVolume;
            ChangeLevel(&gGameState.soundVolume, step);
            if (gGameState.soundVolume != before) PlaySoundEffect(kSoundCursor);
        } else if (t.optionsCursor == 0) {
            ChangeLevel(&gGameState.musicVolume, step);
            ApplyBgmVolume();
        }
    }
    MoveCursorUpDown(&t.optionsCursor, repeat, 3);
}

// ---- records ----

void UpdateRecordsPanel() {
    TitleState& t = T();
    uint8_t pressed = PressedBoth();
    if (pressed & (kPadDecide | kPadCancel)) {
        PlaySoundEffect(kSoundDecide);
        t.records.mode = PanelMode::HideRight;
    }
    if (RecordWord(record::kGetExtra) != 0 && (RepeatBoth() & kPadDirections)) {
        PlaySoundEffect(kSoundCursor);
        t.recordsPage = t.recordsPage == 0 ? 1 : 0;
    }
}

// ---- player set-up ----

void OpenCraftSelect() {
    TitleState& t = T();
    t.craftSelect.mode = PanelMode::Show;
    t.players[0].cursor = 0;
    t.players[1].cursor = 1;
    // A choice left half made in another set-up must not carry over: a partner still marked
    // chosen would complete the choice with both crafts the same.
    for (TitlePlayerChoice& p : t.players) {
        p.state = CraftChoice::Craft;
        p.senseCounter = 0;
        p.readyCounter = 0;
    }
    BuildCraftList();
}

void UpdateSetupPanel() {
    TitleState& t = T();
    uint8_t pressed = PressedBoth();
    uint8_t repeat = RepeatBoth();
    if (pressed & kPadDecide) {
        PlaySoundEffect(kSoundDecide);
        t.setup.mode = PanelMode::HideLeft;
        gGameState.playerSetup = static_cast<PlayerSetup>(Wrap(t.setupCursor, 3));
        OpenCraftSelect();
        return;
    }
    if (pressed & kPadCancel) {
        PlaySoundEffect(kSoundCancel);
        t.setup.mode = PanelMode::HideRight;
        return;
    }
    MoveCursorUpDown(&t.setupCursor, repeat, 3);
}

// ---- press-start screen ----

void UpdatePressStart() {
    TitleState& t = T();
    if (t.transition < 0) {
        t.transition -= 1;
        if (t.transition < -kTransitionTicks) {
            t.transition = 0;
            t.pressStart = 1;
        }
        return;
    }
    if (t.transition > 0) {
        t.transition += 1;
        if (t.transition > kTransitionTicks) t.pressStart = 0;
        return;
    }
    int32_t& idle = gGameState.titleIdleTicks;
    idle += 1;
    if (idle < kIdleCancelTicks) {
        if (PressedBoth() & (kPadDecide | kPadRoll)) {
            t.transition = 1;
        } else if (PressedBoth() & kPadCancel) {
            idle = kIdleCancelTicks;  // the movie comes at once
        }
    }
    if (idle == kIdleFadeTicks) StartFadeOut(0);
    if (idle == kIdleMovieTicks) {
        int played = PlayMovie("vq_demo.wmv");
        char line[24];
        std::snprintf(line, sizeof line, "PAD %d", played);
        PutDebugText(40, 0, line);
        idle = 0;
        StartFadeIn(0);
        sys::SleepMs(10);
    }
}

// ---- main menu ----

void FinishMenuLeaving() {
    TitleState& t = T();
    if (!IsFadeOutDone()) return;
    t.menuLeaving = 0;
    if (ChosenMenuItem() == TitleMenuItem::Exit) {
        // The program closes: no other scene is loaded, so the shut-down finds no loader
        // thread at work on the title's pictures.
        if (gPlatform.mainWindow) gPlatform.mainWindow->PostClose();
        return;
    }
    EnterScene(SceneId::Shop);
    LeaveTitle();
}

void UpdateMainMenu() {
    TitleState& t = T();
    if (t.menuLeaving) {
        FinishMenuLeaving();
        return;
    }
    uint8_t pressed = PressedBoth();
    uint8_t repeat = RepeatBoth();
    if (pressed & kPadDecide) {
        PlaySoundEffect(kSoundDecide);
        switch (ChosenMenuItem()) {
            case TitleMenuItem::Shop:
            case TitleMenuItem::Exit:
                t.menuLeaving = 1;
                StartFadeOut(0);
                break;
            case TitleMenuItem::Records:
                t.records.mode = PanelMode::Show;
                t.recordsPage = 0;
                break;
            case TitleMenuItem::Options:
                t.options.mode = PanelMode::Show;
                t.optionsCursor = 0;
                break;
            case TitleMenuItem::Story:
            case TitleMenuItem::StagesInARow:
            case TitleMenuItem::Practice:
            case TitleMenuItem::Extra:
            case TitleMenuItem::StaffRoll:
                t.setup.mode = PanelMode::Show;
                break;
        }
        return;
    }
    if (pressed & kPadCancel) {
        PlaySoundEffect(kSoundCancel);
        t.transition = -1;
        t.pressStart = 1;
        return;
    }
    gGameState.gameMode = GameMode::Story;
    MoveCursorUpDown(&t.menuCursor, repeat, t.menuCount);
}

}  // namespace

// ---- craft select ----

namespace {

TitlePlayerChoice& P(int i) {
    return T().players[static_cast<size_t>(i)];
}

void MoveCraftCursor(TitlePlayerChoice& p, uint8_t repeat) {
    int32_t n = T().craftCount;
    if (repeat & kPadLeft) {
        p.cursor = Wrap(p.cursor + n - 1, n);
        PlaySoundEffect(kSoundCursor);
    }
    if (repeat & kPadRight) {
        p.cursor = Wrap(p.cursor + 1, n);
        PlaySoundEffect(kSoundCursor);
    }
}

void FlipSense(TitlePlayerChoice& p, uint8_t repeat) {
    if (repeat & (kPadUp | kPadDown)) {
        p.upDownToggle = p.upDownToggle == 0 ? 1 : 0;
        PlaySoundEffect(kSoundCursor);
    }
}

void BackToSetup() {
    TitleState& t = T();
    t.craftSelect.mode = PanelMode::HideRight;
    t.setup.mode = PanelMode::Show;
}

// The sense boxes slide while a craft is taken, the ready mark counts while ready; a tick
// on which either moves takes no input.
bool AdvanceChoiceCounters() {
    bool moved = false;
    for (TitlePlayerChoice& p : T().players) {
        int32_t sense = p.senseCounter;
        if (p.state != CraftChoice::Craft) {
            if (sense < 8) sense += 1;
        } else if (sense > 0) {
            sense -= 1;
        }
        int32_t ready = 0;
        if (p.state == CraftChoice::Ready) ready = p.readyCounter < 16 ? p.readyCounter + 1 : 16;
        moved = moved || sense != p.senseCounter || ready != p.readyCounter;
        p.senseCounter = sense;
        p.readyCounter = ready;
    }
    return moved;
}

bool CraftChoiceComplete() {
    CraftChoice p1 = P(0).state, p2 = P(1).state;
    switch (gGameState.playerSetup) {
        case PlayerSetup::OnePlayer:
            return p1 == CraftChoice::Ready;
        case PlayerSetup::ComputerPartner:
            return p1 != CraftChoice::Craft && p2 != CraftChoice::Craft;
        case PlayerSetup::TwoPlayers:
            return p1 == CraftChoice::Ready && p2 == CraftChoice::Ready;
    }
    return false;
}

void CompleteCraftChoice() {
    TitleState& t = T();
    for (int i = 0; i < 2; ++i) {
        gGameState.craft[i] = CraftAtListIndex(P(i).cursor);
        gGameState.upDownSense[i] = 1 - P(i).upDownToggle;
    }
    P(1).state = CraftChoice::Craft;
    t.selectionLeaving = 1;
    switch (ChosenMenuItem()) {
        case TitleMenuItem::Practice:
            gGameState.gameMode = GameMode::Practice;
            t.craftSelect.mode = PanelMode::HideLeft;
            t.stageSelect.mode = PanelMode::Show;
            t.selectionLeaving = 0;
            return;
        case TitleMenuItem::Story:
            gGameState.gameMode = GameMode::Story;
            break;
        case TitleMenuItem::StagesInARow:
            gGameState.gameMode = GameMode::StagesInARow;
            break;
        case TitleMenuItem::Extra:
            gGameState.gameMode = GameMode::Extra;
            break;
        default:
            break;
    }
    StartFadeOut(0);
}

// The run chosen in the craft select starts once the fade-out is done.
void StartChosenRun() {
    TitleState& t = T();
    if (!IsFadeOutDone()) return;
    TitleMenuItem item = ChosenMenuItem();
    // The new run's fields come first: the event player picks its script by the event
    // number, so a story always starts with event 0.
    gGameState.eventNumber = 0;
    t.selectionLeaving = 0;
    SceneId next = SceneId::Play;
    if (item == TitleMenuItem::Story) next = SceneId::Event;
    if (item == TitleMenuItem::StaffRoll) next = SceneId::Ending;
    StartChosenRunState(item == TitleMenuItem::Extra ? kExtraStage : 0);
    EnterScene(next);
    LeaveTitle();
}

void OnePlayerInput() {
    TitlePlayerChoice& p = P(0);
    uint8_t pressed = gPadState[0].pressed;
    uint8_t repeat = gPadState[0].repeat;
    if (p.state == CraftChoice::Craft) {
        if (pressed & kPadCancel) {
            PlaySoundEffect(kSoundCancel);
            BackToSetup();
        } else if (pressed & kPadDecide) {
            PlaySoundEffect(kSoundDecide);
            p.state = CraftChoice::Sense;
        } else {
            MoveCraftCursor(p, repeat);
        }
        return;
    }
    if (pressed & kPadCancel) {
        PlaySoundEffect(kSoundCancel);
        p.state = CraftChoice::Craft;
    } else if (pressed & kPadDecide) {
        PlaySoundEffect(kSoundDecide);
        p.state = CraftChoice::Ready;
    } else {
        FlipSense(p, repeat);
    }
}

// Player 1 chooses both crafts: first the own craft and sense, then the partner's craft.
void PartnerInput() {
    TitlePlayerChoice& p = P(0);
    TitlePlayerChoice& partner = P(1);
    uint8_t pressed = gPadState[0].pressed;
    uint8_t repeat = gPadState[0].repeat;
    switch (p.state) {
        case CraftChoice::Craft:
        case CraftChoice::Sense:
            OnePlayerInput();
            return;
        case CraftChoice::Ready:
            if (pressed & kPadCancel) {
                PlaySoundEffect(kSoundCancel);
                p.state = CraftChoice::Sense;
            } else if (pressed & kPadDecide) {
                if (CraftAtListIndex(p.cursor) == CraftAtListIndex(partner.cursor)) {
                    PlaySoundEffect(kSoundCancel);
                } else {
                    PlaySoundEffect(kSoundDecide);
                    partner.state = CraftChoice::Sense;
                }
            } else {
                MoveCraftCursor(partner, repeat);
            }
            return;
    }
}

// Each player on their own pad; a craft the other player has taken is refused.
void TwoPlayerInput() {
    for (int i = 0; i < 2; ++i) {
        TitlePlayerChoice& p = P(i);
        const TitlePlayerChoice& other = P(1 - i);
        uint8_t pressed = gPadState[i].pressed;
        uint8_t repeat = gPadState[i].repeat;
        switch (p.state) {
            case CraftChoice::Craft:
                if (pressed & kPadCancel) {
                    PlaySoundEffect(kSoundCancel);
                    BackToSetup();
                } else if (pressed & kPadDecide) {
                    if (other.state != CraftChoice::Craft &&
                        CraftAtListIndex(p.cursor) == CraftAtListIndex(other.cursor)) {
                        PlaySoundEffect(kSoundCancel);
                    } else {
                        PlaySoundEffect(kSoundDecide);
                        p.state = CraftChoice::Sense;
                    }
                } else {
                    MoveCraftCursor(p, repeat);
                }
                break;
            case CraftChoice::Sense:
                if (pressed & kPadCancel) {
                    PlaySoundEffect(kSoundCancel);
                    p.state = CraftChoice::Craft;
                } else if (pressed & kPadDecide) {
                    PlaySoundEffect(kSoundDecide);
                    p.state = CraftChoice::Ready;
                } else {
                    FlipSense(p, repeat);
                }
                break;
            case CraftChoice::Ready:
                if (pressed & kPadCancel) {
                    PlaySoundEffect(kSoundCancel);
                    p.state = CraftChoice::Sense;
                }
                break;
        }
    }
}

void UpdateCraftSelect() {
    TitleState& t = T();
    if (t.selectionLeaving) {
        StartChosenRun();
        return;
    }
    if (AdvanceChoiceCounters()) return;
    if (CraftChoiceComplete()) {
        CompleteCraftChoice();
        return;
    }
    switch (gGameState.playerSetup) {
        case PlayerSetup::OnePlayer:
            OnePlayerInput();
            break;
        case PlayerSetup::ComputerPartner:
            PartnerInput();
            break;
        case PlayerSetup::TwoPlayers:
            TwoPlayerInput();
            break;
    }
}

// ---- stage select (practice) ----

// Chapters on offer: one row of pictures each, as far as the stage index reaches.
int32_t StageSelectRows() {
    int32_t rows = (gGameState.stageCount + 2) / 3;
    if (rows < 1) rows = 1;
    if (rows > kStageSelectRows) rows = kStageSelectRows;
    return rows;
}

void StartPracticeStage() {
    TitleState& t = T();
    if (!IsFadeOutDone()) return;
    t.selectionLeaving = 0;
    StartChosenRunState(ChosenPracticeStage());
    EnterScene(SceneId::Play);
    LeaveTitle();
}

void UpdateStageSelect() {
    TitleState& t = T();
    if (t.selectionLeaving) {
        StartPracticeStage();
        return;
    }
    uint8_t pressed = PressedBoth();
    uint8_t repeat = RepeatBoth();
    if (pressed & kPadDecide) {
        if (IsPracticeStageOpen(ChosenPracticeStage())) {
            PlaySoundEffect(kSoundDecide);
            t.selectionLeaving = 1;
            StartFadeOut(0);
        } else {
            PlaySoundEffect(kSoundCancel);
        }
        return;
    }
    if (pressed & kPadCancel) {
        PlaySoundEffect(kSoundCancel);
        t.craftSelect.mode = PanelMode::Show;
        BuildCraftList();
        t.stageSelect.mode = PanelMode::HideRight;
        switch (gGameState.playerSetup) {
            case PlayerSetup::OnePlayer:
                P(0).state = CraftChoice::Sense;
                break;
            case PlayerSetup::ComputerPartner:
                P(1).state = CraftChoice::Craft;
                break;
            case PlayerSetup::TwoPlayers:
                P(0).state = CraftChoice::Sense;
                P(1).state = CraftChoice::Sense;
                break;
        }
        return;
    }
    if (repeat & kPadLeft) {
        t.stageColumn = Wrap(t.stageColumn + 2, 3);
        PlaySoundEffect(kSoundCursor);
    }
    if (repeat & kPadRight) {
        t.stageColumn = Wrap(t.stageColumn + 1, 3);
        PlaySoundEffect(kSoundCursor);
    }
    // Up and down scroll the chapter shown in the one row of pictures, so that every
    // stage of the index can be chosen.
    int32_t rows = StageSelectRows();
    if (repeat & kPadUp) {
        t.stagePage = Wrap(t.stageRow + t.stagePage + rows - 1, rows) - t.stageRow;
        PlaySoundEffect(kSoundCursor);
    }
    if (repeat & kPadDown) {
        t.stagePage = Wrap(t.stageRow + t.stagePage + 1, rows) - t.stageRow;
        PlaySoundEffect(kSoundCursor);
    }
}

void ResetCraftChoices() {
    TitleState& t = T();
    for (int i = 0; i < 2; ++i) {
        TitlePlayerChoice& p = P(i);
        p.state = CraftChoice::Craft;
        p.senseCounter = 0;
        p.readyCounter = 0;
        p.upDownToggle = 0;
        p.cursor = i;
    }
    t.selectionLeaving = 0;
}

}  // namespace

// ---- entry points ----

void ResetTitleGlobals() {
    ResetTitlePreview();
    gTitleExits = TitleExits{};
    gTitleState = TitleState{};
    SetPanel(gTitleState.setup, PanelMode::HideRight, kPanelSlideEnd, 0);
    SetPanel(gTitleState.craftSelect, PanelMode::HideRight, kPanelSlideEnd, 0);
    SetPanel(gTitleState.stageSelect, PanelMode::HideRight, kPanelSlideEnd, 0);
    SetPanel(gTitleState.options, PanelMode::HideRight, kPanelSlideEnd, 0);
    SetPanel(gTitleState.records, PanelMode::HideRight, kPanelSlideEnd, 0);
    gTitleState.pressStart = 1;
    gTitleState.players[1].cursor = 1;
    gTitleState.craftList = {0, 1, 0, 0};
    gTitleState.craftCount = 2;
}

void InitTitle() {
    TitleState& t = T();
    SetFadeLength(17);
    gGameState.titleIdleTicks = 1;
    t.menuLeaving = 0;
    if (gGameState.gameMode == GameMode::Practice) {
        // Back from a practice stage: the stage select again, with the choices kept.
        SetPanel(t.stageSelect, PanelMode::Show, 0, 1);
        t.pressStart = 0;
        SetPanel(t.craftSelect, PanelMode::HideLeft, -kPanelSlideEnd, 0);
        SetPanel(t.setup, PanelMode::HideLeft, -kPanelSlideEnd, 0);
    } else {
        SetPanel(t.stageSelect, PanelMode::HideRight, kPanelSlideEnd, 0);
        SetPanel(t.craftSelect, PanelMode::HideRight, kPanelSlideEnd, 0);
        SetPanel(t.setup, PanelMode::HideRight, kPanelSlideEnd, 0);
        t.pressStart = 1;
        t.stageColumn = t.stageRow = t.stagePage = 0;
        t.menuCursor = 0;
        t.setupCursor = 0;
        t.transition = 0;
        ResetCraftChoices();
    }
    t.frameCounter = 0;
    SetPanel(t.options, PanelMode::HideRight, kPanelSlideEnd, 0);
    SetPanel(t.records, PanelMode::HideRight, kPanelSlideEnd, 0);

    // The finished run's score goes into the points total.
    int64_t total = int64_t{gGameState.pointsTotal} + gGameState.score;
    gGameState.pointsTotal =
        static_cast<int32_t>(total > kPointsTotalCap ? kPointsTotalCap : total);
    gGameState.score = 0;

    // Player 1's craft model starts its animation from the beginning.
    for (int32_t& time : gPlayerCrafts[0].animation) time = 0;

    t.menuCount = 0;
    auto offer = [&t](TitleMenuItem item) {
        t.menuItems[static_cast<size_t>(t.menuCount++)] = item;
    };
    offer(TitleMenuItem::Story);
    offer(TitleMenuItem::StagesInARow);
    offer(TitleMenuItem::Practice);
    if (RecordWord(record::kGetExtra) != 0) offer(TitleMenuItem::Extra);
    offer(TitleMenuItem::Shop);
    offer(TitleMenuItem::Records);
    if (RecordWord(record::kGetStaff) != 0) offer(TitleMenuItem::StaffRoll);
    offer(TitleMenuItem::Options);
    offer(TitleMenuItem::Exit);
    if (t.menuCursor < 0 || t.menuCursor >= t.menuCount) t.menuCursor = 0;
}

void UpdateTitle() {
    TitleState& t = T();
    t.frameCounter += 1;
    t.modelTurn += 0.005f;

    bool busy = false;
    busy = AdvancePanel(t.setup, PanelFont::Large) || busy;
    busy = AdvancePanel(t.options, PanelFont::Keep) || busy;
    busy = AdvancePanel(t.records, PanelFont::Keep) || busy;
    busy = AdvancePanel(t.craftSelect, PanelFont::Small) || busy;
    busy = AdvancePanel(t.stageSelect, PanelFont::Keep) || busy;
    if (busy) return;

    if (t.options.open) {
        UpdateOptionsPanel();
    } else if (t.records.open) {
        UpdateRecordsPanel();
    } else if (t.setup.open) {
        UpdateSetupPanel();
    } else if (t.pressStart) {
        UpdatePressStart();
    } else if (t.stageSelect.open) {
        UpdateStageSelect();
    } else if (t.craftSelect.open) {
        UpdateCraftSelect();
    } else {
        UpdateMainMenu();
    }
}

void ShowTitleMenuImmediately() {
    gTitleState.transition = kTransitionTicks;
    gTitleState.pressStart = 0;
}

void BuildCraftList() {
    TitleState& t = T();
    t.craftCount = 0;
    t.craftList[static_cast<size_t>(t.craftCount++)] = 0;
    t.craftList[static_cast<size_t>(t.craftCount++)] = 1;
    if (RecordWord(record::kGetCraft2) != 0) t.craftList[static_cast<size_t>(t.craftCount++)] = 2;
    if (RecordWord(record::kGetCraft3) != 0 && ChosenMenuItem() != TitleMenuItem::Story) {
        t.craftList[static_cast<size_t>(t.craftCount++)] = 3;
    }
}

int IsPressStartScreen() {
    return gTitleState.pressStart;
}

bool OnTitleEscape() {
    if (IsPressStartScreen()) return true;
    ReturnToTitle();
    return false;
}

uint64_t DigestTitleGlobals(uint64_t digest) {
    return FoldDigestValue(digest, gTitleState);
}

int IsSelectPanelOpen() {
    return gTitleState.craftSelect.open || gTitleState.stageSelect.open ? 1 : 0;
}

TitleMenuItem ChosenMenuItem() {
    const TitleState& t = gTitleState;
    if (t.menuCursor < 0 || t.menuCursor >= t.menuCount) return TitleMenuItem::Story;
    return t.menuItems[static_cast<size_t>(t.menuCursor)];
}

int32_t ChosenPracticeStage() {
    const TitleState& t = gTitleState;
    return (t.stageRow + t.stagePage) * 3 + t.stageColumn;
}

bool IsPracticeStageOpen(int32_t stage) {
    return stage >= 0 && stage < gGameState.stageCount && stage <= RecordWord(record::kClearStage);
}

int32_t CraftAtListIndex(int32_t index) {
    const TitleState& t = gTitleState;
    if (t.craftCount <= 0) return 0;
    int32_t count = t.craftCount > kCraftListMax ? kCraftListMax : t.craftCount;
    if (index < 0) index = 0;
    if (index >= count) index = count - 1;
    return t.craftList[static_cast<size_t>(index)];
}
