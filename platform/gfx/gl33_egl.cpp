// A surfaceless EGL context for drawing without a display: tests, benchmarks and the
// headless game. The device draws into its own framebuffer, so no window surface is needed.
#include <epoxy/egl.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/gfx/device.h"

namespace gfx {

namespace {

bool HasExtension(const char* list, const char* name) {
    if (!list) return false;
    const size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[n] == '\0' || p[n] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

// The display is initialised once and kept for the life of the process: terminating it
// would take the contexts of every other surface with it.
EGLDisplay SurfacelessDisplay() {
    static std::once_flag once;
    static EGLDisplay display = EGL_NO_DISPLAY;
    std::call_once(once, [] {
        const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
        if (!HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless") ||
            !HasExtension(clientExtensions, "EGL_EXT_platform_base")) {
            std::fprintf(stderr, "gl33: EGL has no surfaceless platform\n");
            return;
        }
        EGLDisplay d =
            eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        EGLint major = 0, minor = 0;
        if (d == EGL_NO_DISPLAY || !eglInitialize(d, &major, &minor)) {
            std::fprintf(stderr, "gl33: cannot initialise the surfaceless EGL display\n");
            return;
        }
        display = d;
    });
    return display;
}

class HeadlessGlSurface final : public GlSurface {
public:
    HeadlessGlSurface(EGLDisplay display, EGLContext context)
        : display_(display), context_(context) {}
    ~HeadlessGlSurface() override {
        if (eglGetCurrentContext() == context_)
            eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
    }

    bool MakeCurrent() override {
        if (eglGetCurrentContext() == context_) return true;
        return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
    }

    // Nothing to show: the picture stays in the device's back buffer for ReadBackBuffer.
    void Show(uint32_t, uint32_t, uint32_t) override {}

private:
    EGLDisplay display_;
    EGLContext context_;
};

}  // namespace

GlSurface* CreateHeadlessGlSurface() {
    EGLDisplay display = SurfacelessDisplay();
    if (display == EGL_NO_DISPLAY) return nullptr;
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!HasExtension(extensions, "EGL_KHR_surfaceless_context")) {
        std::fprintf(stderr, "gl33: EGL cannot make a context current without a surface\n");
        return nullptr;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) return nullptr;

    EGLConfig config = EGL_NO_CONFIG_KHR;
    if (!HasExtension(extensions, "EGL_KHR_no_config_context")) {
        const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint count = 0;
        if (!eglChooseConfig(display, wanted, &config, 1, &count) || count < 1) return nullptr;
    }
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 3,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 3,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        std::fprintf(stderr, "gl33: cannot create an OpenGL 3.3 core context (EGL error 0x%x)\n",
                     eglGetError());
        return nullptr;
    }
    auto* surface = new HeadlessGlSurface(display, context);
    if (!surface->MakeCurrent()) {
        delete surface;
        return nullptr;
    }
    return surface;
}

}  // namespace gfx
