#include "ini/settingsfile.h"

#include <QFile>
#include <QFileInfo>

std::optional<QByteArray> readSettingsFile(const QString& path) {
    constexpr qint64 kLimit = 4 * 1024 * 1024;
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || info.size() > kLimit)
        return std::nullopt;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = in.read(kLimit + 1);
    if (in.error() != QFileDevice::NoError || bytes.size() > kLimit)
        return std::nullopt;
    return bytes;
}
