#include "tools/mkdata/archive.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace mk {

namespace {

void PutBe32(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v >> 24));
    b.push_back(static_cast<uint8_t>(v >> 16));
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}

void PutName(Bytes& b, const std::string& name, size_t field) {
    for (size_t i = 0; i < field; ++i)
        b.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
}

}  // namespace

Bytes PackLz(const Bytes& in) {
    // Greedy LZ77 over a 4095-byte window with hash chains; tokens in groups of eight
    // behind a flag byte (most significant bit first, 1 = match).
    constexpr int kWindow = 4095, kMaxLen = 272, kHash = 1 << 15;
    std::vector<int> head(kHash, -1), prev(in.size(), -1);
    auto hash = [&](size_t i) {
        return ((in[i] << 10) ^ (in[i + 1] << 5) ^ in[i + 2]) & (kHash - 1);
    };
    Bytes out;
    size_t flagPos = 0;
    int tokens = 8;
    auto token = [&](bool match) {
        if (tokens == 8) {
            flagPos = out.size();
            out.push_back(0);
            tokens = 0;
        }
        if (match) out[flagPos] |= static_cast<uint8_t>(0x80 >> tokens);
        ++tokens;
    };
    auto insert = [&](size_t i) {
        if (i + 2 < in.size()) {
            int h = hash(i);
            prev[i] = head[h];
            head[h] = static_cast<int>(i);
        }
    };
    size_t i = 0;
    while (i < in.size()) {
        int bestLen = 0, bestDist = 0;
        if (i + 2 < in.size()) {
            int cand = head[hash(i)];
            int chain = 64;
            while (cand >= 0 && chain-- > 0) {
                int dist = static_cast<int>(i) - cand;
                if (dist > kWindow) break;
                int len = 0;
                int maxLen = static_cast<int>(std::min<size_t>(kMaxLen, in.size() - i));
                while (len < maxLen && in[cand + len] == in[i + len]) ++len;
                if (len > bestLen) {
                    bestLen = len;
                    bestDist = dist;
                    if (len == maxLen) break;
                }
                cand = prev[cand];
            }
        }
        if (bestLen >= 3) {
            token(true);
            if (bestLen <= 16) {
                out.push_back(static_cast<uint8_t>((bestDist >> 8) << 4 | (bestLen - 1)));
                out.push_back(static_cast<uint8_t>(bestDist & 0xFF));
            } else {
                out.push_back(static_cast<uint8_t>((bestDist >> 8) << 4));
                out.push_back(static_cast<uint8_t>(bestDist & 0xFF));
                out.push_back(static_cast<uint8_t>(bestLen - 17));
            }
            for (int k = 0; k < bestLen; ++k) insert(i + k);
            i += bestLen;
        } else {
            token(false);
            out.push_back(in[i]);
            insert(i);
            ++i;
        }
    }
    token(true);  // end: a match of distance 0
    out.push_back(0);
    out.push_back(0);
    return out;
}

Bytes UnpackLz(const Bytes& in, size_t expected) {
    Bytes out;
    size_t p = 0;
    while (p < in.size()) {
        uint8_t flags = in[p++];
        for (int t = 0; t < 8; ++t) {
            if (flags & (0x80 >> t)) {
                if (p + 1 >= in.size()) return out;
                uint8_t b0 = in[p], b1 = in[p + 1];
                int dist = (b0 >> 4) * 256 + b1;
                if (dist == 0) return out;
                int n = b0 & 0x0F;
                p += 2;
                int len;
                if (n) {
                    len = n + 1;
                } else {
                    if (p >= in.size()) return out;
                    len = in[p++] + 17;
                }
                if (static_cast<size_t>(dist) > out.size()) return out;
                for (int k = 0; k < len; ++k) out.push_back(out[out.size() - dist]);
            } else {
                if (p >= in.size()) return out;
                out.push_back(in[p++]);
            }
            if (out.size() > expected + 272) return out;
        }
    }
    return out;
}

Bytes PackLzw(const Bytes& in) {
    // 12-bit codes, 0..255 bytes, 256 the end, 257 upward defined; the table freezes when
    // full. Codes are packed most significant bit first.
    Bytes out;
    uint32_t acc = 0;
    int bits = 0;
    auto emit = [&](int code) {
        acc = (acc << 12) | static_cast<uint32_t>(code);
        bits += 12;
        while (bits >= 8) {
            out.push_back(static_cast<uint8_t>(acc >> (bits - 8)));
            bits -= 8;
        }
        acc &= (1u << bits) - 1;
    };
    if (!in.empty()) {
        std::vector<uint16_t> table(4096 * 256, 0);  // (prefix, byte) -> code, 0 = none
        int next = 257;
        int w = in[0];
        for (size_t i = 1; i < in.size(); ++i) {
            int c = in[i];
            uint16_t code = table[static_cast<size_t>(w) * 256 + c];
            if (code) {
                w = code;
                continue;
            }
            emit(w);
            if (next <= 4095)
                table[static_cast<size_t>(w) * 256 + c] = static_cast<uint16_t>(next++);
            w = c;
        }
        emit(w);
    }
    emit(256);
    if (bits > 0) out.push_back(static_cast<uint8_t>(acc << (8 - bits)));
    return out;
}

