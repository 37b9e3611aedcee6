#include "support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

TestFolder::TestFolder(bool withImages) {
    QDir root(m_dir.path());
    root.mkpath(QStringLiteral("inis"));
    root.mkpath(QStringLiteral("Plugins"));
    if (withImages) {
        root.mkpath(QStringLiteral("Images"));
        for (const char* name : {"thumb_unknown.jpg", "big_unknown.jpg"})
            QFile::copy(QStringLiteral(KORVELLO_SOURCE_DIR "/Images/") + QLatin1String(name),
                        root.filePath(QStringLiteral("Images/") + QLatin1String(name)));
    }
}

namespace testsupport {

void removeProgramSettings() {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvello"));
    const QString path = settings.fileName();
    settings.clear();
    settings.sync();
    QFile::remove(path);
}

QString dataPath(const QString& relative) {
    return QStringLiteral(KORVELLO_TEST_DATA "/") + relative;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

} // namespace testsupport
