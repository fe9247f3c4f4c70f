// The FFmpeg movie backend. The demuxer is read only as far as the pictures that are due
// need; sound packets met on the way are decoded, resampled to the mixer's format and
// queued on its stream, so the sound runs just ahead of the pictures.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/audio/audio.h"
#include "platform/movie/movie.h"

namespace movie {

namespace {

constexpr int kMaxSide = 4096;            // larger pictures are refused
constexpr uint32_t kDefaultFrameMs = 40;  // when the stream gives no frame rate

class FfmpegClip : public Clip {
public:
    ~FfmpegClip() override {
        if (hasSound_) audio::StopStream();
        sws_freeContext(scaler_);
        swr_free(&resampler_);
        av_frame_free(&frame_);
        av_frame_free(&pending_);
        av_frame_free(&due_);
        av_packet_free(&packet_);
        avcodec_free_context(&video_);
        avcodec_free_context(&sound_);
        avformat_close_input(&format_);
    }

    bool Open(const char* path) {
        if (avformat_open_input(&format_, path, nullptr, nullptr) < 0) return false;
        if (avformat_find_stream_info(format_, nullptr) < 0) return false;
        videoIndex_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
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
            frameMs_ = static_cast<uint32_t>(av_rescale(1000, rate.den, rate.num));
            if (frameMs_ == 0) frameMs_ = 1;
        }
        packet_ = av_packet_alloc();
        frame_ = av_frame_alloc();
        pending_ = av_frame_alloc();
        due_ = av_frame_alloc();
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
            av_frame_unref(pending_);
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
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        if (!codec) return nullptr;
        AVCodecContext* ctx = avcodec_alloc_context3(codec);
        if (!ctx) return nullptr;
        if (avcodec_parameters_to_context(ctx, par) < 0 || avcodec_open2(ctx, codec, nullptr) < 0) {
            avcodec_free_context(&ctx);
            return nullptr;
        }
        return ctx;
    }

    // The sound is optional: without a stream or a decoder the clip plays silent.
    void OpenSound() {
        soundIndex_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (soundIndex_ < 0) return;
        sound_ = OpenDecoder(format_->streams[soundIndex_]->codecpar);
        if (!sound_) return;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        if (swr_alloc_set_opts2(&resampler_, &stereo, AV_SAMPLE_FMT_S16, audio::kSampleRate,
                                &sound_->ch_layout, sound_->sample_fmt, sound_->sample_rate, 0,
                                nullptr) < 0 ||
            swr_init(resampler_) < 0) {
            swr_free(&resampler_);
            avcodec_free_context(&sound_);
            return;
        }
        hasSound_ = true;
        audio::StartStream();
    }

    // Decodes the next picture into pending_; false at the end of the pictures or on an
    // error (failed_ set).
    bool NextPicture() {
        for (;;) {
            int r = avcodec_receive_frame(video_, pending_);
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
            r = av_read_frame(format_, packet_);
            if (r == AVERROR_EOF) {
                demuxEnded_ = true;
                avcodec_send_packet(video_, nullptr);
                if (hasSound_) {
                    avcodec_send_packet(sound_, nullptr);
                    DrainSound();
                }
                continue;
            }
            if (r < 0) {
                failed_ = true;
                return false;
            }
            if (packet_->stream_index == videoIndex_) {
                r = avcodec_send_packet(video_, packet_);
                av_packet_unref(packet_);
                if (r < 0 && r != AVERROR(EAGAIN)) {
                    failed_ = true;
                    return false;
                }
            } else if (hasSound_ && packet_->stream_index == soundIndex_) {
                r = avcodec_send_packet(sound_, packet_);
                av_packet_unref(packet_);
                if (r < 0) {
                    StopSound();  // the pictures go on without sound
                } else {
                    DrainSound();
                }
            } else {
                av_packet_unref(packet_);
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
        int64_t ms = av_rescale_q(pts - basePts_, videoBase_, AVRational{1, 1000});
        if (ms < 0) ms = 0;
        if (ms > UINT32_MAX) ms = UINT32_MAX;
        return static_cast<uint32_t>(ms);
    }

    bool ConvertDue() {
        int w = due_->width, h = due_->height;
        if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return false;
        scaler_ = sws_getCachedContext(scaler_, w, h, static_cast<AVPixelFormat>(due_->format), w,
                                       h, AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!scaler_) return false;
        pixels_.resize(static_cast<size_t>(w) * h * 4);
        uint8_t* dst[4] = {pixels_.data(), nullptr, nullptr, nullptr};
        int stride[4] = {w * 4, 0, 0, 0};
        if (sws_scale(scaler_, due_->data, due_->linesize, 0, h, dst, stride) != h) return false;
        width_ = w;
        height_ = h;
        av_frame_unref(due_);
        return true;
    }

    void DrainSound() {
        while (hasSound_) {
            int r = avcodec_receive_frame(sound_, frame_);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return;
            if (r < 0) {
                StopSound();
                return;
            }
            QueueSound(frame_);
            av_frame_unref(frame_);
        }
    }

    void QueueSound(const AVFrame* f) {
        int room = swr_get_out_samples(resampler_, f->nb_samples);
        if (room <= 0) return;
        soundBuffer_.resize(static_cast<size_t>(room) * audio::kChannels);
        uint8_t* out[1] = {reinterpret_cast<uint8_t*>(soundBuffer_.data())};
        int got = swr_convert(resampler_, out, room, const_cast<const uint8_t**>(f->extended_data),
                              f->nb_samples);
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

Clip* OpenFfmpegClip(const char* path) {
    // The clip's own problems are handled here; the libraries need not print them.
    av_log_set_level(AV_LOG_FATAL);
    auto* clip = new FfmpegClip;
    if (!clip->Open(path)) {
        delete clip;
        return nullptr;
    }
    return clip;
}

}  // namespace movie
