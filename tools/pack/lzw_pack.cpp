// LZW coder of the picture archive: 12-bit codes written most significant bit first; codes
// 257 to 4095 are defined as the data goes and the dictionary then stays as it is, exactly
// as the decoder defines them; the block is closed by code 256.
#include "engine/archive/archive_format.h"
#include "tools/pack/pack.h"

namespace pack {

namespace {

class CodeWriter {
public:
    explicit CodeWriter(std::vector<uint8_t>* out) : out_(out) {}

    void Put(int code) {
        bits_ = bits_ << archive::kLzwCodeBits | static_cast<uint32_t>(code);
        count_ += archive::kLzwCodeBits;
        while (count_ >= 8) {
            count_ -= 8;
            out_->push_back(static_cast<uint8_t>(bits_ >> count_));
        }
    }

    // Writes the last partial byte, padded with zero bits.
    void Flush() {
        if (count_ > 0) out_->push_back(static_cast<uint8_t>(bits_ << (8 - count_)));
        count_ = 0;
    }

private:
    std::vector<uint8_t>* out_;
    uint32_t bits_ = 0;
    int count_ = 0;
};

}  // namespace

std::vector<uint8_t> PackLzw(std::span<const uint8_t> data) {
    std::vector<uint8_t> out;
    out.reserve(data.size() * 3 / 2 / 2 + 16);
    CodeWriter writer(&out);
    if (!data.empty()) {
        // The code of (prefix code, next byte), 0 while undefined.
        std::vector<uint16_t> codes(size_t{archive::kLzwDictionarySize} * 256, 0);
        int nextCode = archive::kLzwFirstFreeCode;
        int current = data[0];
        for (size_t i = 1; i < data.size(); ++i) {
            const uint8_t byte = data[i];
            uint16_t& slot = codes[static_cast<size_t>(current) * 256 + byte];
            if (slot != 0) {
                current = slot;
                continue;
            }
            writer.Put(current);
            if (nextCode < archive::kLzwDictionarySize) slot = static_cast<uint16_t>(nextCode++);
            current = byte;
        }
        writer.Put(current);
    }
    writer.Put(archive::kLzwEndCode);
    writer.Flush();
    return out;
}

}  // namespace pack
