#include "app/commandline.h"
#include "app/emulatorfolder.h"
#include "app/mainwindow.h"
#include "app/programsettings.h"
#include "app/singleinstance.h"
#include "core/appinfo.h"
#include "core/korvelloerror.h"
#include "core/programfiles.h"
#include "store/storedname.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

void rememberChosenFolder(const QString& folder) {
    try {
        ProgramSettings settings;
        settings.createKey();
        settings.writeText(CommandLine::folderKey(), folder);
    } catch (const KorvelloError& error) {
        QTextStream(stderr) << "korvello: " << reportText(error.innermostText()) << '\n';
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QString appFolder;
    {
        // The window-free work needs no display: it runs on a core application,
        // so that shortcuts and scripts work under any session, or none.
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(appinfo::kTitle);
        // Arguments keep their bytes: a game name that is not UTF-8 (as a row
        // of db.mdb may hold it) reaches its own row, never another.
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments.append(storedname::decode(QByteArray(argv[i])));
        CommandLine commandLine(arguments);
        if (commandLine.action() != CommandLine::Action::Window) {
            QTextStream out(stdout);
            QTextStream err(stderr);
            return commandLine.run(out, err);
        }
        appFolder = commandLine.appFolder();
        try {
            commandLine.rememberFolder();
        } catch (const KorvelloError& error) {
            // The window still works in the folder; only later runs will not know it.
            QTextStream(stderr) << "korvello: " << reportText(error.innermostText()) << '\n';
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(appinfo::kTitle);
    if (appFolder.isEmpty()) {
        // An installed program that was never told where the emulator is: the
        // chooser says what to choose and takes only a folder with an emulator.
        appFolder = emulatorfolder::choose(nullptr, QDir::homePath(), appinfo::ExecutableName());
        if (appFolder.isEmpty())
            return 1;
        rememberChosenFolder(appFolder);
    }
    // The window opens again when the user chooses another emulator folder in it.
    for (;;) {
        // A second start for the same folder brings the first window forward and ends.
        SingleInstance instance(appFolder);
        if (instance.handOverToRunning())
            return 0;
        instance.listen();
        MainWindow frmMain(appFolder,
                           programfiles::searchFolders(appFolder, QCoreApplication::applicationDirPath()));
        instance.serve(frmMain);
        frmMain.show();
        const int status = QApplication::exec();
        if (frmMain.nextFolder().isEmpty())
            return status;
        appFolder = frmMain.nextFolder();
    }
}
