// The story event player (scene 5): the illustrated dialogue scenes between the stages of
// a story run. Each event is a script of commands that place and move up to ten character
// portraits over a background, show lines of dialogue in a message window, wait for the
// player and fade the screen.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "engine/graphics/texture.h"

constexpr int kEventCount = 24;
constexpr int kEventActors = 10;
constexpr int kEventImages = 14;
constexpr int kEventTextLineCount = 402;
constexpr int kEventTextLineBytes = 44;  // one screen line of CP932 text at most

// The operations of a script step. None ends the array of a script.
enum class EventOp : int32_t {
    None = 0,
    ResetEventScene,
    SetEventBackground,
    SetEventWindowSlide,
    ShowEventText,
    HideEventText,
    SetEventSpeaker,
    WaitEventConfirm,
    SetActorVisible,
    SetActorMirror,
    PlaceActor,
    SetActorSpeed,
    MoveActor,
    SetActorFace,
    SetActorBob,
    WaitEventFrames,
    StartEventFade,
    EndEventScript,
    PlayEventSound,
    SetEventScrollSpeed,
    PassEventCommand,
};
constexpr int kEventOpCount = 21;

struct EventCommand {
    EventOp op;
    int32_t a;
    int32_t b;
};

// What a command handler asks of the script runner.
enum EventStepResult : int32_t {
    kEventStay = 0,      // run this command again next tick
    kEventNext = 1,      // go on to the next command at once
    kEventNextStop = 2,  // go on to the next command, and stop for this tick
    kEventFinished = 3,  // the script is finished
};

// One portrait.
struct EventActor {
    float x;  // centre in pixels
    float targetX;
    float speed;  // pixels per step
    int32_t visible;
    int32_t mirror;  // 0 normal, 1 mirrored, 2 mirrored and 176 pixels lower
    int32_t bob;     // kept; no drawing reads it
    int32_t face;    // 0..11 first face sheet, 12 and up the second
};

struct EventState {
    std::array<EventActor, kEventActors> actors;
    int32_t firstLine;  // -1: no text
    int32_t lineCount;
    int32_t commandIndex;
    int32_t wait;         // steps
    int32_t scroll;       // background scroll position, -1023..1023
    int32_t background;   // image number
    int32_t scrollSpeed;  // pixels per step
    int32_t eventNumber;
    int32_t speaker;     // actor index
    int32_t fadeMode;    // 0 off, 1..4
    int32_t fadeLength;  // steps
    int32_t fadeCounter;
    int32_t windowSlide;  // -1 hidden, else 0..40
    int32_t nextLine;
    int32_t finished;
    std::span<const EventCommand> script;
    int32_t flicker;
};

extern EventState gEventState;

// Texture group 8: the window, the two face sheets and the backgrounds by image number.
struct EventTextures {
    TextureHolder window;  // "bmp/ivent/ive_window.tga" 1024 x 512
    TextureHolder faces1;  // "bmp/ivent/ivent_face01.tga" 1024 x 1024
    TextureHolder faces2;  // "bmp/ivent/ivent_face02.tga" 1024 x 1024
    std::array<TextureHolder, kEventImages> images;
};
extern EventTextures gEventTextures;

// Clears the finished flag and starts the script of GameState's event number. Called on
// the main thread by whoever enters scene 5, once per entry.
void StartEvent();
// Stores the event number, takes the large text font, resets the state and starts the
// event's script from its first command. An event number outside 0..23 plays event 0.
void StartEventScript(int32_t eventNumber);
// Every actor hidden at x 0 (target 800, speed 2, no bob, face 0; the mirror mode is kept),
// no text, no wait, background 0 at scroll 0 with scroll speed -1, window hidden, no fade.
void ResetEventState();
// The load step of scene 5 (loader thread): pictures only.
void LoadEventResources();
// The update and draw of scene 5.
void UpdateEvent();
void DrawEvent();
void DrawEventLayers();
// One tick of the script; 1 when a command ended the script.
int32_t RunEventScript();
// Runs one command's handler.
int32_t RunEventCommand(const EventCommand& command);
// The file of an event image number, or null outside 0..13.
const char* EventImageName(int32_t image);
// Images drawn as 1024-pixel-wide scrolling pictures.
bool IsScrollingEventImage(int32_t image);
// The program-start state of the event player.
void ResetEventGlobals();
