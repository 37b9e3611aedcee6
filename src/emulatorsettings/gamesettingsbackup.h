#pragma once

#include <QString>
#include <QStringList>

// The user's own per-game settings files of the emulator's current builds
// (gamesettings/<SERIAL>_<CRC>.ini), kept before Korvello first writes each of
// them, and put back on request.
//
// The backup is the folder "Korvello backup" inside the gamesettings folder: a
// whole copy of each per-game file the user had when Korvello first wrote it,
// and "created.txt", the names of the files Korvello created where the user had
// none. Each file is kept once (a copy is written to a hidden name and renamed
// into place, so it is whole or absent) and never overwritten. Window-free.
class GameSettingsBackup {
public:
    // gameSettingsFolder: the emulator's gamesettings folder.
    explicit GameSettingsBackup(QString gameSettingsFolder);

    QString backupFolder() const;
    // Whether Korvello ever wrote a file there.
    bool exists() const;

    // Before Korvello writes `fileName` in the folder: the user's file is kept
    // the first time, or the name noted as Korvello's when there is none. Returns
    // the one line that tells the user a file was kept, else empty. Throws
    // KorvelloError when the copy cannot be made (nothing is written then).
    QString keep(const QString& fileName) const;

    // Puts every kept file back (each by an atomic replacement) and removes the
    // files Korvello created. Returns what was done in one sentence, empty when
    // the folder has no backup. Throws KorvelloError when a file cannot be put back
    // or removed. The backup stays, so a later Start keeps nothing twice.
    QString restore() const;

private:
    QStringList createdNames() const;
    QString m_folder; // no trailing '/'
};
