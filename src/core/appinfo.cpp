#include "core/appinfo.h"

#include <QCoreApplication>

namespace appinfo {

QString BuildNumber() {
    return QStringLiteral("345");
}

QString AppFolder() {
    return QCoreApplication::applicationDirPath() + u'/';
}

} // namespace appinfo
