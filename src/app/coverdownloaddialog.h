#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;

// "Download covers": the address templates (one per line, tried in order),
// which games to fetch (only those without a cover, or all), Start and Cancel;
// once started, the progress (games done of the total, the game being fetched)
// and Cancel. It only shows and edits: MainWindow runs the download.
class CoverDownloadDialog : public QDialog {
    Q_OBJECT
public:
    explicit CoverDownloadDialog(QWidget* parent = nullptr);

    void setTemplates(const QStringList& templates);
    // The non-empty lines, trimmed.
    QStringList templates() const;
    bool replaceExisting() const;

    // Switches to the progress page.
    void showProgress(int total);
    void setProgress(int done, int total, const QString& currentGame);
    bool isShowingProgress() const;

signals:
    void startRequested();
    // Cancel on the progress page, Escape or the close box while downloading.
    void cancelRequested();

protected:
    void reject() override;

private:
    QStackedWidget* m_pages;
    QPlainTextEdit* m_templates;
    QRadioButton* m_onlyMissing;
    QRadioButton* m_all;
    QPushButton* m_start;
    QProgressBar* m_progress;
    QLabel* m_count;
    QLabel* m_current;
    QPushButton* m_cancelDownload;
};
