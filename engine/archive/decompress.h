// The archive's two decoders. Both write straight into the caller's buffer and never read
// past the packed bytes nor write past the buffer: data that would make them do either is
// refused as a corrupt entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/archive/archive_format.h"

// Result of a decoder on packed data that cannot be decoded into the buffer.
inline constexpr ptrdiff_t kCorruptEntry = -1;

// LZ77 decoder of the volume archive. Runs until its end token. Returns the number of
// bytes written, or kCorruptEntry when the data ends without an end token, a match reaches
// back before the first output byte, or the output would not fit the destination.
ptrdiff_t DecompressLzBlock(std::span<const uint8_t> source, std::span<uint8_t> destination);

// The LZW decoder's state. One decode at a time (the decoder is not re-entrant).
//
// A code's string is not kept as a chain of prefix codes: every string of the dictionary
// has been written to the output by the time it is defined (a new code is the previous
// string followed by the first byte of the string after it, and the two were written one
// after the other), so each code keeps where that happened and how long it is, and its
// string is copied from the output.
struct LzwString {
    uint32_t start;  // output position of the string's copy
    uint32_t length;
};

struct LzwState {
    int nextCode;  // the code the next string defines; 4096 once the dictionary is full
    LzwString strings[archive::kLzwDictionarySize];
};

extern LzwState gLzwState;

// LZW decoder of the picture archive. Runs until the end code or the end of the packed
// bytes. Returns the number of bytes written, or kCorruptEntry when a code lies beyond the
// next free code or the output would not fit the destination.
ptrdiff_t DecompressLzwBlock(std::span<const uint8_t> source, std::span<uint8_t> destination);
