// A window whose folder holds no emulator: instead of an empty settings page
// where nothing can be added, one paragraph says what is missing and a button
// chooses the emulator's folder; the window then opens again in that folder.
#include "app/mainwindow.h"

#include "app/commandline.h"
#include "app/emulatorfolder.h"
#include "app/programsettings.h"
#include "core/appinfo.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

void MainWindow::buildNoEmulatorPage() {
    m_noEmulatorPage = new QWidget(m_pages);
    m_noEmulatorPage->setObjectName(QStringLiteral("noEmulatorPage"));
    m_noEmulatorText = new QLabel(m_noEmulatorPage);
    m_noEmulatorText->setObjectName(QStringLiteral("noEmulatorText"));
    m_noEmulatorText->setWordWrap(true);
    m_noEmulatorText->setMaximumWidth(520);
    m_noEmulatorText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_chooseFolderButton =
        new QPushButton(QStringLiteral("Choose the emulator's folder..."), m_noEmulatorPage);
    m_chooseFolderButton->setObjectName(QStringLiteral("chooseFolderButton"));
    m_chooseFolderButton->setMinimumHeight(28);
    auto* column = new QVBoxLayout(m_noEmulatorPage);
    column->addStretch(1);
    column->addWidget(m_noEmulatorText, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    column->addWidget(m_chooseFolderButton, 0, Qt::AlignHCenter);
    column->addStretch(2);
    m_pages->addTab(m_noEmulatorPage, QStringLiteral("Emulator folder"));
    connect(m_chooseFolderButton, &QPushButton::clicked, this,
            [this] { run([this] { chooseEmulatorFolder(); }); });
}

bool MainWindow::showNoEmulatorNotice() {
    const QString missing = emulatorfolder::missingEmulator(m_appFolder, appinfo::ExecutableName());
    if (missing.isEmpty())
        return false;
    m_noEmulatorText->setText(missing + QStringLiteral("\n\nKorvello keeps its games beside the emulator: "
                                                       "choose the folder the emulator is in."));
    m_pages->setCurrentWidget(m_noEmulatorPage);
    m_chooseFolderButton->setFocus();
    return true;
}

void MainWindow::chooseEmulatorFolder() {
    const QString chosen = emulatorfolder::choose(this, QDir::homePath(), appinfo::ExecutableName());
    if (chosen.isEmpty())
        return;
    // Later starts of an installed program, or of a copy without an emulator
    // beside it, work there too.
    m_settings->createKey();
    m_settings->writeText(CommandLine::folderKey(), chosen);
    m_nextFolder = chosen;
    close();
}
