#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// Shown instead of the pages when the window's folder holds no emulator: one
// paragraph says what is missing and a button chooses the emulator's folder.
class EmulatorMissingPage : public QWidget {
    Q_OBJECT
public:
    explicit EmulatorMissingPage(QWidget* parent);

    // What is missing, as emulatorfolder::missingEmulator says it.
    void setMissing(const QString& missing);

signals:
    // The user chose a folder that holds an emulator.
    void folderChosen(const QString& folder);

private:
    void chooseFolder();

    QLabel* m_text = nullptr;
    QPushButton* m_chooseButton = nullptr;
};
