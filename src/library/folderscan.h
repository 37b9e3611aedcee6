#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <utility>

// Finds the disc images in a folder and its subfolders: the formats the
// emulator opens (.iso, .bin with its .cue, .chd, .cso, .zso, .gz). A .bin that
// a .cue names is the .cue's and is not listed on its own. Folders reached
// twice (symbolic links that loop, or two links to one folder) are walked once;
// files whose names are not valid UTF-8 cannot be named to the emulator and
// are listed as skipped with the reason. No widgets.
class FolderScan {
public:
    struct Result {
        QStringList images; // absolute paths, sorted without letter case within each folder
        QList<std::pair<QString, QString>> skipped; // a path (as far as it can be shown) and why
        qint64 filesSeen = 0;
        bool cancelled = false;
    };

    // `progress` (optional) is called now and then with the number of files seen so far.
    static Result scan(const QString& folder, const std::atomic_bool* cancel = nullptr,
                       const std::function<void(qint64 filesSeen)>& progress = {});

    // True for a file name with one of the image extensions (letter case does not matter).
    static bool isImageName(const QString& fileName);
    // The .bin files a .cue sheet names (FILE "x.bin" BINARY), as absolute paths.
    static QStringList cueTracks(const QString& cuePath);
};
