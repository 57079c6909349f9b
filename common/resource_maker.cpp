// Build-time generator for the icons and the warning sound that the shared
// resource script embeds. Usage: resource_maker OUTDIR
//
// Everything is drawn from code so the build needs no binary assets and the
// output is byte-for-byte reproducible.

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "common/byte_io.h"
#include "common/wav_header.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using suite::ByteWriter;

struct Rgba {
    double r, g, b, a; // 0..1, straight alpha
};

// Top-down RGBA image; converted to the bottom-up BGRA layout on output.
class Image {
public:
    explicit Image(int size) : size_(size), px_(static_cast<size_t>(size) * size, Rgba{0, 0, 0, 0}) {}

    int size() const { return size_; }
    const Rgba &at(int x, int y) const { return px_[static_cast<size_t>(y) * size_ + x]; }
    Rgba &at(int x, int y) { return px_[static_cast<size_t>(y) * size_ + x]; }

    // Half-open pixel rectangle, clipped to the image.
    void fillRect(int x0, int y0, int x1, int y1, Rgba c) {
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, size_);
        y1 = std::min(y1, size_);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) at(x, y) = c;
    }

private:
    int size_;
    std::vector<Rgba> px_;
};

std::uint8_t toByte(double v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

// A generator whose sizes were miscounted stops the build rather than ship
// zeros.
Bytes Checked(const ByteWriter &w, Bytes out) {
    if (!w.ok()) {
        std::fprintf(stderr, "resource_maker: a field past the end of its file\n");
        std::exit(1);
    }
    return out;
}

constexpr std::uint32_t kDibHeaderBytes = 40;  // BITMAPINFOHEADER

// One icon image: BITMAPINFOHEADER (height doubled for colour + mask), the
// 32-bit bottom-up BGRA rows, then the 1-bit AND mask.
Bytes encodeDib(const Image &img) {
    const int n = img.size();
    const int maskStride = ((n + 31) / 32) * 4;
    const std::uint32_t colourBytes = static_cast<std::uint32_t>(n) * n * 4;
    const std::uint32_t maskBytes = static_cast<std::uint32_t>(maskStride) * n;

    Bytes out(kDibHeaderBytes + colourBytes + maskBytes);
    ByteWriter w(out.data(), out.size());
    w.U32LE(0, kDibHeaderBytes);                    // biSize
    w.U32LE(4, static_cast<std::uint32_t>(n));      // biWidth
    w.U32LE(8, static_cast<std::uint32_t>(2 * n));  // biHeight: XOR + AND
    w.U16LE(12, 1);                                 // biPlanes
    w.U16LE(14, 32);                                // biBitCount
    w.U32LE(16, 0);                                 // biCompression = BI_RGB
    w.U32LE(20, colourBytes + maskBytes);           // biSizeImage
    // 24..39: resolution and palette counts, 0 as the buffer starts.

    size_t at = kDibHeaderBytes;
    for (int y = n - 1; y >= 0; --y) {
        for (int x = 0; x < n; ++x) {
            const Rgba &p = img.at(x, y);
            const std::uint8_t a = toByte(p.a);
            // Fully transparent pixels are black so AND/XOR renderers leave
            // the background untouched.
            const std::uint8_t bgra[4] = {a ? toByte(p.b) : std::uint8_t{0}, a ? toByte(p.g) : std::uint8_t{0},
                                          a ? toByte(p.r) : std::uint8_t{0}, a};
            w.Bytes(at, bgra, sizeof bgra);
            at += sizeof bgra;
        }
    }

    // Mask bit 1 = transparent, for renderers that ignore alpha.
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<size_t>(maskStride), 0);
        for (int x = 0; x < n; ++x)
            if (toByte(img.at(x, y).a) == 0) row[static_cast<size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        w.Bytes(at, row.data(), row.size());
        at += row.size();
    }
    return Checked(w, std::move(out));
}

