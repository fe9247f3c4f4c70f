#include "platform/window/gl_present.h"

#include <epoxy/gl.h>

#include <cstdio>

namespace win {

namespace {

// The quad is made from gl_VertexID alone: vertices 0..3 are the corners of a strip.
constexpr char kVertexSource[] = R"(#version 330 core
uniform float uTopRowFirst;
out vec2 vUv;
void main() {
    vec2 p = vec2((gl_VertexID & 1) != 0 ? 1.0 : 0.0, (gl_VertexID & 2) != 0 ? 1.0 : 0.0);
    vUv = vec2(p.x, uTopRowFirst > 0.5 ? 1.0 - p.y : p.y);
    gl_Position = vec4(p * 2.0 - 1.0, 0.0, 1.0);
}
)";

constexpr char kFragmentSource[] = R"(#version 330 core
uniform sampler2D uPicture;
in vec2 vUv;
out vec4 outColor;
void main() {
    outColor = vec4(texture(uPicture, vUv).rgb, 1.0);
}
)";

GLuint CompileShader(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[512];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "window: presentation shader: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// The state Draw and UploadOverlay change, kept and put back around them.
class SavedState {
public:
    SavedState() {
        glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray_);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture_);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture_);
        glGetIntegerv(GL_SAMPLER_BINDING, &sampler_);
        glGetIntegerv(GL_VIEWPORT, viewport_);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor_);
        glGetBooleanv(GL_COLOR_WRITEMASK, colorMask_);
        glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer_);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment_);
        glGetIntegerv(GL_UNPACK_ROW_LENGTH, &unpackRowLength_);
        glGetIntegerv(GL_UNPACK_SKIP_ROWS, &unpackSkipRows_);
        glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &unpackSkipPixels_);
        for (int i = 0; i < kCapabilityCount; ++i) enabled_[i] = glIsEnabled(kCapabilities[i]);
    }
    ~SavedState() {
        for (int i = 0; i < kCapabilityCount; ++i) {
            if (enabled_[i]) {
                glEnable(kCapabilities[i]);
            } else {
                glDisable(kCapabilities[i]);
            }
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment_);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, unpackRowLength_);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, unpackSkipRows_);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, unpackSkipPixels_);
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpackBuffer_));
        glColorMask(colorMask_[0], colorMask_[1], colorMask_[2], colorMask_[3]);
        glClearColor(clearColor_[0], clearColor_[1], clearColor_[2], clearColor_[3]);
        glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
        glBindSampler(0, static_cast<GLuint>(sampler_));
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_));
        glActiveTexture(static_cast<GLenum>(activeTexture_));
        glBindVertexArray(static_cast<GLuint>(vertexArray_));
        glUseProgram(static_cast<GLuint>(program_));
    }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

    // Leaves a plain state for a full-area copy.
    static void Neutral() {
        for (GLenum cap : kCapabilities) glDisable(cap);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }

private:
    static constexpr GLenum kCapabilities[] = {GL_BLEND,        GL_DEPTH_TEST, GL_STENCIL_TEST,
                                               GL_SCISSOR_TEST, GL_CULL_FACE,  GL_FRAMEBUFFER_SRGB};
    static constexpr int kCapabilityCount = sizeof kCapabilities / sizeof kCapabilities[0];
    GLint program_ = 0, vertexArray_ = 0, activeTexture_ = GL_TEXTURE0, texture_ = 0, sampler_ = 0;
    GLint viewport_[4] = {};
    GLfloat clearColor_[4] = {};
    GLboolean colorMask_[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
    GLint unpackBuffer_ = 0, unpackAlignment_ = 4, unpackRowLength_ = 0, unpackSkipRows_ = 0,
          unpackSkipPixels_ = 0;
    GLboolean enabled_[kCapabilityCount] = {};
};

}  // namespace

PresentRect LetterboxRect(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight) {
    if (areaWidth <= 0 || areaHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) {
        return PresentRect{0, 0, areaWidth > 0 ? areaWidth : 0, areaHeight > 0 ? areaHeight : 0};
    }
    // Compare the proportions in integers: the picture fills the width when it is the
    // wider of the two.
    int64_t byWidth = static_cast<int64_t>(areaWidth) * pictureHeight;
    int64_t byHeight = static_cast<int64_t>(areaHeight) * pictureWidth;
    int width, height;
    if (byWidth <= byHeight) {
        width = areaWidth;
        height = static_cast<int>(byWidth / pictureWidth);
    } else {
        height = areaHeight;
        width = static_cast<int>(byHeight / pictureHeight);
    }
    return PresentRect{(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

bool GlPresenter::Init() {
    if (program_) return true;
    GLuint vs = CompileShader(GL_VERTEX_SHADER, kVertexSource);
    GLuint fs = CompileShader(GL_FRAGMENT_SHADER, kFragmentSource);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return false;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        glDeleteProgram(program);
        return false;
    }
    program_ = program;
    flipLocation_ = glGetUniformLocation(program, "uTopRowFirst");

    GLint previousProgram = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previousProgram);
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "uPicture"), 0);
    glUseProgram(static_cast<GLuint>(previousProgram));

    glGenVertexArrays(1, &vertexArray_);
    glGenSamplers(1, &sampler_);
    glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return true;
}

