#include "engine/movie/movie.h"

#include <cstdio>
#include <cstring>

#include "engine/core/context.h"
#include "platform/system/system.h"

MoviePlayer gMoviePlayer;

namespace {

movie::Backend MovieBackend() {
    return gPlatform.backends.movie == PlatformBackends::Movie::Ffmpeg ? movie::Backend::Ffmpeg
                                                                       : movie::Backend::Null;
}

win::WindowRect ClientRect() {
    win::WindowRect r{0, 0, 0, 0};
    if (gPlatform.mainWindow) gPlatform.mainWindow->GetClientSize(&r.right, &r.bottom);
    return r;
}

bool SameRect(const win::WindowRect& a, const win::WindowRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

int PlayMovie(const char* name) {
    StopMovie();
    if (!name) return 0;
    char path[kMoviePathLimit + 1];
    int length = std::snprintf(path, sizeof path, "%s%s", GetProgramDirectory(), name);
    // A path that does not fit is refused rather than cut into the name of another file.
    if (length < 0 || length > kMoviePathLimit) return 0;
    movie::Clip* clip = movie::OpenClip(MovieBackend(), path);
    if (!clip) return 0;
    gMoviePlayer.clip = clip;
    gMoviePlayer.startTime = sys::TimeMs();
    gMoviePlayer.shownPictures = 0;
    gMoviePlayer.clientRect = ClientRect();
    return 1;
}

int PollMovie() {
    MoviePlayer& m = gMoviePlayer;
    if (!m.clip) return 0;
    // A new client rectangle (zoom or resize) has the picture shown again to fill it.
    bool reshow = false;
    win::WindowRect client = ClientRect();
    if (!SameRect(client, m.clientRect)) {
        m.clientRect = client;
        reshow = true;
    }
    movie::ClipStatus status = m.clip->Advance(sys::TimeMs() - m.startTime);
    uint32_t pictures = m.clip->PictureCount();
    if ((pictures != m.shownPictures || reshow) && gPlatform.mainWindow) {
        int width = 0, height = 0;
        const uint8_t* rgba = m.clip->Picture(&width, &height);
        if (rgba) gPlatform.mainWindow->ShowOverlayFrame(rgba, width, height);
    }
    m.shownPictures = pictures;
    // Its end and a decoding error alike end the movie: the game never stays on a
    // picture that no longer changes.
    if (status != movie::ClipStatus::Playing) StopMovie();
    return 1;
}

void StopMovie() {
    MoviePlayer& m = gMoviePlayer;
    if (!m.clip) return;
    movie::CloseClip(m.clip);
    m.clip = nullptr;
    m.shownPictures = 0;
    if (gPlatform.mainWindow) gPlatform.mainWindow->ShowOverlayFrame(nullptr, 0, 0);
}
