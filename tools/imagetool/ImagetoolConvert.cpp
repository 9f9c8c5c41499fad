// imagetool convert IN OUT: decodes IN and writes OUT in the format its
// extension names, with the writers' arguments as options. Natively through
// the portable writers; on Windows through cAlphaImage's SaveToFile_*, GDI+
// included unless --no-gdiplus.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "Imagetool.h"
#include "imaging/BmpWriter.h"
#include "imaging/GifWriter.h"
#include "imaging/TgaWriter.h"
#include "imaging/ZlibRuntime.h"
#include "imaging/cJPGWriter.h"
#include "imaging/cPNGwriter.h"
#include "host/PanorelError.h"

#ifdef _WIN32
#include <windows.h>

#include "imaging/cAlphaImage.h"
#endif

namespace panorel::imagetool {
namespace {

using imaging::PixelImage;

struct WriteOptions {
    int quality = 90;
    std::int32_t fill = -1;
    bool keepPremultiplied = false, fixedPalette = false, rle = false, reduceDepth = false;
    int tolerance = 0;
    bool hasTitle = false;
    std::string title;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: imagetool convert IN OUT.{bmp,png,jpg,gif,tga,bgra} [--quality Q] [--fill RRGGBB]\n"
                 "       [--keep-premultiplied] [--fixed-palette] [--tolerance N] [--rle] [--reduce-depth]\n"
                 "       [--title TEXT] [--icon WxH] [--depth N] [--no-zlib] [--no-gdiplus]\n");
    return 2;
}

// Takes the writer options out of argv; what is left goes to the loader.
bool TakeWriteOptions(int argc, char** argv, WriteOptions& w, std::vector<char*>& rest) {
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--quality" && hasValue) {
            w.quality = std::atoi(argv[++i]);
        } else if (a == "--fill" && hasValue) {
            const std::string v = argv[++i];
            if (v.size() != 6 || !std::all_of(v.begin(), v.end(), [](char c) { return std::isxdigit(c) != 0; }))
                return false;
            const unsigned long rgb = std::strtoul(v.c_str(), nullptr, 16);
            w.fill = static_cast<std::int32_t>((rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16);
        } else if (a == "--keep-premultiplied") {
            w.keepPremultiplied = true;
        } else if (a == "--fixed-palette") {
            w.fixedPalette = true;
        } else if (a == "--tolerance" && hasValue) {
            w.tolerance = std::clamp(std::atoi(argv[++i]), 0, 255);
        } else if (a == "--rle") {
            w.rle = true;
        } else if (a == "--reduce-depth") {
            w.reduceDepth = true;
        } else if (a == "--title" && hasValue) {
            w.hasTitle = true;
            w.title = argv[++i];
        } else {
            rest.push_back(argv[i]);
        }
    }
    return true;
}

std::string Extension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    std::string e = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e == "jpeg" ? "jpg" : e;
}

bool WriteRaw(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out) return true;
    std::remove(path.c_str());  // no partial file
    return false;
}

#ifdef _WIN32
std::wstring Wide(const std::string& s) {
    const int n = ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    w.resize(wcslen(w.c_str()));
    return w;
}

bool Write(const PixelImage& picture, const std::string& path, const std::string& ext, const WriteOptions& w,
           const LoadOptions& load) {
    imaging::cAlphaImage image;
    if (load.noGdiplus) image.isGDIplusEnabled(false);
    if (!image.FromPixelImage(picture)) return false;
    const std::wstring file = Wide(path);
    if (ext == "bmp") return image.SaveToFile_Bitmap(file, w.keepPremultiplied, w.fill, false);
    if (ext == "png") {
        if (w.hasTitle) image.PngPropertySet(1, Wide(w.title));
        return image.SaveToFile_PNG(file, false);
    }
    if (ext == "jpg") return image.SaveToFile_JPG(file, w.quality, w.fill, false);
    if (ext == "gif")
        return image.SaveToFile_GIF(file, !w.fixedPalette, static_cast<std::uint8_t>(w.tolerance), false);
    if (ext == "tga") return image.SaveToFile_TGA(file, w.rle, w.reduceDepth, w.keepPremultiplied, false);
    return false;
}
#else
bool Write(const PixelImage& picture, const std::string& path, const std::string& ext, const WriteOptions& w,
           const LoadOptions&) {
    std::vector<std::uint8_t> bytes;
    bool ok = false;
    if (ext == "bmp") ok = imaging::SaveAsBMP(picture, bytes, w.keepPremultiplied, w.fill);
    if (ext == "png") {
        imaging::PngExtras extras;
        if (w.hasTitle) extras.texts.push_back({"Title", w.title});
        ok = imaging::cPNGwriter(imaging::ZlibRuntime::Api()).Write(picture, bytes, extras);
    }
    if (ext == "jpg") {
        try {
            imaging::cJPGWriter writer;
            writer.SetQuality(w.quality);
            ok = writer.Write(picture, bytes, w.fill);
        } catch (const PanorelError& e) {
            std::fprintf(stderr, "%s\n", e.Description().c_str());
        }
    }
    if (ext == "gif") ok = imaging::SaveAsGIF(picture, bytes, !w.fixedPalette, static_cast<std::uint8_t>(w.tolerance));
    if (ext == "tga") ok = imaging::SaveAsTGA(picture, bytes, w.rle, w.reduceDepth, w.keepPremultiplied);
    return ok && WriteRaw(path, bytes);
}
#endif

}  // namespace

int Convert(int argc, char** argv) {
    WriteOptions w;
    std::vector<char*> rest;
    LoadOptions load;
    if (!TakeWriteOptions(argc, argv, w, rest) || !ParseLoadOptions(static_cast<int>(rest.size()), rest.data(), load) ||
        load.files.size() != 2)
        return Usage();
    const std::string& target = load.files[1];
    const std::string ext = Extension(target);
    static const char* const known[] = {"bmp", "png", "jpg", "gif", "tga", "bgra"};
    if (std::find_if(std::begin(known), std::end(known), [&](const char* k) { return ext == k; }) == std::end(known)) {
        std::fprintf(stderr, "%s: unknown output format\n", target.c_str());
        return 2;
    }
    PixelImage image;
    if (!LoadImageFile(load.files[0], load, image)) {
        std::fprintf(stderr, "%s: no image\n", load.files[0].c_str());
        return 1;
    }
    const bool ok = ext == "bgra" ? WriteRaw(target, image.bgra) : Write(image, target, ext, w, load);
    if (!ok) {
        std::fprintf(stderr, "%s: cannot write\n", target.c_str());
        return 1;
    }
    return 0;
}

}  // namespace panorel::imagetool
