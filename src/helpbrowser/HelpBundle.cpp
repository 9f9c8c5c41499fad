#include "helpbrowser/HelpBundle.h"

#include <cstring>
#include <cwctype>
#include <new>

namespace panorel::help {

namespace {

// Layout: magic, total size, entry count, entries (kind byte, name length,
// name, data length, data), checksum of everything before it; numbers are
// 32-bit little-endian.
constexpr char kMagic[] = "PanorelHelp1\n";
constexpr std::size_t kMagicSize = sizeof kMagic - 1;
constexpr std::uint8_t kTopic = 1, kPicture = 2;
constexpr std::uint32_t kMaxEntries = 4096, kMaxName = 1024;

std::uint32_t Fnv1a(const std::uint8_t* p, std::size_t n) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}

void Put32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

class Reader {
public:
    Reader(const std::uint8_t* p, std::size_t n) : p_(p), n_(n) {}
    bool Take(std::size_t count, const std::uint8_t*& at) {
        if (count > n_ - pos_) return false;
        at = p_ + pos_;
        pos_ += count;
        return true;
    }
    bool U32(std::uint32_t& v) {
        const std::uint8_t* at = nullptr;
        if (!Take(4, at)) return false;
        v = std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
        return true;
    }
    std::size_t Position() const { return pos_; }

private:
    const std::uint8_t* p_;
    std::size_t n_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string WriteBundle(const HelpBundle& bundle) {
    std::string out(kMagic, kMagicSize);
    Put32(out, 0);  // the total, filled in below
    Put32(out, static_cast<std::uint32_t>(bundle.topics.size() + bundle.pictures.size()));
    auto add = [&](std::uint8_t kind, const HelpEntry& e) {
        out += static_cast<char>(kind);
        Put32(out, static_cast<std::uint32_t>(e.name.size()));
        out += e.name;
        Put32(out, static_cast<std::uint32_t>(e.data.size()));
        out += e.data;
    };
    for (const HelpEntry& e : bundle.topics) add(kTopic, e);
    for (const HelpEntry& e : bundle.pictures) add(kPicture, e);
    const auto total = static_cast<std::uint32_t>(out.size() + 4);
    for (int i = 0; i < 4; ++i) out[kMagicSize + i] = static_cast<char>((total >> (8 * i)) & 0xFF);
    Put32(out, Fnv1a(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()));
    return out;
}

bool ReadBundle(const std::uint8_t* data, std::size_t size, HelpBundle& out, std::string& error) {
    out = {};
    if (!data || size < kMagicSize + 12 || std::memcmp(data, kMagic, kMagicSize) != 0) {
        error = "not help content";
        return false;
    }
    Reader r(data, size);
    const std::uint8_t* skip = nullptr;
    std::uint32_t total = 0, count = 0;
    r.Take(kMagicSize, skip);
    r.U32(total);
    r.U32(count);
    if (total > size || total < kMagicSize + 12) {
        error = "the content is cut short (" + std::to_string(size) + " of " + std::to_string(total) + " bytes)";
        return false;
    }
    const std::uint8_t* s = data + total - 4;
    const std::uint32_t stored = std::uint32_t{s[0]} | std::uint32_t{s[1]} << 8 | std::uint32_t{s[2]} << 16 | std::uint32_t{s[3]} << 24;
    if (stored != Fnv1a(data, total - 4)) {
        error = "the content is damaged";
        return false;
    }
    if (count > kMaxEntries) {
        error = "too many entries";
        return false;
    }
    Reader body(data, total - 4);
    body.Take(kMagicSize + 8, skip);
    try {
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* kind = nullptr;
            const std::uint8_t* name = nullptr;
            const std::uint8_t* bytes = nullptr;
            std::uint32_t nameSize = 0, dataSize = 0;
            if (!body.Take(1, kind) || !body.U32(nameSize) || nameSize > kMaxName || !body.Take(nameSize, name) ||
                !body.U32(dataSize) || !body.Take(dataSize, bytes) || (*kind != kTopic && *kind != kPicture)) {
                error = "entry " + std::to_string(i + 1) + " is malformed";
                out = {};
                return false;
            }
            HelpEntry e{std::string(reinterpret_cast<const char*>(name), nameSize),
                        std::string(reinterpret_cast<const char*>(bytes), dataSize)};
            (*kind == kTopic ? out.topics : out.pictures).push_back(std::move(e));
        }
    } catch (const std::bad_alloc&) {
        error = "out of memory";
        out = {};
        return false;
    }
    if (body.Position() != total - 4 || out.topics.empty()) {
        error = out.topics.empty() ? "no topics" : "unexpected bytes after the entries";
        out = {};
        return false;
    }
    return true;
}

HelpContent OpenHelp(const std::uint8_t* data, std::size_t size) {
    HelpContent content;
    HelpBundle bundle;
    std::string error;
    if (!ReadBundle(data, size, bundle, error)) {
        content.damaged = true;
        const std::string text = "# The help cannot be shown\n\nThe help inside helpBrowser.exe cannot be read: " +
                                 error + ". Installing Panorel 2 again repairs it.\n";
        content.topics.push_back({L"error", ParseMarkdown(text)});
        return content;
    }
    for (const HelpEntry& topic : bundle.topics)
        content.topics.push_back({Utf16FromUtf8(topic.name), ParseMarkdown(topic.data)});
    content.pictures = std::move(bundle.pictures);
    return content;
}

std::size_t FindTopic(const HelpContent& content, const std::wstring& request) {
    auto lower = [](std::wstring s) {
        for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
        return s;
    };
    const std::wstring wanted = lower(request);
    for (std::size_t i = 0; i < content.topics.size(); ++i)
        if (lower(content.topics[i].name) == wanted || lower(content.topics[i].page.title) == wanted) return i;
    if (!wanted.empty() && wanted.size() < 4 && wanted.find_first_not_of(L"0123456789") == std::wstring::npos) {
        const std::size_t n = std::stoul(wanted);
        if (n >= 1 && n <= content.topics.size()) return n - 1;
    }
    return 0;
}

}  // namespace panorel::help
