#pragma once

#include "store/sideconnection.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What Korvello last wrote into each emulator settings file it writes whole per
// game (the current builds' gamesettings/<SERIAL>_<CRC>.ini), in a table of its
// own in db.mdb keyed by the file's path; table `db` is never altered. A Start
// compares the file with it to tell the user's edits in the emulator from its own.
//
// The file must already be the game database: this store never creates it.
// Every failure throws KorvelloError with the database's own text.
class WrittenFileStore {
public:
    WrittenFileStore();
    ~WrittenFileStore();
    WrittenFileStore(const WrittenFileStore&) = delete;
    WrittenFileStore& operator=(const WrittenFileStore&) = delete;

    void setDatabasePath(const QString& path);

    // The bytes last written to `path`, none when Korvello never wrote it (or forgot).
    std::optional<QByteArray> lastWritten(const QString& path);
    // Remembers the bytes just written to `path`.
    void remember(const QString& path, const QByteArray& bytes);

private:
    bool tableExists();
    SideConnection m_connection;
};
