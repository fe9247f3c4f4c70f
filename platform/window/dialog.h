// A modal dialog described by a table of controls, for the settings tool. Controls sit in
// cells of a grid: the dialog's own, or the grid inside a group box. Texts are CP932.
//
// The program drives it through DialogHost: OnInit once before the dialog shows, OnCommand
// for a pressed button (id 2 also when the window's close button is used), OnTimer while a
// timer runs, OnActivate when the dialog gains or loses the focus. Key presses and releases
// in the dialog update the keyboard state of platform/input (which is cleared when the
// focus goes); while key capture is on they reach no control.
#pragma once

namespace win {

enum class ControlKind {
    Group,        // a group box; controls name it as their parent
    Label,        // static text
    RadioButton,  // radios with the same radioGroup exclude each other
    CheckBox,
    PushButton,
    DefaultButton,  // the button Enter presses
    ReadOnlyEdit,   // one line of text the user cannot change
};

struct DialogControl {
    ControlKind kind;
    int id;  // 0 for controls the program never addresses
    const char* text;
    int parent;  // index of a Group in the table, or -1 for the dialog's grid
    int row, column, rowSpan, columnSpan;
    int radioGroup;  // radio buttons only
    int widthChars;  // edits: width in characters (0: natural)
};

struct DialogDesc {
    const char* caption;
    const DialogControl* controls;
    int controlCount;
};

class DialogHost {
public:
    virtual ~DialogHost() = default;
    virtual void OnInit() = 0;
    virtual void OnCommand(int id) = 0;
    virtual void OnTimer() = 0;
    virtual void OnActivate(bool active) = 0;
};

class Dialog {
public:
    virtual ~Dialog() = default;
    // Shows the dialog and runs it until End; returns End's code (-1 when it cannot be
    // shown at all).
    virtual int Run(const DialogDesc& desc, DialogHost* host) = 0;
    virtual void End(int code) = 0;

    // Whether a control with this id exists; the calls below ignore ids that do not.
    virtual bool HasControl(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    virtual bool IsChecked(int id) const = 0;
    // Sets a label's or edit's text, showing its start.
    virtual void SetText(int id, const char* text) = 0;
    virtual void Enable(int id, bool enabled) = 0;

    // A timer calling OnTimer about every `ms` milliseconds; a new one replaces the old.
    virtual void StartTimer(int ms) = 0;
    virtual void StopTimer() = 0;
    // While on, key events only update the keyboard state: they press no button.
    virtual void SetKeyCapture(bool on) = 0;

    virtual int MessageBox(const char* text, const char* caption) = 0;
};

// The GTK dialog; nullptr when the toolkit cannot open a display.
Dialog* CreateGtkDialog();

// The widget name the GTK dialog gives the control with this id ("control-<id>"), for
// tests that look the widget up.
void DialogControlName(int id, char* out, int outSize);

}  // namespace win
