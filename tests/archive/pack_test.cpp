// The packers' coders against the game's decoders: round trips over varied data, the
// extremes of the LZ77 tokens, and the LZW dictionary filling up.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/archive/decompress.h"
#include "tests/archive/decode.h"
#include "tests/support/sample_pictures.h"
#include "tools/pack/pack.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Sample {
    std::string name;
    Bytes data;
};

Bytes RandomBytes(size_t n, uint32_t seed, int range = 256) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng() % static_cast<uint32_t>(range));
    return out;
}

std::vector<Sample> Samples() {
    std::vector<Sample> s;
    s.push_back({"empty", {}});
    s.push_back({"one byte", {0x5A}});
    s.push_back({"two bytes", {0x00, 0x00}});
    s.push_back({"run of 300", Bytes(300, 'x')});
    s.push_back({"run of 1 MB", Bytes(1 << 20, 0)});
    s.push_back({"random 200 KB", RandomBytes(200000, 1)});
    s.push_back({"four symbols", RandomBytes(100000, 2, 4)});
    s.push_back({"picture 64x48", vqtest::MakeSamplePicture(64, 48, 3)});
    s.push_back({"picture 256x256", vqtest::MakeSamplePicture(256, 256, 4)});
    s.push_back({"picture 640x480", vqtest::MakeSamplePicture(640, 480, 5)});
    Bytes text;
    for (int i = 0; i < 4000; ++i)
        text.insert(text.end(), {'M', 'e', 's', 'h', ' ', uint8_t('0' + i % 10), '\n'});
    s.push_back({"text", text});
    return s;
}

// The (distance, length) of every match token of an LZ77 stream.
struct TokenStats {
    int maxLength = 0;
    int maxDistance = 0;
    int shortTokens = 0;
    int longTokens = 0;
};

TokenStats Tokens(const Bytes& packed) {
    TokenStats stats;
    size_t i = 0;
    for (;;) {
        const uint8_t flags = packed.at(i++);
        for (int bit = 7; bit >= 0; --bit) {
            if (((flags >> bit) & 1) == 0) {
                ++i;
                continue;
            }
            const int distance = (packed.at(i) >> 4) * 256 + packed.at(i + 1);
            if (distance == 0) return stats;
            int length = (packed[i] & 0x0F) + 1;
            if (length == 1) {
                length = packed.at(i + 2) + 17;
                i += 3;
                ++stats.longTokens;
            } else {
                i += 2;
                ++stats.shortTokens;
            }
            stats.maxLength = std::max(stats.maxLength, length);
            stats.maxDistance = std::max(stats.maxDistance, distance);
        }
    }
}

// A decoder's output, or two marker bytes that no round trip expects when it refuses.
Bytes Unpack(archivetest::Decoder decoder, const Bytes& packed, size_t capacity) {
    bool corrupt = false;
    const Bytes out = archivetest::Decode(decoder, packed, capacity, &corrupt);
    return corrupt ? Bytes{0xDE, 0xAD} : out;
}

TEST(PackRoundTrip, LzOverVariedData) {
    for (const Sample& s : Samples()) {
        const Bytes packed = pack::PackLz(s.data);
        EXPECT_EQ(Unpack(DecompressLzBlock, packed, s.data.size()), s.data) << s.name;
        EXPECT_EQ(Unpack(DecompressLzBlock, packed, s.data.size() + 100), s.data) << s.name;
    }
}

TEST(PackRoundTrip, LzwOverVariedData) {
    for (const Sample& s : Samples()) {
        const Bytes packed = pack::PackLzw(s.data);
        EXPECT_EQ(Unpack(DecompressLzwBlock, packed, s.data.size()), s.data) << s.name;
        EXPECT_EQ(Unpack(DecompressLzwBlock, packed, s.data.size() + 100), s.data) << s.name;
    }
}

TEST(PackRoundTrip, EmptyDataIsJustTheEnd) {
    EXPECT_EQ(pack::PackLz({}), (Bytes{0x80, 0x00, 0x00}));
    EXPECT_EQ(pack::PackLzw({}), (Bytes{0x10, 0x00}));
}

