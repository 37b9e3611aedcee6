#include "core/programfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace programfiles {

QStringList searchFolders(const QString& appFolder, const QString& executableFolder) {
    QStringList folders;
    auto add = [&folders](const QString& folder) {
        const QString clean = QDir::cleanPath(folder) + u'/';
        if (!folders.contains(clean))
            folders << clean;
    };
    add(appFolder);
    add(executableFolder);
    // KORVELLO_DATA_FROM_BIN is the data folder relative to the installed
    // executable's folder, as the build's install rules lay them out.
    add(executableFolder + u'/' + QStringLiteral(KORVELLO_DATA_FROM_BIN));
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        add(data + QStringLiteral("/korvello"));
    return folders;
}

QString locateIn(const QStringList& folders, const QString& relative) {
    for (const QString& folder : folders) {
        if (QFileInfo::exists(folder + relative))
            return folder + relative;
    }
    return folders.isEmpty() ? relative : folders.first() + relative;
}

bool isInstalledLayout(const QString& executableFolder) {
    return QFileInfo(executableFolder + u'/' + QStringLiteral(KORVELLO_DATA_FROM_BIN)).isDir();
}

QString locate(const QString& appFolder, const QString& relative) {
    return locateIn(searchFolders(appFolder, QCoreApplication::applicationDirPath()), relative);
}

} // namespace programfiles
