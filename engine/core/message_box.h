// Message boxes for the player: owned by the main window while it exists, otherwise
// written to standard error.
#pragma once

#include <cstdint>

#include "platform/text/cp932.h"

// The captions of the messages about data files: one that cannot be found (or cannot be
// used, which is told the same way), and a model file that cannot be loaded.
inline constexpr auto kFileNotFoundCaption = text::Cp932(u8"ファイルが見つかりません");
inline constexpr char kFileOpenErrorCaption[] = "File Open Error";
// The caption of the messages about a picture that cannot be found ("Not File Found %s")
// or cannot be decoded.
inline constexpr char kPictureErrorCaption[] = "Error";
// The caption of the messages about a value of the stage index that was refused or changed.
inline constexpr char kStageIndexValueCaption[] = "Stage Index Value";

// Shows a message box owned by the main window (without a window: on standard error).
// Callable from the loader thread.
int ShowMessageBox(const char* text, const char* caption);

// Tells of a line of a data file under the caption: "path (line N: why)", or "path (why)"
// for the whole file (line 0).
void ShowFileLineMessage(const char* path, int32_t line, const char* why, const char* caption);

// Tells of a damaged data file as of a missing one, under the same caption, with the line
// where the damage was found and what it is.
void ShowDamagedFileMessage(const char* path, int32_t line, const char* why);

// Tells of a picture that cannot be decoded as of a missing one, under the same caption,
// with what is wrong with it: "path (why)".
void ShowDamagedPictureMessage(const char* path, const char* why);
