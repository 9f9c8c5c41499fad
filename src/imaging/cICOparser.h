#pragma once
// ICO and CUR: the directory, the choice of one entry by the score rule, PNG
// entries through the chain's PNG path (LoadPng, its error report included),
// bitmap entries with their colour tables and the AND mask.
#include <vector>

#include "imaging/modParsers.h"

namespace panorel::imaging {

struct IconEntry {
    std::int32_t Width = 0;   // from the entry's own header when it has one, else the directory
    std::int32_t Height = 0;
    std::int32_t bitDepth = 0;
    std::int32_t ColorCount = 0;
    bool IsIconPNG = false;
    std::uint32_t offset = 0, size = 0;
};

class cICOparser {
public:
    // Reads the directory (false when this is no icon or cursor).
    bool ReadDirectory(const std::uint8_t* data, std::size_t size);
    std::int32_t IconCount() const { return static_cast<std::int32_t>(entries_.size()); }
    const std::vector<IconEntry>& Entries() const { return entries_; }
    bool IsCursor() const { return cursor_; }
    // The entry the score rule picks for these wishes; -1 when none qualifies.
    std::int32_t ChooseEntry(std::int32_t iconCx, std::int32_t iconCy, std::int32_t iconBitDepth) const;

    static ParseResult LoadStream(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                                  PixelImage& out, const DetectHooks& hooks = {});

private:
    static ParseResult Load(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                            const DetectHooks& hooks, PixelImage& out);

    std::vector<IconEntry> entries_;
    bool cursor_ = false;
};

}  // namespace panorel::imaging
