#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// The emulator's game database, GameIndex.yaml: what the emulator knows about
// every disc by its serial. Only what the library shows is kept (title,
// region, compatibility), in one hash, so that a lookup is a hash probe.
//
// The file is about 10 MB with some 12,000 entries. It is read once by a
// targeted parser rather than a general YAML one: the emulator's
// GameDatabase::initDatabase takes every top-level key as a serial (compared
// without letter case, the first of two equal ones wins) and
// GameDatabase::parseAndInsert reads "name", "region" and "compat" from the
// entry's own mapping; everything nested deeper (patches, fixes) is skipped.
class GameIndex {
public:
    struct Entry {
        QString title;
        QString region; // as the database writes it: "NTSC-U", "PAL-E", ...
        int compat = 0; // 0 unknown, 1 nothing ... 6 perfect (GameDatabaseSchema::Compatibility)
    };

    GameIndex() = default;

    // Reads the database file; throws KorvelloError naming the file when it cannot be read.
    static GameIndex load(const QString& path);
    // Parses the text of a database (as the file holds it, UTF-8).
    static GameIndex parse(const QByteArray& text);

    // Where the emulator keeps its resources, in the order they are tried:
    // beside a portable build (the emulator folder's resources), then the
    // installed data folders and the Flatpak's files.
    static QStringList candidatePaths(const QString& emulatorFolder);
    // The first candidate that exists, or empty.
    static QString find(const QString& emulatorFolder);

    // The entry of a serial (letter case does not matter), or nullptr.
    const Entry* lookup(const QString& serial) const;
    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // The emulator's own words for a compatibility rating ("Playable"), empty for unknown.
    static QString compatText(int compat);

private:
    QHash<QString, Entry> m_entries; // keyed by the upper-case serial
};
