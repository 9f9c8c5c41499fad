#include "helpbrowser/HelpMarkdown.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace panorel::help {

std::wstring Utf16FromUtf8(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<std::uint8_t>(s[i]);
        std::uint32_t cp = 0xFFFD;
        std::size_t need = 0;
        if (b < 0x80) cp = b;
        else if ((b & 0xE0) == 0xC0) cp = b & 0x1F, need = 1;
        else if ((b & 0xF0) == 0xE0) cp = b & 0x0F, need = 2;
        else if ((b & 0xF8) == 0xF0) cp = b & 0x07, need = 3;
        std::size_t used = 1;
        bool ok = b < 0x80 || need > 0;
        for (std::size_t k = 1; ok && k <= need; ++k) {
            if (i + k >= s.size() || (static_cast<std::uint8_t>(s[i + k]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (static_cast<std::uint8_t>(s[i + k]) & 0x3F);
            used = k + 1;
        }
        static const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < least[need] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        if (cp >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp);
        }
        i += used;
    }
    return out;
}

std::string Utf8FromUtf16(std::wstring_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::uint32_t cp = static_cast<std::uint32_t>(s[i]) & 0xFFFF;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && (s[i + 1] & 0xFC00) == 0xDC00)
            cp = 0x10000 + ((cp - 0xD800) << 10) + ((static_cast<std::uint32_t>(s[++i]) & 0xFFFF) - 0xDC00);
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

namespace {

struct Line {
    std::wstring text;
    int number;
};

std::size_t Indent(const std::wstring& s) {
    std::size_t n = 0;
    while (n < s.size() && s[n] == L' ') ++n;
    return n;
}

bool Blank(const std::wstring& s) { return Indent(s) == s.size(); }

std::wstring Trimmed(const std::wstring& s) {
    const std::size_t a = Indent(s);
    std::size_t b = s.size();
    while (b > a && s[b - 1] == L' ') --b;
    return s.substr(a, b - a);
}

bool IsFence(const std::wstring& s) { return Trimmed(s).rfind(L"```", 0) == 0; }

int HeadingLevel(const std::wstring& s) {
    if (Indent(s) > 3) return 0;
    const std::wstring t = Trimmed(s);
    std::size_t n = 0;
    while (n < t.size() && t[n] == L'#') ++n;
    if (n == 0 || n > 6 || (n < t.size() && t[n] != L' ')) return 0;
    return static_cast<int>(n);
}

// A list marker at the line's start: its number (0 for a bullet), the
// indent, and where the item's text begins; false when there is none.
bool ListMarker(const std::wstring& s, int& number, std::size_t& indent, std::size_t& textStart) {
    indent = Indent(s);
    std::size_t i = indent;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'*' || s[i] == L'+')) {
        if (i + 1 < s.size() && s[i + 1] == L' ') {
            number = 0;
            textStart = i + 2;
            return true;
        }
        return false;
    }
    std::size_t d = i;
    int value = 0;
    while (d < s.size() && s[d] >= L'0' && s[d] <= L'9' && d - i < 9) value = value * 10 + (s[d++] - L'0');
    if (d > i && d + 1 < s.size() && (s[d] == L'.' || s[d] == L')') && s[d + 1] == L' ') {
        number = std::max(value, 1);
        textStart = d + 2;
        return true;
    }
    return false;
}

bool IsRule(const std::wstring& s) {
    const std::wstring t = Trimmed(s);
    return t.size() >= 3 && (t.find_first_not_of(L'-') == std::wstring::npos ||
                             t.find_first_not_of(L'*') == std::wstring::npos ||
                             t.find_first_not_of(L'_') == std::wstring::npos);
}

bool StartsBlock(const std::wstring& s) {
    int number;
    std::size_t indent, start;
    return IsFence(s) || HeadingLevel(s) > 0 || IsRule(s) || ListMarker(s, number, indent, start);
}

// Text joined from several source lines, remembering where each began.
struct Joined {
    std::wstring text;
    std::vector<std::pair<std::size_t, int>> starts;  // offset, line number

    void Add(const std::wstring& piece, int line) {
        if (!text.empty()) text += L' ';
        starts.emplace_back(text.size(), line);
        text += piece;
    }
    int LineAt(std::size_t offset) const {
        int line = starts.empty() ? 0 : starts.front().second;
        for (const auto& s : starts)
            if (s.first <= offset) line = s.second;
        return line;
    }
};

