#include "host/PropertyBag.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace panorel::host {
namespace {

constexpr std::string_view kMagic = "PBAG1";
// No key or value of a control comes near these; larger ones are damage.
constexpr std::size_t kMaxKey = 255;
constexpr std::size_t kMaxPayload = std::size_t{16} << 20;

enum Tag : std::uint8_t { kInt32 = 1, kBool = 2, kString = 3, kFont = 4, kPicture = 5 };

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
std::uint32_t GetU32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void PutWide(std::string& out, const std::wstring& s) {
    for (wchar_t c : s) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
}
std::wstring GetWide(const unsigned char* p, std::size_t bytes) {
    std::wstring s;
    s.reserve(bytes / 2);
    for (std::size_t i = 0; i + 1 < bytes; i += 2) s.push_back(static_cast<wchar_t>(p[i] | (p[i + 1] << 8)));
    return s;
}

std::string Payload(const PropertyValue& v, std::uint8_t& tag) {
    std::string out;
    if (auto* i = std::get_if<std::int32_t>(&v)) {
        tag = kInt32;
        PutU32(out, static_cast<std::uint32_t>(*i));
    } else if (auto* b = std::get_if<bool>(&v)) {
        tag = kBool;
        out.push_back(*b ? '\xFF' : '\0');
        out.push_back(*b ? '\xFF' : '\0');
    } else if (auto* s = std::get_if<std::wstring>(&v)) {
        tag = kString;
        PutWide(out, *s);
    } else if (auto* f = std::get_if<FontDesc>(&v)) {
        tag = kFont;
        std::uint64_t bits;
        std::memcpy(&bits, &f->Size, sizeof bits);
        PutU32(out, static_cast<std::uint32_t>(bits));
        PutU32(out, static_cast<std::uint32_t>(bits >> 32));
        PutU32(out, static_cast<std::uint32_t>(f->Weight));
        out.push_back(static_cast<char>((f->Italic ? 1 : 0) | (f->Underline ? 2 : 0) | (f->Strikethrough ? 4 : 0)));
        out.push_back(static_cast<char>(f->Charset & 0xFF));
        out.push_back(static_cast<char>((f->Charset >> 8) & 0xFF));
        PutWide(out, f->Name);
    } else {
        tag = kPicture;
        const auto& p = std::get<PictureBytes>(v);
        out.assign(p.begin(), p.end());
    }
    return out;
}

// The value of one entry; empty when the payload does not fit its tag.
std::optional<PropertyValue> Decode(std::uint8_t tag, const unsigned char* p, std::size_t n) {
    switch (tag) {
        case kInt32:
            if (n != 4) return std::nullopt;
            return PropertyValue(static_cast<std::int32_t>(GetU32(p)));
        case kBool:
            if (n != 2) return std::nullopt;
            return PropertyValue(p[0] != 0 || p[1] != 0);
        case kString:
            if (n % 2 != 0) return std::nullopt;
            return PropertyValue(GetWide(p, n));
        case kFont: {
            if (n < 15 || (n - 15) % 2 != 0) return std::nullopt;
            FontDesc f;
            const std::uint64_t bits = GetU32(p) | (static_cast<std::uint64_t>(GetU32(p + 4)) << 32);
            std::memcpy(&f.Size, &bits, sizeof bits);
            if (!(f.Size > 0 && f.Size < 2048)) return std::nullopt;  // also refuses NaN
            f.Weight = static_cast<std::int32_t>(GetU32(p + 8));
            f.Italic = p[12] & 1;
            f.Underline = p[12] & 2;
            f.Strikethrough = p[12] & 4;
            f.Charset = static_cast<std::int16_t>(p[13] | (p[14] << 8));
            f.Name = GetWide(p + 15, n - 15);
            return PropertyValue(std::move(f));
        }
        case kPicture:
            return PropertyValue(PictureBytes(p, p + n));
        default:
            return std::nullopt;
    }
}

}  // namespace

const PropertyValue* PropertyBag::Find(std::string_view key) const {
    for (const auto& [k, v] : entries_)
        if (k == key) return &v;
    return nullptr;
}

void PropertyBag::Put(std::string_view key, PropertyValue value) {
    for (auto& [k, v] : entries_)
        if (k == key) {
            v = std::move(value);
            return;
        }
    entries_.emplace_back(std::string(key), std::move(value));
}

void PropertyBag::Erase(std::string_view key) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        if (it->first == key) {
            entries_.erase(it);
            return;
        }
}

std::string PropertyBag::Save() const {
    std::string out(kMagic);
    PutU32(out, static_cast<std::uint32_t>(entries_.size()));
    for (const auto& [key, value] : entries_) {
        std::uint8_t tag = 0;
        const std::string payload = Payload(value, tag);
        out.push_back(static_cast<char>(key.size() & 0xFF));
        out += key.substr(0, kMaxKey);
        out.push_back(static_cast<char>(tag));
        PutU32(out, static_cast<std::uint32_t>(payload.size()));
        out += payload;
    }
    return out;
}

PropertyBag PropertyBag::Load(std::string_view bytes) {
    PropertyBag bag;
    if (bytes.size() < kMagic.size() + 4 || bytes.substr(0, kMagic.size()) != kMagic) return bag;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t pos = kMagic.size();
    const std::size_t end = bytes.size();
    const std::uint32_t count = GetU32(p + pos);
    pos += 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (end - pos < 1) break;
        const std::size_t keyLen = p[pos++];
        if (end - pos < keyLen + 5) break;
        std::string key(bytes.substr(pos, keyLen));
        pos += keyLen;
        const std::uint8_t tag = p[pos++];
        const std::size_t n = GetU32(p + pos);
        pos += 4;
        if (n > kMaxPayload || n > end - pos) break;
        auto value = Decode(tag, p + pos, n);
        pos += n;
        if (!value) break;
        bag.Put(key, std::move(*value));
    }
    return bag;
}

bool SavePropertyBagFile(const PropertyBag& bag, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = bag.Save();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::optional<PropertyBag> LoadPropertyBagFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return PropertyBag::Load(bytes);
}

}  // namespace panorel::host
