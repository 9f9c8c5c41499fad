// imagetool: the command-line front end of the image library.
#include <cstdio>
#include <cstring>

#include "Imagetool.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: imagetool info FILE [--icon WxH] [--depth N] [--no-zlib] [--no-gdiplus]\n"
                 "       imagetool convert IN OUT.{bmp,png,jpg,gif,tga,bgra} [same options] [--quality Q]\n"
                 "           [--fill RRGGBB] [--keep-premultiplied] [--fixed-palette] [--tolerance N] [--rle]\n"
                 "           [--reduce-depth] [--title TEXT]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    if (std::strcmp(argv[1], "info") == 0) return panorel::imagetool::Info(argc - 2, argv + 2);
    if (std::strcmp(argv[1], "convert") == 0) return panorel::imagetool::Convert(argc - 2, argv + 2);
    return Usage();
}
