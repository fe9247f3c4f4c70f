// The story event player's state and its tick: the script runner, the command handlers
// and the change to the next scene when a script has ended.
#include <algorithm>
#include <cstdio>

#include "engine/core/game_state.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "engine/sound/sound.h"
#include "scenes/ending/ending.h"
#include "scenes/event/event.h"
#include "scenes/event/story/story.h"

EventState gEventState;
EventTextures gEventTextures;

namespace {

constexpr int32_t kScrollWrap = 1024;
constexpr int32_t kWindowTop = 40;
constexpr SoundEffectId kConfirmSound = 301;
// The last stage a story run plays; an event after it leads to the next event.
constexpr int32_t kLastStoryStage = 18;

bool HeldOnEitherPad(uint8_t bits) {
    return ((gPadState[0].held | gPadState[1].held) & bits) != 0;
}

bool PressedOnEitherPad(uint8_t bits) {
    return ((gPadState[0].pressed | gPadState[1].pressed) & bits) != 0;
}

EventActor* ActorAt(int32_t index) {
    if (index < 0 || index >= kEventActors) return nullptr;
    return &gEventState.actors[static_cast<size_t>(index)];
}

int32_t ShowText(int32_t first, int32_t count) {
    EventState& s = gEventState;
    if (first == -1) first = s.nextLine;
    count = std::clamp(count, 0, 4);
    if (first < 0 || first >= kEventTextLineCount) {
        // Nothing of the table is left to show.
        s.firstLine = -1;
        s.lineCount = 0;
        return kEventNextStop;
    }
    // A block that would run past the table's last line is cut there.
    count = std::min(count, kEventTextLineCount - first);
    s.firstLine = first;
    s.lineCount = count;
    s.nextLine = first + count;
    return kEventNextStop;
}

// One step of everything that moves: scroll, actors, fade and window.
void StepEventMotion() {
    EventState& s = gEventState;
    s.scroll += s.scrollSpeed;
    if (s.scroll <= -kScrollWrap || s.scroll >= kScrollWrap) s.scroll = 0;
    for (EventActor& a : s.actors) {
        if (a.visible == 0) continue;
        if (a.targetX + a.speed - 1.0f < a.x) a.x -= a.speed;
        if (a.targetX - (a.speed - 1.0f) > a.x) a.x += a.speed;
    }
    if (s.fadeMode != 0) {
        s.fadeCounter += 1;
        if (s.fadeCounter > s.fadeLength) {
            s.fadeCounter = std::max(s.fadeLength, 0);
            if (s.fadeMode == 2 || s.fadeMode == 4) s.fadeMode = 0;
        }
    }
    if (s.windowSlide >= 0 && s.windowSlide < kWindowTop) s.windowSlide += 1;
}

}  // namespace

const char* EventImageName(int32_t image) {
    static constexpr const char* kNames[kEventImages] = {
        "bmp/ivent/tukue.bmp",           "bmp/ivent/cafe_hiru.bmp",
        "bmp/ivent/ive_bg_sky.bmp",      "bmp/ivent/cafe_yoru.bmp",
        "bmp/ivent/shop_bg.bmp",         "bmp/ivent/ive_bg_yuhi.bmp",
        "bmp/ivent/departstore.bmp",     "bmp/ivent/hero.bmp",
        "bmp/ivent/ive_bg_hosi.bmp",     "bmp/ivent/departstore_yoru.bmp",
        "bmp/ivent/ive_bg_kumo.bmp",     "bmp/ivent/ruins_a.bmp",
        "bmp/ivent/ruins_entrance1.bmp", "bmp/ivent/rui_core.bmp",
    };
    if (image < 0 || image >= kEventImages) return nullptr;
    return kNames[image];
}

bool IsScrollingEventImage(int32_t image) {
    return image == 2 || image == 5 || image == 8 || image == 10;
}

void ResetEventState() {
    EventState& s = gEventState;
    for (EventActor& a : s.actors) {
        a.visible = 0;
        a.x = 0.0f;
        a.targetX = 800.0f;
        a.speed = 2.0f;
        a.bob = 0;
        a.face = 0;
    }
    s.firstLine = -1;
    s.wait = 0;
    s.background = 0;
    s.scroll = 0;
    s.scrollSpeed = -1;
    s.windowSlide = -1;
    s.fadeMode = 0;
    s.fadeLength = 0;
    s.fadeCounter = 0;
}

void StartEventScript(int32_t eventNumber) {
    eventNumber = std::clamp(eventNumber, 0, kEventCount - 1);
    gEventState.eventNumber = eventNumber;
    SetLargeTextFont();
    ResetEventState();
    gEventState.commandIndex = 0;
    gEventState.script = kEventScripts[static_cast<size_t>(eventNumber)];
}

void StartEvent() {
    gEventState.finished = 0;
    StartEventScript(gGameState.eventNumber);
}

void LoadEventResources() {
    LoadTexture(TextureGroup::Event, &gEventTextures.window, "bmp/ivent/ive_window.tga", 1024, 512);
    LoadTexture(TextureGroup::Event, &gEventTextures.faces1, "bmp/ivent/ivent_face01.tga", 1024,
                1024);
    LoadTexture(TextureGroup::Event, &gEventTextures.faces2, "bmp/ivent/ivent_face02.tga", 1024,
                1024);
    int32_t event = std::clamp(gGameState.eventNumber, 0, kEventCount - 1);
    for (int32_t image : kEventBackgroundLists[static_cast<size_t>(event)]) {
        const char* name = EventImageName(image);
        if (!name) break;
        LoadTexture(TextureGroup::Event, &gEventTextures.images[static_cast<size_t>(image)], name,
                    1024, 512);
    }
}

