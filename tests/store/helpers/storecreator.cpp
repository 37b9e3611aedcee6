// Creates the database file named by its argument over and over until it is
// killed: the store test kills it at random moments and looks at what is left.
#include "store/profilestore.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    for (bool first = true;; first = false) {
        QFile::remove(path);
        ProfileStore store;
        store.setDatabasePath(path);
        store.listNames();
        if (first) {
            std::puts("created");
            std::fflush(stdout);
        }
    }
}
