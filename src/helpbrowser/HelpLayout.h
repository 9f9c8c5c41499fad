#pragma once
// A help page laid out for a width: word-wrapped text fragments, pictures
// and code boxes in page pixels, and the page's plain text, which selection,
// copying and finding work on. Sizes are designed at 96 dpi and scale with
// the screen's whole twips per pixel; text is measured through TextMeasure,
// so the layout needs no window.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "helpbrowser/HelpMarkdown.h"

namespace panorel::help {

enum class FontKind : std::uint8_t { Body, Bold, Italic, Code, Heading1, Heading2, Heading3 };
constexpr int kFontKinds = 7;

class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int Width(FontKind font, const wchar_t* text, std::size_t length) = 0;
    virtual int Height(FontKind font) = 0;  // from one line's top to the next one's
    virtual int Ascent(FontKind font) = 0;
};

struct Fragment {
    int x = 0, top = 0, width = 0, height = 0, baseline = 0;
    FontKind font = FontKind::Body;
    int link = -1;  // index into PageLayout::links
    std::size_t start = 0, length = 0;  // the characters of PageLayout::text it shows
};

struct Box {
    int x = 0, top = 0, width = 0, height = 0;
};

struct PicturePlace {
    Box box;
    std::wstring name;  // the picture's file name
};

struct PageLayout {
    std::wstring text;  // lines end in '\n'
    std::vector<Fragment> fragments;  // in text order
    std::vector<PicturePlace> pictures;
    std::vector<Box> codeBoxes;
    std::vector<std::wstring> links;
    int width = 0, height = 0;
};

// The pixel size of a picture by its file name; nothing when it is missing
// (its alternative text is shown instead).
using PictureSizes = std::function<std::optional<Box>(const std::wstring& name)>;

PageLayout LayOutPage(const Page& page, int width, int twipsPerPixel, TextMeasure& measure,
                      const PictureSizes& pictureSize);

// The text offset nearest to a page point (for selecting with the mouse).
std::size_t OffsetAt(const PageLayout& layout, int x, int y, TextMeasure& measure);
// The link under a page point, -1 for none.
int LinkAt(const PageLayout& layout, int x, int y);
// Where `needle` occurs next in `text` at or after `from`, ignoring case and
// wrapping round to the start; nothing when it does not occur at all.
std::optional<std::size_t> FindText(const std::wstring& text, const std::wstring& needle, std::size_t from);
// The top of the line that shows `offset`.
int TopOfOffset(const PageLayout& layout, std::size_t offset);

}  // namespace panorel::help
