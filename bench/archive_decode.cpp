// Decoding throughput of the archive's two decoders, in bytes of output per second, with
// zlib's inflate (data compressed at level 6) on the same data as the reference.
//
// Two sets of picture-like files: small pictures, as the picture archive holds them, and
// large ones, as the volume archive holds them. Each file is packed on its own and decoded
// on its own, as a lookup does.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <vector>

#include "engine/archive/decompress.h"
#include "tests/support/sample_pictures.h"
#include "tools/pack/pack.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct PackedSet {
    std::vector<Bytes> raw;
    std::vector<Bytes> lz;
    std::vector<Bytes> lzw;
    std::vector<Bytes> zlib;
    size_t largest = 0;
    size_t total = 0;
};

PackedSet MakeSet(int count, int minWidth, int maxWidth) {
    PackedSet set;
    for (int i = 0; i < count; ++i) {
        const int width = minWidth + (maxWidth - minWidth) * i / std::max(1, count - 1);
        Bytes raw = vqtest::MakeSamplePicture(width, width * 3 / 4, 100 + static_cast<uint32_t>(i));
        set.lz.push_back(pack::PackLz(raw));
        set.lzw.push_back(pack::PackLzw(raw));
        uLongf length = compressBound(static_cast<uLong>(raw.size()));
        Bytes z(length);
        compress2(z.data(), &length, raw.data(), static_cast<uLong>(raw.size()), 6);
        z.resize(length);
        set.zlib.push_back(std::move(z));
        set.largest = std::max(set.largest, raw.size());
        set.total += raw.size();
        set.raw.push_back(std::move(raw));
    }
    return set;
}

const PackedSet& SmallPictures() {
    static const PackedSet set = MakeSet(32, 32, 128);
    return set;
}

const PackedSet& LargePictures() {
    static const PackedSet set = MakeSet(8, 256, 640);
    return set;
}

enum class Decoder { Lz, Lzw, Inflate };

void Decode(benchmark::State& state, const PackedSet& set, Decoder decoder) {
    Bytes out(set.largest);
    z_stream z{};
    inflateInit(&z);
    for (auto _ : state) {
        for (size_t i = 0; i < set.raw.size(); ++i) {
            ptrdiff_t n = 0;
            switch (decoder) {
                case Decoder::Lz:
                    n = DecompressLzBlock(set.lz[i], out);
                    break;
                case Decoder::Lzw:
                    n = DecompressLzwBlock(set.lzw[i], out);
                    break;
                case Decoder::Inflate:
                    inflateReset(&z);
                    z.next_in = const_cast<Bytef*>(set.zlib[i].data());
                    z.avail_in = static_cast<uInt>(set.zlib[i].size());
                    z.next_out = out.data();
                    z.avail_out = static_cast<uInt>(out.size());
                    inflate(&z, Z_FINISH);
                    n = static_cast<ptrdiff_t>(z.total_out);
                    break;
            }
            if (n != static_cast<ptrdiff_t>(set.raw[i].size())) {
                state.SkipWithError("decoded size differs");
                break;
            }
            benchmark::DoNotOptimize(out.data());
        }
    }
    inflateEnd(&z);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(set.total));
    size_t packed = 0;
    for (size_t i = 0; i < set.raw.size(); ++i) {
        packed += decoder == Decoder::Lz    ? set.lz[i].size()
                  : decoder == Decoder::Lzw ? set.lzw[i].size()
                                            : set.zlib[i].size();
    }
    state.counters["packed%"] =
        100.0 * static_cast<double>(packed) / static_cast<double>(set.total);
}

void BM_SmallPicturesLz(benchmark::State& s) {
    Decode(s, SmallPictures(), Decoder::Lz);
}
void BM_SmallPicturesLzw(benchmark::State& s) {
    Decode(s, SmallPictures(), Decoder::Lzw);
}
void BM_SmallPicturesInflate(benchmark::State& s) {
    Decode(s, SmallPictures(), Decoder::Inflate);
}
void BM_LargePicturesLz(benchmark::State& s) {
    Decode(s, LargePictures(), Decoder::Lz);
}
void BM_LargePicturesLzw(benchmark::State& s) {
    Decode(s, LargePictures(), Decoder::Lzw);
}
void BM_LargePicturesInflate(benchmark::State& s) {
    Decode(s, LargePictures(), Decoder::Inflate);
}

BENCHMARK(BM_SmallPicturesLz);
BENCHMARK(BM_SmallPicturesLzw);
BENCHMARK(BM_SmallPicturesInflate);
BENCHMARK(BM_LargePicturesLz);
BENCHMARK(BM_LargePicturesLzw);
BENCHMARK(BM_LargePicturesInflate);

}  // namespace

BENCHMARK_MAIN();
