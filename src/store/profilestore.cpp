#include "store/profilestore.h"

#include "core/korvelloerror.h"
#include "core/nameorder.h"
#include "store/columntable.h"
#include "store/storedname.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryFile>
#include <utility>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

QString join(const QStringList& lines) {
    return lines.join(kLineBreak);
}

// The assignments of the update statement, as runs of column positions.
constexpr std::pair<int, int> kUpdateRuns[] = {
    {1, 6},     {8, 16},  {7, 7},   {72, 72},   {102, 102}, {103, 103}, {17, 23},   {59, 59},
    {24, 33},   {60, 60}, {63, 63}, {104, 104}, {105, 105}, {34, 41},   {101, 101}, {42, 58},
    {100, 100}, {61, 61}, {64, 70}, {73, 73},   {74, 74},   {76, 92},   {71, 71},   {62, 62},
    {93, 93},   {94, 94}, {95, 95}, {75, 75},   {96, 99},
};

constexpr std::array<int, 105> buildUpdateOrder() {
    std::array<int, 105> order{};
    std::size_t next = 0;
    for (const auto& [first, last] : kUpdateRuns)
        for (int p = first; p <= last; ++p)
            order[next++] = p;
    return order;
}

constexpr std::array<int, 105> kUpdateOrder = buildUpdateOrder();

// Every column 1 to 105 exactly once.
constexpr bool isPermutationOfColumns() {
    std::array<bool, kColumnCount> seen{};
    for (int p : kUpdateOrder) {
        if (p < 1 || p >= kColumnCount || seen[p])
            return false;
        seen[p] = true;
    }
    return true;
}
static_assert(isPermutationOfColumns());

QString databaseText(const QSqlError& error) {
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

} // namespace

ProfileStore::ProfileStore() {
    static QAtomicInt counter;
    // One connection per store object, so several stores (tests, a second window) never share one.
    m_connection = QStringLiteral("korvello-db-%1").arg(counter.fetchAndAddRelaxed(1));
}

ProfileStore::~ProfileStore() {
    close();
}

void ProfileStore::setDatabasePath(const QString& path) {
    if (path == m_path)
        return;
    close();
    m_path = path;
}

void ProfileStore::close() {
    if (!m_query)
        return;
    m_query.reset();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlQuery& ProfileStore::query() {
    if (m_query)
        return *m_query;
    // Only a missing file is created (a 0-byte one counts as missing: older copies
    // could leave one when killed while creating it); any other file is never
    // replaced or given a table.
    const QFileInfo file(m_path);
    if (!file.exists() || (file.isFile() && file.size() == 0))
        createDatabase();
    m_query = std::make_unique<QSqlQuery>(open(m_connection, m_path));
    m_query->setForwardOnly(true); // every statement's rows are read once, first to last
    m_utf8 = true;
    {
        // Names are read as their stored bytes only where the file holds UTF-8 text.
        QSqlQuery encoding(QSqlDatabase::database(m_connection, false));
        if (encoding.exec(QStringLiteral("PRAGMA encoding")) && encoding.next())
            m_utf8 = encoding.value(0).toString().compare(QStringLiteral("UTF-8"), Qt::CaseInsensitive) == 0;
    }
    return *m_query;
}

QSqlDatabase ProfileStore::open(const QString& connection, const QString& path) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    // A second running copy waits this long for the other's lock instead of failing at once.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open()) {
        const QString text = databaseText(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        throw KorvelloError(text);
    }
    return db;
}

