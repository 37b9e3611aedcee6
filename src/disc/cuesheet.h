#pragma once

#include <QString>

namespace disc {

// The first data track of a cue sheet: the file that holds it, its sector size and where
// in that file its INDEX 01 starts.
struct CueDataTrack {
    QString filePath;  // absolute, resolved beside the cue sheet
    int blockSize = 0; // 2048, 2336, 2352 or 2448
    qint64 fileOffset = 0;

    // Reads the cue sheet at `cuePath` (at most MaxCueBytes). Throws KorvelloError when it
    // names no data track or cannot be read.
    static CueDataTrack read(const QString& cuePath);

    static constexpr qint64 MaxCueBytes = 256 * 1024;
};

} // namespace disc
