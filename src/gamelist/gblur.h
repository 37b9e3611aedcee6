#pragma once

#include <QtGlobal>
#include <array>
#include <span>

class QImage;

// Gaussian blur of 24-bit pictures, used to soften game-list thumbnails.
// The blur is separable (one horizontal, one vertical pass) and its results
// are fixed bit for bit: 32-bit float weights, 64-bit accumulation with the
// taps added in ascending order, truncating conversion back to 8 bits. Two
// builds of the program therefore write identical thumbnails.

// The kernel for one radius: half-width Size (1..100) and the weights
// Weights[-100..100] (stored at index k + kMaxHalfWidth). Only -Size..Size are used.
struct GaussKernel {
    static constexpr int kMaxHalfWidth = 100;
    quint8 Size = 1;
    std::array<float, 2 * kMaxHalfWidth + 1> Weights{};

    float weight(int k) const { return Weights[static_cast<std::size_t>(k + kMaxHalfWidth)]; }
    float& weight(int k) { return Weights[static_cast<std::size_t>(k + kMaxHalfWidth)]; }
};

// The kernel for a radius in pixels, cut to the taps that matter for 8-bit
// output. A radius that is not above 0 (or not a number) gives the identity
// kernel: the centre weight 1 and its two neighbours 0.
GaussKernel BuildGaussKernel(double radius);

// i when 0 <= i <= last, last above that, 0 below 0.
inline int ClampIndex(int i, int last) {
    return i > last ? last : (i < 0 ? 0 : i);
}

// The integer part of x for 0 <= x < 255, 255 from 255 on, 0 below 0.
inline quint8 ClampChannel(double x) {
    if (x >= 255.0)
        return 255;
    if (!(x >= 0.0)) // below 0, or not a number
        return 0;
    return static_cast<quint8>(x);
}

// Blurs one line of RGB pixels (line.size() = 3 * pixel count) in place;
// scratch must hold at least as many bytes. Every output value is computed
// from the line as it was before the call; beyond either end the end pixel repeats.
void BlurLine(std::span<quint8> line, const GaussKernel& kernel, std::span<quint8> scratch);

// Blurs a QImage::Format_RGB888 picture in place. Any other format is refused
// with "GBlur only works for 24-bit bitmaps" (KorvelloError).
void GBlur(QImage& bitmap, double radius);
