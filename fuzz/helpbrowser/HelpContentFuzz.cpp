// Any bytes as the help browser's content resource, and as a topic's
// Markdown laid out on a narrow page.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "helpbrowser/HelpBundle.h"
#include "helpbrowser/HelpLayout.h"

namespace {

class Measure : public panorel::help::TextMeasure {
public:
    int Width(panorel::help::FontKind, const wchar_t*, std::size_t n) override { return static_cast<int>(n) * 7; }
    int Height(panorel::help::FontKind) override { return 16; }
    int Ascent(panorel::help::FontKind) override { return 12; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace panorel::help;
    OpenHelp(data, size);
    Measure m;
    const Page page = ParseMarkdown(std::string_view(reinterpret_cast<const char*>(data), size));
    const PageLayout layout = LayOutPage(page, 120, 15, m, [](const std::wstring&) { return Box{0, 0, 500, 90}; });
    OffsetAt(layout, 60, layout.height / 2, m);
    FindText(layout.text, L"ab", size % 7);
    return 0;
}
