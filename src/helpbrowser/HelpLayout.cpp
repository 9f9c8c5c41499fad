#include "helpbrowser/HelpLayout.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>

namespace panorel::help {

namespace {

class Builder {
public:
    Builder(int width, int twipsPerPixel, TextMeasure& measure)
        : tpp_(std::max(1, twipsPerPixel)), measure_(measure) {
        out_.width = width;
        margin_ = Px(16);
        right_ = std::max(width - margin_, margin_ + Px(120));
        y_ = margin_;
    }

    // A length designed at 96 dpi (15 twips per pixel) on this screen.
    int Px(int designed) const { return designed * 15 / tpp_; }

    void Gap(int designed) {
        if (!atTop_) y_ += Px(designed);
    }

    // Word-wraps spans from `left`, continuing lines from `first` (the
    // first line may start further right, after a list marker).
    void Flow(const std::vector<Span>& spans, FontKind base, int left, int first, bool wrapAnywhere = false) {
        lineHeight_ = measure_.Height(base);
        baseline_ = measure_.Ascent(base);
        int x = first;
        for (const Span& span : spans) {
            const FontKind font = FontOf(span, base);
            const int link = LinkIndex(span.link);
            std::size_t i = 0;
            const std::wstring& s = span.text;
            while (i < s.size()) {
                if (s[i] == L'\n') {  // code keeps its lines
                    out_.text += L'\n';
                    NewLine(x, left);
                    ++i;
                    continue;
                }
                // One word with the blanks after it.
                std::size_t end = i;
                while (end < s.size() && s[end] != L' ' && s[end] != L'\n') ++end;
                while (end < s.size() && s[end] == L' ') ++end;
                if (wrapAnywhere) end = std::min(s.find(L'\n', i), s.size());
                int w = measure_.Width(font, s.data() + i, end - i);
                if (x + w > right_ && x > left) {
                    NewLine(x, left);
                    if (s[i] == L' ') {  // no blanks at a line's start
                        ++i;
                        continue;
                    }
                }
                std::size_t take = end - i;
                if (x + w > right_) {  // longer than a line: as much as fits
                    take = Fitting(font, s.data() + i, end - i, right_ - x);
                    w = measure_.Width(font, s.data() + i, take);
                }
                Emit(font, link, s.data() + i, take, x, w);
                x += w;
                i += take;
            }
        }
        y_ += lineHeight_;
        out_.text += L'\n';
        atTop_ = false;
    }

    void Marker(const std::wstring& marker, int x) {
        const int w = measure_.Width(FontKind::Body, marker.data(), marker.size());
        lineHeight_ = measure_.Height(FontKind::Body);
        baseline_ = measure_.Ascent(FontKind::Body);
        Emit(FontKind::Body, -1, marker.data(), marker.size(), x, w);
    }

    void Picture(const Block& block, const PictureSizes& sizes) {
        const std::wstring name = FileNameOf(block.target);
        const std::optional<Box> natural = sizes ? sizes(name) : std::nullopt;
        if (!natural || natural->width < 1 || natural->height < 1) {
            std::vector<Span> alt = block.spans;
            if (alt.empty()) alt.push_back({});
            alt.front().text = L"[Picture: " + alt.front().text + L"]";
            alt.front().italic = true;
            Flow(alt, FontKind::Body, margin_, margin_);
            return;
        }
        const int room = right_ - margin_;
        long long w = Px(natural->width), h = Px(natural->height);
        if (w > room) {
            h = h * room / w;
            w = room;
        }
        out_.pictures.push_back({{margin_, y_, static_cast<int>(w), std::max(1, static_cast<int>(h))}, name});
        y_ += static_cast<int>(h);
        atTop_ = false;
    }

    void CodeBox(int top) { out_.codeBoxes.push_back({margin_, top, right_ - margin_, y_ - top}); }

    int Margin() const { return margin_; }
    int Y() const { return y_; }
    void AddY(int dy) { y_ += dy; }

    PageLayout Finish() {
        out_.height = y_ + margin_;
        return std::move(out_);
    }

private:
    static FontKind FontOf(const Span& span, FontKind base) {
        if (base != FontKind::Body) return base;
        if (span.code) return FontKind::Code;
        if (span.bold) return FontKind::Bold;
        if (span.italic) return FontKind::Italic;
        return FontKind::Body;
    }

    int LinkIndex(const std::wstring& target) {
        if (target.empty()) return -1;
        out_.links.push_back(target);
        return static_cast<int>(out_.links.size()) - 1;
    }

    std::size_t Fitting(FontKind font, const wchar_t* text, std::size_t n, int room) {
        std::size_t lo = 1, hi = n;  // at least one character per line
        while (lo < hi) {
            const std::size_t mid = (lo + hi + 1) / 2;
            if (measure_.Width(font, text, mid) <= room)
                lo = mid;
            else
                hi = mid - 1;
        }
        return lo;
    }

    void NewLine(int& x, int left) {
        y_ += lineHeight_;
        x = left;
    }

