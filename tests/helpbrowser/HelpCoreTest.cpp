// The help's Markdown, its packed content and its page layout, measured with
// a fixed-width stand-in font (10 pixels a character, 20 a line).
#include <gtest/gtest.h>

#include "helpbrowser/HelpBundle.h"
#include "helpbrowser/HelpLayout.h"
#include "helpbrowser/HelpMarkdown.h"

namespace panorel::help {
namespace {

class FixedMeasure : public TextMeasure {
public:
    int Width(FontKind, const wchar_t*, std::size_t n) override { return static_cast<int>(n) * 10; }
    int Height(FontKind f) override { return f == FontKind::Heading1 ? 40 : 20; }
    int Ascent(FontKind) override { return 15; }
};

std::string Describe(const Block& b) {
    std::string s = std::to_string(static_cast<int>(b.kind)) + "/" + std::to_string(b.level) + "/" +
                    std::to_string(b.number) + "@" + std::to_string(b.line) + ":";
    for (const Span& span : b.spans)
        s += "[" + Utf8FromUtf16(span.text) + (span.bold ? " B" : "") + (span.italic ? " I" : "") +
             (span.code ? " C" : "") + (span.link.empty() ? "" : " ->" + Utf8FromUtf16(span.link)) + " L" +
             std::to_string(span.line) + "]";
    return s + Utf8FromUtf16(b.target);
}

TEST(HelpMarkdown, ReadsTheBlocksAndSpansTheHelpIsWrittenIn) {
    const Page page = ParseMarkdown(
        "# Title #\r\n\nSome **bold** and *it* with `a*b`\nand [a link](hotkeys.md) \\*x\\*.\n\n"
        "- one\n  more\n  - two\n3. three\n\n```\ncode **not bold**\n\n  indented\n```\n"
        "![The panel](../images/panel.png)\n---\n### Deep ###### x\n\xC3\xA9\xFF!");
    const std::vector<std::string> expected = {
        "0/1/0@1:[Title L1]",
        "1/0/0@3:[Some  L3][bold B L3][ and  L3][it I L3][ with  L3][a*b C L3][ and  L3][a link ->hotkeys.md L4][ *x*. L4]",
        "2/0/0@6:[one more L6]",
        "2/1/0@8:[two L8]",
        "2/0/3@9:[three L9]",
        "3/0/0@11:[code **not bold**\n\n  indented C L11]",
        "4/0/0@16:[The panel L16]../images/panel.png",
        "0/3/0@18:[Deep ###### x L18]",
        "1/0/0@19:[\xC3\xA9\xEF\xBF\xBD! L19]",
    };
    ASSERT_EQ(page.blocks.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(Describe(page.blocks[i]), expected[i]) << i;
    EXPECT_EQ(page.title, L"Title");
    EXPECT_EQ(TopicOfLink(L"hotkeys.md"), L"hotkeys");
    EXPECT_EQ(TopicOfLink(L"../x.md"), L"");
    EXPECT_EQ(TopicOfLink(L"https://a/b.md"), L"");
    EXPECT_EQ(Utf8FromUtf16(Utf16FromUtf8("\xF0\x9F\x98\x80")), "\xF0\x9F\x98\x80");
}

TEST(HelpBundle, ARoundTripHoldsAndEveryCutOrDamageIsRefused) {
    const HelpBundle bundle{{{"start", "# Start\n\nSee [x](other.md)."}, {"other", "# Other"}},
                            {{"p.png", std::string("\x89PNG\0\x01", 6)}}};
    const std::string bytes = WriteBundle(bundle);
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    HelpBundle back;
    std::string error;
    ASSERT_TRUE(ReadBundle(p, bytes.size(), back, error)) << error;
    ASSERT_EQ(back.topics.size(), 2u);
    EXPECT_EQ(back.topics[1].data, "# Other");
    EXPECT_EQ(back.pictures.at(0).data, bundle.pictures[0].data);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) EXPECT_FALSE(ReadBundle(p, cut, back, error)) << cut;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string damaged = bytes;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        EXPECT_FALSE(ReadBundle(reinterpret_cast<const std::uint8_t*>(damaged.data()), damaged.size(), back, error))
            << at;
    }
    const HelpContent cut = OpenHelp(p, bytes.size() / 2);
    EXPECT_TRUE(cut.damaged);
    ASSERT_EQ(cut.topics.size(), 1u);
    EXPECT_EQ(cut.topics[0].page.title, L"The help cannot be shown");
    const HelpContent whole = OpenHelp(p, bytes.size());
    const struct {
        std::wstring request;
        std::size_t topic;
    } requests[] = {{L"1", 0}, {L"", 0}, {L"2", 1}, {L"OTHER", 1}, {L"Other", 1}, {L"9", 0}, {L"nothing", 0}};
    for (const auto& r : requests) EXPECT_EQ(FindTopic(whole, r.request), r.topic);
}

TEST(HelpLayout, WrapsWithinTheWidthAndMapsPointsBackToText) {
    const Page page = ParseMarkdown("# Head\n\nalpha beta gamma [delta](d.md) epsilon\n\n![pic](p.png)\n\n- item\n");
    FixedMeasure m;
    const PageLayout layout = LayOutPage(page, 200, 15, m, [](const std::wstring& name) -> std::optional<Box> {
        if (name == L"p.png") return Box{0, 0, 336, 100};
        return std::nullopt;
    });
    EXPECT_EQ(layout.text, L"Head\nalpha beta gamma delta epsilon\n\x2022 item\n");
    for (const Fragment& f : layout.fragments) {
        EXPECT_LE(f.x + f.width, 200 - 16 + 10) << "inside the margin (a trailing blank may hang over)";
        EXPECT_GE(f.x, 16);
    }
    // The picture is scaled down to the room between the margins.
    ASSERT_EQ(layout.pictures.size(), 1u);
    EXPECT_EQ(layout.pictures[0].box.width, 168);
    EXPECT_EQ(layout.pictures[0].box.height, 50);
    const Fragment& link = *std::find_if(layout.fragments.begin(), layout.fragments.end(),
                                         [](const Fragment& f) { return f.link >= 0; });
    EXPECT_EQ(layout.links.at(static_cast<std::size_t>(link.link)), L"d.md");
    EXPECT_EQ(LinkAt(layout, link.x + 5, link.top + 5), link.link);
    EXPECT_EQ(LinkAt(layout, link.x - 5, link.top + 5), -1);
    EXPECT_EQ(OffsetAt(layout, link.x + 21, link.top + 1, m), link.start + 2);
    EXPECT_EQ(OffsetAt(layout, 0, 0, m), 0u);
    EXPECT_EQ(OffsetAt(layout, 0, layout.height + 100, m), layout.text.size());
    EXPECT_EQ(TopOfOffset(layout, link.start), link.top);
    // Twice the pixels per inch: twice the picture.
    const PageLayout big = LayOutPage(page, 400, 7, m, [](const std::wstring&) { return Box{0, 0, 60, 30}; });
    EXPECT_EQ(big.pictures.at(0).box.width, 60 * 15 / 7);
}

TEST(HelpLayout, FindIgnoresCaseAndWrapsRound) {
    const struct {
        const wchar_t* word;
        std::size_t from;
        std::optional<std::size_t> at;
    } finds[] = {{L"one", 0, 0}, {L"one", 1, 8}, {L"one", 9, 0}, {L"three", 0, std::nullopt}, {L"", 0, std::nullopt}};
    for (const auto& f : finds) EXPECT_EQ(FindText(L"One two ONE", f.word, f.from), f.at) << f.from;
}

}  // namespace
}  // namespace panorel::help
