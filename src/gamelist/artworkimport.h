#pragma once

#include <QString>

class ArtworkSource;

// Takes the source's picture stretched to ScaledSize (tall, wide), made in the
// source's one pass over the file (ArtworkSource), blurs it with GBlur when
// radius > 0, and writes it as JPEG (quality 90, baseline, colour) to
// destination, replacing an existing file. A failing step ends it with that
// step's KorvelloError; nothing is written when the source cannot be decoded.
void SaveScaledJpeg(ArtworkSource& source, const QString& destination, double radius, int tall, int wide);
void SaveScaledJpeg(const QString& source, const QString& destination, double radius, int tall, int wide);
