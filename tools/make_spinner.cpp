// Draws the busy animation and writes it as a GIF: eight dots on a ring, the
// lit dot moving one place per frame with a fading tail, on white, 32 x 32
// pixels, 80 ms per frame, looping forever. Encoded with the project's own
// LZW encoder. Usage: make_spinner OUTPUT.gif
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

#include "imaging/LzwEncoder.h"

namespace {

constexpr int kSize = 32;
constexpr int kFrames = 8;
constexpr int kDots = 8;
constexpr int kDelay = 8;  // 1/100 s
const double kPi = std::acos(-1.0);

// Index i is white blended towards the dot colour by i / 255.
std::uint8_t Channel(int white, int dark, int i) { return static_cast<std::uint8_t>(white + (dark - white) * i / 255); }

std::vector<std::uint8_t> DrawFrame(int frame) {
    std::vector<std::uint8_t> px(kSize * kSize, 0);
    const double c = kSize / 2.0, ring = 10.5, radius = 3.2;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            double ink = 0;
            for (int d = 0; d < kDots; ++d) {
                const double a = 2 * kPi * d / kDots - kPi / 2;
                const double dx = x + 0.5 - (c + ring * std::cos(a)), dy = y + 0.5 - (c + ring * std::sin(a));
                const double coverage = std::fmin(1.0, std::fmax(0.0, radius + 0.5 - std::hypot(dx, dy)));
                const int age = (frame - d + kDots) % kDots;  // 0: the lit dot
                const double strength = 1.0 - age / 7.0 * 0.85;
                ink = std::fmax(ink, coverage * strength);
            }
            px[static_cast<std::size_t>(y) * kSize + x] = static_cast<std::uint8_t>(std::lround(ink * 255));
        }
    }
    return px;
}

void Put16(std::vector<std::uint8_t>& b, int v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_spinner OUTPUT.gif\n");
        return 2;
    }
    std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(gif, kSize);
    Put16(gif, kSize);
    gif.insert(gif.end(), {0xF7, 0, 0});  // global table of 256 entries
    for (int i = 0; i < 256; ++i) gif.insert(gif.end(), {Channel(255, 0x2A, i), Channel(255, 0x5C, i), Channel(255, 0x9E, i)});
    gif.insert(gif.end(), {0x21, 0xFF, 11});
    for (char ch : {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}) gif.push_back(static_cast<std::uint8_t>(ch));
    gif.insert(gif.end(), {3, 1, 0, 0, 0});  // loop count 0: forever
    for (int f = 0; f < kFrames; ++f) {
        gif.insert(gif.end(), {0x21, 0xF9, 4, 0x04});  // disposal 1: leave in place, opaque
        Put16(gif, kDelay);
        gif.insert(gif.end(), {0, 0, 0x2C});
        Put16(gif, 0);
        Put16(gif, 0);
        Put16(gif, kSize);
        Put16(gif, kSize);
        gif.push_back(0);
        const std::vector<std::uint8_t> px = DrawFrame(f);
        const auto lzw = panorel::imaging::LzwEncodeGif(px.data(), px.size());
        gif.insert(gif.end(), lzw.begin(), lzw.end());
    }
    gif.push_back(0x3B);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(gif.data()), static_cast<std::streamsize>(gif.size()));
    return out ? 0 : 1;
}
