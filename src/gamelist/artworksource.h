#pragma once

#include <QImage>
#include <QString>

// The picture a user chose for a game's artwork. It is decoded at full size the
// first time a step needs it and then shared by the poster and the thumbnail,
// so one import decodes the (often large) source once. Lives for one import.
class ArtworkSource {
public:
    explicit ArtworkSource(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }
    // The decoded picture (QImage::Format_RGB888). Throws the decoder's
    // KorvelloError for a missing or unreadable file, on every call.
    const QImage& picture();

private:
    QString m_path;
    QImage m_picture;
};
