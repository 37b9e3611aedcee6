#pragma once

#include "store/sideconnection.h"

#include <QHash>
#include <QString>
#include <QStringList>

// What is known about a game's disc: its identity (serial and boot file CRC,
// which name the emulator's per-game files), the image it was added from, and
// what the emulator's game database says of it.
struct GameDisc {
    QString game;    // the profile's name, as table `db` holds it
    QString image;   // the disc image's absolute path when it was added
    QString serial;  // "SLUS-20946"
    quint32 crc = 0; // the boot executable's CRC
    QString region;  // "NTSC-U", empty when the database does not know the disc
    int compat = 0;  // the database's rating, 0 when unknown
};

// The discs of the games, in a table of their own in db.mdb, keyed by the
// profile's name; table `db` and its 106 columns are never changed. Rows are
// written with their profiles, in the same transaction
// (ProfileStore::addBatch with insertStatements()); this class reads them and
// keeps them in step when a profile is renamed or deleted.
//
// The file must already be the game database: this store never creates it.
// Every failure throws KorvelloError with the database's own text.
class GameDiscStore {
public:
    GameDiscStore();
    ~GameDiscStore();
    GameDiscStore(const GameDiscStore&) = delete;
    GameDiscStore& operator=(const GameDiscStore&) = delete;

    void setDatabasePath(const QString& path);

    // Every known disc, keyed by the game's name in lower case (names compare
    // without letter case, as table `db` compares them). Empty when the table
    // was never written.
    QHash<QString, GameDisc> all();
    // The disc of one game, or a GameDisc with an empty serial.
    GameDisc find(const QString& game);

    void renameGame(const QString& oldName, const QString& newName);
    void removeGame(const QString& name);

    static QString tableName();
    // The statements that create the table (when missing) and insert the discs, for a batch.
    static QStringList insertStatements(const QList<GameDisc>& discs);

private:
    bool tableExists();

    SideConnection m_connection;
};
