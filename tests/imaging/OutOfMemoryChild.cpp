// Runs one reader or writer on a 16384 x 4096 picture under an address-space
// limit and says through its exit code what it answered: 0 done, 1 refused.
// Anything else (134: std::bad_alloc reached std::terminate) is the fault the
// limit looks for. Built without the sanitizers, whose shadow memory cannot
// live under such a limit.
//   imaging_oom_child read LIMIT_MB       the whole address space LIMIT_MB
//   imaging_oom_child write-FMT ROOM_MB   ROOM_MB beyond what the picture takes
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/BmpWriter.h"
#include "imaging/GifWriter.h"
#include "imaging/TgaWriter.h"
#include "imaging/ZlibRuntime.h"
#include "imaging/cJPGWriter.h"
#include "imaging/cPNGwriter.h"
#include "imaging/modParsers.h"

namespace {

using namespace panorel::imaging;

constexpr int kWidth = 16384, kHeight = 4096;

void LimitAddressSpace(unsigned long long bytes) {
    const rlimit limit{bytes, bytes};
    if (setrlimit(RLIMIT_AS, &limit) != 0) std::exit(3);
}

unsigned long long AddressSpaceInUse() {
    unsigned long long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    return pages * 4096;
}

// A valid run-length TGA of 32-bit pixels: 128-pixel runs, 2.6 MB in all.
std::vector<std::uint8_t> RunLengthTga() {
    std::vector<std::uint8_t> tga = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     kWidth & 255, kWidth >> 8, kHeight & 255, kHeight >> 8, 32, 0x28};
    for (int run = 0; run < kWidth / 128 * kHeight; ++run)
        tga.insert(tga.end(), {0xFF, static_cast<std::uint8_t>(run), static_cast<std::uint8_t>(run >> 8), 40, 200});
    return tga;
}

// Translucent noise, so that no writer finds a small form for it.
PixelImage Noise() {
    PixelImage p{kWidth, kHeight, std::vector<std::uint8_t>(std::size_t{kWidth} * kHeight * 4)};
    std::uint32_t x = 12345;
    for (std::size_t i = 0; i < p.bgra.size(); i += 4) {
        x = x * 1664525u + 1013904223u;
        const std::uint8_t a = static_cast<std::uint8_t>(x >> 24 | 1);
        for (int c = 0; c < 3; ++c) p.bgra[i + c] = static_cast<std::uint8_t>((x >> (8 * c)) % (a + 1u));
        p.bgra[i + 3] = a;
    }
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string what = argv[1];
    const unsigned long long mb = std::strtoull(argv[2], nullptr, 10) << 20;
    if (what == "read") {
        const std::vector<std::uint8_t> tga = RunLengthTga();
        LimitAddressSpace(mb);
        PixelImage out;
        return DetectAndParse(tga.data(), tga.size(), ParseOptions{}, DetectHooks{}, out) ? 0 : 1;
    }
    const PixelImage picture = Noise();
    const ZlibApi& zlib = ZlibRuntime::Api();  // loaded before the limit, as a program would have it
    if (what == "write-png" && !zlib.crc32) return 4;
    LimitAddressSpace(AddressSpaceInUse() + mb);
    std::vector<std::uint8_t> out;
    bool written = false;
    if (what == "write-bmp") written = SaveAsBMP(picture, out);
    else if (what == "write-tga") written = SaveAsTGA(picture, out, true);
    else if (what == "write-gif") written = SaveAsGIF(picture, out);
    else if (what == "write-png") written = cPNGwriter(zlib).Write(picture, out);
    else if (what == "write-jpg") written = cJPGWriter().Write(picture, out);
    else return 2;
    return written ? 0 : 1;
}
