#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <memory>

class QPalette;

// The skinning engine: every *.qss file in SkinDirectory is a skin named by its
// base name; while the engine is Active the chosen skin's style sheet is the
// whole application's style sheet, and off means no sheet (the standard look).
// A sheet refers to its pictures as url(skin:<path below SkinDirectory>) and
// may name the colour of links in labels with "link-color: <colour>;", which
// Qt ignores and warns about in a rule, so a skin writes it inside a comment.
class SkinManager {
public:
    SkinManager();
    ~SkinManager();

    QString SkinDirectory;

    // Base names of the *.qss files in SkinDirectory (the suffix in any letter
    // case), sorted by name without letter case. Empty without the folder.
    QStringList GetSkinNames() const;

    QString SkinName() const { return m_skinName; }
    // Chooses the skin; when Active, its sheet is applied at once. Throws
    // KorvelloError when the skin's file cannot be read (nothing changes then).
    void setSkinName(const QString& name);

    bool Active() const { return m_active; }
    // On applies the chosen skin (if any), off removes the sheet. Throws as setSkinName.
    void setActive(bool on);

    // The text of a skin's style sheet. Throws KorvelloError when it cannot be read.
    QString styleSheet(const QString& name) const;

    // The colour a sheet gives links ("link-color"), invalid when it gives none.
    static QColor linkColor(const QString& sheet);

private:
    void apply(const QString& sheet);

    QString m_skinName;
    bool m_active = false;
    std::unique_ptr<QPalette> m_basePalette; // the palette before the first sheet
};
