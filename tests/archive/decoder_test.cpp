// The two decoders: the format's own byte examples, token and code edge cases, agreement
// with plain one-byte-at-a-time decoding on random streams, and refusal of corrupt data.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/archive/decompress.h"
#include "tests/archive/decode.h"

namespace {

using archivetest::Bytes;
using archivetest::Lz;
using archivetest::Lzw;

// The LZ77 format decoded the plain way: one token, one byte at a time. Returns false for
// data that is corrupt by the same rules as the game's decoder.
bool PlainLz(const Bytes& in, size_t capacity, Bytes* out) {
    out->clear();
    size_t i = 0;
    for (;;) {
        if (i >= in.size()) return false;
        const uint8_t flags = in[i++];
        for (int bit = 7; bit >= 0; --bit) {
            if (((flags >> bit) & 1) == 0) {
                if (i >= in.size() || out->size() >= capacity) return false;
                out->push_back(in[i++]);
                continue;
            }
            if (i + 2 > in.size()) return false;
            const size_t distance = static_cast<size_t>(in[i] >> 4) * 256 + in[i + 1];
            if (distance == 0) return true;
            size_t length = (in[i] & 0x0F) + 1u;
            if (length == 1) {
                if (i + 3 > in.size()) return false;
                length = in[i + 2] + 17u;
                i += 3;
            } else {
                i += 2;
            }
            if (distance > out->size() || out->size() + length > capacity) return false;
            for (size_t k = 0; k < length; ++k) out->push_back((*out)[out->size() - distance]);
        }
    }
}

// The LZW format decoded by walking each code's prefix chain onto a stack.
bool PlainLzw(const Bytes& in, size_t capacity, Bytes* out) {
    out->clear();
    std::vector<int> prefix(4096, -1);
    std::vector<uint8_t> last(4096, 0);
    size_t bitPos = 0;
    auto next = [&]() -> int {
        if (bitPos + 12 > in.size() * 8) return -1;
        int code = 0;
        for (int b = 0; b < 12; ++b, ++bitPos) {
            code = code << 1 | ((in[bitPos / 8] >> (7 - bitPos % 8)) & 1);
        }
        return code;
    };
    auto expand = [&](int code) {
        Bytes stack;
        while (code > 255) {
            stack.push_back(last[static_cast<size_t>(code)]);
            code = prefix[static_cast<size_t>(code)];
        }
        stack.push_back(static_cast<uint8_t>(code));
        return Bytes(stack.rbegin(), stack.rend());
    };
    int code = next();
    if (code < 0 || code == 256) return true;
    if (code > 255 || capacity == 0) return false;
    out->push_back(static_cast<uint8_t>(code));
    int previous = code;
    int nextCode = 257;
    for (;;) {
        code = next();
        if (code < 0 || code == 256) return true;
        Bytes s;
        if (code < nextCode) {
            s = expand(code);
        } else if (code == nextCode) {
            s = expand(previous);
            s.push_back(s[0]);
        } else {
            return false;
        }
        if (out->size() + s.size() > capacity) return false;
        out->insert(out->end(), s.begin(), s.end());
        if (nextCode <= 4095) {
            prefix[static_cast<size_t>(nextCode)] = previous;
            last[static_cast<size_t>(nextCode)] = s[0];
            ++nextCode;
        }
        previous = code;
    }
}

// Packs 12-bit codes most significant bit first.
Bytes Codes(const std::vector<int>& codes) {
    Bytes out;
    uint32_t bits = 0;
    int count = 0;
    for (int c : codes) {
        bits = bits << 12 | static_cast<uint32_t>(c);
        count += 12;
        while (count >= 8) {
            count -= 8;
            out.push_back(static_cast<uint8_t>(bits >> count));
        }
    }
    if (count > 0) out.push_back(static_cast<uint8_t>(bits << (8 - count)));
    return out;
}

// A random valid LZ stream of about outputSize bytes: literals, flag bytes of zero, short
// and long matches at every distance the output allows, and the end token.
Bytes RandomLzStream(std::mt19937& rng, size_t outputSize, int maxDistance) {
    Bytes in;
    size_t produced = 0;
    size_t flagAt = 0;
    int tokens = 8;
    bool ended = false;
    while (!ended) {
        if (tokens == 8) {
            flagAt = in.size();
            in.push_back(0);
            tokens = 0;
        }
        const bool end = produced >= outputSize;
        const bool match = end || (produced > 0 && rng() % 3 != 0);
        if (!match) {
            in.push_back(static_cast<uint8_t>(rng() % 4));
            ++produced;
        } else if (end) {
            in[flagAt] |= static_cast<uint8_t>(0x80 >> tokens);
            in.push_back(static_cast<uint8_t>(rng() % 16));  // the ignored length nibble
            in.push_back(0);
            ended = true;
        } else {
            in[flagAt] |= static_cast<uint8_t>(0x80 >> tokens);
            const int limit = static_cast<int>(std::min<size_t>(produced, maxDistance));
            const int distance = rng() % 2 ? 1 + static_cast<int>(rng() % std::min(limit, 9))
                                           : 1 + static_cast<int>(rng() % limit);
            const int length = rng() % 4 == 0 ? 17 + static_cast<int>(rng() % 256)
                                              : 2 + static_cast<int>(rng() % 15);
            if (length <= 16) {
                in.push_back(static_cast<uint8_t>((distance >> 8) << 4 | (length - 1)));
                in.push_back(static_cast<uint8_t>(distance));
            } else {
                in.push_back(static_cast<uint8_t>((distance >> 8) << 4));
                in.push_back(static_cast<uint8_t>(distance));
                in.push_back(static_cast<uint8_t>(length - 17));
            }
            produced += static_cast<size_t>(length);
        }
        ++tokens;
    }
    return in;
}

TEST(LzDecoder, ByteExamples) {
    bool corrupt = true;
    EXPECT_EQ(Lz({0x80, 0x00, 0x00}, 16, &corrupt), Bytes{});
    EXPECT_FALSE(corrupt);
    EXPECT_EQ(Lz({0x60, 0x41, 0x03, 0x01, 0x00, 0x00}, 16), Bytes(5, 0x41));

    // 256 literals, then a long match b0 = 0x10, b1 = 0x00, b2 = 0xFF: 272 bytes from 256 back.
    Bytes packed;
    Bytes expected;
    for (int group = 0; group < 32; ++group) {
        packed.push_back(0);
        for (int i = 0; i < 8; ++i) {
            packed.push_back(static_cast<uint8_t>(group * 8 + i));
            expected.push_back(static_cast<uint8_t>(group * 8 + i));
        }
    }
    packed.insert(packed.end(), {0xC0, 0x10, 0x00, 0xFF, 0x00, 0x00});
    for (int i = 0; i < 272; ++i) expected.push_back(expected[static_cast<size_t>(i)]);
    EXPECT_EQ(Lz(packed, 1024), expected);
    EXPECT_EQ(Lz(packed, expected.size()), expected);
}

TEST(LzDecoder, TokenLengthsAndTheIgnoredEndNibble) {
    // Literal 'a', then matches of length 2 (nibble 1), 16 (nibble 15), 17 (nibble 0,
    // b2 = 0), then an end token whose length nibble is not zero.
    const Bytes packed = {0x78, 'a', 0x01, 0x01, 0x0F, 0x01, 0x00, 0x01, 0x00, 0x05, 0x00};
    EXPECT_EQ(Lz(packed, 64), Bytes(1 + 2 + 16 + 17, 'a'));
    // The end token ends the data even in the middle of a group: nothing after it is read.
    EXPECT_EQ(Lz({0x40, 'z', 0x00, 0x00}, 4), Bytes{'z'});
}

TEST(LzDecoder, AgreesWithPlainDecodingOnRandomStreams) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        const size_t size = 1 + rng() % (round < 200 ? 64 : 20000);
        const Bytes packed = RandomLzStream(rng, size, round % 2 ? 4095 : 40);
        Bytes expected;
        ASSERT_TRUE(PlainLz(packed, size_t{1} << 20, &expected));
        // Exactly fitting buffers leave the copy loops no room to work in blocks; roomy
        // ones let them.
        EXPECT_EQ(Lz(packed, expected.size()), expected) << "round " << round;
        EXPECT_EQ(Lz(packed, expected.size() + 64), expected) << "round " << round;
        if (!expected.empty()) {
            bool corrupt = false;
            Lz(packed, expected.size() - 1, &corrupt);
            EXPECT_TRUE(corrupt) << "round " << round;
        }
    }
}