Bytes UnpackLzw(const Bytes& in, size_t expected) {
    Bytes out;
    std::vector<int> prefix(4096, -1);
    std::vector<uint8_t> suffix(4096, 0);
    size_t bitpos = 0;
    auto read = [&](int& code) {
        size_t byte = bitpos / 8;
        if (byte + 1 >= in.size()) return false;  // a code needs two bytes of input
        if (bitpos % 8 == 0)
            code = in[byte] << 4 | in[byte + 1] >> 4;
        else
            code = (in[byte] & 0x0F) << 8 | in[byte + 1];
        bitpos += 12;
        return true;
    };
    auto expand = [&](int code, Bytes& s) {
        s.clear();
        while (code > 255) {
            s.push_back(suffix[code]);
            code = prefix[code];
        }
        s.push_back(static_cast<uint8_t>(code));
        std::reverse(s.begin(), s.end());
    };
    int code;
    if (!read(code) || code == 256) return out;
    int prev = code;
    out.push_back(static_cast<uint8_t>(code));
    int next = 257;
    Bytes s;
    while (read(code) && code != 256) {
        if (code < next) {
            expand(code, s);
        } else {
            expand(prev, s);
            s.push_back(s[0]);
        }
        out.insert(out.end(), s.begin(), s.end());
        if (next <= 4095) {
            prefix[next] = prev;
            suffix[next] = s[0];
            ++next;
        }
        prev = code;
        if (out.size() > expected + 4096) break;
    }
    return out;
}

namespace {

// The game's name comparison: at most 24 bytes, stops with success at the query's end;
// `fold` lets an upper-case query letter match a lower-case stored one.
bool GameNameMatch(const std::string& query, const Bytes& field24, bool fold) {
    for (size_t i = 0; i < 24; ++i) {
        uint8_t q = i < query.size() ? static_cast<uint8_t>(query[i]) : 0;
        uint8_t s = field24[i];
        if (q == 0) return true;
        if (q >= 0x80) return false;
        if (q == s) continue;
        if (fold && q >= 'A' && q <= 'Z' && s == q + 32) continue;
        return false;
    }
    return true;
}

std::string CheckNames(const std::vector<std::string>& names, size_t field, bool fold) {
    std::vector<Bytes> stored;
    for (const std::string& n : names) {
        if (n.empty() || n.size() >= field) return "archive name too long for its field: " + n;
        for (char c : n)
            if (static_cast<unsigned char>(c) >= 0x80 || (c >= 'A' && c <= 'Z'))
                return "archive names are lower-case ASCII: " + n;
        Bytes f(24, 0);
        for (size_t i = 0; i < 24 && i < n.size(); ++i) f[i] = static_cast<uint8_t>(n[i]);
        // Bytes 20..23 of a picture-archive entry are the top of its size field; the
        // names kept shorter than the field never reach them.
        stored.push_back(f);
    }
    for (size_t k = 0; k < names.size(); ++k) {
        for (size_t j = 0; j < names.size(); ++j) {
            if (GameNameMatch(names[k], stored[j], fold)) {
                if (j != k) return "archive name " + names[k] + " is found as " + names[j];
                break;
            }
        }
    }
    return "";
}

}  // namespace

std::string CheckPictureArchiveNames(const std::vector<std::string>& names) {
    return CheckNames(names, 20, true);
}

std::string CheckVolumeArchiveNames(const std::vector<std::string>& names) {
    return CheckNames(names, 52, false);
}

Bytes BuildPictureArchive(const std::vector<ArchiveEntry>& entries) {
    Bytes index, data;
    PutBe32(index, static_cast<uint32_t>(entries.size()));
    for (const ArchiveEntry& e : entries) {
        Bytes packed = PackLzw(e.data);
        Bytes check = UnpackLzw(packed, e.data.size());
        if (check.size() < e.data.size() ||
            !std::equal(e.data.begin(), e.data.end(), check.begin())) {
            std::fprintf(stderr, "mkdata: LZW round trip failed for %s\n", e.name.c_str());
            std::exit(1);
        }
        PutName(index, e.name, 20);
        PutBe32(index, static_cast<uint32_t>(e.data.size()));
        PutBe32(index, static_cast<uint32_t>(data.size()));
        PutBe32(index, static_cast<uint32_t>(packed.size()));
        data.insert(data.end(), packed.begin(), packed.end());
    }
    index.insert(index.end(), data.begin(), data.end());
    return index;
}

void BuildVolumeArchive(const std::vector<ArchiveEntry>& entries, Bytes& index,
                        std::vector<Bytes>& volumes, std::string& straddler) {
    Bytes all;
    index.clear();
    straddler.clear();
    PutBe32(index, static_cast<uint32_t>(entries.size()));
    for (const ArchiveEntry& e : entries) {
        Bytes packed = PackLz(e.data);
        Bytes check = UnpackLz(packed, e.data.size());
        if (check.size() != e.data.size() ||
            !std::equal(e.data.begin(), e.data.end(), check.begin())) {
            std::fprintf(stderr, "mkdata: LZ round trip failed for %s\n", e.name.c_str());
            std::exit(1);
        }
        size_t start = all.size(), end = start + packed.size();
        if (straddler.empty() && start / kVolumeSize != (end - 1) / kVolumeSize) straddler = e.name;
        PutName(index, e.name, 52);
        PutBe32(index, static_cast<uint32_t>(e.data.size()));
        PutBe32(index, static_cast<uint32_t>(start));
        PutBe32(index, static_cast<uint32_t>(packed.size()));
        all.insert(all.end(), packed.begin(), packed.end());
    }
    volumes.clear();
    for (size_t off = 0; off < all.size(); off += kVolumeSize)
        volumes.emplace_back(all.begin() + off,
                             all.begin() + std::min(all.size(), off + kVolumeSize));
}

}  // namespace mk