TEST(PackRoundTrip, PicturesShrink) {
    // Both coders must find the pictures' redundancy; a broken match search shows here.
    // (LZW's dictionary stops growing after 3839 strings, so it suits small pictures.)
    const Bytes picture = vqtest::MakeSamplePicture(256, 256, 9);
    EXPECT_LT(pack::PackLz(picture).size(), picture.size() / 5);
    const Bytes small = vqtest::MakeSamplePicture(64, 48, 9);
    EXPECT_LT(pack::PackLz(small).size(), small.size() / 4);
    EXPECT_LT(pack::PackLzw(small).size(), small.size() * 2 / 5);
    // Incompressible data grows by no more than the flag bytes.
    const Bytes noise = RandomBytes(65536, 10);
    EXPECT_LE(pack::PackLz(noise).size(), noise.size() + noise.size() / 8 + 3);
}

TEST(LzPacker, UsesTheLongestMatches) {
    const Bytes run(5000, 7);
    const Bytes packed = pack::PackLz(run);
    const TokenStats stats = Tokens(packed);
    EXPECT_EQ(stats.maxLength, 272);
    EXPECT_GT(stats.longTokens, 0);
    // 5000 bytes: one literal, then 272-byte matches and a tail.
    EXPECT_LT(packed.size(), 70u);
    EXPECT_EQ(Unpack(DecompressLzBlock, packed, run.size()), run);
}

TEST(LzPacker, ReachesTheFarEndOfTheWindow) {
    // A random block repeated 4095 bytes later is found at the largest distance.
    Bytes data = RandomBytes(4095, 12);
    data.insert(data.end(), data.begin(), data.begin() + 600);
    Bytes packed = pack::PackLz(data);
    EXPECT_EQ(Tokens(packed).maxDistance, 4095);
    EXPECT_LT(packed.size(), 4095 + 4095 / 8 + 20u);
    EXPECT_EQ(Unpack(DecompressLzBlock, packed, data.size()), data);

    // 4096 bytes back is beyond the window: the repeat must not be taken from there.
    Bytes far = RandomBytes(4096, 13);
    far.insert(far.end(), far.begin(), far.begin() + 600);
    packed = pack::PackLz(far);
    EXPECT_LE(Tokens(packed).maxDistance, 4095);
    EXPECT_EQ(Unpack(DecompressLzBlock, packed, far.size()), far);
}

TEST(LzPacker, UsesTwoByteMatchesAndBothTokenSizes) {
    // Pairs that repeat only as pairs, and longer repeats of 16 and 17 bytes.
    Bytes data = RandomBytes(3000, 14, 16);
    const Bytes block = RandomBytes(40, 15);
    for (int len : {16, 17, 40}) {
        data.insert(data.end(), block.begin(), block.begin() + len);
        data.push_back(0xF0);
        data.insert(data.end(), block.begin(), block.begin() + len);
    }
    const Bytes packed = pack::PackLz(data);
    const TokenStats stats = Tokens(packed);
    EXPECT_GT(stats.shortTokens, 0);
    EXPECT_GT(stats.longTokens, 0);
    EXPECT_EQ(Unpack(DecompressLzBlock, packed, data.size()), data);
}

TEST(LzwPacker, FillsTheDictionaryThenKeepsIt) {
    // Random bytes define a code for almost every code written: after a few thousand codes
    // the dictionary is full and the coder goes on with the codes it has.
    const Bytes noise = RandomBytes(20000, 16);
    Bytes data = noise;
    data.insert(data.end(), noise.begin(), noise.begin() + 3000);
    const Bytes packed = pack::PackLzw(data);
    EXPECT_EQ(Unpack(DecompressLzwBlock, packed, data.size()), data);
    EXPECT_EQ(gLzwState.nextCode, 4096);

    // Once full, a repeat of the start still packs through the early codes.
    const Bytes picture = vqtest::MakeSamplePicture(512, 256, 17);
    const Bytes packedPicture = pack::PackLzw(picture);
    EXPECT_EQ(Unpack(DecompressLzwBlock, packedPicture, picture.size()), picture);
    EXPECT_EQ(gLzwState.nextCode, 4096);
}

TEST(LzwPacker, CodeAboutToBeDefined) {
    // Ten 'a': the codes 'a', 257 ("aa"), 258 ("aaa"), 259 ("aaaa") and the end, each code
    // after the first being the one about to be defined: 5 codes in 8 bytes.
    const Bytes run(10, 'a');
    const Bytes packed = pack::PackLzw(run);
    EXPECT_EQ(packed.size(), 8u);
    EXPECT_EQ(Unpack(DecompressLzwBlock, packed, run.size()), run);
}

}  // namespace
