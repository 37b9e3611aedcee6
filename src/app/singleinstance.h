#pragma once

#include <QObject>
#include <QString>

class MainWindow;
class QLocalServer;

// One window per user and emulator folder. The first start listens on a local
// socket named after the user and the folder; a later start finds it, asks it
// to bring its window forward and ends. A command that changed the library
// (--add-folder) tells the window to show it. Nothing else is passed on.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& appFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket's path: in the user's runtime folder ($XDG_RUNTIME_DIR, else a folder
    // of the user's own that only the user may enter), named by the user's id and a
    // digest of the folder's real path (links resolved). Empty when no such folder can be had.
    static QString serverName(const QString& appFolder);

    // True when another start of this user for this folder runs and was asked
    // to come forward: this start has nothing more to do.
    bool handOverToRunning();
    // Listens for later starts; each one emits raiseRequested().
    void listen();
    // Connects the window: it comes forward, and shows the library again when told.
    void serve(MainWindow& window);

    // Tells the window of that folder, when one runs, that games were added.
    static void tellLibraryChanged(const QString& appFolder);

signals:
    void raiseRequested();
    void libraryChanged();

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
};
