// The main window, its menu, message boxes, the about box and the event loop primitives.
// Two backends: gtk (a real window with a GL area) and headless (no display; tests).
//
// Texts passed in are CP932 bytes, as the game keeps them; the backend converts them for
// the toolkit.
#pragma once

#include <cstdint>

namespace gfx {
class GlSurface;
}

namespace win {

// One entry of the menu bar, in a flat list: a popup opens a level, End closes it. A
// CheckItem can carry a check mark (none at start; CheckMenuItem sets it).
enum class MenuKind { Popup, Item, CheckItem, Separator, End };
struct MenuEntry {
    MenuKind kind;
    int id;            // command id of an Item
    const char* text;  // CP932; '&' marks the mnemonic
};

struct WindowDesc {
    const char* title;  // CP932
    int clientWidth;
    int clientHeight;
    bool fullScreen;  // a full-screen window at the desktop size, picture letterboxed
    const MenuEntry* menu;
    int menuCount;
};

// Window-frame metrics the aspect-lock rule uses, in pixels. A window rectangle is the
// client area plus these: frame on each side, caption and menu bar above the client.
struct FrameMetrics {
    int frame;    // one side's frame thickness
    int caption;  // title bar height
    int menu;     // menu bar height
};

// Edges of an interactive resize.
enum class SizingEdge { Left, Right, Top, TopLeft, TopRight, Bottom, BottomLeft, BottomRight };

struct WindowRect {
    int left, top, right, bottom;
};

// What the window reports to the game. Every callback runs on the main thread from inside
// PumpEvents or WaitEvents.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    // The window was activated (true) or deactivated; minimized tells whether it is iconic.
    virtual void OnActivate(bool active, bool minimized) = 0;
    virtual void OnCommand(int id) = 0;
    virtual void OnEscape() = 0;
    // A resize drag; the host may change the rectangle (window coordinates, frame included).
    virtual void OnSizing(SizingEdge edge, WindowRect* rect) = 0;
    // The window is being destroyed (closed by the user, PostClose or Destroy).
    virtual void OnDestroy() = 0;
};

enum MessageBoxResult { kIdOk = 1, kIdCancel = 2 };

class Window {
public:
    virtual ~Window() = default;

    // Creates and shows the window. False when it could not be made.
    virtual bool Create(const WindowDesc& desc, WindowHost* host) = 0;
    // Handles every pending event without blocking. False once the loop is to end.
    virtual bool PumpEvents() = 0;
    // Blocks until an event arrives or timeoutMs passes (negative: no timeout).
    virtual void WaitEvents(int timeoutMs) = 0;
    // Blocks until an event arrives or the clock (sys::TimeMs) reaches dueMs, whichever
    // comes first; returns at once when dueMs has passed. The wake-up at dueMs is precise to
    // well under a millisecond.
    virtual void WaitUntil(uint32_t dueMs) = 0;
    // Ends the event loop (PumpEvents returns false from now on).
    virtual void Quit() = 0;
    virtual bool IsQuitting() const = 0;

    // Sets the client area's size exactly.
    virtual void SetClientSize(int width, int height) = 0;
    virtual void GetClientSize(int* width, int* height) const = 0;
    virtual FrameMetrics Metrics() const = 0;
    // The desktop's size and refresh rate (the screen the window is on).
    virtual void DesktopMode(int* width, int* height, int* refreshHz) const = 0;
    virtual void CheckMenuItem(int id, bool checked) = 0;
    // Asks the window to close (the host's OnDestroy follows from the loop).
    virtual void PostClose() = 0;
    // Destroys the window now: it disappears and OnDestroy runs. Its drawing surface stays
    // valid until the Window object is deleted, so the device can be released first.
    virtual void Destroy() = 0;

    // A modal message box with an OK button. Callable from any thread: from another
    // thread the request is handed to the main thread, which shows it, and the caller
    // waits. Returns kIdOk.
    virtual int MessageBox(const char* text, const char* caption) = 0;
    // The modal about box: caption, icon and the given lines, an OK button.
    virtual int AboutBox(const char* caption, const char* const* lines, int lineCount) = 0;

    // The GL surface of the client area (gtk), or nullptr (headless).
    virtual gfx::GlSurface* Surface() = 0;

    // Shows an RGBA picture over the whole client area instead of the game's picture
    // (the attract movie), stretched; nullptr removes it.
    virtual void ShowOverlayFrame(const uint8_t* rgba, int width, int height) = 0;
};

// Both backends end the program on SIGINT and SIGTERM as if the window were closed: the
// handlers are installed by Create and removed when the window is deleted (the program's
// own, sys::InstallStopSignalHandlers, come back then). A stop signal that arrived before
// Create closes the window at once.
Window* CreateGtkWindow();  // nullptr when no display can be opened
Window* CreateHeadlessWindow();

// Message box without a window (start-up failures before the window exists). Uses the
// toolkit when a display is available, else writes to standard error.
int StandaloneMessageBox(const char* text, const char* caption);
// A message box's text and caption written to standard error (where nothing can show it).
int ConsoleMessageBox(const char* text, const char* caption);

}  // namespace win
