// imagetool: the command-line front end of the image library, for maintainers
// and conformance runs. Usage: imagetool SUBCOMMAND ARGS...
#include <cstdio>
#include <cstring>
#include <new>

#include "Imagetool.h"

#ifdef _WIN32
int ImagetoolFrames(int argc, char** argv);
#endif

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: imagetool info FILE [--icon WxH] [--depth N] [--no-zlib] [--no-gdiplus]\n"
                 "       imagetool convert IN OUT.{bmp,png,jpg,gif,tga,bgra} [same options] [--quality Q]\n"
                 "           [--fill RRGGBB] [--keep-premultiplied] [--fixed-palette] [--tolerance N] [--rle]\n"
                 "           [--reduce-depth] [--title TEXT]\n"
#ifdef _WIN32
                 "       imagetool frames FILE OUTDIR [--background RRGGBB]\n"
#endif
    );
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    try {
        if (std::strcmp(argv[1], "info") == 0) return panorel::imagetool::Info(argc - 2, argv + 2);
        if (std::strcmp(argv[1], "convert") == 0) return panorel::imagetool::Convert(argc - 2, argv + 2);
#ifdef _WIN32
        if (std::strcmp(argv[1], "frames") == 0) return ImagetoolFrames(argc - 1, argv + 1);
#endif
    } catch (const std::bad_alloc&) {  // the file itself, read whole, or the tool's own copies
        std::fprintf(stderr, "out of memory\n");
        return 1;
    }
    return Usage();
}
