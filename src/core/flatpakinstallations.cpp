#include "core/flatpakinstallations.h"

#include "core/boundedread.h"

#include <QDir>

namespace flatpakinstallations {

namespace {

QString environmentFolder(const char* variable) {
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}

// The Path= lines of an installations.d file, which is a key file of
// [Installation "name"] groups. A configuration file is small: anything
// larger, or not a regular file, is not one.
QStringList configuredPaths(const QString& file) {
    const BoundedRead config = BoundedRead::read(file, 64 * 1024);
    if (!config.bytes)
        return {};
    QStringList paths;
    bool inInstallation = false;
    for (const QByteArray& raw : config.bytes->split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'['))
            inInstallation = line.startsWith(QLatin1String("[Installation "));
        else if (inInstallation && line.startsWith(QLatin1String("Path"))) {
            const QString value = line.mid(4).trimmed();
            if (value.startsWith(u'=') && QDir::isAbsolutePath(value.mid(1).trimmed()))
                paths << QDir::cleanPath(value.mid(1).trimmed());
        }
    }
    return paths;
}

} // namespace

QStringList folders() {
    QString user = environmentFolder("FLATPAK_USER_DIR");
    if (user.isEmpty()) {
        const QString data = environmentFolder("XDG_DATA_HOME");
        user = (data.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : data) +
               QStringLiteral("/flatpak");
    }
    QString system = environmentFolder("FLATPAK_SYSTEM_DIR");
    if (system.isEmpty())
        system = QStringLiteral("/var/lib/flatpak");
    QStringList result{user, system};
    QString config = environmentFolder("FLATPAK_CONFIG_DIR");
    if (config.isEmpty())
        config = QStringLiteral("/etc/flatpak");
    const QDir extra(config + QStringLiteral("/installations.d"));
    for (const QString& name : extra.entryList({QStringLiteral("*.conf")}, QDir::Files, QDir::Name))
        result << configuredPaths(extra.filePath(name));
    result.removeDuplicates();
    return result;
}

QString applicationFiles(const QString& installation, const QString& appId) {
    return installation + QStringLiteral("/app/") + appId + QStringLiteral("/current/active/files");
}

} // namespace flatpakinstallations
