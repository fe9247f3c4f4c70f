// Drawing the game's finished picture into the window's GL area: a full-area quad with a
// tiny program of its own, the picture stretched or letterboxed. The GL state it touches is
// put back as it was, because it shares the GL context with the graphics device.
#pragma once

#include <cstdint>

namespace win {

// A rectangle in framebuffer pixels, origin at the bottom left (GL's convention).
struct PresentRect {
    int x, y, width, height;
};

// The largest rectangle of the picture's proportions centred in the area (the bars left
// over are black).
PresentRect LetterboxRect(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight);

class GlPresenter {
public:
    // Compiles the program and makes the objects; the context must be current.
    bool Init();
    // Frees the GL objects; the context must be current.
    void Release();
    bool Ready() const { return program_ != 0; }

    // Clears the framebuffer (fbWidth x fbHeight) to black and draws the texture over rect.
    // topRowFirst: the texture's first row is the picture's top (pictures uploaded from
    // memory); otherwise the first row is the bottom (GL-rendered pictures).
    void Draw(uint32_t texture, const PresentRect& rect, int fbWidth, int fbHeight,
              bool topRowFirst);
    // Clears the framebuffer to black.
    void Clear(int fbWidth, int fbHeight);

    // Draws a texture whose first row is the picture's top over rect of a black picture of
    // fbWidth x fbHeight, as Draw would into a window, and reads that picture into memory:
    // rows top to bottom, stride bytes apart, each pixel a native-endian 0xFFRRGGBB word.
    // rect counts rows from the bottom, as GL does. A texture of exactly the picture's size
    // that covers it all is read as it is, without drawing. The GL state it touches is put
    // back. False when nothing could be read.
    bool ReadPicture(uint32_t texture, int textureWidth, int textureHeight, const PresentRect& rect,
                     int fbWidth, int fbHeight, uint8_t* pixels, int stride);

    // Copies an RGBA picture (rows top to bottom) into the overlay texture.
    void UploadOverlay(const uint8_t* rgba, int width, int height);
    uint32_t OverlayTexture() const { return overlay_; }
    void OverlaySize(int* width, int* height) const {
        *width = overlayWidth_;
        *height = overlayHeight_;
    }

private:
    uint32_t program_ = 0;
    uint32_t vertexArray_ = 0;
    uint32_t sampler_ = 0;
    uint32_t overlay_ = 0;
    int overlayWidth_ = 0, overlayHeight_ = 0;
    int flipLocation_ = -1;
    // ReadPicture's framebuffers: one that wraps the texture read as it is, one with a
    // renderbuffer of the picture's size to draw into.
    uint32_t readFramebuffer_ = 0;
    uint32_t drawFramebuffer_ = 0, drawRenderbuffer_ = 0;
    int drawWidth_ = 0, drawHeight_ = 0;
};

}  // namespace win
