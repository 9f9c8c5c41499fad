#pragma once
// What the Windows image tests share: files in the temporary folder, a
// device context to draw on and read back, and the 4 x 2 sample picture.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "host/Handles.h"
#include "imaging/PngChunks.h"
#include "imaging/cAlphaImage.h"

namespace panorel::imaging {

inline std::wstring TempPath(const std::wstring& name) {
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

// A file's bytes; empty when it cannot be read.
inline std::string ReadAll(const std::wstring& path) {
    std::ifstream f(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline bool WriteAll(const std::wstring& path, const void* data, std::size_t size) {
    std::ofstream f(std::filesystem::path(path), std::ios::binary);
    return bool(f.write(static_cast<const char*>(data), static_cast<std::streamsize>(size)).flush());
}
inline bool WriteAll(const std::wstring& path, const std::string& bytes) {
    return WriteAll(path, bytes.data(), bytes.size());
}

// A 32-bit top-down DIB section in a memory DC, filled with one grey.
struct Target {
    MemoryDcHandle dc{::CreateCompatibleDC(nullptr)};
    BitmapHandle bitmap;
    std::uint8_t* bits = nullptr;
    HGDIOBJ old = nullptr;
    int w, h;
    Target(int width, int height, std::uint8_t grey) : w(width), h(height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* p = nullptr;
        bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0));
        bits = static_cast<std::uint8_t*>(p);
        old = ::SelectObject(dc.get(), bitmap.get());
        std::memset(bits, grey, std::size_t(w) * h * 4);
    }
    ~Target() { ::SelectObject(dc.get(), old); }
    const std::uint8_t* At(int x, int y) {
        ::GdiFlush();
        return bits + (std::size_t(y) * w + x) * 4;
    }
    std::uint32_t Rgb(int x, int y) { return At(x, y)[2] << 16 | At(x, y)[1] << 8 | At(x, y)[0]; }  // 0x00RRGGBB
    std::intptr_t Handle() const { return reinterpret_cast<std::intptr_t>(dc.get()); }
};

// Columns: opaque (R200 G100 B50), half-transparent premultiplied, clear, opaque blue.
inline bool MakeSample(cAlphaImage& img) {
    if (!img.InitializeDIB(4, 2)) return false;
    for (int y = 0; y < 2; ++y) {
        img.SetPixel(0, y, RGB(200, 100, 50), 255);
        img.SetPixel(1, y, RGB(60, 40, 20), 128, true);
        img.SetPixel(2, y, RGB(0, 0, 0), 0);
        img.SetPixel(3, y, RGB(0, 0, 255), 255);
    }
    img.Alpha(kAlphaFull);
    return true;
}

}  // namespace panorel::imaging
