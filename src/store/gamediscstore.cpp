#include "store/gamediscstore.h"

#include "core/korvelloerror.h"
#include "store/profilestore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString kTable = QStringLiteral("korvello_game_discs");

} // namespace

GameDiscStore::GameDiscStore() : m_connection("korvello-discs") {}

GameDiscStore::~GameDiscStore() = default;

QString GameDiscStore::tableName() {
    return kTable;
}

void GameDiscStore::setDatabasePath(const QString& path) {
    m_connection.setPath(path);
}

bool GameDiscStore::tableExists() {
    // SQLite would create a missing file; a library without one has no discs.
    return m_connection.hasTable(kTable);
}

QHash<QString, GameDisc> GameDiscStore::all() {
    QHash<QString, GameDisc> discs;
    if (!tableExists())
        return discs;
    QSqlQuery q(m_connection.database());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT gamename, image, serial, crc, region, compat FROM %1").arg(kTable)))
        throw KorvelloError(SideConnection::errorText(q.lastError()));
    while (q.next()) {
        GameDisc d;
        d.game = q.value(0).toString();
        d.image = q.value(1).toString();
        d.serial = q.value(2).toString();
        d.crc = q.value(3).toString().toUInt(nullptr, 16);
        d.region = q.value(4).toString();
        d.compat = q.value(5).toInt();
        discs.insert(d.game.toLower(), d);
    }
    return discs;
}

GameDisc GameDiscStore::find(const QString& game) {
    return all().value(game.toLower());
}

void GameDiscStore::renameGame(const QString& oldName, const QString& newName) {
    if (!tableExists())
        return;
    QSqlQuery q(m_connection.database());
    q.prepare(QStringLiteral("UPDATE %1 SET gamename = ? WHERE gamename = ?").arg(kTable));
    q.addBindValue(newName);
    q.addBindValue(oldName);
    if (!q.exec())
        throw KorvelloError(SideConnection::errorText(q.lastError()));
}

void GameDiscStore::removeGame(const QString& name) {
    if (!tableExists())
        return;
    QSqlQuery q(m_connection.database());
    q.prepare(QStringLiteral("DELETE FROM %1 WHERE gamename = ?").arg(kTable));
    q.addBindValue(name);
    if (!q.exec())
        throw KorvelloError(SideConnection::errorText(q.lastError()));
}

QStringList GameDiscStore::insertStatements(const QList<GameDisc>& discs) {
    // Names compare without letter case, as in table `db`; a later row for the
    // same name (a profile deleted and added again) replaces the earlier one.
    QStringList statements{
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (gamename TEXT PRIMARY KEY COLLATE NOCASE, "
                       "image TEXT, serial TEXT, crc TEXT, region TEXT, compat INTEGER)")
            .arg(kTable)};
    for (const GameDisc& d : discs)
        statements << QStringLiteral("INSERT OR REPLACE INTO %1 VALUES(%2, %3, %4, %5, %6, %7)")
                          .arg(kTable, ProfileStore::quoted(d.game), ProfileStore::quoted(d.image),
                               ProfileStore::quoted(d.serial),
                               ProfileStore::quoted(
                                   QStringLiteral("%1").arg(d.crc, 8, 16, QLatin1Char('0')).toUpper()),
                               ProfileStore::quoted(d.region), QString::number(d.compat));
    return statements;
}
