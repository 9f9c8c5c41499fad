#include "imaging/GifWriter.h"

#include <algorithm>
#include <unordered_map>

#include "imaging/ImageWriterSupport.h"
#include "imaging/LzwEncoder.h"

namespace panorel::imaging {
namespace {

constexpr int kFixedR = 6, kFixedG = 7, kFixedB = 6;

using Rgb = std::array<std::uint8_t, 3>;

inline std::uint32_t Key(const Rgb& c) { return std::uint32_t{c[0]} << 16 | c[1] << 8 | c[2]; }

// Median cut over a 5-bit-per-channel histogram: the box with the most pixels
// times its longest side is split at the pixel median of that side, until
// there are `colors` boxes or none can be split; each entry is its box's
// pixel-weighted mean of the exact colours.
std::vector<Rgb> MedianCut(const std::vector<Rgb>& pixels, const std::vector<bool>& transparent, int colors) {
    struct Bin {
        std::uint32_t count = 0;
        std::uint64_t sum[3] = {0, 0, 0};
    };
    std::vector<Bin> bins(32768);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (transparent[i]) continue;
        const Rgb& c = pixels[i];
        Bin& b = bins[(c[0] >> 3) << 10 | (c[1] >> 3) << 5 | (c[2] >> 3)];
        ++b.count;
        for (int k = 0; k < 3; ++k) b.sum[k] += c[k];
    }
    std::vector<std::uint16_t> used;
    for (std::uint32_t i = 0; i < bins.size(); ++i)
        if (bins[i].count) used.push_back(static_cast<std::uint16_t>(i));
    auto channel = [](std::uint16_t bin, int k) { return (bin >> (10 - 5 * k)) & 31; };

    struct Box {
        std::size_t begin, end;  // range of `used`
        std::uint64_t pixels;
        int longest, extent;
    };
    auto measure = [&](Box& box) {
        int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
        box.pixels = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            box.pixels += bins[used[i]].count;
            for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], channel(used[i], k)), hi[k] = std::max(hi[k], channel(used[i], k));
        }
        box.longest = 0;
        for (int k = 1; k < 3; ++k)
            if (hi[k] - lo[k] > hi[box.longest] - lo[box.longest]) box.longest = k;
        box.extent = hi[box.longest] - lo[box.longest];
    };
    std::vector<Box> boxes{{0, used.size(), 0, 0, 0}};
    measure(boxes[0]);
    while (static_cast<int>(boxes.size()) < colors) {
        std::size_t pick = boxes.size();
        std::uint64_t best = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const std::uint64_t score = boxes[i].pixels * static_cast<std::uint64_t>(boxes[i].extent);
            if (boxes[i].end - boxes[i].begin > 1 && score >= best) best = score, pick = i;
        }
        if (pick == boxes.size()) break;
        Box box = boxes[pick];
        const int k = box.longest;
        std::sort(used.begin() + box.begin, used.begin() + box.end,
                  [&](std::uint16_t a, std::uint16_t b) { return channel(a, k) < channel(b, k); });
        std::uint64_t acc = 0;
        std::size_t cut = box.begin;
        while (cut < box.end - 1 && (acc += bins[used[cut]].count) * 2 < box.pixels) ++cut;
        ++cut;  // at least one bin on each side
        if (cut >= box.end) cut = box.end - 1;
        Box left{box.begin, cut, 0, 0, 0}, right{cut, box.end, 0, 0, 0};
        measure(left);
        measure(right);
        boxes[pick] = left;
        boxes.push_back(right);
    }
    std::vector<Rgb> palette;
    for (const Box& box : boxes) {
        std::uint64_t sum[3] = {0, 0, 0}, n = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            n += bins[used[i]].count;
            for (int k = 0; k < 3; ++k) sum[k] += bins[used[i]].sum[k];
        }
        if (n == 0) continue;
        Rgb c;
        for (int k = 0; k < 3; ++k) c[k] = static_cast<std::uint8_t>((sum[k] + n / 2) / n);
        palette.push_back(c);
    }
    return palette;
}

// Nearest palette entry by squared RGB distance, searching outwards from the
// green value in a green-sorted copy and stopping when green alone is too far.
class NearestEntry {
public:
    explicit NearestEntry(const std::vector<Rgb>& palette) : palette_(palette) {
        for (std::size_t i = 0; i < palette.size(); ++i) order_.push_back(static_cast<std::uint8_t>(i));
        std::sort(order_.begin(), order_.end(), [&](int a, int b) { return palette[a][1] < palette[b][1]; });
    }
    std::uint8_t operator()(const Rgb& c) {
        // A direct-mapped cache of recent answers: neighbouring pixels repeat.
        const std::uint32_t key = Key(c);
        Slot& slot = cache_[(key * 2654435761u) >> (32 - kCacheBits)];
        if (slot.key == key) return slot.index;
        const auto start = std::lower_bound(order_.begin(), order_.end(), c[1],
                                            [&](int e, int g) { return palette_[e][1] < g; }) - order_.begin();
        int best = 0, bestDist = 1 << 30;
        auto consider = [&](int e) {
            const int dr = palette_[e][0] - c[0], dg = palette_[e][1] - c[1], db = palette_[e][2] - c[2];
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDist || (d == bestDist && e < best)) bestDist = d, best = e;
        };
        for (std::ptrdiff_t i = start; i < static_cast<std::ptrdiff_t>(order_.size()); ++i) {
            const int dg = palette_[order_[i]][1] - c[1];
            if (dg * dg > bestDist) break;
            consider(order_[i]);
        }
        for (std::ptrdiff_t i = start - 1; i >= 0; --i) {
            const int dg = palette_[order_[i]][1] - c[1];
            if (dg * dg > bestDist) break;
            consider(order_[i]);
        }
        slot = {key, static_cast<std::uint8_t>(best)};
        return static_cast<std::uint8_t>(best);
    }

