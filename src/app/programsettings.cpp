#include "app/programsettings.h"

#include "core/korvelloerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {
const QString kGamepadKey = QStringLiteral("Gamepad");

std::unique_ptr<QSettings> openSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Korvello"));
}
} // namespace

ProgramSettings::ProgramSettings() : m_settings(openSettings()) {}
ProgramSettings::~ProgramSettings() = default;

QString ProgramSettings::filePath() {
    return openSettings()->fileName();
}

bool ProgramSettings::keyExists() const {
    return QFileInfo::exists(m_settings->fileName());
}

void ProgramSettings::createKey() {
    if (keyExists())
        return;
    const QString path = m_settings->fileName();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw KorvelloError(
            QStringLiteral("Unable to create the settings file %1: %2").arg(path, file.errorString()));
    file.close();
    m_settings = openSettings();
}

std::optional<int> ProgramSettings::readInt(const QString& name) const {
    m_settings->sync();
    const QVariant v = m_settings->value(name);
    if (!v.isValid())
        return std::nullopt;
    bool ok = false;
    const int value = v.toString().trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

void ProgramSettings::writeInt(const QString& name, int value) {
    m_settings->setValue(name, value);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        throw KorvelloError(
            QStringLiteral("Unable to write the value %1 to %2").arg(name, m_settings->fileName()));
}

std::optional<QString> ProgramSettings::readText(const QString& name) const {
    // Another process (the command line, or a second window) may have written it since.
    m_settings->sync();
    const QVariant v = m_settings->value(name);
    return v.isValid() ? std::optional<QString>(v.toString()) : std::nullopt;
}

void ProgramSettings::writeText(const QString& name, const QString& value) {
    m_settings->setValue(name, value);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        throw KorvelloError(
            QStringLiteral("Unable to write the value %1 to %2").arg(name, m_settings->fileName()));
}

bool ProgramSettings::gamepadEnabled() const {
    const std::optional<int> value = readInt(kGamepadKey);
    return !value || *value != 0;
}

void ProgramSettings::setGamepadEnabled(bool on) {
    writeInt(kGamepadKey, on ? 1 : 0);
}
