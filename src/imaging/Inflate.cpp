#include "imaging/Inflate.h"

#include <cstring>

// Speed comes from a 64-bit bit buffer refilled eight bytes at a time (one
// refill covers a whole length/distance pair), from a 10-bit first-level
// lookup that decodes almost every code in one step (longer codes fall back
// to the canonical bit-by-bit walk), and from match copies done eight bytes
// at a time when the distance allows.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the bit reader assumes a little-endian machine"
#endif

namespace panorel::imaging {
namespace {


struct BitReader {
    const std::uint8_t* start;
    const std::uint8_t* p;
    const std::uint8_t* end;
    std::uint64_t buf = 0;
    unsigned cnt = 0;
    std::size_t pad = 0;  // zero bytes fed in past the end

    BitReader(const std::uint8_t* s, std::size_t n) : start(s), p(s), end(s + n) {}

    // Afterwards at least 56 bits are buffered (padding with zeros at the end).
    void Refill() {
        if (end - p >= 8) {
            std::uint64_t v;
            std::memcpy(&v, p, 8);
            buf |= v << cnt;
            p += (63 - cnt) >> 3;
            cnt |= 56;
        } else {
            while (cnt <= 56) {
                if (p < end) {
                    buf |= std::uint64_t{*p++} << cnt;
                } else {
                    ++pad;
                }
                cnt += 8;
            }
        }
    }
    // Whether bits beyond the input have been used.
    bool Overrun() const { return pad * 8 > cnt; }
    std::uint32_t Peek(unsigned n) const { return static_cast<std::uint32_t>(buf & ((std::uint64_t{1} << n) - 1)); }
    void Drop(unsigned n) {
        buf >>= n;
        cnt -= n;
    }
    std::uint32_t Get(unsigned n) {
        std::uint32_t v = Peek(n);
        Drop(n);
        return v;
    }
    // Moves to the next byte boundary and empties the buffer, so bytes can be
    // read straight from the input. False when that is past the end.
    bool AlignToByte() {
        std::size_t consumed = (static_cast<std::size_t>(p - start) + pad) * 8 - cnt;
        std::size_t pos = (consumed + 7) / 8;
        if (pos > static_cast<std::size_t>(end - start)) return false;
        p = start + pos;
        buf = 0;
        cnt = 0;
        pad = 0;
        return true;
    }
};

// kFastBits: codes up to this long decode in one lookup. Literal/length codes
// get 10 bits, distances 8 and code lengths 7: small tables are quick to
// build, which matters for the many short streams of small pictures.
template <int kFastBits>
struct Huffman {
    std::uint16_t fast[1u << kFastBits];  // symbol << 4 | length; 0: walk the code
    std::uint16_t count[16];
    std::uint16_t symbol[288];

    // Refuses over-subscribed codes; an incomplete one fails on its missing codes.
    bool Build(const std::uint8_t* lengths, int n) {
        std::memset(count, 0, sizeof count);
        for (int i = 0; i < n; ++i) ++count[lengths[i]];
        count[0] = 0;
        int left = 1;
        for (int l = 1; l < 16; ++l) {
            left = (left << 1) - count[l];
            if (left < 0) return false;
        }
        std::uint16_t offset[16];
        offset[1] = 0;
        for (int l = 1; l < 15; ++l) offset[l + 1] = static_cast<std::uint16_t>(offset[l] + count[l]);
        for (int i = 0; i < n; ++i)
            if (lengths[i]) symbol[offset[lengths[i]]++] = static_cast<std::uint16_t>(i);
        std::memset(fast, 0, sizeof fast);
        unsigned code = 0;
        int k = 0;
        for (int l = 1; l <= kFastBits; ++l) {
            for (int j = 0; j < count[l]; ++j, ++code) {
                unsigned rev = 0;
                for (int b = 0; b < l; ++b) rev |= ((code >> b) & 1u) << (l - 1 - b);
                auto entry = static_cast<std::uint16_t>(symbol[k++] << 4 | l);
                for (unsigned r = rev; r < (1u << kFastBits); r += 1u << l) fast[r] = entry;
            }
            code <<= 1;
        }
        return true;
    }

