// LZ77 coder of the volume archive: groups of a flag byte and eight tokens, matches of 2 to
// 272 bytes from up to 4095 bytes back, closed by a match of distance 0.
//
// Matches of three bytes or more are found through hash chains over the last 4095
// positions; two-byte matches through the last position of each byte pair. One step of lazy
// evaluation: a match is put off by a literal when the next position has a longer one.
#include <algorithm>
#include <cstring>

#include "engine/archive/archive_format.h"
#include "tools/pack/pack.h"

namespace pack {

namespace {

constexpr int kWindow = 4096;  // positions kept in the chains: distances up to 4095
constexpr int kHashBits = 15;
constexpr int kMaxChain = 96;
constexpr int kGoodEnough = archive::kLzMaxMatch;

class TokenWriter {
public:
    explicit TokenWriter(std::vector<uint8_t>* out) : out_(out) {}

    void Literal(uint8_t byte) {
        Flag(false);
        out_->push_back(byte);
    }

    void Match(int distance, int length) {
        Flag(true);
        if (length <= archive::kLzMaxShortMatch) {
            out_->push_back(static_cast<uint8_t>((distance >> 8) << 4 | (length - 1)));
            out_->push_back(static_cast<uint8_t>(distance));
        } else {
            out_->push_back(static_cast<uint8_t>((distance >> 8) << 4));
            out_->push_back(static_cast<uint8_t>(distance));
            out_->push_back(static_cast<uint8_t>(length - archive::kLzMaxShortMatch - 1));
        }
    }

    void End() {
        Flag(true);
        out_->push_back(0);
        out_->push_back(0);
    }

private:
    void Flag(bool match) {
        if (tokens_ == 8) {
            flagAt_ = out_->size();
            out_->push_back(0);
            tokens_ = 0;
        }
        if (match) (*out_)[flagAt_] |= static_cast<uint8_t>(0x80 >> tokens_);
        ++tokens_;
    }

    std::vector<uint8_t>* out_;
    size_t flagAt_ = 0;
    int tokens_ = 8;
};

class MatchFinder {
public:
    explicit MatchFinder(std::span<const uint8_t> data)
        : data_(data), head_(size_t{1} << kHashBits, -1), prev_(kWindow, -1), pair_(65536, -1) {}

    // Enters position pos into the chains (positions must be entered in order).
    void Insert(int pos) {
        const int n = static_cast<int>(data_.size());
        if (pos + 1 < n) pair_[Pair(pos)] = pos;
        if (pos + 2 < n) {
            const uint32_t h = Hash(pos);
            prev_[pos & (kWindow - 1)] = head_[h];
            head_[h] = pos;
        }
    }

    // The longest match for pos among the entered positions (pos itself not yet entered).
    // Returns its length (0 when none of at least two bytes) and sets *distance.
    int Longest(int pos, int* distance) const {
        const int n = static_cast<int>(data_.size());
        const int maxLength = std::min(archive::kLzMaxMatch, n - pos);
        if (maxLength < archive::kLzMinMatch) return 0;
        const uint8_t* cur = data_.data() + pos;
        int best = 0;
        if (maxLength >= 3) {
            int candidate = head_[Hash(pos)];
            for (int chain = kMaxChain; candidate >= 0 && chain > 0; --chain) {
                const int d = pos - candidate;
                if (d > archive::kLzMaxDistance) break;
                const uint8_t* ref = data_.data() + candidate;
                if (ref[best] == cur[best]) {
                    int length = 0;
                    while (length < maxLength && ref[length] == cur[length]) ++length;
                    if (length > best) {
                        best = length;
                        *distance = d;
                        if (length >= std::min(maxLength, kGoodEnough)) break;
                    }
                }
                candidate = prev_[candidate & (kWindow - 1)];
            }
        }
        if (best < archive::kLzMinMatch) {
            const int candidate = pair_[Pair(pos)];
            if (candidate >= 0 && pos - candidate <= archive::kLzMaxDistance) {
                best = archive::kLzMinMatch;
                *distance = pos - candidate;
            } else {
                best = 0;
            }
        }
        return best;
    }

private:
    uint32_t Pair(int pos) const { return data_[pos] << 8 | data_[pos + 1]; }
    uint32_t Hash(int pos) const {
        const uint32_t v = data_[pos] << 16 | data_[pos + 1] << 8 | data_[pos + 2];
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    std::span<const uint8_t> data_;
    std::vector<int> head_;
    std::vector<int> prev_;
    std::vector<int> pair_;
};

}  // namespace

std::vector<uint8_t> PackLz(std::span<const uint8_t> data) {
    std::vector<uint8_t> out;
    out.reserve(data.size() + data.size() / 8 + 16);
    TokenWriter writer(&out);
    MatchFinder finder(data);
    const int n = static_cast<int>(data.size());
    int pos = 0;
    while (pos < n) {
        int distance = 0;
        const int length = finder.Longest(pos, &distance);
        finder.Insert(pos);
        if (length < archive::kLzMinMatch) {
            writer.Literal(data[pos]);
            ++pos;
            continue;
        }
        if (length < archive::kLzMaxMatch && pos + 1 < n) {
            // A longer match one byte on is worth a literal first.
            int nextDistance = 0;
            if (finder.Longest(pos + 1, &nextDistance) > length) {
                writer.Literal(data[pos]);
                ++pos;
                continue;
            }
        }
        writer.Match(distance, length);
        for (int i = pos + 1; i < pos + length; ++i) finder.Insert(i);
        pos += length;
    }
    writer.End();
    return out;
}

}  // namespace pack
