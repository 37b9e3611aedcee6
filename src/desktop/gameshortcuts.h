#pragma once

#include <QString>

// Per-game shortcuts: one freedesktop desktop entry per profile in the user's
// applications folder, which runs this program with --folder and --start for
// that profile. The file's name comes from the emulator folder and the exact
// profile name (its stored bytes), so creating a shortcut twice replaces it, and
// the same game in two emulator folders gets two shortcuts. Every file written
// carries the mark "X-Korvello-Game=<the exact name>": a file at that name
// without the mark for that game is never replaced nor removed.
class GameShortcuts {
public:
    // `program`: the absolute path of the executable the shortcut runs;
    // `appFolder`: the emulator folder it serves (with its trailing "/").
    GameShortcuts(QString applicationsFolder, QString program, QString appFolder);

    // $XDG_DATA_HOME/applications (default ~/.local/share/applications).
    static QString defaultApplicationsFolder();
    // The desktop file ID's prefix; the program's own entry and icon carry it too.
    static QString appId() { return QStringLiteral("org.korvello.Korvello"); }

    QString filePath(const QString& name) const;
    // True when the game's shortcut file is there and carries Korvello's mark for it.
    bool exists(const QString& name) const;

    // The file's text. `icon` is an absolute picture path or an icon theme name.
    // Throws KorvelloError for a name that no desktop entry can carry.
    QString contents(const QString& name, const QString& icon) const;
    // Writes the shortcut, replacing Korvello's own of the same name; the
    // applications folder is created when missing. Throws KorvelloError when it
    // cannot be written, or when a file that Korvello did not write for this
    // game lies at its name (that file stays as it is).
    void create(const QString& name, const QString& icon);
    // Removes the shortcut of that name when there is one (Korvello's own; any
    // other file at its name stays). Throws when it stays.
    void remove(const QString& name);
    // A profile renamed (or its picture changed): when the old name has a
    // shortcut it is replaced by one for the new name; otherwise nothing happens.
    void rename(const QString& oldName, const QString& newName, const QString& icon);

private:
    static bool isOwnShortcut(const QString& path, const QString& name);

    QString m_applicationsFolder;
    QString m_program;
    QString m_appFolder;
};
