#include "gamelist/gblur.h"

#include "core/korvelloerror.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <vector>

// Floating-point contraction (fused multiply-add) is switched off for this file
// in the build: every product and partial sum is rounded as written.

GaussKernel BuildGaussKernel(double radius) {
    constexpr int kMax = GaussKernel::kMaxHalfWidth;
    GaussKernel kernel;
    if (!(radius > 0.0)) {
        // j / 0 would make every weight undefined; no blur is the sound reading.
        kernel.Size = 1;
        kernel.weight(0) = 1.0f;
        return kernel;
    }

    for (int j = -kMax; j <= kMax; ++j) {
        const double t = j / radius;
        kernel.weight(j) = static_cast<float>(std::exp(-t * t / 2.0));
    }
    double sum = 0.0;
    for (int j = -kMax; j <= kMax; ++j)
        sum += kernel.weight(j);
    for (int j = -kMax; j <= kMax; ++j)
        kernel.weight(j) = static_cast<float>(kernel.weight(j) / sum);

    // Drop outer taps while the two-sided mass removed so far stays below half
    // of one 8-bit step; the test comes before each removal.
    const double delta = 1.0 / (2.0 * 255.0);
    int size = kMax;
    double removed = 0.0;
    while (removed < delta && size > 1) {
        removed = removed + 2.0 * kernel.weight(size);
        --size;
    }
    kernel.Size = static_cast<quint8>(size);

    sum = 0.0;
    for (int j = -size; j <= size; ++j)
        sum += kernel.weight(j);
    for (int j = -size; j <= size; ++j)
        kernel.weight(j) = static_cast<float>(kernel.weight(j) / sum);
    return kernel;
}

namespace {

// One output pixel from the taps k = -size..size, in ascending k, each tap at
// position i - k given by sourceAt.
template <typename SourceAt>
inline void blurPixel(const float* weights, int size, SourceAt sourceAt, quint8* out) {
    double r = 0.0, g = 0.0, b = 0.0;
    for (int k = -size; k <= size; ++k) {
        const double w = weights[k];
        const quint8* p = sourceAt(k);
        r = r + p[0] * w;
        g = g + p[1] * w;
        b = b + p[2] * w;
    }
    out[0] = ClampChannel(r);
    out[1] = ClampChannel(g);
    out[2] = ClampChannel(b);
}

} // namespace

void BlurLine(std::span<quint8> line, const GaussKernel& kernel, std::span<quint8> scratch) {
    const int n = static_cast<int>(line.size() / 3);
    if (n <= 0)
        return;
    Q_ASSERT(scratch.size() >= line.size());
    const int size = kernel.Size;
    const int last = n - 1;
    const float* weights = kernel.Weights.data() + GaussKernel::kMaxHalfWidth;
    const quint8* src = line.data();
    quint8* dst = scratch.data();

    // Positions whose taps all fall inside the line need no clamping.
    const int innerBegin = std::min(size, n);
    const int innerEnd = std::max(innerBegin, n - size); // exclusive
    auto clamped = [&](int i) {
        blurPixel(
            weights, size, [&](int k) { return src + 3 * ClampIndex(i - k, last); }, dst + 3 * i);
    };
    for (int i = 0; i < innerBegin; ++i)
        clamped(i);
    for (int i = innerBegin; i < innerEnd; ++i) {
        const quint8* centre = src + 3 * i;
        blurPixel(
            weights, size, [centre](int k) { return centre - 3 * k; }, dst + 3 * i);
    }
    for (int i = innerEnd; i < n; ++i)
        clamped(i);

    std::copy(scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(line.size()), line.begin());
}

void GBlur(QImage& bitmap, double radius) {
    if (bitmap.format() != QImage::Format_RGB888)
        throw KorvelloError(QStringLiteral("GBlur only works for 24-bit bitmaps"));
    const int width = bitmap.width();
    const int height = bitmap.height();
    if (width <= 0 || height <= 0)
        return;
    const GaussKernel kernel = BuildGaussKernel(radius);
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(width);
    const std::size_t columnBytes = 3 * static_cast<std::size_t>(height);

    std::vector<quint8*> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<std::size_t>(y)] = bitmap.scanLine(y);

    std::vector<quint8> scratch(rowBytes);
    for (int y = 0; y < height; ++y)
        BlurLine({rows[static_cast<std::size_t>(y)], rowBytes}, kernel, scratch);

    scratch.resize(columnBytes);
    std::vector<quint8> column(columnBytes);
    for (int x = 0; x < width; ++x) {
        const std::size_t offset = 3 * static_cast<std::size_t>(x);
        for (int y = 0; y < height; ++y) {
            const quint8* p = rows[static_cast<std::size_t>(y)] + offset;
            quint8* c = column.data() + 3 * static_cast<std::size_t>(y);
            c[0] = p[0];
            c[1] = p[1];
            c[2] = p[2];
        }
        BlurLine(column, kernel, scratch);
        for (int y = 0; y < height; ++y) {
            quint8* p = rows[static_cast<std::size_t>(y)] + offset;
            const quint8* c = column.data() + 3 * static_cast<std::size_t>(y);
            p[0] = c[0];
            p[1] = c[1];
            p[2] = c[2];
        }
    }
}
