#include "core/appinfo.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace appinfo {

QString BuildNumber() {
    return QStringLiteral("345");
}

QString AppFolder() {
    return QCoreApplication::applicationDirPath() + u'/';
}

QString ExecutableName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

} // namespace appinfo
