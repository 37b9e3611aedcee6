#include "app/skinmanager.h"

#include "core/korvelloerror.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPalette>
#include <QRegularExpression>
#include <algorithm>

namespace {

QFileInfoList skinFiles(const QString& folder) {
    if (folder.isEmpty())
        return {};
    // Name filters match without letter case: "Dark.QSS" is a skin too.
    return QDir(folder).entryInfoList({QStringLiteral("*.qss")}, QDir::Files | QDir::Readable);
}

} // namespace

SkinManager::SkinManager() = default;
SkinManager::~SkinManager() = default;

QStringList SkinManager::GetSkinNames() const {
    QStringList names;
    for (const QFileInfo& file : skinFiles(SkinDirectory))
        names.append(file.completeBaseName());
    // Without letter case first; names that differ only in case keep a fixed order.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

QString SkinManager::styleSheet(const QString& name) const {
    for (const QFileInfo& info : skinFiles(SkinDirectory)) {
        if (info.completeBaseName() != name)
            continue;
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            throw KorvelloError(QStringLiteral("Cannot open file \"%1\". %2")
                                    .arg(QDir::toNativeSeparators(info.filePath()), file.errorString()));
        return QString::fromUtf8(file.readAll());
    }
    throw KorvelloError(
        QStringLiteral("Skin \"%1\" not found in \"%2\"").arg(name, QDir::toNativeSeparators(SkinDirectory)));
}

void SkinManager::setSkinName(const QString& name) {
    if (m_active)
        apply(styleSheet(name));
    m_skinName = name;
}

void SkinManager::setActive(bool on) {
    if (on && !m_skinName.isEmpty())
        apply(styleSheet(m_skinName));
    else if (!on)
        apply(QString());
    m_active = on;
}

QColor SkinManager::linkColor(const QString& sheet) {
    static const QRegularExpression declaration(QStringLiteral(R"(\blink-color\s*:\s*([^;}\s]+))"));
    const QRegularExpressionMatch match = declaration.match(sheet);
    return match.hasMatch() ? QColor(match.captured(1)) : QColor();
}

void SkinManager::apply(const QString& sheet) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    // Pictures of a skin: url(skin:<path>) names a file under SkinDirectory.
    QDir::setSearchPaths(QStringLiteral("skin"), {SkinDirectory});
    // Links in rich-text labels take the palette's link colour, which style
    // sheets cannot set: a skin names it with "link-color", and without one the
    // colour the program started with comes back.
    if (!m_basePalette)
        m_basePalette = std::make_unique<QPalette>(QApplication::palette());
    QPalette palette = QApplication::palette();
    const QColor link = linkColor(sheet);
    for (const QPalette::ColorRole role : {QPalette::Link, QPalette::LinkVisited})
        palette.setColor(role, link.isValid() ? link : m_basePalette->color(role));
    QApplication::setPalette(palette);
    // One sheet for the whole application restyles every window at once.
    app->setStyleSheet(sheet);
    // A rich-text label colours its links when its text is laid out, and keeps
    // that colour through palette changes: laid out again, it takes the new one.
    for (QWidget* window : QApplication::topLevelWidgets())
        for (QLabel* label : window->findChildren<QLabel*>()) {
            const QString text = label->text();
            if (!text.contains(QLatin1String("<a "), Qt::CaseInsensitive))
                continue;
            label->clear();
            label->setText(text);
        }
}
