#pragma once

#include <QSize>
#include <QString>

class QImage;

// Turning a chosen picture into a game's poster or thumbnail: scale to the
// target's named side keeping the proportions, nearest-neighbour stretch,
// optional Gaussian blur, JPEG at quality 90.
namespace artwork {

// Targets in pixels: the poster view's and the game list cell's.
constexpr int kPosterTall = 600;
constexpr int kPosterWide = 420;
constexpr int kThumbTall = 150;
constexpr int kThumbWide = 100;

// The size of a W x H picture scaled so that its height is `tall` when it is
// taller than wide, otherwise its width is `wide`. Sides are rounded to the
// nearest integer with halves going to the even neighbour; a side that would
// round to 0 (a very narrow or flat picture) gets 1 pixel.
QSize ScaledSize(QSize source, int tall, int wide);

// The picture stretched to size by taking one source pixel for each target
// pixel (source column x * W / width, row y * H / height): surplus rows and
// columns are dropped or repeated, never averaged. Source and result are
// QImage::Format_RGB888.
QImage StretchNearest(const QImage& source, QSize size);

} // namespace artwork
