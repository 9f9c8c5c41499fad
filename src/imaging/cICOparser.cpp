#include "imaging/cICOparser.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "imaging/cBMPparser.h"
#include "imaging/cPNGparser.h"

namespace panorel::imaging {

bool cICOparser::ReadDirectory(const std::uint8_t* data, std::size_t size) {
    entries_.clear();
    if (size < 6 || ReadLe16(data) != 0) return false;
    const unsigned type = ReadLe16(data + 2), count = ReadLe16(data + 4);
    if ((type != 1 && type != 2) || count == 0 || 6 + std::size_t{count} * 16 > size) return false;
    cursor_ = type == 2;
    for (unsigned i = 0; i < count; ++i) {
        const std::uint8_t* e = data + 6 + i * 16;
        IconEntry entry;
        entry.Width = e[0] ? e[0] : 256;
        entry.Height = e[1] ? e[1] : 256;
        entry.ColorCount = e[2];
        entry.bitDepth = cursor_ ? 0 : ReadLe16(e + 6);
        entry.size = ReadLe32(e + 8);
        entry.offset = ReadLe32(e + 12);
        if (entry.offset >= size || entry.size > size - entry.offset) entry.size = 0;  // unusable
        // The entry's own header says what it really holds (directories say 0
        // for 256 and more, and cursors keep the hot spot where the depth goes).
        const std::uint8_t* d = data + entry.offset;
        entry.IsIconPNG = cPNGparser::HasSignature(d, entry.size);
        if (entry.IsIconPNG && entry.size >= 29 && std::memcmp(d + 12, "IHDR", 4) == 0) {
            std::uint32_t w = ReadBe32(d + 16), h = ReadBe32(d + 20);
            if (w && h && w <= 0x7FFFFFFF && h <= 0x7FFFFFFF) entry.Width = static_cast<std::int32_t>(w), entry.Height = static_cast<std::int32_t>(h);
            static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
            int ct = d[25];
            entry.bitDepth = d[24] * (ct <= 6 ? kChannels[ct] : 0);
        } else if (!entry.IsIconPNG && entry.size >= 16 && ReadLe32(d) >= 40) {
            auto w = static_cast<std::int32_t>(ReadLe32(d + 4)), h = static_cast<std::int32_t>(ReadLe32(d + 8));
            if (w > 0 && h > 1) entry.Width = w, entry.Height = h / 2;
            entry.bitDepth = ReadLe16(d + 14);
        }
        entries_.push_back(entry);
    }
    return true;
}

std::int32_t cICOparser::ChooseEntry(std::int32_t iconCx, std::int32_t iconCy, std::int32_t iconBitDepth) const {
    if (entries_.size() == 1) return entries_[0].size ? 0 : -1;
    // Score: (width - cx) + (height - cy), a dimension smaller than asked
    // counting double, plus the depth difference. 0 wins at once, else the
    // smallest positive score; when every score is negative (all entries
    // smaller than asked) the one closest to the wish, i.e. the largest.
    std::int32_t best = -1, bestNegative = -1;
    std::int64_t bestScore = std::numeric_limits<std::int64_t>::max();
    std::int64_t bestNegativeScore = std::numeric_limits<std::int64_t>::min();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const IconEntry& e = entries_[i];
        if (!e.size || e.bitDepth > 32) continue;
        std::int64_t dw = std::int64_t{e.Width} - iconCx, dh = std::int64_t{e.Height} - iconCy;
        if (dw < 0) dw *= 2;
        if (dh < 0) dh *= 2;
        std::int64_t score = dw + dh + std::llabs(std::int64_t{iconBitDepth} - e.bitDepth);
        if (score == 0) return static_cast<std::int32_t>(i);
        if (score > 0 && score < bestScore) bestScore = score, best = static_cast<std::int32_t>(i);
        if (score < 0 && score > bestNegativeScore) bestNegativeScore = score, bestNegative = static_cast<std::int32_t>(i);
    }
    return best >= 0 ? best : bestNegative;
}

ParseResult cICOparser::LoadStream(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                                   PixelImage& out, const DetectHooks& hooks) {
    out = PixelImage{};
    const ParseResult result =
        FailOnBadAlloc(ParseResult::Failed, [&] { return Load(data, size, options, hooks, out); });
    if (result != ParseResult::Loaded) out = PixelImage{};
    return result;
}

ParseResult cICOparser::Load(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                             const DetectHooks& hooks, PixelImage& out) {
    cICOparser ico;
    if (!ico.ReadDirectory(data, size)) return ParseResult::Declined;
    std::int32_t chosen = ico.ChooseEntry(options.iconCx, options.iconCy, options.iconBitDepth);
    if (chosen < 0) return ParseResult::Failed;
    const IconEntry& e = ico.entries_[static_cast<std::size_t>(chosen)];
    const std::uint8_t* d = data + e.offset;
    ParseResult result;
    if (e.IsIconPNG) {
        result = LoadPng(d, e.size, options, hooks, out);
    } else {
        DibOptions dib;
        dib.iconEntry = true;
        result = cBMPparser::LoadDib(d, e.size, dib, options.limits, out);
    }
    if (result != ParseResult::Loaded) {
        out = PixelImage{};
        return ParseResult::Failed;
    }
    out.imageType = ico.cursor_ ? kImageTypeCursor : kImageTypeIcon;
    out.alpha = ClassifyAlpha(out);
    return ParseResult::Loaded;
}

}  // namespace panorel::imaging