Bytes encodeIco(const std::vector<Image> &images) {
    std::vector<Bytes> dibs;
    for (const Image &img : images) dibs.push_back(encodeDib(img));

    // ICONDIR (6 bytes), one 16-byte entry per image, then the images.
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    size_t total = offset;
    for (const Bytes &d : dibs) total += d.size();
    Bytes out(total);
    ByteWriter w(out.data(), out.size());
    w.U16LE(0, 0);  // reserved
    w.U16LE(2, 1);  // type: icon
    w.U16LE(4, static_cast<std::uint16_t>(images.size()));

    for (size_t i = 0; i < images.size(); ++i) {
        const size_t entry = 6 + 16 * i;
        const int n = images[i].size();
        w.U8(entry, static_cast<std::uint8_t>(n >= 256 ? 0 : n));      // width
        w.U8(entry + 1, static_cast<std::uint8_t>(n >= 256 ? 0 : n));  // height
        w.U8(entry + 2, 0);      // palette colours
        w.U8(entry + 3, 0);      // reserved
        w.U16LE(entry + 4, 1);   // planes
        w.U16LE(entry + 6, 32);  // bits per pixel
        w.U32LE(entry + 8, static_cast<std::uint32_t>(dibs[i].size()));
        w.U32LE(entry + 12, offset);
        w.Bytes(offset, dibs[i].data(), dibs[i].size());
        offset += static_cast<std::uint32_t>(dibs[i].size());
    }
    return Checked(w, std::move(out));
}

const int kIconSizes[] = {32, 48};

// ---- Program icon -------------------------------------------------------

// Shapes in unit coordinates (0..1, y down) so both sizes share one drawing.

bool inRoundedSquare(double x, double y, double inset, double radius) {
    const double lo = inset + radius, hi = 1.0 - inset - radius;
    const double dx = std::max({lo - x, 0.0, x - hi});
    const double dy = std::max({lo - y, 0.0, y - hi});
    if (x < inset || x > 1.0 - inset || y < inset || y > 1.0 - inset) return false;
    return dx * dx + dy * dy <= radius * radius;
}

bool inCircle(double x, double y, double cx, double cy, double r) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// Thick line with round caps.
bool inCapsule(double x, double y, double ax, double ay, double bx, double by, double halfWidth) {
    const double vx = bx - ax, vy = by - ay;
    const double t = std::clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
    return inCircle(x, y, ax + t * vx, ay + t * vy, halfWidth);
}

const double kPi = 3.14159265358979323846;

// Handset: a thick arc for the handle, bowing to the lower left, ending in
// ear and mouth pieces that lie along the arc and jut towards its centre.
bool inHandset(double x, double y) {
    const double cx = 0.62, cy = 0.38, r = 0.33, half = 0.06, padHalf = 0.095;
    const double earAngle = 188.0 * kPi / 180.0, mouthAngle = 82.0 * kPi / 180.0;

    const double dx = x - cx, dy = y - cy;
    const double dist = std::sqrt(dx * dx + dy * dy);
    double ang = std::atan2(dy, dx);
    if (ang < 0) ang += 2 * kPi;
    if (ang >= mouthAngle && ang <= earAngle && std::fabs(dist - r) <= half) return true;

    // Each piece is a capsule along the tangent at its end of the arc, set
    // slightly inside the arc so it protrudes on the concave side.
    const double ends[2][2] = {{earAngle, 1.0}, {mouthAngle, -1.0}};
    for (const auto &e : ends) {
        const double ux = std::cos(e[0]), uy = std::sin(e[0]);
        const double tx = -uy * e[1], ty = ux * e[1]; // tangent, pointing off the arc
        const double pr = r + half - padHalf; // outer edge flush with the handle
        const double px = cx + pr * ux, py = cy + pr * uy;
        if (inCapsule(x, y, px - 0.06 * tx, py - 0.06 * ty, px + 0.03 * tx, py + 0.03 * ty, padHalf))
            return true;
    }
    return false;
}

Rgba programIconSample(double x, double y) {
    const Rgba clear{0, 0, 0, 0};
    const Rgba navy{0.08, 0.16, 0.42, 1};
    const Rgba white{1, 1, 1, 1};
    const Rgba red{0.88, 0.10, 0.10, 1};

    if (!inRoundedSquare(x, y, 0.02, 0.20)) return clear;
    // White ring keeps the red dot readable against the dark ground.
    if (inCircle(x, y, 0.76, 0.24, 0.105)) return inCircle(x, y, 0.76, 0.24, 0.08) ? red : white;
    if (inHandset(x, y)) return white;
    return navy;
}