bool IsPunctuation(wchar_t c) { return c < 0x80 && std::wstring_view(L"\\`*_{}[]()#+-.!<>|~\"'").find(c) != std::wstring_view::npos; }

class InlineParser {
public:
    explicit InlineParser(const Joined& j) : j_(j), s_(j.text) {}

    std::vector<Span> Parse() {
        Run(0, s_.size(), L"");
        Flush();
        return std::move(spans_);
    }

private:
    void Flush() {
        if (buffer_.empty()) return;
        Span span;
        span.text = std::move(buffer_);
        span.bold = bold_;
        span.italic = italic_;
        span.link = link_;
        span.line = j_.LineAt(bufferStart_);
        spans_.push_back(std::move(span));
        buffer_.clear();
    }
    void Put(wchar_t c, std::size_t at) {
        if (buffer_.empty()) bufferStart_ = at;
        buffer_ += c;
    }

    void Run(std::size_t from, std::size_t to, const std::wstring& link) {
        link_ = link;
        std::size_t i = from;
        while (i < to) {
            const wchar_t c = s_[i];
            if (c == L'\\' && i + 1 < to && IsPunctuation(s_[i + 1])) {
                Put(s_[i + 1], i);
                i += 2;
            } else if (c == L'`') {
                std::size_t ticks = 0;
                while (i + ticks < to && s_[i + ticks] == L'`') ++ticks;
                const std::size_t close = s_.find(std::wstring(ticks, L'`'), i + ticks);
                if (close == std::wstring::npos || close + ticks > to) {
                    for (std::size_t k = 0; k < ticks; ++k) Put(L'`', i + k);
                    i += ticks;
                    continue;
                }
                Flush();
                Span span;
                span.text = Trimmed(s_.substr(i + ticks, close - i - ticks));
                span.code = true;
                span.bold = bold_;
                span.link = link_;
                span.line = j_.LineAt(i);
                spans_.push_back(std::move(span));
                i = close + ticks;
            } else if (c == L'*' && i + 1 < to && s_[i + 1] == L'*') {
                Flush();
                bold_ = !bold_;
                i += 2;
            } else if (c == L'*') {
                Flush();
                italic_ = !italic_;
                ++i;
            } else if ((c == L'[' || (c == L'!' && i + 1 < to && s_[i + 1] == L'[')) && link.empty()) {
                const std::size_t open = c == L'!' ? i + 1 : i;
                std::size_t close = Matching(open, to, L'[', L']');
                if (close != std::wstring::npos && close + 1 < to && s_[close + 1] == L'(') {
                    const std::size_t end = Matching(close + 1, to, L'(', L')');
                    if (end != std::wstring::npos) {
                        std::wstring target = Trimmed(s_.substr(close + 2, end - close - 2));
                        const std::size_t blank = target.find(L' ');  // a title after the target is dropped
                        if (blank != std::wstring::npos) target.resize(blank);
                        Flush();
                        // A picture inside text shows its alternative text.
                        Run(open + 1, close, c == L'!' ? std::wstring() : (target.empty() ? L"#" : target));
                        Flush();
                        link_.clear();
                        i = end + 1;
                        continue;
                    }
                }
                Put(c, i);
                ++i;
            } else {
                Put(c, i);
                ++i;
            }
        }
    }

    std::size_t Matching(std::size_t open, std::size_t to, wchar_t o, wchar_t cl) const {
        int depth = 0;
        for (std::size_t k = open; k < to; ++k) {
            if (s_[k] == L'\\') {
                ++k;
                continue;
            }
            if (s_[k] == o) ++depth;
            if (s_[k] == cl && --depth == 0) return k;
        }
        return std::wstring::npos;
    }

    const Joined& j_;
    const std::wstring& s_;
    std::vector<Span> spans_;
    std::wstring buffer_;
    std::size_t bufferStart_ = 0;
    bool bold_ = false, italic_ = false;
    std::wstring link_;
};

std::vector<Span> Inline(const Joined& j) { return InlineParser(j).Parse(); }

