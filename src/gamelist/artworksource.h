#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// The picture a user chose for a game's artwork, turned into the stretched
// pictures of the poster and the thumbnail in one pass over the file. A JPEG is
// decoded row by row and only the rows that the nearest-neighbour stretch
// samples are decoded in full (the others are skipped by libjpeg-turbo), so the
// full-size picture is never held; its EXIF orientation is applied first. PNG,
// WebP and the other formats that Qt's image readers know are decoded whole
// through them, with alpha composed onto black. Lives for one import.
class ArtworkSource {
public:
    // The side rule of artwork::ScaledSize: the height is `tall` for a picture
    // taller than wide, otherwise the width is `wide`.
    struct Target {
        int tall = 0;
        int wide = 0;
        bool operator==(const Target&) const = default;
    };

    // `targets`: every picture that this import will ask for, so that one pass
    // over the file makes them all.
    explicit ArtworkSource(QString path, QList<Target> targets = {});
    // A picture already in memory (a downloaded cover): `name` stands for the
    // file in error texts. Decoded exactly as a file with these bytes.
    ArtworkSource(QByteArray data, QString name, QList<Target> targets);

    const QString& path() const { return m_path; }

    // The picture as displayed (turned upright) stretched to the target's
    // size (artwork::ScaledSize of the displayed size), QImage::Format_RGB888.
    // The file is read and decoded on the first call; a target not given to
    // the constructor costs another pass. Throws KorvelloError for a missing or
    // unreadable file, one that cannot be decoded, and one beyond
    // picturelimit, on every call until a pass succeeds.
    const QImage& stretched(Target target);

private:
    void decodeAll();
    void decode(const QByteArray& data);
    void decodeJpeg(const QByteArray& data);
    void decodeWithQt(const QByteArray& data);

    QString m_path;
    QByteArray m_data; // the picture's bytes when they were given, not read from m_path
    bool m_inMemory = false;
    QList<Target> m_targets;
    QList<QImage> m_results; // one per target once decoded
};
