#include "disc/cuesheet.h"

#include "core/boundedread.h"
#include "core/korvelloerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace disc {

namespace {

// "MODE1/2352", "MODE2/2352", "MODE1/2048", "MODE2/2336", "MODE2/2448": the number after
// the slash is the sector size in the file; AUDIO and CDG tracks are no data tracks.
int blockSizeOf(const QString& mode) {
    const QString upper = mode.toUpper();
    if (!upper.startsWith(QLatin1String("MODE1/")) && !upper.startsWith(QLatin1String("MODE2/")))
        return 0;
    bool ok = false;
    const int size = upper.mid(6).toInt(&ok);
    return ok && (size == 2048 || size == 2336 || size == 2352 || size == 2448) ? size : 0;
}

// "mm:ss:ff" in frames of 1/75 second, one sector each.
qint64 framesOf(const QString& time) {
    const QStringList parts = time.split(u':');
    if (parts.size() != 3)
        return -1;
    bool ok1 = false, ok2 = false, ok3 = false;
    const qint64 m = parts[0].toLongLong(&ok1), s = parts[1].toLongLong(&ok2), f = parts[2].toLongLong(&ok3);
    if (!ok1 || !ok2 || !ok3 || m < 0 || s < 0 || s >= 60 || f < 0 || f >= 75 || m > 1000)
        return -1;
    return (m * 60 + s) * 75 + f;
}

// The rest of a FILE line: a quoted name, or the first word.
QString fileNameOf(const QString& rest) {
    if (rest.startsWith(u'"')) {
        const qsizetype close = rest.indexOf(u'"', 1);
        return close < 0 ? QString() : rest.mid(1, close - 1);
    }
    return rest.section(u' ', 0, 0, QString::SectionSkipEmpty);
}

} // namespace

CueDataTrack CueDataTrack::read(const QString& cuePath) {
    // A FIFO or a device named .cue must not hold a Start or an import.
    const BoundedRead file = BoundedRead::read(cuePath, MaxCueBytes);
    if (!file.bytes)
        throw KorvelloError(QStringLiteral("its cue sheet cannot be read: %1")
                                .arg(file.missing() ? QStringLiteral("there is no such file") : file.error));
    const QStringList lines =
        QString::fromUtf8(*file.bytes).split(QRegularExpression(QStringLiteral("\r?\n")));

    QString currentFile;
    CueDataTrack track;
    bool inDataTrack = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        const QString command = line.section(u' ', 0, 0, QString::SectionSkipEmpty).toUpper();
        const QString rest = line.section(u' ', 1, -1, QString::SectionSkipEmpty);
        if (command == QLatin1String("FILE")) {
            currentFile = fileNameOf(rest);
            if (inDataTrack)
                break;
        } else if (command == QLatin1String("TRACK")) {
            if (inDataTrack)
                break;
            const int size = blockSizeOf(rest.section(u' ', 1, 1, QString::SectionSkipEmpty));
            if (size > 0) {
                inDataTrack = true;
                track.blockSize = size;
                track.filePath = currentFile;
            }
        } else if (command == QLatin1String("INDEX") && inDataTrack) {
            const QStringList words = rest.split(u' ', Qt::SkipEmptyParts);
            if (words.size() == 2 && words[0].toInt() == 1) {
                const qint64 frames = framesOf(words[1]);
                if (frames < 0)
                    throw KorvelloError(
                        QStringLiteral("its cue sheet has a broken INDEX time \"%1\"").arg(words[1]));
                track.fileOffset = frames * track.blockSize;
                break;
            }
        }
    }
    if (!inDataTrack)
        throw KorvelloError(QStringLiteral("its cue sheet names no data track (MODE1 or MODE2)"));
    if (track.filePath.isEmpty())
        throw KorvelloError(QStringLiteral("its cue sheet names no FILE for the data track"));
    // A name in the sheet is relative to the sheet's folder.
    track.filePath = QFileInfo(QFileInfo(cuePath).dir(), track.filePath).absoluteFilePath();
    return track;
}

} // namespace disc
