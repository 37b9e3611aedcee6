#include "app/emulatorfolder.h"

#include "app/emulatordiscovery.h"
#include "core/appinfo.h"
#include "launch/flatpakbuild.h"
#include "ui/dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace emulatorfolder {

QString missingEmulator(const QString& folder, const QString& ownName) {
    const QString clean = QDir(folder).absolutePath();
    if (QFileInfo(clean + QStringLiteral("/inis")).isDir() ||
        !emulatordiscovery::listExecutables(clean + u'/', ownName).isEmpty())
        return {};
    // The Flatpak build lives in no folder of the user's: with it installed, any folder
    // can keep the games that it plays.
    if (flatpakbuild::find())
        return {};
    return QStringLiteral("%1 holds no emulator: Korvello looked there for the emulator's executable "
                          "(a file ending in .exe, or one marked executable) and for its settings "
                          "folder \"inis\", and found neither.")
        .arg(QDir::toNativeSeparators(clean));
}

QString choose(QWidget* parent, const QString& startFolder, const QString& ownName) {
    QString start = startFolder;
    for (;;) {
        const QString chosen = Dialogs::chooseFolder(
            parent,
            QStringLiteral("Choose the emulator's folder: the one with its executable and its inis folder"),
            start);
        if (chosen.isEmpty())
            return {};
        const QString missing = missingEmulator(chosen, ownName);
        if (missing.isEmpty())
            return QDir(chosen).absolutePath() + u'/';
        Dialogs::message(parent, appinfo::kTitle, missing, QMessageBox::Warning);
        start = chosen;
    }
}

} // namespace emulatorfolder
