#pragma once

#include <QSqlDatabase>
#include <QString>

class QSqlError;

// A named QtSql connection of its own to db.mdb, for the stores that keep tables beside
// the profiles' (play sessions, discs): opened on first use with the profile store's busy
// timeout, closed when the path changes and when the store goes. It never opens a file
// that does not exist, since SQLite would create it.
class SideConnection {
public:
    // `prefix` names the connections of one store ("korvello-playtime" ...), each numbered.
    explicit SideConnection(const char* prefix);
    ~SideConnection();
    SideConnection(const SideConnection&) = delete;
    SideConnection& operator=(const SideConnection&) = delete;

    const QString& path() const { return m_path; }
    // Closes the connection when the path changes. Returns true when it changed.
    bool setPath(const QString& path);
    bool fileExists() const;
    // The open database; opens it first. Throws KorvelloError with the database's text.
    QSqlDatabase database();
    void close();
    // Whether db.mdb holds that table; false without a file (none is created to ask).
    bool hasTable(const QString& table);

    // The database's own words for an error, else Qt's.
    static QString errorText(const QSqlError& error);

private:
    QString m_name;
    QString m_path;
    bool m_open = false;
};