Image drawProgramIcon(int n) {
    const int ss = 4; // supersampling per axis, for smooth edges
    Image img(n);
    for (int py = 0; py < n; ++py) {
        for (int px = 0; px < n; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < ss; ++sy) {
                for (int sx = 0; sx < ss; ++sx) {
                    const Rgba c = programIconSample((px + (sx + 0.5) / ss) / n, (py + (sy + 0.5) / ss) / n);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            img.at(px, py) = a > 0 ? Rgba{r / a, g / a, b / a, a / (ss * ss)} : Rgba{0, 0, 0, 0};
        }
    }
    return img;
}

// ---- Level icons --------------------------------------------------------

const int kLevels = 7;

// level 0 puts the bar on the bottom edge, kLevels-1 on the top edge.
Image drawLevelIcon(int n, int level, Rgba ground) {
    const Rgba dark{0.10, 0.10, 0.10, 1};
    const Rgba red{0.90, 0.05, 0.05, 1};

    Image img(n);
    img.fillRect(0, 0, n, n, ground);

    const int barH = n / 8;
    const int travel = n - barH;
    auto barTop = [&](int lv) {
        return static_cast<int>(std::lround(static_cast<double>(travel) * (kLevels - 1 - lv) / (kLevels - 1)));
    };

    img.fillRect(0, barTop(level), n, barTop(level) + barH, red);

    // One tick per level, centred on where that level's bar would sit.
    const int tickLen = n / 6;
    const int tickH = std::max(1, n / 24);
    for (int lv = 0; lv < kLevels; ++lv) {
        const int y = barTop(lv) + (barH - tickH) / 2;
        img.fillRect(0, y, tickLen, y + tickH, dark);
        img.fillRect(n - tickLen, y, n, y + tickH, dark);
    }
    return img;
}

// ---- Warning sound ------------------------------------------------------

Bytes makeWarningWav() {
    const std::uint32_t rate = 8000;  // as BuildWavHeader writes
    const int totalSamples = 5360; // 0.67 s
    const int segments = 4;
    const int segLen = totalSamples / segments;
    const double freqs[2] = {880.0, 660.0};
    const double peak = 32767.0 * std::pow(10.0, -3.0 / 20.0);
    const int fade = static_cast<int>(rate * 5 / 1000); // 5 ms, avoids clicks

    std::vector<std::int16_t> samples;
    samples.reserve(totalSamples);
    for (int s = 0; s < segments; ++s) {
        const double f = freqs[s % 2];
        for (int i = 0; i < segLen; ++i) {
            double gain = 1.0;
            if (i < fade) gain = static_cast<double>(i) / fade;
            else if (i >= segLen - fade) gain = static_cast<double>(segLen - 1 - i) / fade;
            const double v = peak * gain * std::sin(2.0 * kPi * f * i / rate);
            samples.push_back(static_cast<std::int16_t>(std::lround(v)));
        }
    }

    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size()) * 2;
    Bytes out(suite::kWavHeaderSize + dataBytes);
    suite::BuildWavHeader(dataBytes, out.data());
    ByteWriter w(out.data(), out.size());
    for (size_t i = 0; i < samples.size(); ++i)
        w.U16LE(suite::kWavHeaderSize + 2 * i, static_cast<std::uint16_t>(samples[i]));
    return Checked(w, std::move(out));
}

// ---- Output -------------------------------------------------------------

bool writeFile(const std::filesystem::path &path, const Bytes &data) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (f) f.write(reinterpret_cast<const char *>(data.data()), static_cast<std::streamsize>(data.size()));
    if (f) f.close();
    if (!f) {
        std::fprintf(stderr, "resource_maker: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: resource_maker OUTDIR\n");
        return 2;
    }
    const std::filesystem::path outDir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) {
        std::fprintf(stderr, "resource_maker: cannot create %s: %s\n", outDir.string().c_str(), ec.message().c_str());
        return 1;
    }

    const Rgba green{0.15, 0.70, 0.20, 1};
    const Rgba yellow{0.98, 0.85, 0.10, 1};

    auto icon = [](auto draw) {
        std::vector<Image> images;
        for (int n : kIconSizes) images.push_back(draw(n));
        return encodeIco(images);
    };

    std::vector<std::pair<std::string, Bytes>> files;
    files.emplace_back("icon100.ico", icon(drawProgramIcon));
    for (int i = 0; i < 2 * kLevels; ++i) {
        const int level = i % kLevels;
        const Rgba ground = i < kLevels ? green : yellow;
        files.emplace_back("icon" + std::to_string(101 + i) + ".ico",
                           icon([&](int n) { return drawLevelIcon(n, level, ground); }));
    }
    files.emplace_back("NgSound.wav", makeWarningWav());

    for (const auto &f : files)
        if (!writeFile(outDir / f.first, f.second)) return 1;
    return 0;
}
