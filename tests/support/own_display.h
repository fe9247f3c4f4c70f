// An X display for this test process alone.
//
// Tests that send synthetic input or depend on which window holds the keyboard focus must
// not share a display with tests running beside them: a window shown by another test takes
// the focus, and a window losing the focus lets go of every key it held. Such tests call
// UseOwnDisplay before the toolkit opens its display; it starts a virtual X server (Xvfb)
// on a free display number and points DISPLAY at it. The server repeats no held key, and
// ends with the process, however the process ends.
#pragma once

#include <string>

namespace vqtest {

// Starts the process's own display once (later calls give the first call's answer).
// Returns false when no X server could be started; DISPLAY is then left as it was.
bool UseOwnDisplay();

// For tests that drive a program on a display: the shell command's standard output, and
// the monotonic clock in seconds.
std::string ShellOutput(const std::string& command);
double NowSeconds();

}  // namespace vqtest
