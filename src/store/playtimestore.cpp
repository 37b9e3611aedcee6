#include "store/playtimestore.h"

#include "core/korvelloerror.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString kTable = QStringLiteral("korvello_play_sessions");

PlaySession sessionFrom(const QSqlQuery& q) {
    PlaySession s;
    s.id = q.value(0).toLongLong();
    s.game = q.value(1).toString();
    s.pid = q.value(2).toLongLong();
    s.process = q.value(3).toString();
    s.started = q.value(4).toLongLong();
    s.ended = q.value(5).isNull() ? 0 : q.value(5).toLongLong();
    return s;
}

const QString kSessionColumns = QStringLiteral("id, gamename, pid, process, started, ended");

} // namespace

PlayTimeStore::PlayTimeStore() : m_connection("korvello-playtime") {}

PlayTimeStore::~PlayTimeStore() = default;

QString PlayTimeStore::tableName() {
    return kTable;
}

void PlayTimeStore::setDatabasePath(const QString& path) {
    if (m_connection.setPath(path))
        m_tableReady = false;
}

QSqlQuery PlayTimeStore::prepare(const QString& statement) {
    // SQLite would create a missing file: the game database is created with its table
    // `db` by the profile store only, never here.
    if (!m_connection.fileExists())
        throw KorvelloError(QStringLiteral("The game database %1 does not exist").arg(m_connection.path()));
    QSqlQuery q(m_connection.database());
    q.setForwardOnly(true);
    if (!q.prepare(statement))
        throw KorvelloError(SideConnection::errorText(q.lastError()));
    return q;
}

void PlayTimeStore::exec(QSqlQuery& q) {
    if (!q.exec())
        throw KorvelloError(SideConnection::errorText(q.lastError()));
}

bool PlayTimeStore::tableExists() {
    if (m_tableReady)
        return true;
    QSqlQuery q = prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(kTable);
    exec(q);
    m_tableReady = q.next();
    return m_tableReady;
}

void PlayTimeStore::ensureTable() {
    if (tableExists())
        return;
    // Only the game database gets the table: a file without table `db` is
    // someone else's and is left exactly as it is.
    QSqlQuery check = prepare(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'db' COLLATE NOCASE"));
    exec(check);
    if (!check.next())
        throw KorvelloError(QStringLiteral("no such table: db"));
    check.finish();
    // Names compare without letter case, as table `db` compares them.
    QSqlQuery create = prepare(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 ("
                                              "id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                              "gamename TEXT NOT NULL COLLATE NOCASE, "
                                              "pid INTEGER NOT NULL, "
                                              "process TEXT NOT NULL, "
                                              "started INTEGER NOT NULL, "
                                              "ended INTEGER)")
                                   .arg(kTable));
    exec(create);
    QSqlQuery index =
        prepare(QStringLiteral("CREATE INDEX IF NOT EXISTS %1_gamename ON %1 (gamename)").arg(kTable));
    exec(index);
    m_tableReady = true;
}

qint64 PlayTimeStore::openSession(const QString& game, qint64 pid, const QString& process, qint64 startedMs) {
    ensureTable();
    QSqlQuery q = prepare(
        QStringLiteral("INSERT INTO %1 (gamename, pid, process, started) VALUES (?, ?, ?, ?)").arg(kTable));
    q.addBindValue(game);
    q.addBindValue(pid);
    q.addBindValue(process);
    q.addBindValue(startedMs);
    exec(q);
    return q.lastInsertId().toLongLong();
}

bool PlayTimeStore::closeSession(qint64 id, qint64 endedMs) {
    if (!tableExists())
        return false;
    // One statement decides both whether the session is still open and what
    // becomes of it, so two watchers of one process never both close it.
    QSqlQuery keep = prepare(QStringLiteral("UPDATE %1 SET ended = ? WHERE id = ? AND ended IS NULL "
                                            "AND ? - started >= %2")
                                 .arg(kTable)
                                 .arg(kMinimumSessionMs));
    keep.addBindValue(endedMs);
    keep.addBindValue(id);
    keep.addBindValue(endedMs);
    exec(keep);
    if (keep.numRowsAffected() == 1)
        return true;
    return dropSession(id);
}

bool PlayTimeStore::dropSession(qint64 id) {
    if (!tableExists())
        return false;
    QSqlQuery q = prepare(QStringLiteral("DELETE FROM %1 WHERE id = ? AND ended IS NULL").arg(kTable));
    q.addBindValue(id);
    exec(q);
    return q.numRowsAffected() == 1;
}

QList<PlaySession> PlayTimeStore::openSessions() {
    QList<PlaySession> result;
    if (!tableExists())
        return result;
    QSqlQuery q = prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE ended IS NULL ORDER BY id").arg(kSessionColumns, kTable));
    exec(q);
    while (q.next())
        result.append(sessionFrom(q));
    return result;
}

QList<PlaySession> PlayTimeStore::sessions(const QString& game) {
    QList<PlaySession> result;
    if (!tableExists())
        return result;
    QSqlQuery q = prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE gamename = ? ORDER BY id").arg(kSessionColumns, kTable));
    q.addBindValue(game);
    exec(q);
    while (q.next())
        result.append(sessionFrom(q));
    return result;
}

QHash<QString, PlayStats> PlayTimeStore::stats() {
    QHash<QString, PlayStats> result;
    if (!tableExists())
        return result;
    // Joined with table `db`, so every key is a name exactly as the game list shows it.
    QSqlQuery q = prepare(QStringLiteral("SELECT db.gamename, SUM(s.ended - s.started), MAX(s.ended) "
                                         "FROM db JOIN %1 AS s ON s.gamename = db.gamename "
                                         "WHERE s.ended IS NOT NULL AND s.ended - s.started >= %2 "
                                         "GROUP BY db.gamename")
                              .arg(kTable)
                              .arg(kMinimumSessionMs));
    exec(q);
    while (q.next()) {
        PlayStats s;
        s.seconds = q.value(1).toLongLong() / 1000;
        s.lastPlayed = QDateTime::fromMSecsSinceEpoch(q.value(2).toLongLong(), Qt::UTC);
        result.insert(q.value(0).toString(), s);
    }
    return result;
}

void PlayTimeStore::renameGame(const QString& oldName, const QString& newName) {
    if (!tableExists())
        return;
    QSqlQuery q = prepare(QStringLiteral("UPDATE %1 SET gamename = ? WHERE gamename = ?").arg(kTable));
    q.addBindValue(newName);
    q.addBindValue(oldName);
    exec(q);
}

void PlayTimeStore::removeGame(const QString& name) {
    if (!tableExists())
        return;
    QSqlQuery q = prepare(QStringLiteral("DELETE FROM %1 WHERE gamename = ?").arg(kTable));
    q.addBindValue(name);
    exec(q);
}
