#pragma once
// What a container keeps of a custom control between sessions: named values,
// each read with a default and written with a default. A value equal to its
// write default is not stored, so a control saved with untouched properties
// saves (almost) nothing. The bag's persistent form is a byte string that
// Save writes and Load reads back; Load treats its input as hostile.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace panorel::host {

// A font as a container describes it: face, size in points, weight, style.
struct FontDesc {
    std::wstring Name;
    double Size = 8.25;
    std::int32_t Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    std::int16_t Charset = 0;

    bool operator==(const FontDesc& o) const {
        return Name == o.Name && Size == o.Size && Weight == o.Weight && Italic == o.Italic &&
               Underline == o.Underline && Strikethrough == o.Strikethrough && Charset == o.Charset;
    }
    bool operator!=(const FontDesc& o) const { return !(*this == o); }
};

// A picture as the container keeps it: the bytes of an image file; empty
// means no picture.
using PictureBytes = std::vector<std::uint8_t>;

using PropertyValue = std::variant<std::int32_t, bool, std::wstring, FontDesc, PictureBytes>;

class PropertyBag {
public:
    // The value under `key`, or `def` when it is missing or of another type.
    template <class T>
    T Read(std::string_view key, const T& def) const {
        reads_.emplace_back(key);
        const PropertyValue* v = Find(key);
        if (!v) return def;
        if (const T* typed = std::get_if<T>(v)) return *typed;
        return def;
    }
    // A whole number that must lie in [lo, hi]; anything else reads as `def`.
    std::int32_t ReadRanged(std::string_view key, std::int32_t def, std::int32_t lo, std::int32_t hi) const {
        const std::int32_t v = Read<std::int32_t>(key, def);
        return v < lo || v > hi ? def : v;
    }
    // Stores `value`, or removes the key when the value equals `def`.
    template <class T>
    void Write(std::string_view key, const T& value, const T& def) {
        writes_.emplace_back(key);
        if (value == def)
            Erase(key);
        else
            Put(key, PropertyValue(value));
    }
    // Stores whatever the value (for values that are always written).
    void Put(std::string_view key, PropertyValue value);
    void Erase(std::string_view key);
    bool Contains(std::string_view key) const { return Find(key) != nullptr; }
    std::size_t Size() const { return entries_.size(); }
    const std::vector<std::pair<std::string, PropertyValue>>& Entries() const { return entries_; }

    // The keys in the order they were read and written since the last Clear.
    const std::vector<std::string>& ReadLog() const { return reads_; }
    const std::vector<std::string>& WriteLog() const { return writes_; }
    void ClearLogs() {
        reads_.clear();
        writes_.clear();
    }

    // The persistent form, and the bag read back from it. Entries after the
    // first damaged one are dropped, so their keys read as their defaults.
    std::string Save() const;
    static PropertyBag Load(std::string_view bytes);

private:
    const PropertyValue* Find(std::string_view key) const;

    std::vector<std::pair<std::string, PropertyValue>> entries_;
    mutable std::vector<std::string> reads_;
    std::vector<std::string> writes_;
};

// The persistent form as a file; false when it could not be written / read.
bool SavePropertyBagFile(const PropertyBag& bag, const std::string& path);
std::optional<PropertyBag> LoadPropertyBagFile(const std::string& path);

}  // namespace panorel::host
