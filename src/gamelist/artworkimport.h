#pragma once

#include <QString>

class ArtworkSource;

// Decodes the source at full size (once per ArtworkSource), scales it with
// ScaledSize and StretchNearest, blurs it with GBlur when radius > 0, and
// writes it as JPEG (quality 90, baseline, colour) to destination, replacing an
// existing file. A failing step ends it with that step's KorvelloError.
void SaveScaledJpeg(ArtworkSource& source, const QString& destination, double radius, int tall, int wide);
void SaveScaledJpeg(const QString& source, const QString& destination, double radius, int tall, int wide);
