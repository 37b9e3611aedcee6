#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QToolButton;
class QValidator;

// A path field with a browse button: a file edit (file-open dialog with the
// field's filter) or a folder edit (folder chooser rooted at the desktop). The
// user can type at most 255 characters. A longer path set by the program (a
// stored profile) is kept whole, so loading and saving never cut a path. The
// hint is the widget's tool tip.
class PathEdit : public QWidget {
    Q_OBJECT
public:
    enum class Mode { File, Folder };
    static constexpr int kMaxLength = 255;

    explicit PathEdit(Mode mode, QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    Mode mode() const { return m_mode; }

    // The file filter in the form "Text|pattern|Text|pattern"; kept as given
    // and handed to the file dialog in Qt's form.
    void setFilter(const QString& filter) { m_filter = filter; }
    QString filter() const { return m_filter; }
    // "All files (*.*)|*.*|ISO|*.iso" -> "All files (*);;ISO (*.iso)". On this
    // platform "*.*" would only match names with a dot, so it becomes "*".
    static QString qtFilter(const QString& filter);

    // Where the dialog opens while the field names no existing folder: the
    // folder last used for this kind of path.
    void setStartFolder(const QString& folder) { m_startFolder = folder; }
    QString startFolder() const { return m_startFolder; }

    QLineEdit* lineEdit() const { return m_edit; }
    QToolButton* browseButton() const { return m_browse; }

    // The browse button's work: asks for a path through the dialog seam and
    // takes it, unless the dialog was cancelled. A chosen path longer than the
    // field allows is refused with an error and the field keeps its text.
    void browse();

signals:
    void textChanged(const QString& text);
    // The user chose `path` in the dialog (and the field took it).
    void pathChosen(const QString& path);

private:
    Mode m_mode;
    QString m_filter;
    QString m_startFolder;
    QLineEdit* m_edit = nullptr;
    QToolButton* m_browse = nullptr;
    QValidator* m_limit = nullptr;
};
