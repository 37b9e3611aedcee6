#include "app/emulatormissingpage.h"

#include "app/emulatorfolder.h"
#include "core/appinfo.h"
#include "ui/errorreport.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

EmulatorMissingPage::EmulatorMissingPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("noEmulatorPage"));
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("noEmulatorText"));
    m_text->setWordWrap(true);
    m_text->setMaximumWidth(520);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_chooseButton = new QPushButton(QStringLiteral("Choose the emulator's folder..."), this);
    m_chooseButton->setObjectName(QStringLiteral("chooseFolderButton"));
    m_chooseButton->setMinimumHeight(28);
    auto* column = new QVBoxLayout(this);
    column->addStretch(1);
    column->addWidget(m_text, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    column->addWidget(m_chooseButton, 0, Qt::AlignHCenter);
    column->addStretch(2);
    connect(m_chooseButton, &QPushButton::clicked, this,
            [this] { ErrorReport::guard(this, [this] { chooseFolder(); }); });
}

void EmulatorMissingPage::setMissing(const QString& missing) {
    m_text->setText(missing + QStringLiteral("\n\nKorvello keeps its games beside the emulator: "
                                             "choose the folder the emulator is in."));
    m_chooseButton->setFocus();
}

void EmulatorMissingPage::chooseFolder() {
    const QString chosen = emulatorfolder::choose(window(), QDir::homePath(), appinfo::ExecutableName());
    if (!chosen.isEmpty())
        emit folderChosen(chosen);
}
