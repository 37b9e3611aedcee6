#include "emulatorsettings/gamesettingsbackup.h"

#include "core/korvelloerror.h"
#include "ini/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString kBackupName = QStringLiteral("Korvello backup");
const QString kCreatedList = QStringLiteral("created.txt");
// The file's bytes (a plain settings file only); a refusal names the file.
QByteArray readRegular(const QString& path) {
    const std::optional<QByteArray> bytes = readSettingsFile(path);
    if (!bytes)
        throw KorvelloError(QStringLiteral("Cannot read %1: it is not a plain settings file").arg(path));
    return *bytes;
}

void writeWhole(const QString& path, const QByteArray& bytes, const QString& failure) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw KorvelloError(failure.arg(path, out.errorString()));
}

// A name Korvello writes: a plain file name of the folder, never the backup or a hidden file.
bool isOwnName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.startsWith(u'.') && name != kBackupName &&
           name.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive);
}

} // namespace

GameSettingsBackup::GameSettingsBackup(QString gameSettingsFolder) : m_folder(std::move(gameSettingsFolder)) {
    while (m_folder.size() > 1 && m_folder.endsWith(u'/'))
        m_folder.chop(1);
}

QString GameSettingsBackup::backupFolder() const {
    return m_folder + u'/' + kBackupName;
}

bool GameSettingsBackup::exists() const {
    const QFileInfo info(backupFolder());
    return info.isDir() && !info.isSymLink();
}

QStringList GameSettingsBackup::createdNames() const {
    const QString list = backupFolder() + u'/' + kCreatedList;
    if (!QFileInfo::exists(list))
        return {};
    QStringList names;
    for (const QByteArray& line : readRegular(list).split('\n'))
        if (const QString name = QString::fromUtf8(line.trimmed()); isOwnName(name))
            names.append(name);
    return names;
}

QString GameSettingsBackup::keep(const QString& fileName) const {
    if (!isOwnName(fileName))
        throw KorvelloError(
            QStringLiteral("Korvello does not write the game settings file \"%1\"").arg(fileName));
    const QString backup = backupFolder();
    const QString kept = backup + u'/' + fileName;
    if (QFileInfo::exists(kept) || createdNames().contains(fileName))
        return {}; // kept, or noted as Korvello's, the first time
    if (QFileInfo(backup).isSymLink() || (QFileInfo::exists(backup) && !QFileInfo(backup).isDir()))
        throw KorvelloError(
            QStringLiteral("Cannot keep your game settings in %1: it is not a folder").arg(backup));
    if (!QDir().mkpath(backup))
        throw KorvelloError(QStringLiteral("Cannot keep your game settings: cannot create %1").arg(backup));
    const QString target = m_folder + u'/' + fileName;
    if (!QFileInfo(target).exists() && !QFileInfo(target).isSymLink()) {
        // Korvello creates it: a restore removes it again.
        QByteArray names = createdNames().join(u'\n').toUtf8();
        if (!names.isEmpty())
            names += '\n';
        writeWhole(backup + u'/' + kCreatedList, names + fileName.toUtf8() + '\n',
                   QStringLiteral("Cannot note a new game settings file in %1: %2"));
        return {};
    }
    writeWhole(kept, readRegular(target), QStringLiteral("Cannot keep your game settings in %1: %2"));
    return QStringLiteral(
               "Your settings for this game (%1) were copied to %2 before Korvello first wrote them; "
               "\"Restore the emulator's own settings\" puts them back.")
        .arg(fileName, backup);
}

QString GameSettingsBackup::restore() const {
    if (!exists())
        return {};
    const QDir backup(backupFolder());
    QStringList restored;
    for (const QFileInfo& kept :
         backup.entryInfoList({QStringLiteral("*.ini")}, QDir::Files | QDir::Hidden)) {
        if (kept.isSymLink() || !isOwnName(kept.fileName()))
            continue; // never followed: the backup holds plain copies only
        const QString target = m_folder + u'/' + kept.fileName();
        if (QFileInfo(target).isSymLink())
            QFile::remove(target); // replaced by the user's own file, not written through
        writeWhole(target, readRegular(kept.filePath()), QStringLiteral("Cannot put back %1: %2"));
        restored.append(kept.fileName());
    }
    QStringList removed;
    for (const QString& name : createdNames()) {
        const QString target = m_folder + u'/' + name;
        const QFileInfo info(target);
        if (!info.exists() && !info.isSymLink())
            continue;
        if (!QFile::remove(target))
            throw KorvelloError(QStringLiteral("Cannot remove %1, which Korvello created").arg(target));
        removed.append(name);
    }
    if (restored.isEmpty() && removed.isEmpty())
        return {};
    QStringList parts;
    if (!restored.isEmpty())
        parts << QStringLiteral("put back %1 game settings file(s) in %2 (%3)")
                     .arg(restored.size())
                     .arg(m_folder, restored.join(QStringLiteral(", ")));
    if (!removed.isEmpty())
        parts << QStringLiteral("removed %1 game settings file(s) Korvello had created (%2)")
                     .arg(removed.size())
                     .arg(removed.join(QStringLiteral(", ")));
    QString text = parts.join(QStringLiteral("; "));
    text[0] = text[0].toUpper();
    return text + u'.';
}
