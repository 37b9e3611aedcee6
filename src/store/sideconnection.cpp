#include "store/sideconnection.h"

#include "core/korvelloerror.h"
#include "store/profilestore.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

SideConnection::SideConnection(const char* prefix) {
    static QAtomicInt counter;
    m_name = QStringLiteral("%1-%2").arg(QLatin1String(prefix)).arg(counter.fetchAndAddRelaxed(1));
}

SideConnection::~SideConnection() {
    close();
}

bool SideConnection::setPath(const QString& path) {
    if (path == m_path)
        return false;
    close();
    m_path = path;
    return true;
}

bool SideConnection::fileExists() const {
    return QFileInfo::exists(m_path);
}

QSqlDatabase SideConnection::database() {
    if (!m_open) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(m_path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(ProfileStore::kBusyTimeoutMs));
        if (!db.open()) {
            const QString text = errorText(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            throw KorvelloError(text);
        }
        m_open = true;
    }
    return QSqlDatabase::database(m_name, false);
}

void SideConnection::close() {
    if (!m_open)
        return;
    m_open = false;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QString SideConnection::errorText(const QSqlError& error) {
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

bool SideConnection::hasTable(const QString& table) {
    if (!fileExists())
        return false;
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(table);
    if (!q.exec())
        throw KorvelloError(errorText(q.lastError()));
    return q.next();
}
