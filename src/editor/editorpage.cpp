#include "editorpage.h"

#include "spinedit.h"

#include <QComboBox>
#include <QPushButton>

EditorPage::EditorPage(QWidget* parent) : QWidget(parent) {
    cmbGSPlugin = new QComboBox(this);
    cmbRenderer = new QComboBox(this);
    cmbPCSX2ExeFile = new QComboBox(this);
    cmbASkins = new QComboBox(this);
    txtGameName = new QLineEdit(this);
    txtBlur = new SpinEdit(this);
    btnThumb = new QPushButton(QStringLiteral("Thumbnail only"), this);
    btnPoster = new QPushButton(QStringLiteral("Poster and Thumbnail"), this);
    btnNewGame = new QPushButton(QStringLiteral("Add Game"), this);
    btnSave = new QPushButton(QStringLiteral("Save"), this);
    btnGameList = new QPushButton(QStringLiteral("GameList"), this);
}