private:
    static constexpr int kCacheBits = 16;
    struct Slot {
        std::uint32_t key = 0xFFFFFFFFu;  // no colour has this key
        std::uint8_t index = 0;
    };
    const std::vector<Rgb>& palette_;
    std::vector<std::uint8_t> order_;
    std::vector<Slot> cache_ = std::vector<Slot>(std::size_t{1} << kCacheBits);
};

inline int NearestStep(int v, int steps) { return (v * (steps - 1) + 127) / 255; }

}  // namespace

Rgb FixedPaletteColor(int index) {
    const int r = index / (kFixedG * kFixedB), g = index / kFixedB % kFixedG, b = index % kFixedB;
    return {static_cast<std::uint8_t>(r * 255 / (kFixedR - 1)), static_cast<std::uint8_t>(g * 255 / (kFixedG - 1)),
            static_cast<std::uint8_t>(b * 255 / (kFixedB - 1))};
}

namespace {

bool EncodeGif(const PixelImage& image, std::vector<std::uint8_t>& out, bool UseAdaptivePalette,
               std::uint8_t OpaquenessTolerance) {
    if (!IsWritable(image) || image.width > 65535 || image.height > 65535) return false;
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    std::vector<Rgb> pixels(count);
    std::vector<bool> transparent(count);
    bool anyTransparent = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* s = &image.bgra[i * 4];
        transparent[i] = s[3] <= OpaquenessTolerance;
        anyTransparent = anyTransparent || transparent[i];
        pixels[i] = {Unpremultiply(s[2], s[3]), Unpremultiply(s[1], s[3]), Unpremultiply(s[0], s[3])};
    }
    const int room = anyTransparent ? 255 : 256;

    std::vector<Rgb> palette;
    std::vector<std::uint8_t> indices(count);
    if (UseAdaptivePalette) {
        // The picture's own colours when they fit, in first-seen order.
        std::unordered_map<std::uint32_t, std::uint8_t> exact;
        bool fits = true;
        for (std::size_t i = 0; i < count && fits; ++i) {
            if (transparent[i] || exact.count(Key(pixels[i]))) continue;
            if (static_cast<int>(palette.size()) == room) fits = false;
            else exact.emplace(Key(pixels[i]), static_cast<std::uint8_t>(palette.size())), palette.push_back(pixels[i]);
        }
        if (fits) {
            for (std::size_t i = 0; i < count; ++i)
                if (!transparent[i]) indices[i] = exact[Key(pixels[i])];
        } else {
            palette = MedianCut(pixels, transparent, room);
            NearestEntry nearest(palette);
            for (std::size_t i = 0; i < count; ++i)
                if (!transparent[i]) indices[i] = nearest(pixels[i]);
        }
    } else {
        // On an evenly spaced cube the nearest step per channel is the nearest entry.
        for (int i = 0; i < kFixedR * kFixedG * kFixedB; ++i) palette.push_back(FixedPaletteColor(i));
        for (std::size_t i = 0; i < count; ++i) {
            const Rgb& c = pixels[i];
            indices[i] = static_cast<std::uint8_t>((NearestStep(c[0], kFixedR) * kFixedG + NearestStep(c[1], kFixedG)) *
                                                       kFixedB + NearestStep(c[2], kFixedB));
        }
    }
    const auto transparentIndex = static_cast<std::uint8_t>(palette.size());
    if (anyTransparent) {
        palette.push_back({0, 0, 0});
        for (std::size_t i = 0; i < count; ++i)
            if (transparent[i]) indices[i] = transparentIndex;
    }
    int bits = 1;
    while ((1u << bits) < palette.size()) ++bits;
    palette.resize(std::size_t{1} << bits, Rgb{0, 0, 0});

    std::vector<std::uint8_t> gif{'G', 'I', 'F', '8', '9', 'a'};
    PutLe16(gif, static_cast<std::uint32_t>(image.width));
    PutLe16(gif, static_cast<std::uint32_t>(image.height));
    gif.push_back(static_cast<std::uint8_t>(0x80 | 0x70 | (bits - 1)));  // global table, 8-bit colour resolution
    gif.push_back(0);
    gif.push_back(0);
    for (const Rgb& c : palette) gif.insert(gif.end(), c.begin(), c.end());
    if (anyTransparent) gif.insert(gif.end(), {0x21, 0xF9, 4, 1, 0, 0, transparentIndex, 0});
    gif.push_back(0x2C);
    PutLe32(gif, 0);
    PutLe16(gif, static_cast<std::uint32_t>(image.width));
    PutLe16(gif, static_cast<std::uint32_t>(image.height));
    gif.push_back(0);
    const std::vector<std::uint8_t> lzw = LzwEncodeGif(indices.data(), count, std::max(2, bits));
    gif.insert(gif.end(), lzw.begin(), lzw.end());
    gif.push_back(0x3B);
    out.swap(gif);
    return true;
}

}  // namespace

bool SaveAsGIF(const PixelImage& image, std::vector<std::uint8_t>& out, bool UseAdaptivePalette,
               std::uint8_t OpaquenessTolerance) {
    return FailOnBadAlloc(false, [&] { return EncodeGif(image, out, UseAdaptivePalette, OpaquenessTolerance); });
}

}  // namespace panorel::imaging
