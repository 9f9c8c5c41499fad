#include "imaging/cJPGWriter.h"

#include <algorithm>
#include <cmath>

#include "host/PanorelError.h"
#include "host/Rounding.h"

namespace panorel::imaging {
namespace {

constexpr std::int32_t kErrorBase = kObjectErrorBase + 0x300;

[[noreturn]] void Raise(std::int32_t n, const char* text) { throw PanorelError(kErrorBase + n, "cJPGWriter", text); }

constexpr QuantTable kLuminance{16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr QuantTable kChrominance{17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                  24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

constexpr std::array<std::uint8_t, 16> kDcLuminanceBits{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr std::array<std::uint8_t, 16> kDcChrominanceBits{0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
constexpr std::array<std::uint8_t, 16> kAcLuminanceBits{0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
constexpr std::array<std::uint8_t, 16> kAcChrominanceBits{0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
const std::vector<std::uint8_t> kAcLuminanceSymbols{
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
    0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
    0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37,
    0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
    0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3,
    0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
    0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
    0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};
const std::vector<std::uint8_t> kAcChrominanceSymbols{
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
    0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
    0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36,
    0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
    0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a,
    0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba,
    0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
    0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

// Natural index of the k-th coefficient in zig-zag order.
constexpr std::array<std::uint8_t, 64> MakeZigZag() {
    std::array<std::uint8_t, 64> z{};
    int k = 0;
    for (int s = 0; s < 15; ++s) {
        const int lo = s < 8 ? 0 : s - 7, hi = s < 8 ? s : 7;
        for (int i = lo; i <= hi; ++i) {
            const int row = (s % 2 == 0) ? s - i : i;  // even diagonals run upwards
            z[k++] = static_cast<std::uint8_t>(row * 8 + (s - row));
        }
    }
    return z;
}
constexpr std::array<std::uint8_t, 64> kZigZag = MakeZigZag();

// The AAN constants: cos(pi/4), cos(3pi/8), and cos(pi/8) - cos(3pi/8).
constexpr float kC4 = 0.707106781186548f;
constexpr float kC6 = 0.382683432365091f;
constexpr float kC2mC6 = 0.541196100146196f;
constexpr float kC2pC6 = kC2mC6 + 2 * kC6;  // cos(pi/8) + cos(3pi/8)

// One pass of the AAN forward DCT over 8 values `step` apart; the outputs are
// scaled by the AAN factors, which the quantiser divides out.
inline void Dct8(float* d, int step) {
    const float t0 = d[0] + d[7 * step], t7 = d[0] - d[7 * step];
    const float t1 = d[step] + d[6 * step], t6 = d[step] - d[6 * step];
    const float t2 = d[2 * step] + d[5 * step], t5 = d[2 * step] - d[5 * step];
    const float t3 = d[3 * step] + d[4 * step], t4 = d[3 * step] - d[4 * step];
    float t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;
    d[0] = t10 + t11;
    d[4 * step] = t10 - t11;
    const float z1 = (t12 + t13) * kC4;
    d[2 * step] = t13 + z1;
    d[6 * step] = t13 - z1;
    t10 = t4 + t5;
    t11 = t5 + t6;
    t12 = t6 + t7;
    const float z5 = (t10 - t12) * kC6, z2 = kC2mC6 * t10 + z5, z4 = kC2pC6 * t12 + z5, z3 = t11 * kC4;
    const float z11 = t7 + z3, z13 = t7 - z3;
    d[5 * step] = z13 + z2;
    d[3 * step] = z13 - z2;
    d[step] = z11 + z4;
    d[7 * step] = z11 - z4;
}

void BuildCodes(cJPGWriter::Huffman& h, bool dc) {
    unsigned total = 0;
    for (std::uint8_t b : h.bits) total += b;
    if (total > 256 || total != h.symbols.size()) Raise(3, kBadHuffmanTable);
    h.code.fill(0);
    h.length.fill(0);
    unsigned code = 0;
    std::size_t k = 0;
    for (int len = 1; len <= 16; ++len) {
        for (unsigned i = 0; i < h.bits[len - 1]; ++i, ++k, ++code) {
            const std::uint8_t s = h.symbols[k];
            // A code of all ones is reserved; a symbol appears once.
            if (code + 1 >= (1u << len) || h.length[s] != 0 || (dc && s > 15)) Raise(3, kBadHuffmanTable);
            h.code[s] = static_cast<std::uint16_t>(code);
            h.length[s] = static_cast<std::uint8_t>(len);
        }
        code <<= 1;
    }
}

// Collects bits most significant first and stuffs a zero after every 0xFF.
// Bytes go straight into the output, which Ensure() grows ahead of each block.
class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out), pos_(out.size()) {}
    void Ensure(std::size_t bytes) {
        if (out_.size() - pos_ < bytes) out_.resize(std::max(out_.size() * 2, pos_ + bytes));
    }
    // count is 1..27 bits. Whole 32-bit words go out at once unless one of
    // their bytes is 0xFF and needs its stuffed zero.
    inline void Put(std::uint32_t bits, int count) {
        acc_ = (acc_ << count) | (bits & ((1u << count) - 1u));
        n_ += count;
        if (n_ < 32) return;
        n_ -= 32;
        const auto word = static_cast<std::uint32_t>(acc_ >> n_);
        const std::uint32_t inverted = ~word;
        if (((inverted - 0x01010101u) & ~inverted & 0x80808080u) == 0) {  // no byte is 0xFF
            out_[pos_] = static_cast<std::uint8_t>(word >> 24);
            out_[pos_ + 1] = static_cast<std::uint8_t>(word >> 16);
            out_[pos_ + 2] = static_cast<std::uint8_t>(word >> 8);
            out_[pos_ + 3] = static_cast<std::uint8_t>(word);
            pos_ += 4;
            return;
        }
        for (int shift = 24; shift >= 0; shift -= 8) PutByte(static_cast<std::uint8_t>(word >> shift));
    }
    void Flush() {
        Ensure(8);
        if (n_ % 8) {  // pad with one bits
            const int pad = 8 - n_ % 8;
            acc_ = (acc_ << pad) | ((1u << pad) - 1u);
            n_ += pad;
        }
        while (n_ > 0) {
            n_ -= 8;
            PutByte(static_cast<std::uint8_t>(acc_ >> n_));
        }
        out_.resize(pos_);
    }

private:
    void PutByte(std::uint8_t byte) {
        out_[pos_++] = byte;
        if (byte == 0xFF) out_[pos_++] = 0;
    }

    std::vector<std::uint8_t>& out_;
    std::size_t pos_;
    std::uint64_t acc_ = 0;
    int n_ = 0;
};

// Bits needed for |v| (0 for 0).
inline int Magnitude(int v) {
    const unsigned a = static_cast<unsigned>(v < 0 ? -v : v);
    return a ? 32 - __builtin_clz(a) : 0;
}

inline void PutSymbol(BitWriter& bw, const cJPGWriter::Huffman& h, int symbol) {
    if (h.length[symbol] == 0) Raise(3, kBadHuffmanTable);
    bw.Put(h.code[symbol], h.length[symbol]);
}

// A symbol's code followed by the value's n low bits (ones' complement when negative).
inline void PutCoded(BitWriter& bw, const cJPGWriter::Huffman& h, int symbol, int value, int n) {
    const int len = h.length[symbol];
    if (len == 0) Raise(3, kBadHuffmanTable);
    const std::uint32_t extra = static_cast<std::uint32_t>(value < 0 ? value - 1 : value) & ((1u << n) - 1u);
    bw.Put(static_cast<std::uint32_t>(h.code[symbol]) << n | extra, len + n);
}

// One block: DCT, quantisation, then its DC difference and AC runs.
void EncodeBlock(BitWriter& bw, float* block, const float* divisors, int& lastDc, const cJPGWriter::Huffman& dc,
                 const cJPGWriter::Huffman& ac) {
    for (int r = 0; r < 8; ++r) Dct8(block + r * 8, 1);
    for (int c = 0; c < 8; ++c) Dct8(block + c, 8);
    int q[64];
    for (int k = 0; k < 64; ++k) {
        // Rounded half up without a branch; |v| stays far below the offset.
        q[k] = static_cast<int>(block[kZigZag[k]] * divisors[kZigZag[k]] + 16384.5f) - 16384;
    }
    // Eight-bit samples keep the DC within 11 bits and the AC within 10; the
    // clamp only guards against float rounding at the very edge.
    q[0] = std::clamp(q[0], -1024, 1023);
    for (int k = 1; k < 64; ++k) q[k] = std::clamp(q[k], -1023, 1023);
    const int diff = q[0] - lastDc;
    lastDc = q[0];
    bw.Ensure(1024);  // a block never needs more, stuffing included
    int n = Magnitude(diff);
    PutCoded(bw, dc, n, diff, n);
    // The non-zero AC coefficients as bits, walked by counting trailing
    // zeros: no branch per zero coefficient.
    std::uint64_t nonZero = 0;
    for (int k = 1; k < 64; ++k) nonZero |= static_cast<std::uint64_t>(q[k] != 0) << k;
    int last = 0;
    while (nonZero) {
        const int k = __builtin_ctzll(nonZero);
        nonZero &= nonZero - 1;
        int run = k - last - 1;
        last = k;
        while (run > 15) PutSymbol(bw, ac, 0xF0), run -= 16;
        n = Magnitude(q[k]);
        PutCoded(bw, ac, (run << 4) | n, q[k], n);
    }
    if (last != 63) PutSymbol(bw, ac, 0x00);
}

void PutMarker(std::vector<std::uint8_t>& out, std::uint8_t marker) {
    out.push_back(0xFF);
    out.push_back(marker);
}

}  // namespace

const QuantTable& BaseQuantTable(int index) { return index == 0 ? kLuminance : kChrominance; }

QuantTable ScaleQuantTable(const QuantTable& base, std::int32_t Quality) {
    if (Quality < 1) Quality = 1;
    const std::int32_t scale = Quality < 50 ? RoundToInt32(5000.0 / Quality) : Quality <= 100 ? 200 - 2 * Quality : 0;
    QuantTable t{};
    for (int i = 0; i < 64; ++i) {
        const double v = RoundHalfEven((static_cast<double>(base[i]) * scale + 50.0) / 100.0);
        t[i] = static_cast<std::int32_t>(v < 1 ? 1 : v > 255 ? 255 : v);
    }
    return t;
}

cJPGWriter::cJPGWriter() {
    SetQuality(90);
    SetHuffmanTable(0, 0, kDcLuminanceBits, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    SetHuffmanTable(0, 1, kDcChrominanceBits, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    SetHuffmanTable(1, 0, kAcLuminanceBits, kAcLuminanceSymbols);
    SetHuffmanTable(1, 1, kAcChrominanceBits, kAcChrominanceSymbols);
}

void cJPGWriter::SetQuality(std::int32_t Quality) {
    for (int i = 0; i < 2; ++i) SetQuantTable(i, ScaleQuantTable(BaseQuantTable(i), Quality), 0);
}

void cJPGWriter::SetQuantTable(int index, const QuantTable& table, int precision) {
    if (precision != 0 && precision != 1) Raise(2, kIllegalQuantPrecision);
    const std::int32_t max = precision == 0 ? 255 : 65535;
    if (index < 0 || index > 1) Raise(1, kBadQuantizationTable);
    for (std::int32_t v : table)
        if (v < 1 || v > max) Raise(1, kBadQuantizationTable);
    quant_[index] = table;
    precision_[index] = precision;
}

void cJPGWriter::SetHuffmanTable(int tableClass, int index, const std::array<std::uint8_t, 16>& bits,
                                 const std::vector<std::uint8_t>& symbols) {
    if (tableClass < 0 || tableClass > 1 || index < 0 || index > 1) Raise(3, kBadHuffmanTable);
    Huffman h;
    h.bits = bits;
    h.symbols = symbols;
    BuildCodes(h, tableClass == 0);
    huffman_[tableClass * 2 + index] = std::move(h);
}

void cJPGWriter::SetSampling(int horizontal, int vertical) {
    if (horizontal < 1 || horizontal > 4 || vertical < 1 || vertical > 4 || horizontal * vertical > 8)
        Raise(4, kInvalidSampling);
    sampleH_ = horizontal;
    sampleV_ = vertical;
}

bool cJPGWriter::Write(const PixelImage& image, std::vector<std::uint8_t>& out, ColorRef TransparentFillColor) const {
    return FailOnBadAlloc(false, [&] { return Encode(image, out, TransparentFillColor); });
}

bool cJPGWriter::Encode(const PixelImage& image, std::vector<std::uint8_t>& out, ColorRef TransparentFillColor) const {
    if (!IsWritable(image) || image.width > 65535 || image.height > 65535) return false;
    const ColorRef fillColor = TransparentFillColor >= 0 ? TransparentFillColor : 0xFFFFFF;
    const std::uint8_t fill[3] = {FillBlue(fillColor), FillGreen(fillColor), FillRed(fillColor)};
    const bool sixteenBit = precision_[0] || precision_[1];

    std::vector<std::uint8_t> jpg;
    jpg.reserve(static_cast<std::size_t>(image.width) * image.height / 4 + 1024);
    PutMarker(jpg, 0xD8);
    PutMarker(jpg, 0xE0);  // JFIF 1.01, no density unit, aspect 1:1, no thumbnail
    jpg.insert(jpg.end(), {0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    for (int t = 0; t < 2; ++t) {
        PutMarker(jpg, 0xDB);
        PutBe16(jpg, 2 + 1 + 64 * (precision_[t] ? 2 : 1));
        jpg.push_back(static_cast<std::uint8_t>(precision_[t] << 4 | t));
        for (int k = 0; k < 64; ++k) {
            const auto v = static_cast<std::uint32_t>(quant_[t][kZigZag[k]]);
            if (precision_[t]) PutBe16(jpg, v);
            else jpg.push_back(static_cast<std::uint8_t>(v));
        }
    }
    PutMarker(jpg, sixteenBit ? 0xC1 : 0xC0);
    PutBe16(jpg, 17);
    jpg.push_back(8);
    PutBe16(jpg, static_cast<std::uint32_t>(image.height));
    PutBe16(jpg, static_cast<std::uint32_t>(image.width));
    jpg.insert(jpg.end(), {3, 1, static_cast<std::uint8_t>(sampleH_ << 4 | sampleV_), 0, 2, 0x11, 1, 3, 0x11, 1});
    for (int t = 0; t < 4; ++t) {
        const Huffman& h = huffman_[t];
        PutMarker(jpg, 0xC4);
        PutBe16(jpg, static_cast<std::uint32_t>(2 + 1 + 16 + h.symbols.size()));
        jpg.push_back(static_cast<std::uint8_t>((t / 2) << 4 | (t % 2)));
        jpg.insert(jpg.end(), h.bits.begin(), h.bits.end());
        jpg.insert(jpg.end(), h.symbols.begin(), h.symbols.end());
    }
    PutMarker(jpg, 0xDA);
    jpg.insert(jpg.end(), {0, 12, 3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0});

    // Divisors with the AAN output scaling folded in.
    std::array<std::array<float, 64>, 2> divisors;
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < 64; ++i) {
            auto aan = [](int k) { return k == 0 ? 1.0 : std::cos(k * 3.14159265358979323846 / 16) * std::sqrt(2.0); };
            divisors[t][i] = static_cast<float>(1.0 / (quant_[t][i] * aan(i / 8) * aan(i % 8) * 8.0));
        }

    // The JFIF equations per channel value, level shift (-128) included:
    // table look-ups instead of nine multiplications per pixel.
    struct ColourTables {
        float y[3][256], cb[3][256], cr[3][256];
    };
    static const ColourTables lut = [] {
        ColourTables t{};
        const float y[3] = {0.299f, 0.587f, 0.114f}, cb[3] = {-0.16874f, -0.33126f, 0.5f},
                    cr[3] = {0.5f, -0.41869f, -0.08131f};
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 256; ++v) {
                t.y[c][v] = y[c] * static_cast<float>(v) - (c == 0 ? 128.0f : 0.0f);
                t.cb[c][v] = cb[c] * static_cast<float>(v);  // + 128 - 128
                t.cr[c][v] = cr[c] * static_cast<float>(v);
            }
        return t;
    }();

    // One row of MCUs at a time: full-resolution planes, edges replicated to
    // whole MCUs, chroma then averaged over sampleH_ x sampleV_ boxes.
    const int mcuW = 8 * sampleH_, mcuH = 8 * sampleV_;
    const int mcusAcross = (image.width + mcuW - 1) / mcuW, mcuRows = (image.height + mcuH - 1) / mcuH;
    const int planeW = mcusAcross * mcuW;
    std::vector<float> planes[3];
    for (auto& p : planes) p.resize(static_cast<std::size_t>(planeW) * mcuH);
    const int chromaW = planeW / sampleH_;
    std::vector<float> chroma[2];
    for (auto& c : chroma) c.resize(static_cast<std::size_t>(chromaW) * 8);
    BitWriter bw(jpg);
    int lastDc[3] = {0, 0, 0};
    float block[64];
    for (int my = 0; my < mcuRows; ++my) {
        for (int r = 0; r < mcuH; ++r) {
            const int y = std::min(my * mcuH + r, image.height - 1);
            const std::uint8_t* s = image.Row(y);
            float* py = &planes[0][static_cast<std::size_t>(r) * planeW];
            float* pb = &planes[1][static_cast<std::size_t>(r) * planeW];
            float* pr = &planes[2][static_cast<std::size_t>(r) * planeW];
            for (int x = 0; x < image.width; ++x, s += 4) {
                std::uint8_t b = s[0], g = s[1], rr = s[2];
                if (s[3] != 255) {
                    b = OverBackground(s[0], s[3], fill[0]);
                    g = OverBackground(s[1], s[3], fill[1]);
                    rr = OverBackground(s[2], s[3], fill[2]);
                }
                py[x] = lut.y[0][rr] + lut.y[1][g] + lut.y[2][b];
                pb[x] = lut.cb[0][rr] + lut.cb[1][g] + lut.cb[2][b];
                pr[x] = lut.cr[0][rr] + lut.cr[1][g] + lut.cr[2][b];
            }
            for (int x = image.width; x < planeW; ++x)
                py[x] = py[image.width - 1], pb[x] = pb[image.width - 1], pr[x] = pr[image.width - 1];
        }
        const float boxScale = 1.0f / static_cast<float>(sampleH_ * sampleV_);
        for (int c = 0; c < 2; ++c)
            for (int r = 0; r < 8; ++r) {
                float* d = &chroma[c][static_cast<std::size_t>(r) * chromaW];
                const float* first = &planes[c + 1][static_cast<std::size_t>(r * sampleV_) * planeW];
                if (sampleH_ == 2 && sampleV_ == 2) {  // the usual case, without the inner loops
                    const float* second = first + planeW;
                    for (int x = 0; x < chromaW; ++x)
                        d[x] = (first[2 * x] + first[2 * x + 1] + second[2 * x] + second[2 * x + 1]) * 0.25f;
                    continue;
                }
                for (int x = 0; x < chromaW; ++x) {
                    float sum = 0;
                    for (int dy = 0; dy < sampleV_; ++dy)
                        for (int dx = 0; dx < sampleH_; ++dx) sum += first[dy * planeW + x * sampleH_ + dx];
                    d[x] = sum * boxScale;
                }
            }
        for (int mx = 0; mx < mcusAcross; ++mx) {
            for (int by = 0; by < sampleV_; ++by)
                for (int bx = 0; bx < sampleH_; ++bx) {
                    for (int r = 0; r < 8; ++r)
                        for (int x = 0; x < 8; ++x)
                            block[r * 8 + x] =
                                planes[0][static_cast<std::size_t>(by * 8 + r) * planeW + mx * mcuW + bx * 8 + x];
                    EncodeBlock(bw, block, divisors[0].data(), lastDc[0], huffman_[0], huffman_[2]);
                }
            for (int c = 0; c < 2; ++c) {
                for (int r = 0; r < 8; ++r)
                    for (int x = 0; x < 8; ++x)
                        block[r * 8 + x] = chroma[c][static_cast<std::size_t>(r) * chromaW + mx * 8 + x];
                EncodeBlock(bw, block, divisors[1].data(), lastDc[c + 1], huffman_[1], huffman_[3]);
            }
        }
    }
    bw.Flush();
    PutMarker(jpg, 0xD9);
    out.swap(jpg);
    return true;
}

}  // namespace panorel::imaging
