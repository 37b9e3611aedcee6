#include "app/emulatorregistry.h"

#include <QFile>
#include <QStandardPaths>

QString EmulatorRegistry::filePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/PCSX2/PCSX2-reg.ini");
}

EmulatorRegistry::EmulatorRegistry() {
    QFile file(filePath());
    m_exists = file.exists();
    // An unreadable file reads as a key without values: the defaults stay.
    if (!m_exists || !file.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString text = QString::fromUtf8(line);
        const QString trimmed = text.trimmed();
        if (trimmed.startsWith(u'['))
            break; // the top level ends at the first section
        const qsizetype eq = text.indexOf(u'=');
        if (eq <= 0 || trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
            continue;
        const QString name = text.left(eq).trimmed().toLower();
        if (!name.isEmpty() && !m_values.contains(name))
            m_values.insert(name, text.mid(eq + 1).trimmed());
    }
}

std::optional<QString> EmulatorRegistry::value(const QString& name) const {
    const auto it = m_values.constFind(name.toLower());
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}
