#pragma once

#include <QString>
#include <QStringList>

// The user's own emulator settings, kept before Korvello first writes into a
// plug-in era settings folder, and put back on request.
//
// The backup is the folder "Korvello backup" inside the settings folder, beside
// the files it keeps: a whole copy of each of the four files (PCSX2_ui.ini,
// PCSX2_vm.ini, GSdx.ini and the sound plug-in's file, found without letter
// case) that existed then. It is made once, complete or not at all (copied into
// a hidden folder that is renamed into place), and never overwritten: a later
// Start, or a restore, leaves it as it is. Window-free.
class SettingsBackup {
public:
    explicit SettingsBackup(QString settingsFolder);

    QString backupFolder() const;
    bool exists() const;

    // Makes the backup when there is none yet and the settings folder exists.
    // Returns the one line that tells the user so, empty when nothing was made or
    // when the folder held none of the four files (the empty backup then only
    // tells a restore to remove the files Korvello writes).
    // Throws KorvelloError when the copy fails (nothing is written then).
    QString ensure() const;

    // Puts the kept files back: each one replaces the file of the same name
    // (found without letter case) by rename, after all were copied beside their
    // targets, so that a failure leaves every file as it was. A file of the four
    // that did not exist when the backup was made is removed. Returns what was
    // done in one sentence; throws KorvelloError when there is no backup or a
    // file cannot be put back.
    QString restore() const;

    // The four file names as the program spells them.
    static const QStringList& fileNames();

private:
    QString m_folder; // the settings folder, no trailing '/'
};