int32_t RunEventCommand(const EventCommand& c) {
    EventState& s = gEventState;
    EventActor* actor = ActorAt(c.a);
    switch (c.op) {
        case EventOp::ResetEventScene:
            ResetEventState();
            return kEventNext;
        case EventOp::SetEventBackground:
            s.background = c.a;
            s.scroll = 0;
            return kEventNext;
        case EventOp::SetEventWindowSlide:
            s.windowSlide = c.a;
            return kEventNext;
        case EventOp::ShowEventText:
            return ShowText(c.a, c.b);
        case EventOp::HideEventText:
            s.firstLine = -1;
            return kEventNext;
        case EventOp::SetEventSpeaker:
            s.speaker = c.a;
            return kEventNext;
        case EventOp::WaitEventConfirm:
            if (HeldOnEitherPad(kPadCancel | kPadRoll)) return kEventNextStop;
            if (PressedOnEitherPad(kPadDecide)) {
                PlaySoundEffect(kConfirmSound);
                return kEventNextStop;
            }
            return kEventStay;
        case EventOp::SetActorVisible:
            if (actor) actor->visible = c.b;
            return kEventNext;
        case EventOp::SetActorMirror:
            if (actor) actor->mirror = c.b;
            return kEventNext;
        case EventOp::PlaceActor:
            if (actor) actor->x = actor->targetX = static_cast<float>(c.b);
            return kEventNext;
        case EventOp::SetActorSpeed:
            if (actor) actor->speed = static_cast<float>(c.b);
            return kEventNext;
        case EventOp::MoveActor:
            if (actor) actor->targetX = static_cast<float>(c.b);
            return kEventNext;
        case EventOp::SetActorFace:
            if (actor) actor->face = c.b;
            return kEventNext;
        case EventOp::SetActorBob:
            if (actor) actor->bob = c.b;
            return kEventNext;
        case EventOp::WaitEventFrames:
            s.wait = c.a;
            return kEventNextStop;
        case EventOp::StartEventFade:
            s.fadeMode = c.a;
            s.fadeLength = c.b;
            s.fadeCounter = 0;
            return kEventNextStop;
        case EventOp::EndEventScript:
            return kEventFinished;
        case EventOp::PlayEventSound:
            PlaySoundEffect(c.a);
            return kEventNext;
        case EventOp::SetEventScrollSpeed:
            s.scrollSpeed = c.a;
            return kEventNext;
        case EventOp::PassEventCommand:
        case EventOp::None:
            return kEventNext;
    }
    return kEventNext;
}

int32_t RunEventScript() {
    EventState& s = gEventState;
    int steps = 1;
    if (HeldOnEitherPad(kPadCancel)) {
        steps = 2;
    } else if (HeldOnEitherPad(kPadRoll)) {
        steps = 8;
    }
    for (int i = 0; i < steps; ++i) StepEventMotion();
    for (int i = 0; i < steps; ++i) {
        if (s.wait > 0) s.wait -= 1;
    }

    int32_t ended = 0;
    if (s.wait <= 0) {
        while (s.commandIndex >= 0 && static_cast<size_t>(s.commandIndex) < s.script.size()) {
            const EventCommand& c = s.script[static_cast<size_t>(s.commandIndex)];
            if (c.op == EventOp::None) break;
            int32_t result = RunEventCommand(c);
            if (result == kEventStay) break;
            if (result == kEventFinished) {
                ended = 1;
                break;
            }
            s.commandIndex += 1;
            if (result == kEventNextStop) break;
        }
    }

    char line[32];
    std::snprintf(line, sizeof line, "TIME  :%3d", s.wait);
    PutDebugText(0, 20, line);
    std::snprintf(line, sizeof line, "SCRIPT:%d", s.commandIndex);
    PutDebugText(0, 21, line);
    return ended;
}

void UpdateEvent() {
    EventState& s = gEventState;
    if (s.finished == 0) {
        if (RunEventScript() == 1) {
            s.finished = 1;
            StartFadeOut(0);
        }
        return;
    }
    if (!IsFadeOutDone()) return;

    int32_t event = gGameState.eventNumber;
    bool nextEvent = false;
    if (event >= kEventCount - 1) {
        gGameState.scene = SceneId::Ending;
        InitEnding(0);
    } else if (gGameState.gameMode == GameMode::Story && gGameState.stage > kLastStoryStage) {
        // The story's last stage is behind: the closing events follow one another.
        nextEvent = true;
    } else {
        gGameState.scene = SceneId::Play;
    }
    ReleaseEventResources();
    gGameState.eventNumber = event + 1;
    if (nextEvent) StartEvent();
    StartFadeIn(0);
    StartLoaderThread();
}

void ResetEventGlobals() {
    gEventState = EventState{};
    for (TextureHolder& h : gEventTextures.images) h = TextureHolder{};
    gEventTextures.window = gEventTextures.faces1 = gEventTextures.faces2 = TextureHolder{};
}
