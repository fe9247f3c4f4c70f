// JPEG pictures, read by libjpeg (libjpeg-turbo), which writes B, G, R, A bytes: on this
// little-endian machine, the ARGB texels themselves.
//
// libjpeg carries on over damaged data with a warning, filling what is lost with grey; such
// warnings end the decoding here, so that a damaged or cut file is refused and told. Errors
// leave by longjmp: the functions that call into libjpeg hold nothing that needs destroying.
#include <cstddef>
#include <cstdio>

// libjpeg's header needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>

#include "platform/image/formats.h"

namespace image {

namespace {

// Progressive files may hold any number of scans; a real one has a dozen at most.
constexpr long kMaxScans = 256;
// The most memory one decoding may take (a progressive 4096 x 4096 file needs about 100 MB).
constexpr long kMaxDecoderMemory = 256L << 20;

struct JpegErrors {
    jpeg_error_mgr manager;
    jmp_buf back;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void LeaveWith(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    errors->manager.format_message(info, errors->message);
    std::longjmp(errors->back, 1);
}

void OnError(j_common_ptr info) {
    LeaveWith(info);
}

// Warnings that mean the picture's data is damaged or missing end the decoding; the others
// (an unknown JFIF version, stray bytes between markers) are let pass.
void OnMessage(j_common_ptr info, int level) {
    if (level != -1) return;
    switch (info->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL:
        case JWRN_BOGUS_PROGRESSION:
            LeaveWith(info);
        default:
            return;
    }
}

void OnProgress(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans) {
        auto* errors = reinterpret_cast<JpegErrors*>(info->err);
        std::snprintf(errors->message, sizeof errors->message, "more than %ld scans", kMaxScans);
        std::longjmp(errors->back, 1);
    }
}

enum class Header { Read, Damaged, TooLarge, Unsupported };

Header ReadHeader(jpeg_decompress_struct* info, JpegErrors* errors, jpeg_progress_mgr* progress,
                  std::span<const uint8_t> bytes) {
    if (setjmp(errors->back)) return Header::Damaged;
    jpeg_create_decompress(info);  // clears all but the error manager
    info->progress = progress;
    info->mem->max_memory_to_use = kMaxDecoderMemory;
    jpeg_mem_src(info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(info, TRUE);
    if (!PictureSizeFits(info->image_width, info->image_height)) return Header::TooLarge;
    if (info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK) {
        return Header::Unsupported;
    }
    info->out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(info);
    return info->output_width == info->image_width && info->output_height == info->image_height &&
                   info->output_components == 4
               ? Header::Read
               : Header::Unsupported;
}

bool ReadRows(jpeg_decompress_struct* info, JpegErrors* errors, Picture* out) {
    if (setjmp(errors->back)) return false;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            &out->texels[static_cast<size_t>(info->output_scanline) * out->width]);
        if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
    }
    jpeg_finish_decompress(info);
    return true;
}

}  // namespace

bool IsJpeg(std::span<const uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

bool DecodeJpeg(std::span<const uint8_t> bytes, Picture* out, const char** reason) {
    auto fail = [reason](const char* why) {
        if (reason) *reason = why;
        return false;
    };
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnError;
    errors.manager.emit_message = OnMessage;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = OnProgress;

    const Header header = ReadHeader(&info, &errors, &progress, bytes);
    bool ok = header == Header::Read;
    if (ok) {
        out->width = info.output_width;
        out->height = info.output_height;
        out->texels.resize(static_cast<size_t>(out->width) * out->height);
        ok = ReadRows(&info, &errors, out);
    }
    jpeg_destroy_decompress(&info);
    if (ok) return true;
    *out = Picture{};
    switch (header) {
        case Header::TooLarge:
            return fail("picture too large");
        case Header::Unsupported:
            return fail("a JPEG colour form that is not read (CMYK)");
        default:
            return fail(ReasonWithDetail("damaged JPEG file", errors.message));
    }
}

}  // namespace image