    void Emit(FontKind font, int link, const wchar_t* text, std::size_t n, int x, int w) {
        if (!out_.fragments.empty()) {  // the next word of the same run
            Fragment& last = out_.fragments.back();
            if (last.top == y_ && last.font == font && last.link == link && last.x + last.width == x &&
                last.start + last.length == out_.text.size()) {
                last.width += w;
                last.length += n;
                out_.text.append(text, n);
                return;
            }
        }
        Fragment f;
        f.x = x;
        f.top = y_;
        f.width = w;
        f.height = lineHeight_;
        f.baseline = y_ + baseline_;
        f.font = font;
        f.link = link;
        f.start = out_.text.size();
        f.length = n;
        out_.text.append(text, n);
        out_.fragments.push_back(f);
    }

    int tpp_;
    TextMeasure& measure_;
    PageLayout out_;
    int margin_ = 0, right_ = 0, y_ = 0;
    int lineHeight_ = 0, baseline_ = 0;
    bool atTop_ = true;
};

}  // namespace

PageLayout LayOutPage(const Page& page, int width, int twipsPerPixel, TextMeasure& measure,
                      const PictureSizes& pictureSize) {
    Builder b(width, twipsPerPixel, measure);
    const int indent = b.Px(22);
    for (std::size_t i = 0; i < page.blocks.size(); ++i) {
        const Block& block = page.blocks[i];
        const bool nextIsItem = i + 1 < page.blocks.size() && page.blocks[i + 1].kind == BlockKind::ListItem;
        switch (block.kind) {
        case BlockKind::Heading: {
            b.Gap(block.level == 1 ? 4 : 14);
            const FontKind font = block.level == 1   ? FontKind::Heading1
                                  : block.level == 2 ? FontKind::Heading2
                                                     : FontKind::Heading3;
            b.Flow(block.spans, font, b.Margin(), b.Margin());
            b.AddY(b.Px(6));
            break;
        }
        case BlockKind::Paragraph:
            b.Flow(block.spans, FontKind::Body, b.Margin(), b.Margin());
            b.AddY(b.Px(8));
            break;
        case BlockKind::ListItem: {
            const int left = b.Margin() + indent * (block.level + 1);
            b.Marker(block.number == 0 ? std::wstring(L"\x2022 ") : std::to_wstring(block.number) + L". ",
                     left - b.Px(16));
            b.Flow(block.spans, FontKind::Body, left, left);
            b.AddY(b.Px(nextIsItem ? 3 : 8));
            break;
        }
        case BlockKind::Code: {
            const int top = b.Y();
            b.AddY(b.Px(5));
            b.Flow(block.spans, FontKind::Code, b.Margin() + b.Px(8), b.Margin() + b.Px(8), true);
            b.AddY(b.Px(5));
            b.CodeBox(top);
            b.AddY(b.Px(10));
            break;
        }
        case BlockKind::Picture:
            b.Gap(4);
            b.Picture(block, pictureSize);
            b.AddY(b.Px(12));
            break;
        }
    }
    return b.Finish();
}

std::size_t OffsetAt(const PageLayout& layout, int x, int y, TextMeasure& measure) {
    const auto& fr = layout.fragments;
    if (fr.empty()) return 0;
    if (y < fr.front().top) return 0;
    // The line: the last one whose top is at or above y.
    std::size_t first = 0;
    for (std::size_t i = 0; i < fr.size(); ++i)
        if (fr[i].top <= y) first = i;
    const int top = fr[first].top;
    if (y >= top + fr[first].height && first + 1 == fr.size()) return layout.text.size();
    while (first > 0 && fr[first - 1].top == top) --first;
    std::size_t last = first;
    while (last + 1 < fr.size() && fr[last + 1].top == top) ++last;
    if (x <= fr[first].x) return fr[first].start;
    for (std::size_t i = first; i <= last; ++i) {
        const Fragment& f = fr[i];
        if (x >= f.x + f.width) continue;
        const wchar_t* text = layout.text.data() + f.start;
        std::size_t best = 0;
        int bestDistance = x - f.x;
        for (std::size_t n = 1; n <= f.length; ++n) {
            const int d = std::abs(f.x + measure.Width(f.font, text, n) - x);
            if (d < bestDistance) bestDistance = d, best = n;
        }
        return f.start + best;
    }
    return fr[last].start + fr[last].length;
}

int LinkAt(const PageLayout& layout, int x, int y) {
    for (const Fragment& f : layout.fragments)
        if (f.link >= 0 && x >= f.x && x < f.x + f.width && y >= f.top && y < f.top + f.height) return f.link;
    return -1;
}

std::optional<std::size_t> FindText(const std::wstring& text, const std::wstring& needle, std::size_t from) {
    if (needle.empty() || needle.size() > text.size()) return std::nullopt;
    auto same = [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); };
    const std::size_t positions = text.size() - needle.size() + 1;
    from = std::min(from, positions);
    for (std::size_t k = 0; k < positions; ++k) {
        const std::size_t at = (from + k) % positions;
        if (std::equal(needle.begin(), needle.end(), text.begin() + static_cast<std::ptrdiff_t>(at), same)) return at;
    }
    return std::nullopt;
}

int TopOfOffset(const PageLayout& layout, std::size_t offset) {
    int top = 0;
    for (const Fragment& f : layout.fragments) {
        if (f.start > offset) break;
        top = f.top;
    }
    return top;
}

}  // namespace panorel::help
