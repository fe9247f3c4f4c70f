// The FFmpeg movie backend. The demuxer is read only as far as the pictures that are due
// need; sound packets met on the way are decoded, resampled to the mixer's format and
// queued on its stream, so the sound runs just ahead of the pictures.
//
// The libraries are not linked: with what they depend on they are some eighty shared
// libraries, whose loading and start-up code would delay every start of the program while
// only a movie needs them. They are opened when first needed (or ahead of that by
// PreloadBackend) and their functions are called through one table; the headers give
// only the types, the macros and the libraries' major versions.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/macros.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}
#include <dlfcn.h>

#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/audio/audio.h"
#include "platform/movie/movie.h"

namespace movie {

namespace {

// The libraries in the order they are opened, each after those it depends on.
enum Library { kAvutil, kSwresample, kSwscale, kAvcodec, kAvformat, kLibraryCount };

// By the major versions of the headers this file was built with: a library of another
// major version has another interface.
constexpr const char* kLibraryNames[kLibraryCount] = {
    "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
    "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR),
    "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR),
    "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
    "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR),
};

// Every function this backend calls, with the library that holds it.
#define VQ_FFMPEG_FUNCTIONS(X)                 \
    X(kAvutil, av_log_set_level)               \
    X(kAvutil, av_frame_alloc)                 \
    X(kAvutil, av_frame_free)                  \
    X(kAvutil, av_frame_unref)                 \
    X(kAvutil, av_rescale)                     \
    X(kAvutil, av_rescale_q)                   \
    X(kSwresample, swr_alloc_set_opts2)        \
    X(kSwresample, swr_init)                   \
    X(kSwresample, swr_free)                   \
    X(kSwresample, swr_get_out_samples)        \
    X(kSwresample, swr_convert)                \
    X(kSwscale, sws_getCachedContext)          \
    X(kSwscale, sws_scale)                     \
    X(kSwscale, sws_freeContext)               \
    X(kAvcodec, avcodec_find_decoder)          \
    X(kAvcodec, avcodec_alloc_context3)        \
    X(kAvcodec, avcodec_parameters_to_context) \
    X(kAvcodec, avcodec_open2)                 \
    X(kAvcodec, avcodec_free_context)          \
    X(kAvcodec, avcodec_send_packet)           \
    X(kAvcodec, avcodec_receive_frame)         \
    X(kAvcodec, av_packet_alloc)               \
    X(kAvcodec, av_packet_free)                \
    X(kAvcodec, av_packet_unref)               \
    X(kAvformat, avformat_open_input)          \
    X(kAvformat, avformat_find_stream_info)    \
    X(kAvformat, av_find_best_stream)          \
    X(kAvformat, avformat_close_input)         \
    X(kAvformat, av_read_frame)

struct Functions {
#define VQ_FFMPEG_DECLARE(library, name) decltype(&::name) name;
    VQ_FFMPEG_FUNCTIONS(VQ_FFMPEG_DECLARE)
#undef VQ_FFMPEG_DECLARE
};

// Filled once by LoadLibraries and never changed after; read only by clips, which exist
// only once it succeeded.
Functions gAv{};
bool gLoaded = false;
std::once_flag gLoadOnce;

// Opens the libraries and looks up every function. Anything missing leaves gLoaded false:
// then every clip fails to open, as a file that cannot be played does. The libraries stay
// open for the life of the process, also after a failure (closing them gains nothing and
// some do not unload cleanly).
void LoadLibraries() {
    void* handles[kLibraryCount] = {};
    for (int i = 0; i < kLibraryCount; ++i) {
        handles[i] = dlopen(kLibraryNames[i], RTLD_NOW | RTLD_LOCAL);
        if (!handles[i]) return;
    }
    Functions found{};
#define VQ_FFMPEG_RESOLVE(library, name)                                              \
    found.name = reinterpret_cast<decltype(&::name)>(dlsym(handles[library], #name)); \
    if (!found.name) return;
    VQ_FFMPEG_FUNCTIONS(VQ_FFMPEG_RESOLVE)
#undef VQ_FFMPEG_RESOLVE
    gAv = found;
    // The clip's own problems are handled here; the libraries need not print them.
    gAv.av_log_set_level(AV_LOG_FATAL);
    gLoaded = true;
}

constexpr int kMaxSide = 4096;            // larger pictures are refused
constexpr uint32_t kDefaultFrameMs = 40;  // when the stream gives no frame rate

class FfmpegClip : public Clip {
public:
    ~FfmpegClip() override {
        if (hasSound_) audio::StopStream();
        gAv.sws_freeContext(scaler_);
        gAv.swr_free(&resampler_);
        gAv.av_frame_free(&frame_);
        gAv.av_frame_free(&pending_);
        gAv.av_frame_free(&due_);
        gAv.av_packet_free(&packet_);
        gAv.avcodec_free_context(&video_);
        gAv.avcodec_free_context(&sound_);
        gAv.avformat_close_input(&format_);
    }

    bool Open(const char* path) {
        if (gAv.avformat_open_input(&format_, path, nullptr, nullptr) < 0) return false;
        if (gAv.avformat_find_stream_info(format_, nullptr) < 0) return false;
        videoIndex_ = gAv.av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (videoIndex_ < 0) return false;
        AVStream* vs = format_->streams[videoIndex_];
        video_ = OpenDecoder(vs->codecpar);
        if (!video_) return false;
        if (video_->width <= 0 || video_->height <= 0 || video_->width > kMaxSide ||
            video_->height > kMaxSide) {
            return false;
        }
        videoBase_ = vs->time_base;
        AVRational rate = vs->avg_frame_rate.num > 0 ? vs->avg_frame_rate : vs->r_frame_rate;
        if (rate.num > 0 && rate.den > 0) {
            frameMs_ = static_cast<uint32_t>(gAv.av_rescale(1000, rate.den, rate.num));
            if (frameMs_ == 0) frameMs_ = 1;
        }
        packet_ = gAv.av_packet_alloc();
        frame_ = gAv.av_frame_alloc();
        pending_ = gAv.av_frame_alloc();
        due_ = gAv.av_frame_alloc();
        if (!packet_ || !frame_ || !pending_ || !due_) return false;
        OpenSound();
        return true;
    }

    ClipStatus Advance(uint32_t elapsedMs) override {
        if (status_ != ClipStatus::Playing) return status_;
        // Every picture that has come due is passed; only the last one is converted, so a
        // late advance catches up without converting pictures nobody sees.
        bool due = false;
        for (;;) {
            if (!hasPending_) {
                if (!NextPicture()) break;
                hasPending_ = true;
            }
            if (pendingMs_ > elapsedMs) break;
            std::swap(due_, pending_);
            gAv.av_frame_unref(pending_);
            hasPending_ = false;
            due = true;
            lastMs_ = pendingMs_;
            ++count_;
        }
        if (due && !ConvertDue()) failed_ = true;
        if (failed_) {
            status_ = ClipStatus::Failed;
        } else if (videoEnded_ && !hasPending_ && elapsedMs >= lastMs_ + frameMs_) {
            status_ = ClipStatus::Ended;
        }
        return status_;
    }

    const uint8_t* Picture(int* width, int* height) const override {
        *width = width_;
        *height = height_;
        return width_ > 0 ? pixels_.data() : nullptr;
    }

    uint32_t PictureCount() const override { return count_; }

private:
    AVCodecContext* OpenDecoder(const AVCodecParameters* par) {
        const AVCodec* codec = gAv.avcodec_find_decoder(par->codec_id);
        if (!codec) return nullptr;
        AVCodecContext* ctx = gAv.avcodec_alloc_context3(codec);
        if (!ctx) return nullptr;
        if (gAv.avcodec_parameters_to_context(ctx, par) < 0 ||
            gAv.avcodec_open2(ctx, codec, nullptr) < 0) {
            gAv.avcodec_free_context(&ctx);
            return nullptr;
        }
        return ctx;
    }

    // The sound is optional: without a stream or a decoder the clip plays silent.
    void OpenSound() {
        soundIndex_ = gAv.av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (soundIndex_ < 0) return;
        sound_ = OpenDecoder(format_->streams[soundIndex_]->codecpar);
        if (!sound_) return;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        if (gAv.swr_alloc_set_opts2(&resampler_, &stereo, AV_SAMPLE_FMT_S16, audio::kSampleRate,
                                    &sound_->ch_layout, sound_->sample_fmt, sound_->sample_rate, 0,
                                    nullptr) < 0 ||
            gAv.swr_init(resampler_) < 0) {
            gAv.swr_free(&resampler_);
            gAv.avcodec_free_context(&sound_);
            return;
        }
        hasSound_ = true;
        audio::StartStream();
    }

    // Decodes the next picture into pending_; false at the end of the pictures or on an
    // error (failed_ set).
    bool NextPicture() {
        for (;;) {
            int r = gAv.avcodec_receive_frame(video_, pending_);
            if (r == 0) {
                pendingMs_ = PictureTime(pending_);
                return true;
            }
            if (r == AVERROR_EOF) {
                videoEnded_ = true;
                return false;
            }
            if (r != AVERROR(EAGAIN) || demuxEnded_) {
                // An error, or a decoder that wants more after it was flushed.
                failed_ = r != AVERROR(EAGAIN);
                videoEnded_ = true;
                return false;
            }
            r = gAv.av_read_frame(format_, packet_);
            if (r == AVERROR_EOF) {
                demuxEnded_ = true;
                gAv.avcodec_send_packet(video_, nullptr);
                if (hasSound_) {
                    gAv.avcodec_send_packet(sound_, nullptr);
                    DrainSound();
                }
                continue;
            }
            if (r < 0) {
                failed_ = true;
                return false;
            }
            if (packet_->stream_index == videoIndex_) {
                r = gAv.avcodec_send_packet(video_, packet_);
                gAv.av_packet_unref(packet_);
                if (r < 0 && r != AVERROR(EAGAIN)) {
                    failed_ = true;
                    return false;
                }
            } else if (hasSound_ && packet_->stream_index == soundIndex_) {
                r = gAv.avcodec_send_packet(sound_, packet_);
                gAv.av_packet_unref(packet_);
                if (r < 0) {
                    StopSound();  // the pictures go on without sound
                } else {
                    DrainSound();
                }
            } else {
                gAv.av_packet_unref(packet_);
            }
        }
    }

    uint32_t PictureTime(const AVFrame* f) {
        int64_t pts = f->best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE) {
            // No time stamp: the picture follows the previous one by one frame.
            return count_ == 0 && !haveBase_ ? 0 : lastMs_ + frameMs_;
        }
        if (!haveBase_) {
            basePts_ = pts;
            haveBase_ = true;
        }
        int64_t ms = gAv.av_rescale_q(pts - basePts_, videoBase_, AVRational{1, 1000});
        if (ms < 0) ms = 0;
        if (ms > UINT32_MAX) ms = UINT32_MAX;
        return static_cast<uint32_t>(ms);
    }

    bool ConvertDue() {
        int w = due_->width, h = due_->height;
        if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return false;
        scaler_ =
            gAv.sws_getCachedContext(scaler_, w, h, static_cast<AVPixelFormat>(due_->format), w, h,
                                     AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!scaler_) return false;
        pixels_.resize(static_cast<size_t>(w) * h * 4);
        uint8_t* dst[4] = {pixels_.data(), nullptr, nullptr, nullptr};
        int stride[4] = {w * 4, 0, 0, 0};
        if (gAv.sws_scale(scaler_, due_->data, due_->linesize, 0, h, dst, stride) != h)
            return false;
        width_ = w;
        height_ = h;
        gAv.av_frame_unref(due_);
        return true;
    }

    void DrainSound() {
        while (hasSound_) {
            int r = gAv.avcodec_receive_frame(sound_, frame_);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return;
            if (r < 0) {
                StopSound();
                return;
            }
            QueueSound(frame_);
            gAv.av_frame_unref(frame_);
        }
    }

    void QueueSound(const AVFrame* f) {
        int room = gAv.swr_get_out_samples(resampler_, f->nb_samples);
        if (room <= 0) return;
        soundBuffer_.resize(static_cast<size_t>(room) * audio::kChannels);
        uint8_t* out[1] = {reinterpret_cast<uint8_t*>(soundBuffer_.data())};
        int got = gAv.swr_convert(resampler_, out, room,
                                  const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
        if (got > 0) audio::WriteStream(soundBuffer_.data(), static_cast<uint32_t>(got));
    }

    void StopSound() {
        if (!hasSound_) return;
        hasSound_ = false;
        audio::StopStream();
    }

    AVFormatContext* format_ = nullptr;
    AVCodecContext* video_ = nullptr;
    AVCodecContext* sound_ = nullptr;
    SwsContext* scaler_ = nullptr;
    SwrContext* resampler_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;    // sound
    AVFrame* pending_ = nullptr;  // the next picture, decoded but not yet due
    AVFrame* due_ = nullptr;      // the latest picture that came due, to be converted
    int videoIndex_ = -1;
    int soundIndex_ = -1;
    bool hasSound_ = false;
    AVRational videoBase_{1, 1000};
    int64_t basePts_ = 0;
    bool haveBase_ = false;
    uint32_t frameMs_ = kDefaultFrameMs;
    bool hasPending_ = false;
    uint32_t pendingMs_ = 0;
    uint32_t lastMs_ = 0;
    bool demuxEnded_ = false;
    bool videoEnded_ = false;
    bool failed_ = false;
    ClipStatus status_ = ClipStatus::Playing;
    std::vector<uint8_t> pixels_;
    std::vector<int16_t> soundBuffer_;
    int width_ = 0, height_ = 0;
    uint32_t count_ = 0;
};

}  // namespace

bool LoadFfmpeg() {
    std::call_once(gLoadOnce, LoadLibraries);
    return gLoaded;
}

Clip* OpenFfmpegClip(const char* path) {
    if (!LoadFfmpeg()) return nullptr;
    auto* clip = new FfmpegClip;
    if (!clip->Open(path)) {
        delete clip;
        return nullptr;
    }
    return clip;
}

}  // namespace movie
