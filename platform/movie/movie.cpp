// Opening and closing clips, readying the ffmpeg backend ahead of its first clip, and the
// null backend: black pictures for a set time.
#include <sys/stat.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/movie/movie.h"

namespace movie {

bool LoadFfmpeg();
Clip* OpenFfmpegClip(const char* path);

namespace {

// A program that ends while the libraries are being loaded waits for that loading.
struct PreloadThread {
    std::thread thread;
    ~PreloadThread() {
        if (thread.joinable()) thread.join();
    }
} gPreload;
std::once_flag gPreloadOnce;

constexpr int kWidth = 64;
constexpr int kHeight = 48;
std::atomic<uint32_t> gNullLength{0};
std::atomic<bool> gNullFails{false};

class NullClip : public Clip {
public:
    NullClip(uint32_t length, bool fails)
        : length_(length), fails_(fails), pixels_(kWidth * kHeight * 4, 0) {
        for (size_t i = 3; i < pixels_.size(); i += 4) pixels_[i] = 255;
    }

    ClipStatus Advance(uint32_t elapsedMs) override {
        if (status_ != ClipStatus::Playing) return status_;
        if (count_ == 0) count_ = 1;
        if (elapsedMs >= length_) status_ = fails_ ? ClipStatus::Failed : ClipStatus::Ended;
        return status_;
    }

    const uint8_t* Picture(int* width, int* height) const override {
        *width = count_ ? kWidth : 0;
        *height = count_ ? kHeight : 0;
        return count_ ? pixels_.data() : nullptr;
    }

    uint32_t PictureCount() const override { return count_; }

private:
    uint32_t length_;
    bool fails_;
    std::vector<uint8_t> pixels_;
    uint32_t count_ = 0;
    ClipStatus status_ = ClipStatus::Playing;
};

}  // namespace

Clip* OpenClip(Backend backend, const char* path) {
    if (!path) return nullptr;
    if (backend == Backend::Ffmpeg) return OpenFfmpegClip(path);
    struct stat st;
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    return new NullClip(gNullLength.load(), gNullFails.load());
}

void CloseClip(Clip* clip) {
    delete clip;
}

void PreloadBackend(Backend backend) {
    if (backend != Backend::Ffmpeg) return;
    std::call_once(gPreloadOnce, [] { gPreload.thread = std::thread([] { LoadFfmpeg(); }); });
}

void SetNullClipLength(uint32_t ms) {
    gNullLength.store(ms);
}

void SetNullClipFails(bool fails) {
    gNullFails.store(fails);
}

}  // namespace movie
