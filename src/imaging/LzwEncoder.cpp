#include "imaging/LzwEncoder.h"

#include <algorithm>
#include <array>

namespace panorel::imaging {
namespace {

constexpr int kMaxBits = 12;
constexpr int kMaxCodes = 1 << kMaxBits;  // 4096
constexpr int kHashSize = 5003;           // prime, about 80 % over the table size
constexpr int kHashShift = 4;             // spreads (index << 4) ^ prefix over the 5003 slots

// One slot packs the key (index << 12 | prefix, 20 bits) over the code it
// stands for (12 bits): the whole table fits in 20 KB, inside the L1 cache.
// Codes start above the clear code, so 0 can mean an empty slot.
using Slot = std::uint32_t;
constexpr Slot kEmpty = 0;

// Packs codes LSB first into a flat byte run; sub-blocks are cut at the end,
// which keeps the per-code path free of block bookkeeping.
class CodeWriter {
public:
    explicit CodeWriter(std::size_t expected) : bytes_(expected + 8) {}

    void Put(int code, int bits) {
        acc_ |= static_cast<std::uint64_t>(code) << accBits_;
        accBits_ += bits;
        if (accBits_ >= 32) {
            if (used_ + 4 > bytes_.size()) bytes_.resize(bytes_.size() * 2);
            std::uint8_t* p = bytes_.data() + used_;
            p[0] = static_cast<std::uint8_t>(acc_);
            p[1] = static_cast<std::uint8_t>(acc_ >> 8);
            p[2] = static_cast<std::uint8_t>(acc_ >> 16);
            p[3] = static_cast<std::uint8_t>(acc_ >> 24);
            used_ += 4;
            acc_ >>= 32;
            accBits_ -= 32;
        }
    }

    // Appends the packed codes to `out` as sub-blocks and the terminator.
    void Finish(std::vector<std::uint8_t>& out, std::size_t blockSize) {
        bytes_.resize(used_);
        for (; accBits_ > 0; accBits_ -= 8, acc_ >>= 8) bytes_.push_back(static_cast<std::uint8_t>(acc_));
        out.reserve(out.size() + bytes_.size() + bytes_.size() / blockSize + 2);
        for (std::size_t p = 0; p < bytes_.size(); p += blockSize) {
            const std::size_t n = std::min(blockSize, bytes_.size() - p);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(p),
                       bytes_.begin() + static_cast<std::ptrdiff_t>(p + n));
        }
        out.push_back(0);
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t used_ = 0;
    std::uint64_t acc_ = 0;
    int accBits_ = 0;
};

}  // namespace

std::vector<std::uint8_t> LzwEncodeGif(const std::uint8_t* indices, std::size_t count, int minCodeSize,
                                       std::size_t subBlockSize) {
    minCodeSize = std::clamp(minCodeSize, 2, 8);
    subBlockSize = std::clamp<std::size_t>(subBlockSize, 1, 255);
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    const int initBits = minCodeSize + 1;
    const std::uint8_t mask = static_cast<std::uint8_t>(clearCode - 1);

    // Incompressible data grows to about 12/8 of its size; reserve what is typical.
    CodeWriter writer(count + count / 4 + 16);
    std::array<Slot, kHashSize> table;
    table.fill(kEmpty);
    int nBits = initBits;
    int maxCode = (1 << nBits) - 1;
    int nextCode = clearCode + 2;

    // A code is written at the current width; the width then grows as soon as
    // the next code the decoder will assign no longer fits it.
    auto emit = [&](int code) {
        writer.Put(code, nBits);
        if (nextCode > maxCode && nBits < kMaxBits) {
            ++nBits;
            maxCode = (1 << nBits) - 1;
        }
    };

    writer.Put(clearCode, nBits);
    if (count > 0) {
        int prefix = indices[0] & mask;
        for (std::size_t n = 1; n < count; ++n) {
            const int c = indices[n] & mask;
            const std::uint32_t key = static_cast<std::uint32_t>((c << kMaxBits) | prefix);
            int h = (c << kHashShift) ^ prefix;
            if (table[h] >> kMaxBits == key && table[h] != kEmpty) {
                prefix = static_cast<int>(table[h] & (kMaxCodes - 1));
                continue;
            }
            if (table[h] != kEmpty) {
                // Secondary probe: step backwards by a displacement derived from h.
                const int disp = h == 0 ? 1 : kHashSize - h;
                bool found = false;
                do {
                    h -= disp;
                    if (h < 0) h += kHashSize;
                    if (table[h] >> kMaxBits == key && table[h] != kEmpty) {
                        found = true;
                        break;
                    }
                } while (table[h] != kEmpty);
                if (found) {
                    prefix = static_cast<int>(table[h] & (kMaxCodes - 1));
                    continue;
                }
            }
            emit(prefix);
            prefix = c;
            if (nextCode < kMaxCodes) {
                table[h] = key << kMaxBits | static_cast<std::uint32_t>(nextCode++);
            } else {
                // Table full: the decoder starts again after the clear code.
                table.fill(kEmpty);
                writer.Put(clearCode, nBits);
                nBits = initBits;
                maxCode = (1 << nBits) - 1;
                nextCode = clearCode + 2;
            }
        }
        emit(prefix);
    }
    writer.Put(endCode, nBits);
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(minCodeSize)};
    writer.Finish(out, subBlockSize);
    return out;
}

}  // namespace panorel::imaging
