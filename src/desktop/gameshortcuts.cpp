#include "desktop/gameshortcuts.h"

#include "core/korvelloerror.h"
#include "desktop/desktopentry.h"
#include "store/storedname.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// The part of a desktop file's name before ".desktop" must be a D-Bus name:
// elements of ASCII letters, digits, "-" and "_". The readable part keeps the
// name's ASCII letters and digits; the hash tells apart names that differ only
// in other characters or in letter case, and emulator folders.
QString fileBaseName(const QString& appFolder, const QString& name) {
    QString slug;
    bool gap = false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool keep = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
        if (keep) {
            if (gap && !slug.isEmpty())
                slug += u'_';
            slug += QChar(u).toLower();
            gap = false;
        } else {
            gap = true;
        }
        if (slug.size() >= 40)
            break;
    }
    // The name's stored bytes, exactly: two names that differ only in bytes
    // that are not UTF-8 never share a file.
    const QByteArray key = appFolder.toUtf8() + '\n' + storedname::encode(name);
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(10));
    QString base = GameShortcuts::appId() + QStringLiteral(".Game-");
    if (!slug.isEmpty())
        base += slug + u'-';
    return base + hash;
}

// The key that marks a shortcut as Korvello's, with the exact profile name.
const QString kMarkKey = QStringLiteral("X-Korvello-Game");

} // namespace

GameShortcuts::GameShortcuts(QString applicationsFolder, QString program, QString appFolder)
    : m_applicationsFolder(std::move(applicationsFolder)), m_program(std::move(program)),
      m_appFolder(std::move(appFolder)) {}

QString GameShortcuts::defaultApplicationsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
}

QString GameShortcuts::filePath(const QString& name) const {
    return QDir(m_applicationsFolder).filePath(fileBaseName(m_appFolder, name) + QStringLiteral(".desktop"));
}

bool GameShortcuts::exists(const QString& name) const {
    return isOwnShortcut(filePath(name), name);
}

bool GameShortcuts::isOwnShortcut(const QString& path, const QString& name) {
    QFile file(path);
    // A shortcut is a few hundred bytes; anything else at its name is not one.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024)
        return false;
    const QByteArray mark = (kMarkKey + u'=' + desktopentry::escapeValue(name)).toUtf8();
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line == mark)
            return true;
    return false;
}

QString GameShortcuts::contents(const QString& name, const QString& icon) const {
    if (desktopentry::hasUnwritableCharacter(name) || desktopentry::hasUnwritableCharacter(m_appFolder))
        throw KorvelloError(QStringLiteral("A desktop shortcut cannot hold the name \"%1\"").arg(name));
    // A desktop entry is UTF-8 text: a name stored with other bytes could only
    // be carried changed, and the shortcut would start another game or none.
    if (storedname::hasForeignBytes(name))
        throw KorvelloError(
            QStringLiteral("A desktop shortcut cannot hold the name \"%1\": its stored bytes are "
                           "not UTF-8 text. Rename the game first")
                .arg(name));
    // The launcher takes the program as the first word; the desktop entry rules
    // forbid "=" in it, quoted or not.
    if (m_program.contains(u'='))
        throw KorvelloError(
            QStringLiteral("A desktop shortcut cannot start a program whose path holds \"=\": %1")
                .arg(m_program));
    const QString exec = desktopentry::execValue(
        m_program, {QStringLiteral("--folder=") + m_appFolder, QStringLiteral("--start=") + name});
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=") + desktopentry::escapeValue(name) + u'\n';
    text += QStringLiteral("Comment=") +
            desktopentry::escapeValue(QStringLiteral("Start %1 with Korvello").arg(name)) + u'\n';
    text += QStringLiteral("Exec=") + exec + u'\n';
    text += QStringLiteral("Icon=") + desktopentry::escapeValue(icon) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    // The program ends once the emulator is started and shows no window of its
    // own, so a launcher must not wait for one.
    text += QStringLiteral("StartupNotify=false\n");
    text += QStringLiteral("Categories=Game;Emulator;\n");
    // Korvello's mark: only a file carrying it for this very name is ever
    // replaced or removed by Korvello.
    text += kMarkKey + u'=' + desktopentry::escapeValue(name) + u'\n';
    return text;
}

void GameShortcuts::create(const QString& name, const QString& icon) {
    const QString text = contents(name, icon);
    if (!QDir().mkpath(m_applicationsFolder))
        throw KorvelloError(QStringLiteral("Unable to create the folder %1").arg(m_applicationsFolder));
    const QString path = filePath(name);
    QFileInfo existing(path);
    if ((existing.exists() || existing.isSymLink()) && !isOwnShortcut(path, name))
        throw KorvelloError(
            QStringLiteral("The file %1 was not written by Korvello for \"%2\"; it is left as "
                           "it is, and no shortcut was made")
                .arg(QDir::toNativeSeparators(path), name));
    // Written aside and renamed into place: a menu that reads the folder never
    // sees half a file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw KorvelloError(
            QStringLiteral("Unable to write the shortcut %1: %2").arg(path, file.errorString()));
}

void GameShortcuts::remove(const QString& name) {
    QFile file(filePath(name));
    // A file without Korvello's mark for this name is someone else's.
    if (!isOwnShortcut(file.fileName(), name))
        return;
    if (!file.remove())
        throw KorvelloError(
            QStringLiteral("Unable to remove the shortcut %1: %2").arg(file.fileName(), file.errorString()));
}

void GameShortcuts::rename(const QString& oldName, const QString& newName, const QString& icon) {
    if (!exists(oldName))
        return;
    create(newName, icon);
    if (filePath(oldName) != filePath(newName))
        remove(oldName);
}