// Arbitrary bytes (with the given share of small values, which make tokens and codes the
// data can reach) must be refused or decoded exactly as the plain decoder does.
void ExpectAgreementOnArbitraryBytes(archivetest::Decoder decoder,
                                     bool (*plain)(const Bytes&, size_t, Bytes*), uint32_t seed,
                                     size_t maxSize, size_t maxCapacity) {
    std::mt19937 rng(seed);
    for (int round = 0; round < 2000; ++round) {
        Bytes packed(1 + rng() % maxSize);
        for (auto& b : packed) b = static_cast<uint8_t>(rng() % 4 == 0 ? rng() % 2 : rng());
        const size_t capacity = rng() % maxCapacity;
        Bytes expected;
        const bool ok = plain(packed, capacity, &expected);
        bool corrupt = false;
        const Bytes got = archivetest::Decode(decoder, packed, capacity, &corrupt);
        EXPECT_EQ(corrupt, !ok) << "round " << round;
        if (ok) {
            EXPECT_EQ(got, expected) << "round " << round;
        }
    }
}

TEST(LzDecoder, AgreesWithPlainDecodingOnArbitraryBytes) {
    ExpectAgreementOnArbitraryBytes(DecompressLzBlock, PlainLz, 11, 200, 600);
}

TEST(LzDecoder, RefusesCorruptData) {
    bool corrupt = false;
    // A match reaching before the first output byte: one literal, then distance 2.
    Lz({0x40, 'a', 0x01, 0x02, 0x80, 0x00, 0x00}, 64, &corrupt);
    EXPECT_TRUE(corrupt);
    // A match at the very start.
    Lz({0x80, 0x01, 0x01}, 64, &corrupt);
    EXPECT_TRUE(corrupt);
    // A match running past the buffer: 'a' then 16 more, into 10 bytes.
    Lz({0x60, 'a', 0x0F, 0x01, 0x00, 0x00}, 10, &corrupt);
    EXPECT_TRUE(corrupt);
    // Literals past the buffer.
    Lz({0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x80, 0x00, 0x00}, 7, &corrupt);
    EXPECT_TRUE(corrupt);
    // Data ending without its end token: nothing, after a flag, inside a token, before a
    // long match's third byte.
    for (const Bytes& packed :
         {Bytes{}, Bytes{0x00}, Bytes{0x00, 1, 2, 3}, Bytes{0x40, 'a', 0x01},
          Bytes{0x40, 'a', 0x00, 0x01}, Bytes{0x00, 1, 2, 3, 4, 5, 6, 7, 8}}) {
        Lz(packed, 64, &corrupt);
        EXPECT_TRUE(corrupt) << packed.size() << " bytes";
    }
}

