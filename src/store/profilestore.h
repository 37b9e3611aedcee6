#pragma once

#include <QString>

// The operations on table `db` in db.mdb.
class ProfileStore {
public:
    void setDatabasePath(const QString& path) { m_path = path; }
    const QString& databasePath() const { return m_path; }

private:
    QString m_path;
};
