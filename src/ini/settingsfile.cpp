#include "ini/settingsfile.h"

#include "core/boundedread.h"

#include <QFileInfo>

std::optional<QByteArray> readSettingsFile(const QString& path) {
    if (QFileInfo(path).isSymLink())
        return std::nullopt;
    return BoundedRead::read(path, kMaxSettingsFileBytes).bytes;
}
