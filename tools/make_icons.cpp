// Draws the program's icons and writes them as .ico files:
//   app.ico       the application icon "AAA": four panes, two by two
//   desktopN.ico  the tray icon of desktop N: the same panes, pane N lit
// Each file holds 16, 24, 32 and 48 pixel 32-bit images with alpha.
// Usage: make_icons OUTPUT_DIR
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Rgba {
    double r, g, b, a;
};

// Coverage of a rounded rectangle at a point, in [0, 1] (signed distance, one
// pixel of smoothing).
double RoundedBox(double x, double y, double x0, double y0, double x1, double y1, double radius) {
    const double cx = std::fmax(x0 + radius, std::fmin(x, x1 - radius));
    const double cy = std::fmax(y0 + radius, std::fmin(y, y1 - radius));
    const double d = std::hypot(x - cx, y - cy) - radius;
    return std::fmin(1.0, std::fmax(0.0, 0.5 - d));
}

Rgba Over(Rgba dst, Rgba src, double coverage) {
    const double a = src.a * coverage;
    const double outA = a + dst.a * (1 - a);
    if (outA <= 0) return {0, 0, 0, 0};
    auto mix = [&](double s, double d) { return (s * a + d * dst.a * (1 - a)) / outA; };
    return {mix(src.r, dst.r), mix(src.g, dst.g), mix(src.b, dst.b), outA};
}

// lit: the pane to highlight (1..4), 0 for none.
std::vector<std::uint32_t> Draw(int size, int lit) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(size * size));
    const double s = size / 48.0;  // designed at 48 pixels
    const Rgba frame{0.16, 0.24, 0.38, 1.0};
    const Rgba pane{0.62, 0.78, 0.95, 1.0};
    const Rgba hot{0.98, 0.60, 0.12, 1.0};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double fx = x + 0.5, fy = y + 0.5;
            Rgba c{0, 0, 0, 0};
            c = Over(c, frame, RoundedBox(fx, fy, 1 * s, 1 * s, 47 * s, 47 * s, 7 * s));
            for (int p = 1; p <= 4; ++p) {
                const double px0 = (p % 2 == 1 ? 5 : 25) * s, py0 = (p <= 2 ? 5 : 25) * s;
                c = Over(c, p == lit ? hot : pane, RoundedBox(fx, fy, px0, py0, px0 + 18 * s, py0 + 18 * s, 3 * s));
            }
            auto ch = [](double v) { return static_cast<std::uint32_t>(std::lround(std::fmin(1.0, std::fmax(0.0, v)) * 255)); };
            // Stored as BGRA, straight alpha, as icons want it.
            px[static_cast<std::size_t>(y * size + x)] =
                ch(c.b) | (ch(c.g) << 8) | (ch(c.r) << 16) | (ch(c.a) << 24);
        }
    }
    return px;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One icon image: BITMAPINFOHEADER (double height), bottom-up pixels, AND mask.
std::vector<std::uint8_t> IconImage(int size, const std::vector<std::uint32_t>& px) {
    std::vector<std::uint8_t> out;
    const int maskStride = ((size + 31) / 32) * 4;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, static_cast<std::uint32_t>(size * 2));
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(size * size * 4 + maskStride * size));
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) Put32(out, px[static_cast<std::size_t>(y * size + x)]);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(maskStride), 0);
        for (int x = 0; x < size; ++x)
            if ((px[static_cast<std::size_t>(y * size + x)] >> 24) == 0) row[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

bool WriteIcon(const std::string& path, int lit) {
    const int sizes[] = {16, 24, 32, 48};
    std::vector<std::vector<std::uint8_t>> images;
    for (int s : sizes) images.push_back(IconImage(s, Draw(s, lit)));
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 4);
    std::uint32_t offset = 6 + 16 * 4;
    for (std::size_t i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, static_cast<std::uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& img : images) out.insert(out.end(), img.begin(), img.end());
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = WriteIcon(dir + "/app.ico", 0);
    for (int n = 1; n <= 4; ++n) ok = WriteIcon(dir + "/desktop" + std::to_string(n) + ".ico", n) && ok;
    return ok ? 0 : 1;
}