    // Needs at least 15 buffered bits. -1 for a code that is not in the table.
    int Decode(BitReader& in) const {
        std::uint16_t e = fast[in.Peek(kFastBits)];
        if (e) {
            in.Drop(e & 15u);
            return e >> 4;
        }
        int code = 0, first = 0, index = 0;
        std::uint64_t bits = in.buf;
        for (unsigned l = 1; l < 16; ++l) {
            code |= static_cast<int>(bits & 1u);
            bits >>= 1;
            int c = count[l];
            if (code - first < c) {
                in.Drop(l);
                return symbol[index + code - first];
            }
            index += c;
            first = (first + c) << 1;
            code <<= 1;
        }
        return -1;
    }
};

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                         193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

using LiteralCode = Huffman<10>;
using DistanceCode = Huffman<8>;

struct FixedTables {
    LiteralCode lit;
    DistanceCode dist;
    FixedTables() {
        std::uint8_t l[288];
        std::memset(l, 8, 144);
        std::memset(l + 144, 9, 112);
        std::memset(l + 256, 7, 24);
        std::memset(l + 280, 8, 8);
        lit.Build(l, 288);
        std::memset(l, 5, 30);
        dist.Build(l, 30);
    }
};

class Inflater {
public:
    Inflater(const std::uint8_t* src, std::size_t n, std::uint8_t* dst, std::size_t cap)
        : in_(src, n), dst_(dst), cap_(cap) {}

    InflateStatus Run() {
        for (;;) {
            in_.Refill();
            bool last = in_.Get(1) != 0;
            unsigned type = in_.Get(2);
            InflateStatus s;
            if (type == 0) {
                s = Stored();
            } else if (type == 1) {
                static const FixedTables fixed;
                s = Codes(fixed.lit, fixed.dist);
            } else if (type == 2) {
                s = Dynamic();
            } else {
                return InflateStatus::BadData;
            }
            if (s != InflateStatus::Ok) return s;
            if (in_.Overrun()) return InflateStatus::Truncated;
            if (last) return InflateStatus::Ok;
        }
    }

    std::size_t Written() const { return pos_; }
    BitReader& Input() { return in_; }

private:
    InflateStatus Stored() {
        if (!in_.AlignToByte() || in_.end - in_.p < 4) return InflateStatus::Truncated;
        unsigned len = in_.p[0] | in_.p[1] << 8;
        unsigned nlen = in_.p[2] | in_.p[3] << 8;
        if ((len ^ 0xFFFFu) != nlen) return InflateStatus::BadData;
        in_.p += 4;
        if (static_cast<std::size_t>(in_.end - in_.p) < len) return InflateStatus::Truncated;
        if (cap_ - pos_ < len) return InflateStatus::OutputFull;
        std::memcpy(dst_ + pos_, in_.p, len);
        in_.p += len;
        pos_ += len;
        return InflateStatus::Ok;
    }

    InflateStatus Dynamic() {
        static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        in_.Refill();
        unsigned nlen = in_.Get(5) + 257, ndist = in_.Get(5) + 1, ncode = in_.Get(4) + 4;
        if (nlen > 286 || ndist > 30) return InflateStatus::BadData;
        std::uint8_t lengths[320] = {};
        for (unsigned i = 0; i < ncode; ++i) {
            in_.Refill();
            lengths[kOrder[i]] = static_cast<std::uint8_t>(in_.Get(3));
        }
        Huffman<7> codes;
        if (!codes.Build(lengths, 19)) return InflateStatus::BadData;
        std::memset(lengths, 0, 19);
        unsigned i = 0;
        while (i < nlen + ndist) {
            in_.Refill();
            if (in_.Overrun()) return InflateStatus::Truncated;
            int sym = codes.Decode(in_);
            if (sym < 0) return InflateStatus::BadData;
            if (sym < 16) {
                lengths[i++] = static_cast<std::uint8_t>(sym);
                continue;
            }
            std::uint8_t value = 0;
            unsigned repeat;
            if (sym == 16) {
                if (i == 0) return InflateStatus::BadData;
                value = lengths[i - 1];
                repeat = 3 + in_.Get(2);
            } else if (sym == 17) {
                repeat = 3 + in_.Get(3);
            } else {
                repeat = 11 + in_.Get(7);
            }
            if (i + repeat > nlen + ndist) return InflateStatus::BadData;
            std::memset(lengths + i, value, repeat);
            i += repeat;
        }
        if (lengths[256] == 0) return InflateStatus::BadData;
        LiteralCode lit;
        DistanceCode dist;
        if (!lit.Build(lengths, static_cast<int>(nlen)) || !dist.Build(lengths + nlen, static_cast<int>(ndist)))
            return InflateStatus::BadData;
        return Codes(lit, dist);
    }

