#include "store/writtenfilestore.h"

#include "core/korvelloerror.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {
const QString kTable = QStringLiteral("korvello_written_files");
}

WrittenFileStore::WrittenFileStore() : m_connection("korvello-written") {}

WrittenFileStore::~WrittenFileStore() = default;

void WrittenFileStore::setDatabasePath(const QString& path) {
    m_connection.setPath(path);
}

bool WrittenFileStore::tableExists() {
    return m_connection.hasTable(kTable);
}

std::optional<QByteArray> WrittenFileStore::lastWritten(const QString& path) {
    if (!tableExists())
        return std::nullopt;
    QSqlQuery q(m_connection.database());
    q.prepare(QStringLiteral("SELECT content FROM %1 WHERE path = ?").arg(kTable));
    q.addBindValue(path);
    if (!q.exec())
        throw KorvelloError(SideConnection::errorText(q.lastError()));
    if (!q.next())
        return std::nullopt;
    return q.value(0).toByteArray();
}

void WrittenFileStore::remember(const QString& path, const QByteArray& bytes) {
    if (!m_connection.fileExists())
        return; // no library: nothing to compare with later either
    QSqlQuery q(m_connection.database());
    if (!q.exec(QStringLiteral(
                    "CREATE TABLE IF NOT EXISTS %1 (path TEXT PRIMARY KEY, content BLOB, written TEXT)")
                    .arg(kTable)))
        throw KorvelloError(SideConnection::errorText(q.lastError()));
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO %1 VALUES(?, ?, ?)").arg(kTable));
    q.addBindValue(path);
    q.addBindValue(bytes);
    q.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    if (!q.exec())
        throw KorvelloError(SideConnection::errorText(q.lastError()));
}