void GlPresenter::Release() {
    if (readFramebuffer_) glDeleteFramebuffers(1, &readFramebuffer_);
    if (drawFramebuffer_) glDeleteFramebuffers(1, &drawFramebuffer_);
    if (drawRenderbuffer_) glDeleteRenderbuffers(1, &drawRenderbuffer_);
    readFramebuffer_ = drawFramebuffer_ = drawRenderbuffer_ = 0;
    drawWidth_ = drawHeight_ = 0;
    if (overlay_) glDeleteTextures(1, &overlay_);
    if (sampler_) glDeleteSamplers(1, &sampler_);
    if (vertexArray_) glDeleteVertexArrays(1, &vertexArray_);
    if (program_) glDeleteProgram(program_);
    overlay_ = sampler_ = vertexArray_ = program_ = 0;
    overlayWidth_ = overlayHeight_ = 0;
}

void GlPresenter::Clear(int fbWidth, int fbHeight) {
    SavedState saved;
    SavedState::Neutral();
    glViewport(0, 0, fbWidth, fbHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void GlPresenter::Draw(uint32_t texture, const PresentRect& rect, int fbWidth, int fbHeight,
                       bool topRowFirst) {
    if (!program_) return;
    SavedState saved;
    SavedState::Neutral();
    glViewport(0, 0, fbWidth, fbHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(rect.x, rect.y, rect.width, rect.height);
    glUseProgram(program_);
    glUniform1f(flipLocation_, topRowFirst ? 1.0f : 0.0f);
    glBindVertexArray(vertexArray_);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindSampler(0, sampler_);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

bool GlPresenter::ReadPicture(uint32_t texture, int textureWidth, int textureHeight,
                              const PresentRect& rect, int fbWidth, int fbHeight, uint8_t* pixels,
                              int stride) {
    if (!program_ || fbWidth <= 0 || fbHeight <= 0 || stride < fbWidth * 4 || stride % 4 != 0)
        return false;
    GLint drawBinding = 0, readBinding = 0, packBuffer = 0, packAlignment = 4, packRowLength = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawBinding);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glGetIntegerv(GL_PACK_ROW_LENGTH, &packRowLength);

    const bool asItIs = rect.x == 0 && rect.y == 0 && rect.width == fbWidth &&
                        rect.height == fbHeight && textureWidth == fbWidth &&
                        textureHeight == fbHeight;
    if (asItIs) {
        // The texture's first row is the picture's top: read in order, it comes top first.
        if (!readFramebuffer_) glGenFramebuffers(1, &readFramebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, readFramebuffer_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    } else {
        if (!drawFramebuffer_) {
            glGenFramebuffers(1, &drawFramebuffer_);
            glGenRenderbuffers(1, &drawRenderbuffer_);
        }
        glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer_);
        if (drawWidth_ != fbWidth || drawHeight_ != fbHeight) {
            glBindRenderbuffer(GL_RENDERBUFFER, drawRenderbuffer_);
            glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, fbWidth, fbHeight);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                      drawRenderbuffer_);
            drawWidth_ = fbWidth;
            drawHeight_ = fbHeight;
        }
        // Drawn upside down (the texture's first row into the framebuffer's first row), so
        // that the read comes top first; the rectangle is mirrored to match.
        PresentRect mirrored = rect;
        mirrored.y = fbHeight - rect.y - rect.height;
        Draw(texture, mirrored, fbWidth, fbHeight, false);
    }
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glPixelStorei(GL_PACK_ROW_LENGTH, stride / 4);
        glReadPixels(0, 0, fbWidth, fbHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
    }
    if (asItIs) glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glPixelStorei(GL_PACK_ROW_LENGTH, packRowLength);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawBinding));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readBinding));
    return complete;
}

void GlPresenter::UploadOverlay(const uint8_t* rgba, int width, int height) {
    if (!program_ || !rgba || width <= 0 || height <= 0) return;
    SavedState saved;
    if (!overlay_) glGenTextures(1, &overlay_);
    glBindTexture(GL_TEXTURE_2D, overlay_);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    if (width == overlayWidth_ && height == overlayHeight_) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        overlayWidth_ = width;
        overlayHeight_ = height;
    }
}

}  // namespace win
