#pragma once

#include <QWidget>

class QComboBox;
class QPushButton;
class QLineEdit;
class SpinEdit;

// The editor page: every setting of one game profile as a control.
class EditorPage : public QWidget {
    Q_OBJECT
public:
    explicit EditorPage(QWidget* parent = nullptr);

    QComboBox* cmbGSPlugin = nullptr;
    QComboBox* cmbRenderer = nullptr;
    QComboBox* cmbPCSX2ExeFile = nullptr;
    QComboBox* cmbASkins = nullptr;
    QLineEdit* txtGameName = nullptr;
    SpinEdit* txtBlur = nullptr;
    QPushButton* btnThumb = nullptr;
    QPushButton* btnPoster = nullptr;
    QPushButton* btnNewGame = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnGameList = nullptr;
};
