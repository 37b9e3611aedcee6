#pragma once

#include <QString>
#include <QUrl>

// One address pattern for cover pictures, as the user types it: an http or
// https address holding one or more of the placeholders ${serial} (the disc's
// serial), ${title} (the game's name in the library) and ${filetitle} (the disc
// image's file name without its extension). The placeholders are the emulator's
// own (its GameList::DownloadCovers fills the same three, each URL-encoded), so
// templates written for its cover download work here unchanged.
class CoverTemplate {
public:
    // What a game gives the placeholders.
    struct Fields {
        QString serial; // empty when the disc was not identified
        QString title;
        QString fileTitle;
    };

    // Throws KorvelloError naming the template when it is not an http or https
    // address, has no host, holds no placeholder (it would fetch one picture
    // for every game) or holds a "${...}" that is not one of the three.
    explicit CoverTemplate(QString text);

    const QString& text() const { return m_text; }
    bool usesSerial() const { return m_text.contains(QLatin1String("${serial}")); }
    bool usesFileTitle() const { return m_text.contains(QLatin1String("${filetitle}")); }

    // The address for one game: every placeholder replaced by its value
    // percent-encoded as one path or query component (every byte of its UTF-8
    // form but letters, digits and "-._~", so "/", "?", "#" and "&" in a name
    // stay inside it). Throws KorvelloError when the template needs the serial
    // and the game has none, or a value is empty.
    QUrl expand(const Fields& fields) const;

    // The file name of a disc image without folder and extension ("Game.iso" -> "Game").
    static QString fileTitle(const QString& imagePath);
    static bool isWebAddress(const QUrl& url);

private:
    QString m_text;
};