TEST(LzwDecoder, ByteExamples) {
    EXPECT_EQ(Lzw({0x04, 0x10, 0x41, 0x04, 0x21, 0x00}, 16), (Bytes{0x41, 0x41, 0x42}));
    EXPECT_EQ(Lzw(Codes({0x041, 0x101}), 16), Bytes(3, 0x41));
    bool corrupt = true;
    EXPECT_EQ(Lzw(Codes({256, 0x41}), 16, &corrupt), Bytes{});
    EXPECT_FALSE(corrupt);
}

TEST(LzwDecoder, EndOfInputDropsAPartialCode) {
    // 0x041 fills 12 bits; the last 4 bits cannot make a code and the data ends there.
    EXPECT_EQ(Lzw({0x04, 0x10}, 16), Bytes{0x41});
    // Without an end code, every whole code is used.
    EXPECT_EQ(Lzw(Codes({'a', 'b', 257, 258}), 16), Bytes({'a', 'b', 'a', 'b', 'b', 'a'}));
    EXPECT_EQ(Lzw({}, 16), Bytes{});
}

TEST(LzwDecoder, AgreesWithPrefixWalkingOnRandomStreams) {
    std::mt19937 rng(3);
    for (int round = 0; round < 120; ++round) {
        // Long rounds run past code 4095, after which the dictionary stays as it is.
        const int count =
            round < 80 ? 1 + static_cast<int>(rng() % 300) : 4000 + static_cast<int>(rng() % 6000);
        std::vector<int> codes{static_cast<int>(rng() % 256)};
        int nextCode = 257;
        for (int i = 1; i < count; ++i) {
            const int pick = static_cast<int>(rng() % 4);
            int code;
            if (pick == 0) {
                code = static_cast<int>(rng() % 256);
            } else if (pick == 1 && nextCode < 4096) {
                code = nextCode;  // the code about to be defined
            } else {
                code = nextCode > 257 ? 257 + static_cast<int>(rng() % (nextCode - 257))
                                      : static_cast<int>(rng() % 256);
            }
            codes.push_back(code);
            if (nextCode < 4096) ++nextCode;
        }
        if (round % 2) codes.push_back(256);
        const Bytes packed = Codes(codes);
        Bytes expected;
        ASSERT_TRUE(PlainLzw(packed, size_t{1} << 26, &expected)) << "round " << round;
        EXPECT_EQ(Lzw(packed, expected.size()), expected) << "round " << round;
        EXPECT_EQ(Lzw(packed, expected.size() + 64), expected) << "round " << round;
        if (count > 4000) {
            EXPECT_EQ(gLzwState.nextCode, 4096);
        }
        bool corrupt = false;
        Lzw(packed, expected.size() - 1, &corrupt);
        EXPECT_TRUE(corrupt) << "round " << round;
    }
}

TEST(LzwDecoder, AgreesWithPrefixWalkingOnArbitraryBytes) {
    ExpectAgreementOnArbitraryBytes(DecompressLzwBlock, PlainLzw, 5, 120, 400);
}

TEST(LzwDecoder, RefusesCorruptData) {
    bool corrupt = false;
    // A code beyond the next free one: 'a', then 258 while 257 is next.
    Lzw(Codes({'a', 258, 256}), 64, &corrupt);
    EXPECT_TRUE(corrupt);
    // A first code that is not a single byte.
    Lzw(Codes({257, 256}), 64, &corrupt);
    EXPECT_TRUE(corrupt);
    Lzw(Codes({4095}), 64, &corrupt);
    EXPECT_TRUE(corrupt);
    // Output past the buffer, by a single byte and by a dictionary string.
    Lzw(Codes({'a', 'b', 256}), 1, &corrupt);
    EXPECT_TRUE(corrupt);
    Lzw(Codes({'a', 'b', 257, 256}), 3, &corrupt);
    EXPECT_TRUE(corrupt);
    Lzw(Codes({'a', 257, 256}), 2, &corrupt);
    EXPECT_TRUE(corrupt);
    Lzw(Codes({'a'}), 0, &corrupt);
    EXPECT_TRUE(corrupt);
}

}  // namespace