    InflateStatus Codes(const LiteralCode& lit, const DistanceCode& dist) {
        std::uint8_t* const out = dst_;
        std::size_t pos = pos_;
        const std::size_t cap = cap_;
        for (;;) {
            in_.Refill();
            if (in_.pad && in_.Overrun()) return pos_ = pos, InflateStatus::Truncated;
            int sym = lit.Decode(in_);
            if (sym < 256) {
                if (sym < 0) return pos_ = pos, InflateStatus::BadData;
                if (pos == cap) return pos_ = pos, InflateStatus::OutputFull;
                out[pos++] = static_cast<std::uint8_t>(sym);
                continue;
            }
            if (sym == 256) break;
            sym -= 257;
            if (sym >= 29) return pos_ = pos, InflateStatus::BadData;
            std::size_t len = kLengthBase[sym] + in_.Get(kLengthExtra[sym]);
            int ds = dist.Decode(in_);
            if (ds < 0 || ds >= 30) return pos_ = pos, InflateStatus::BadData;
            std::size_t d = kDistBase[ds] + in_.Get(kDistExtra[ds]);
            if (d > pos) return pos_ = pos, InflateStatus::BadData;
            if (len > cap - pos) return pos_ = pos, InflateStatus::OutputFull;
            std::uint8_t* o = out + pos;
            const std::uint8_t* s = o - d;
            if (d >= 8 && cap - pos >= len + 8) {
                std::uint8_t* e = o + len;
                do {
                    std::memcpy(o, s, 8);
                    o += 8;
                    s += 8;
                } while (o < e);
            } else if (d == 1) {
                std::memset(o, *s, len);
            } else {
                for (std::size_t k = 0; k < len; ++k) o[k] = s[k];
            }
            pos += len;
        }
        pos_ = pos;
        return InflateStatus::Ok;
    }

    BitReader in_;
    std::uint8_t* dst_;
    std::size_t cap_;
    std::size_t pos_ = 0;
};

}  // namespace

std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t size) {
    std::uint32_t a = adler & 0xFFFFu, b = adler >> 16;
    while (size) {
        std::size_t n = size < 5552 ? size : 5552;
        size -= n;
        while (n--) {
            a += *data++;
            b += a;
        }
        a %= 65521u;
        b %= 65521u;
    }
    return b << 16 | a;
}

InflateStatus InflateRaw(const std::uint8_t* src, std::size_t srcSize, std::uint8_t* dst, std::size_t dstCapacity,
                         std::size_t* written) {
    Inflater inf(src, srcSize, dst, dstCapacity);
    InflateStatus s = inf.Run();
    *written = inf.Written();
    return s;
}

InflateStatus InflateZlib(const std::uint8_t* src, std::size_t srcSize, std::uint8_t* dst, std::size_t dstCapacity,
                          std::size_t* written) {
    *written = 0;
    if (srcSize < 2) return InflateStatus::Truncated;
    unsigned cmf = src[0], flg = src[1];
    if ((cmf & 15u) != 8 || (cmf >> 4) > 7 || (cmf << 8 | flg) % 31 != 0 || (flg & 0x20u))
        return InflateStatus::BadHeader;
    Inflater inf(src + 2, srcSize - 2, dst, dstCapacity);
    InflateStatus s = inf.Run();
    *written = inf.Written();
    if (s != InflateStatus::Ok) return s;
    BitReader& in = inf.Input();
    if (!in.AlignToByte() || in.end - in.p < 4) return InflateStatus::Truncated;
    std::uint32_t stored = std::uint32_t{in.p[0]} << 24 | std::uint32_t{in.p[1]} << 16 | std::uint32_t{in.p[2]} << 8 | in.p[3];
    return Adler32(1, dst, *written) == stored ? InflateStatus::Ok : InflateStatus::BadChecksum;
}

}  // namespace panorel::imaging
