#pragma once

#include "disc/gameindex.h"
#include "library/folderscan.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <utility>

// Adds a folder of disc images to the library: finds the images (FolderScan),
// identifies each disc (serial and boot file CRC), names it from the
// emulator's game database or its file name, and adds one profile per game
// the library does not have yet (matched by image path and by serial and CRC).
// Profiles are stored a batch at a time, each batch in one transaction with
// the discs' rows, so a cancel or an error leaves only complete games.
// Window-free: the window runs it on a worker thread, --add-folder directly.
class LibraryImport {
public:
    struct Options {
        QString databasePath;  // db.mdb
        QString executable;    // the emulator executable's file name for the new profiles
        QString pluginFile;    // the graphics plug-in file (empty for the current builds)
        QString gameIndexPath; // GameIndex.yaml, empty when none was found
        // The current builds' game list cache, for formats read through it (CHD); empty:
        // the cache of currentSettingsFolder's data folder, when that is given.
        QString gameListCache;
        // The current builds' settings folder (its inis), empty in the plug-in era: a new
        // profile then starts from what the emulator would use for the disc today, its
        // PCSX2.ini overlaid with the disc's own game settings file.
        QString currentSettingsFolder;
        // The plug-in era's settings folder (its four files), empty for the current
        // builds: a new profile then starts from what those files say today.
        QString pluginEraSettingsFolder;
        int batchSize = 100;
    };

    struct Summary {
        QStringList added;                          // the new profiles' names, in the order added
        QList<std::pair<QString, QString>> present; // image, the game that has it already
        QList<std::pair<QString, QString>> failed;  // image, why it was not identified
        QList<std::pair<QString, QString>> skipped; // path, why it was not looked at
        int gameIndexEntries = 0;                   // entries of the game database used, 0 without one
        bool cancelled = false;
        // Why the addition stopped before the end (a batch that could not be stored);
        // the games of the batches before it are stored and listed in `added`.
        QString stoppedBy;
    };

    // What the work has reached: images done of the images found, and the file at hand.
    using Progress = std::function<void(int done, int total, const QString& current)>;

    explicit LibraryImport(Options options);

    // Scans `folder` and adds its games. Throws KorvelloError when the folder or the
    // library cannot be read; a batch that cannot be stored ends the work with the
    // summary of what was stored before it and the reason in `stoppedBy`.
    Summary run(const QString& folder, const std::atomic_bool* cancel = nullptr,
                const Progress& progress = {});

    // The summary as the user reads it, a few lines and the lists of problems.
    static QString summaryText(const Summary& summary);

    // A game's name: `title` as it is but for what a profile's name refuses ("/"
    // becomes "-", a control character a blank), trimmed and cut to the name's
    // length; empty when nothing is left, or for "." and ".."
    static QString validName(const QString& title);
    // The name of an image file without its extension(s): "Okami (USA).iso.gz" gives "Okami (USA)".
    static QString fileTitle(const QString& imagePath);

private:
    Options m_options;
};
