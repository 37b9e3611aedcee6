#pragma once

#include "store/sideconnection.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <memory>

class QSqlQuery;

// How long and how recently one game was played: the sum of its counted
// sessions and the end of the latest one.
struct PlayStats {
    qint64 seconds = 0;
    QDateTime lastPlayed; // invalid when never played
};

// One play session as the table holds it. Times are milliseconds since the
// epoch (UTC); `ended` is 0 while the session is open.
struct PlaySession {
    qint64 id = 0;
    QString game;
    qint64 pid = 0;
    QString process; // tells this process from a later one with the same pid
    qint64 started = 0;
    qint64 ended = 0;
};

// The play sessions of the games, in a table of their own in db.mdb, keyed by
// the profile's name. Table `db` is never touched: older copies of the program
// and hand-made databases keep working, and the table is created only when the
// first session is written. A session is opened when the emulator starts and
// closed when its process ends; one shorter than kMinimumSessionMs is removed
// instead of counted. Closing and dropping act only on a still open session,
// so a session is never counted twice, also when two running copies of the
// program watch the same process.
//
// The file must already be the game database (it must hold table `db`): this
// store never creates or repairs it. Every failure throws KorvelloError with
// the database's own text.
class PlayTimeStore {
public:
    static constexpr qint64 kMinimumSessionMs = 10'000;

    PlayTimeStore();
    ~PlayTimeStore();
    PlayTimeStore(const PlayTimeStore&) = delete;
    PlayTimeStore& operator=(const PlayTimeStore&) = delete;

    // Closes an open connection; the next operation opens the new path.
    void setDatabasePath(const QString& path);

    // Opens a session; returns its id.
    qint64 openSession(const QString& game, qint64 pid, const QString& process, qint64 startedMs);
    // Ends an open session at endedMs: kept when it lasted kMinimumSessionMs or
    // more, removed otherwise. False when the session was no longer open.
    bool closeSession(qint64 id, qint64 endedMs);
    // Removes an open session whose end can no longer be known. False when it was no longer open.
    bool dropSession(qint64 id);
    QList<PlaySession> openSessions();
    // Every session of the game, open or closed, oldest first.
    QList<PlaySession> sessions(const QString& game);

    // The figures of every game of table `db` that has counted sessions, keyed
    // by the name exactly as table `db` holds it.
    QHash<QString, PlayStats> stats();

    // The game's sessions follow a rename of its profile; names compare as table `db` compares them.
    void renameGame(const QString& oldName, const QString& newName);
    // A deleted profile's sessions go with it.
    void removeGame(const QString& name);

    static QString tableName();

private:
    QSqlQuery prepare(const QString& statement);
    void exec(QSqlQuery& q);
    bool tableExists();
    void ensureTable();

    SideConnection m_connection;
    bool m_tableReady = false;
};
