// imagetool info and the loading shared with convert: decode one file with the
// library's detection chain (natively the portable parsers; on Windows the
// whole cAlphaImage with GIF and GDI+) and describe it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Imagetool.h"
#include "imaging/ZlibRuntime.h"
#include "imaging/modParsers.h"

#ifdef _WIN32
#include <windows.h>

#include "imaging/cAlphaImage.h"
#endif

namespace panorel::imagetool {

using imaging::PixelImage;

bool ParseLoadOptions(int argc, char** argv, LoadOptions& o) {
    for (int i = 0; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--no-zlib") {
            o.noZlib = true;
        } else if (a == "--no-gdiplus") {
            o.noGdiplus = true;
        } else if (a == "--icon" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &o.iconCx, &o.iconCy) != 2) return false;
        } else if (a == "--depth" && i + 1 < argc) {
            o.depth = std::atoi(argv[++i]);
        } else if (a.rfind("--", 0) == 0) {
            return false;
        } else {
            o.files.push_back(a);
        }
    }
    return true;
}

bool LoadImageFile(const std::string& file, const LoadOptions& o, PixelImage& out) {
    if (o.noZlib) imaging::ZlibRuntime::Disable();
#ifdef _WIN32
    imaging::cAlphaImage::SetPngErrorReporter([](const std::wstring& e) {
        std::fprintf(stderr, "PNG error: %ls\n", e.c_str());
    });
    imaging::cAlphaImage image;
    if (o.noGdiplus) image.isGDIplusEnabled(false);
    const int n = ::MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide.data(), n);
    wide.resize(wcslen(wide.c_str()));
    if (!image.LoadPicture_File(wide, o.iconCx, o.iconCy, false, o.depth)) return false;
    out = image.ToPixelImage();
    return true;
#else
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    // Files of 56 bytes or fewer are refused before any parser runs.
    if (bytes.size() <= 56) return false;
    imaging::ParseOptions options;
    options.zlib = imaging::ZlibRuntime::Api();
    options.iconCx = o.iconCx;
    options.iconCy = o.iconCy;
    options.iconBitDepth = o.depth;
    imaging::DetectHooks hooks;
    hooks.pngError = [](const std::string& e) { std::fprintf(stderr, "PNG error: %s\n", e.c_str()); };
    return imaging::DetectAndParse(bytes.data(), bytes.size(), options, hooks, out);
#endif
}

int Info(int argc, char** argv) {
    LoadOptions o;
    if (!ParseLoadOptions(argc, argv, o) || o.files.size() != 1) {
        std::fprintf(stderr, "usage: imagetool info FILE [--icon WxH] [--depth N] [--no-zlib] [--no-gdiplus]\n");
        return 2;
    }
    PixelImage image;
    if (!LoadImageFile(o.files[0], o, image)) {
        std::fprintf(stderr, "%s: no image\n", o.files[0].c_str());
        return 1;
    }
    std::printf("type=%d alpha=%d width=%d height=%d\n", image.imageType, image.alpha, image.width, image.height);
    return 0;
}

}  // namespace panorel::imagetool
