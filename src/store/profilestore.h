#pragma once

#include "store/gameprofile.h"

#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>
#include <utility>

class QSqlDatabase;
class QSqlQuery;

// The operations on table `db` in db.mdb. Every operation is one SQL statement
// built as text (values as quoted literals, lines joined by CR LF) and run
// through the store's one query object. There are no parameters and no
// transactions: a statement that ran stays done when a later one fails.
//
// The connection is opened by the first statement. When db.mdb does not exist
// (or is empty) it is created with table `db`, complete or not at all; an existing file is only ever read and
// written through those statements, so a file that is not a database, or lacks the table, is reported by the
// first statement and left as it is. Every failure throws KorvelloError with the database's own text.
class ProfileStore {
public:
    ProfileStore();
    ~ProfileStore();
    ProfileStore(const ProfileStore&) = delete;
    ProfileStore& operator=(const ProfileStore&) = delete;

    // Closes an open connection; the next statement opens the new path.
    void setDatabasePath(const QString& path);
    const QString& databasePath() const { return m_path; }

    // The names in the order people read them (core/nameorder.h). A
    // name that is not valid UTF-8 keeps its bytes (storedname.h), and every
    // statement given it finds that row again.
    QStringList listNames();
    // True when a row has this name, as the database compares names.
    bool exists(const QString& name);
    // The row of that name, every column as text (Null as empty text); none when no row has it.
    std::optional<GameProfile> load(const QString& name);
    void add(const GameProfile& profile);
    // Adds the profiles and runs `moreStatements` after them in one transaction:
    // all of them are stored, or none (the batch is rolled back and the
    // database's text thrown).
    void addBatch(const QList<GameProfile>& profiles, const QStringList& moreStatements = {});
    // Every profile's name with its disc image path (column PCSX2CurrentIso), in
    // the database's order of names.
    QList<std::pair<QString, QString>> imagePaths();
    // Columns 1 to 105 of `values` into the row named curGame; `gamename` is never assigned.
    void update(const QString& curGame, const GameProfile& values);
    void rename(const QString& oldName, const QString& newName);
    void remove(const QString& name);

    // How long a statement waits for another program's lock before it fails.
    static constexpr int kBusyTimeoutMs = 3000;

    // ---- The statement texts ----
    // x as a quoted literal: enclosed in single quotes, inner single quotes doubled;
    // a text holding bytes that are not UTF-8 as CAST(X'<bytes>' AS TEXT).
    static QString quoted(const QString& value);
    static QString listNamesStatement();
    static QString existsStatement(const QString& name);
    static QString loadStatement(const QString& name);
    static QString addStatement(const GameProfile& profile);
    static QString updateStatement(const QString& curGame, const GameProfile& values);
    static QString renameStatement(const QString& oldName, const QString& newName);
    static QString deleteStatement(const QString& name);
    // The table as created when db.mdb is missing.
    static QString createTableStatement();
    // Column positions in the order the update statement assigns them.
    static const std::array<int, 105>& updateOrder();

private:
    QSqlQuery& query();
    static QSqlDatabase open(const QString& connection, const QString& path);
    void createDatabase();
    // Runs a statement on the one query object; throws with the database's text.
    void execute(const QString& statement);
    void close();

    QString m_path;
    QString m_connection;
    std::unique_ptr<QSqlQuery> m_query;
    bool m_utf8 = true; // the file's text encoding is UTF-8
};