// "![alt](target)" alone on its lines.
bool PictureLine(const std::wstring& text, Block& block) {
    const std::wstring t = Trimmed(text);
    if (t.size() < 5 || t[0] != L'!' || t[1] != L'[' || t.back() != L')') return false;
    const std::size_t mid = t.find(L"](");
    if (mid == std::wstring::npos || t.find(L')', mid) != t.size() - 1) return false;
    block.kind = BlockKind::Picture;
    Span alt;
    alt.text = t.substr(2, mid - 2);
    alt.line = block.line;
    block.spans = {alt};
    block.target = Trimmed(t.substr(mid + 2, t.size() - mid - 3));
    const std::size_t blank = block.target.find(L' ');
    if (blank != std::wstring::npos) block.target.resize(blank);
    return true;
}

}  // namespace

Page ParseMarkdown(std::string_view source) {
    std::vector<Line> lines;
    {
        const std::wstring all = Utf16FromUtf8(source);
        std::size_t start = 0;
        int number = 1;
        while (start <= all.size()) {
            std::size_t end = all.find(L'\n', start);
            if (end == std::wstring::npos) end = all.size();
            std::wstring text = all.substr(start, end - start);
            if (!text.empty() && text.back() == L'\r') text.pop_back();
            for (wchar_t& c : text)
                if (c == L'\t') c = L' ';
            lines.push_back({std::move(text), number++});
            start = end + 1;
        }
    }
    Page page;
    std::size_t i = 0;
    while (i < lines.size()) {
        const Line& line = lines[i];
        Block block;
        block.line = line.number;
        int number = 0;
        std::size_t indent = 0, textStart = 0;
        if (Blank(line.text) || IsRule(line.text)) {
            ++i;
            continue;
        }
        if (IsFence(line.text)) {
            block.kind = BlockKind::Code;
            Span code;
            code.code = true;
            code.line = line.number;
            bool first = true;
            for (++i; i < lines.size() && !IsFence(lines[i].text); ++i, first = false) {
                if (!first) code.text += L'\n';
                code.text += lines[i].text;
            }
            ++i;  // the closing fence
            block.spans = {code};
        } else if (const int level = HeadingLevel(line.text)) {
            block.kind = BlockKind::Heading;
            block.level = std::min(level, 3);
            std::wstring text = Trimmed(line.text).substr(static_cast<std::size_t>(level));
            while (!text.empty() && (text.back() == L'#' || text.back() == L' ')) text.pop_back();
            Joined j;
            j.Add(Trimmed(text), line.number);
            block.spans = Inline(j);
            ++i;
        } else if (ListMarker(line.text, number, indent, textStart)) {
            block.kind = BlockKind::ListItem;
            block.number = number;
            block.level = static_cast<int>(std::min<std::size_t>(indent / 2, 3));
            Joined j;
            j.Add(Trimmed(line.text.substr(textStart)), line.number);
            for (++i; i < lines.size() && !Blank(lines[i].text) && !StartsBlock(lines[i].text); ++i)
                j.Add(Trimmed(lines[i].text), lines[i].number);
            block.spans = Inline(j);
        } else {
            Joined j;
            for (; i < lines.size() && !Blank(lines[i].text) && !(j.text.size() && StartsBlock(lines[i].text)); ++i)
                j.Add(Trimmed(lines[i].text), lines[i].number);
            if (!PictureLine(j.text, block)) {
                block.kind = BlockKind::Paragraph;
                block.spans = Inline(j);
            }
        }
        if (block.kind == BlockKind::Heading && page.title.empty())
            for (const Span& s : block.spans) page.title += s.text;
        page.blocks.push_back(std::move(block));
    }
    return page;
}

bool IsExternalLink(const std::wstring& t) {
    return t.rfind(L"http://", 0) == 0 || t.rfind(L"https://", 0) == 0 || t.rfind(L"mailto:", 0) == 0;
}

std::wstring FileNameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring TopicOfLink(const std::wstring& target) {
    if (IsExternalLink(target) || target.find(L':') != std::wstring::npos) return {};
    const std::wstring name = FileNameOf(target);
    if (name.size() <= 3 || name.compare(name.size() - 3, 3, L".md") != 0) return {};
    if (target.find(L'/') != std::wstring::npos && target.rfind(L"./", 0) != 0) return {};
    return name.substr(0, name.size() - 3);
}

}  // namespace panorel::help
