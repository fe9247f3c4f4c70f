// The attract movie: a file from the program's folder played over the main window's
// client area. While it plays, the frame loop neither updates the scene nor draws; it
// polls the movie every tick and every drawn frame, and player 1's decide press ends it.
//
// Main thread only.
#pragma once

#include <cstdint>

#include "platform/movie/movie.h"
#include "platform/window/window.h"

// Longest movie path (program folder and file name) that is played, in bytes; a longer
// one is refused.
constexpr int kMoviePathLimit = 259;

struct MoviePlayer {
    movie::Clip* clip;           // null when no movie is active
    uint32_t startTime;          // sys::TimeMs() when it started
    uint32_t shownPictures;      // the clip's picture count last handed to the window
    win::WindowRect clientRect;  // the client rectangle the picture was last shown on
};

extern MoviePlayer gMoviePlayer;

// Plays the named file from the program's folder. Returns 1 when playback started, 0 on
// any failure (nothing is shown to the user).
int PlayMovie(const char* name);
// 0 when no movie is active. Otherwise shows the picture that is due over the client
// area, ends the movie when it has played out or can no longer be decoded, and returns 1
// (also on the call that ended it; the next call returns 0).
int PollMovie();
// Stops and releases the movie and removes its picture; safe when none is active.
void StopMovie();
