// libFuzzer target: an arbitrary file opened as db.mdb. The store either reads
// it or reports it, and it never changes a file that is not empty, whatever the
// file holds (an empty file is created as a new database).
#include "core/korvelloerror.h"
#include "store/profilestore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The SQLite driver is a plug-in, found through the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/db.mdb");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            __builtin_trap();
    }
    {
        ProfileStore store;
        store.setDatabasePath(path);
        try {
            const QStringList names = store.listNames();
            for (qsizetype i = 0; i < names.size() && i < 4; ++i) {
                store.exists(names.at(i));
                store.load(names.at(i));
            }
        } catch (const KorvelloError&) {
        }
    }
    if (!bytes.isEmpty() && readAll(path) != bytes)
        __builtin_trap(); // reading a foreign file changed it
    return 0;
}
