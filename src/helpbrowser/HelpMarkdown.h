#pragma once
// The help's Markdown, read into pages of blocks and styled spans: the part
// of Markdown the help is written in (headings, paragraphs, bullet and
// numbered lists, fenced code, bold, italic, code spans, links, pictures on
// a line of their own). Anything else reads as plain text. The build tool
// checks the pages with it and the help browser shows them.
#include <string>
#include <string_view>
#include <vector>

namespace panorel::help {

struct Span {
    std::wstring text;
    bool bold = false;
    bool italic = false;
    bool code = false;
    std::wstring link;  // the target as written ("hotkeys.md", "https://..."); empty: none
    int line = 0;       // where it starts in the source, 1-based
};

enum class BlockKind { Heading, Paragraph, ListItem, Code, Picture };

struct Block {
    BlockKind kind = BlockKind::Paragraph;
    int level = 0;   // Heading: 1..3; ListItem: nesting depth from 0
    int number = 0;  // ListItem: 0 for a bullet, else its number
    std::vector<Span> spans;  // Code: one span, lines joined by '\n'; Picture: its alternative text
    std::wstring target;      // Picture: the file as written
    int line = 0;
};

struct Page {
    std::wstring title;  // the first heading's text
    std::vector<Block> blocks;
};

Page ParseMarkdown(std::string_view source);

// UTF-8 to UTF-16 units and back; a malformed sequence becomes U+FFFD.
std::wstring Utf16FromUtf8(std::string_view text);
std::string Utf8FromUtf16(std::wstring_view text);

// A link that leads to another topic ("name.md", no scheme): that topic's
// name ("name"); empty for anything else.
std::wstring TopicOfLink(const std::wstring& target);
// A link to the web (http:, https:, mailto:).
bool IsExternalLink(const std::wstring& target);
// The file name at the end of a path, without folders.
std::wstring FileNameOf(const std::wstring& path);

}  // namespace panorel::help
