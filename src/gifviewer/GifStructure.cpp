#include "gifviewer/GifStructure.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "host/PanorelError.h"
#include "imaging/LzwEncoder.h"

namespace panorel {
namespace {

constexpr std::int32_t kErrEndOfFile = 53;

// Reads the file front to back; every read checks the length first.
class GifReader {
public:
    GifReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Pos() const noexcept { return pos_; }
    void Seek(std::size_t pos) noexcept { pos_ = pos; }
    std::uint8_t Byte() {
        Need(1);
        return data_[pos_++];
    }
    std::int32_t Word() {
        Need(2);
        const std::int32_t v = data_[pos_] | (data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    const std::uint8_t* Take(std::size_t n) {
        Need(n);
        const std::uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    void SkipSubBlocks() {
        for (std::uint8_t n = Byte(); n != 0; n = Byte()) Take(n);
    }

private:
    void Need(std::size_t n) const {
        if (n > size_ - std::min(pos_, size_)) throw PanorelError(kErrEndOfFile, "ReadGifFile", "End of File");
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

bool EqualNoCase(const std::uint8_t* a, const char* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        auto lower = [](int c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(a[i]) != lower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

GifPalette ReadColourTable(GifReader& r, int sizeField) {
    GifPalette palette{};
    const int count = 1 << ((sizeField & 7) + 1);
    const std::uint8_t* rgb = r.Take(static_cast<std::size_t>(count) * 3);
    for (int i = 0; i < count; ++i)
        palette[i] = static_cast<std::uint32_t>(rgb[3 * i + 2]) | static_cast<std::uint32_t>(rgb[3 * i + 1]) << 8 |
                     static_cast<std::uint32_t>(rgb[3 * i]) << 16;
    return palette;
}

struct NoColourTable {};

void ParseBlocks(GifReader& r, GifStructure& gif) {
    GifFrame pending;
    bool pendingControl = false;
    for (;;) {
        const std::size_t at = r.Pos();
        const std::uint8_t block = r.Byte();
        if (block == 0x00) continue;
        if (block == 0x21) {
            const std::uint8_t label = r.Byte();
            if (label == 0xFF) {
                const std::uint8_t n = r.Byte();
                const std::uint8_t* id = r.Take(n);
                if (n == 11 && EqualNoCase(id, "NETSCAPE2.0", 11)) {
                    if (r.Byte() == 3) {
                        r.Byte();
                        gif.loopCount = r.Word();
                    } else {
                        r.Seek(r.Pos() - 1);
                    }
                }
            } else if (label == 0xF9) {
                pending = GifFrame{};
                pending.control = at;
                pendingControl = true;
                r.Byte();  // block size
                const std::uint8_t packed = r.Byte();
                pending.disposal = static_cast<std::uint8_t>((packed >> 2) & 3);
                if (pending.disposal == 3) gif.restorePrevious = true;
                pending.delay = r.Word() * 10;
                pending.transparent = packed & 1;
                if (pending.transparent) pending.transparentIndex = r.Byte();
                else r.Seek(at + 7);
            }
            r.SkipSubBlocks();
        } else if (block == 0x2C) {
            if (gif.frames.size() >= kMaxGifFrames) {
                gif.endOfFile = true;
                return;
            }
            GifFrame frame = pending;
            if (!pendingControl) frame.control = at;
            frame.dataStart = at;
            frame.left = r.Word();
            frame.top = r.Word();
            frame.width = r.Word();
            frame.height = r.Word();
            const std::uint8_t packed = r.Byte();
            if (packed & 0x80) {
                gif.palettes.push_back(ReadColourTable(r, packed));
                frame.palette = static_cast<std::int32_t>(gif.palettes.size() - 1);
            } else if (!gif.hasGlobalTable) {
                throw NoColourTable{};
            }
            r.Byte();  // LZW minimum code size
            r.SkipSubBlocks();
            frame.dataLength = r.Pos() - at;
            if (frame.dataLength >= 3) {
                gif.frames.push_back(frame);
                gif.width = std::max(gif.width, frame.left + frame.width);
                gif.height = std::max(gif.height, frame.top + frame.height);
            }
            pending = GifFrame{};
            pendingControl = false;
        } else {
            return;  // the trailer, or anything the viewer does not know
        }
    }
}

}  // namespace

GifStructure ParseGif(const std::uint8_t* data, std::size_t size) noexcept {
    GifStructure gif;
    if (data == nullptr || size < 20) return gif;
    if (!EqualNoCase(data, "gif87a", 6) && !EqualNoCase(data, "gif89a", 6)) return gif;
    GifReader r(data, size);
    const std::uint8_t packed = data[10];
    gif.backgroundIndex = data[11];
    r.Seek(13);
    try {
        gif.palettes.emplace_back();
        try {
            if (packed & 0x80) {
                gif.palettes[0] = ReadColourTable(r, packed);
                gif.hasGlobalTable = true;
            }
            ParseBlocks(r, gif);
        } catch (const PanorelError&) {
            gif.endOfFile = true;  // the complete frames read so far are used
        }
    } catch (...) {  // no colour table, or no memory: nothing loads
        return GifStructure{};
    }
    return gif;
}

void ScaleGifToDestination(const GifStructure& gif, std::int32_t index, std::int32_t& destX, std::int32_t& destY,
                           std::int32_t& destCx, std::int32_t& destCy, std::int32_t mode, float& xRatio,
                           float& yRatio) {
    const bool centre = (mode & 8) != 0;
    const std::int32_t base = mode & ~8;
    const GifFrame* f = index >= 1 && static_cast<std::size_t>(index) <= gif.frames.size()
                            ? &gif.frames[static_cast<std::size_t>(index) - 1]
                            : nullptr;
    const std::int32_t w = gif.width, h = gif.height;
    if (base == 0) {
        xRatio = yRatio = 1;
        if (centre) {
            if (w < destCx) {
                destX += (destCx - w) / 2;
                destCx = w;
            }
            if (h < destCy) {
                destY += (destCy - h) / 2;
                destCy = h;
            }
        }
        if (f == nullptr) {
            destCx = std::min(destCx, w);
            destCy = std::min(destCy, h);
        } else {
            // A frame reaching past the destination is cut at its edge.
            destX += f->left;
            destY += f->top;
            destCx = f->left + f->width > destCx ? destCx - f->left : f->width;
            destCy = f->top + f->height > destCy ? destCy - f->top : f->height;
        }
        return;
    }
    xRatio = w > 0 ? static_cast<float>(destCx) / static_cast<float>(w) : 1.0f;
    yRatio = h > 0 ? static_cast<float>(destCy) / static_cast<float>(h) : 1.0f;
    if (base == 3 && xRatio >= 1 && yRatio >= 1) {
        xRatio = yRatio = 1;
    } else if (base != 2) {
        xRatio = yRatio = std::min(xRatio, yRatio);
    }
    auto trunc = [](float v) { return static_cast<std::int32_t>(v); };
    auto round = [](float v) { return static_cast<std::int32_t>(v + 0.5f); };
    if (base != 2 && centre) {
        destX += (destCx - trunc(xRatio * static_cast<float>(w))) / 2;
        destY += (destCy - trunc(yRatio * static_cast<float>(h))) / 2;
    }
    if (f == nullptr) {
        if (base != 2) {
            destCx = round(xRatio * static_cast<float>(w));
            destCy = round(yRatio * static_cast<float>(h));
        }
        return;
    }
    // Frames move by their scaled offset in every scaled mode.
    destX += trunc(static_cast<float>(f->left) * xRatio);
    destY += trunc(static_cast<float>(f->top) * yRatio);
    destCx = trunc(static_cast<float>(f->width) * xRatio);
    destCy = trunc(static_cast<float>(f->height) * yRatio);
}

const std::array<std::uint8_t, 768>& IdentityGifPalette() {
    static const std::array<std::uint8_t, 768> table = [] {
        std::array<std::uint8_t, 768> t{};
        for (int i = 0; i < 256; ++i) t[3 * i + 2] = static_cast<std::uint8_t>(i);
        return t;
    }();
    return table;
}

std::vector<std::uint8_t> BuildFrameGif(const std::uint8_t* data, std::size_t size, const GifStructure& gif,
                                        std::size_t index) {
    if (index >= gif.frames.size() || size < 13) return {};
    const GifFrame& f = gif.frames[index];
    if (f.dataStart > size || f.dataLength > size - f.dataStart || f.dataLength < 10) return {};
    if (f.HasControl() && (f.control > size || size - f.control < 8)) return {};

    std::vector<std::uint8_t> out(data, data + 13);
    out[10] |= 0x87;  // a global table of 256 entries: the identity
    const auto& identity = IdentityGifPalette();
    out.insert(out.end(), identity.begin(), identity.end());
    if (f.HasControl()) {
        out.insert(out.end(), data + f.control, data + f.control + 8);
        out[out.size() - 5] &= 0xFE;  // the loader must show every index
    }
    const std::size_t descriptor = out.size();
    out.insert(out.end(), data + f.dataStart, data + f.dataStart + f.dataLength);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(descriptor) + 1,
              out.begin() + static_cast<std::ptrdiff_t>(descriptor) + 5, 0);  // left, top
    std::memcpy(&out[6], &out[descriptor + 5], 4);                           // screen size = frame size
    const std::uint8_t localPacked = out[descriptor + 9];
    if (localPacked & 0x80) {
        const std::size_t bytes = 3u << ((localPacked & 7) + 1);
        std::copy(identity.begin(), identity.begin() + static_cast<std::ptrdiff_t>(bytes),
                  out.begin() + static_cast<std::ptrdiff_t>(descriptor) + 10);
    }
    out.push_back(0x3B);
    return out;
}

std::vector<std::uint8_t> EncodeFrameGif(const std::uint8_t* indices, std::int32_t width, std::int32_t height,
                                         const GifPalette& palette) {
    if (width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF) return {};
    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&out](std::int32_t v) {
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    };
    put16(width);
    put16(height);
    out.push_back(0xF7);  // global table of 256 entries, 8-bit colour resolution
    out.push_back(0);
    out.push_back(0);
    for (std::uint32_t c : palette) {
        out.push_back(static_cast<std::uint8_t>(c >> 16));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
        out.push_back(static_cast<std::uint8_t>(c));
    }
    out.push_back(0x2C);
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    out.push_back(0);
    const std::vector<std::uint8_t> lzw = imaging::LzwEncodeGif(
        indices, static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 8, 254);
    out.insert(out.end(), lzw.begin(), lzw.end());
    out.push_back(0x3B);
    return out;
}

}  // namespace panorel