void ProfileStore::createDatabase() {
    // The new file is built complete under a temporary name in the same folder
    // and only then put in place, so that a kill or a failure at any moment leaves
    // either no db.mdb or one with its table, never an empty file.
    const QFileInfo target(m_path);
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.db.mdb-XXXXXX"));
    if (!temporary.open())
        throw KorvelloError(
            QStringLiteral("Cannot create the database %1: %2").arg(m_path, temporary.errorString()));
    temporary.close();
    const QString building = temporary.fileName();
    const QString connection = m_connection + QStringLiteral("-create");
    {
        QSqlDatabase db = open(connection, building);
        QSqlQuery create(db);
        const bool created = create.exec(createTableStatement());
        const QString text = created ? QString() : databaseText(create.lastError());
        create = QSqlQuery();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        if (!created)
            throw KorvelloError(text);
    }
    const QByteArray from = QFile::encodeName(building);
    const QByteArray to = QFile::encodeName(m_path);
    // A missing db.mdb is linked into place, which never replaces a file that a
    // second copy made meanwhile; an empty one is replaced by rename.
    const bool placed = QFileInfo::exists(m_path)
                            ? ::rename(from.constData(), to.constData()) == 0
                            : ::link(from.constData(), to.constData()) == 0 || errno == EEXIST;
    if (!placed)
        throw KorvelloError(QStringLiteral("Cannot create the database %1: %2")
                                .arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
    // QTemporaryFile removes the building name (already gone after a rename).
}

void ProfileStore::execute(const QString& statement) {
    QSqlQuery& q = query();
    q.finish();
    if (!q.exec(statement)) {
        const QString text = databaseText(q.lastError());
        q.finish();
        throw KorvelloError(text);
    }
}

QStringList ProfileStore::listNames() {
    QSqlQuery& q = query();
    execute(listNamesStatement());
    QStringList names;
    while (q.next()) {
        // A name that is not valid UTF-8 keeps its bytes (storedname.h), so the
        // commands find the row again; the driver's own text would lose them.
        const QString text = q.value(0).toString();
        const QByteArray bytes = q.value(1).toByteArray();
        names.append(m_utf8 && bytes != text.toUtf8() ? storedname::decode(bytes) : text);
    }
    const QSqlError error = q.lastError();
    q.finish();
    if (error.isValid())
        throw KorvelloError(databaseText(error));
    nameorder::sort(names);
    return names;
}

bool ProfileStore::exists(const QString& name) {
    QSqlQuery& q = query();
    execute(existsStatement(name));
    const bool found = q.next();
    const QSqlError error = q.lastError();
    q.finish();
    if (error.isValid())
        throw KorvelloError(databaseText(error));
    return found;
}

std::optional<GameProfile> ProfileStore::load(const QString& name) {
    QSqlQuery& q = query();
    execute(loadStatement(name));
    if (!q.next()) {
        const QSqlError error = q.lastError();
        q.finish();
        if (error.isValid())
            throw KorvelloError(databaseText(error));
        return std::nullopt;
    }
    const QSqlRecord record = q.record();
    if (record.count() != kColumnCount) {
        q.finish();
        throw KorvelloError(
            QStringLiteral("Table db has %1 columns, not %2").arg(record.count()).arg(kColumnCount));
    }
    QStringList values;
    values.reserve(kColumnCount);
    for (int i = 0; i < kColumnCount; ++i)
        values.append(q.value(i).toString()); // Null reads as empty text
    q.finish();
    // The statement matched the stored bytes of such a name exactly: keep them.
    if (storedname::hasForeignBytes(name))
        values[col::gamename] = name;
    return GameProfile(std::move(values));
}

void ProfileStore::add(const GameProfile& profile) {
    execute(addStatement(profile));
    m_query->finish();
}

void ProfileStore::addBatch(const QList<GameProfile>& profiles, const QStringList& moreStatements) {
    execute(QStringLiteral("BEGIN IMMEDIATE"));
    m_query->finish();
    try {
        for (const GameProfile& profile : profiles) {
            execute(addStatement(profile));
            m_query->finish();
        }
        for (const QString& statement : moreStatements) {
            execute(statement);
            m_query->finish();
        }
        execute(QStringLiteral("COMMIT"));
        m_query->finish();
    } catch (const KorvelloError&) {
        // Nothing of the batch stays: the rollback's own failure would only hide the first error.
        m_query->finish();
        m_query->exec(QStringLiteral("ROLLBACK"));
        m_query->finish();
        throw;
    }
}

QList<std::pair<QString, QString>> ProfileStore::imagePaths() {
    QSqlQuery& q = query();
    execute(QStringLiteral("SELECT gamename, PCSX2CurrentIso FROM db ORDER BY gamename"));
    QList<std::pair<QString, QString>> paths;
    while (q.next())
        paths.append({q.value(0).toString(), q.value(1).toString()});
    const QSqlError error = q.lastError();
    q.finish();
    if (error.isValid())
        throw KorvelloError(databaseText(error));
    return paths;
}

void ProfileStore::update(const QString& curGame, const GameProfile& values) {
    execute(updateStatement(curGame, values));
    m_query->finish();
}

void ProfileStore::rename(const QString& oldName, const QString& newName) {
    execute(renameStatement(oldName, newName));
    m_query->finish();
}

void ProfileStore::remove(const QString& name) {
    execute(deleteStatement(name));
    m_query->finish();
}

// ---- Statement texts ----

QString ProfileStore::quoted(const QString& value) {
    // A value holding bytes that are not UTF-8 is written as exactly those bytes.
    if (storedname::hasForeignBytes(value))
        return QStringLiteral("CAST(X'") + QString::fromLatin1(storedname::encode(value).toHex()) +
               QStringLiteral("' AS TEXT)");
    QString text = value;
    text.replace(u'\'', QStringLiteral("''"));
    return u'\'' + text + u'\'';
}

QString ProfileStore::listNamesStatement() {
    return QStringLiteral("SELECT gamename, CAST(gamename AS BLOB) FROM db ORDER BY gamename");
}

QString ProfileStore::existsStatement(const QString& name) {
    return QStringLiteral("SELECT gamename FROM db WHERE gamename = ") + quoted(name);
}

QString ProfileStore::loadStatement(const QString& name) {
    return QStringLiteral("SELECT * FROM db WHERE gamename = ") + quoted(name);
}

QString ProfileStore::addStatement(const GameProfile& profile) {
    QStringList lines{QStringLiteral("INSERT INTO DB VALUES(")};
    for (int p = 0; p < kColumnCount; ++p)
        lines.append(quoted(profile.value(p)) + (p + 1 < kColumnCount ? u',' : u')'));
    return join(lines);
}

QString ProfileStore::updateStatement(const QString& curGame, const GameProfile& values) {
    QStringList lines{QStringLiteral("UPDATE db SET")};
    for (int p : kUpdateOrder) {
        const QString assignment =
            QLatin1String(kColumns[p].name) + QStringLiteral(" = ") + quoted(values.value(p));
        lines.append(lines.size() == 1 ? assignment : u',' + assignment);
    }
    lines.append(QStringLiteral("WHERE gamename = ") + quoted(curGame));
    return join(lines);
}

QString ProfileStore::renameStatement(const QString& oldName, const QString& newName) {
    return QStringLiteral("UPDATE db SET gamename = ") + quoted(newName) +
           QStringLiteral(" WHERE gamename = ") + quoted(oldName);
}

QString ProfileStore::deleteStatement(const QString& name) {
    return QStringLiteral("DELETE FROM db WHERE gamename = ") + quoted(name);
}

QString ProfileStore::createTableStatement() {
    // Every column TEXT in table order; names are unique and compare and sort without letter case.
    QStringList columns;
    for (const Column& c : kColumns)
        columns.append(c.position == col::gamename
                           ? QStringLiteral("gamename TEXT NOT NULL UNIQUE COLLATE NOCASE")
                           : QLatin1String(c.name) + QStringLiteral(" TEXT"));
    return QStringLiteral("CREATE TABLE db (") + columns.join(QStringLiteral(", ")) + u')';
}

const std::array<int, 105>& ProfileStore::updateOrder() {
    return kUpdateOrder;
}
