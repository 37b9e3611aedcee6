#include "library/covertemplate.h"

#include "core/korvelloerror.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString kSerial = QStringLiteral("${serial}");
const QString kTitle = QStringLiteral("${title}");
const QString kFileTitle = QStringLiteral("${filetitle}");

} // namespace

CoverTemplate::CoverTemplate(QString text) : m_text(std::move(text).trimmed()) {
    auto refuse = [this](const QString& why) {
        throw KorvelloError(QStringLiteral("The address \"%1\" %2").arg(m_text, why));
    };
    static const QRegularExpression placeholder(QStringLiteral("\\$\\{([^}]*)\\}"));
    int known = 0;
    for (auto it = placeholder.globalMatch(m_text); it.hasNext();) {
        const QString found = it.next().captured(0);
        if (found != kSerial && found != kTitle && found != kFileTitle)
            refuse(QStringLiteral("holds %1; the placeholders are ${serial}, ${title} and ${filetitle}")
                       .arg(found));
        ++known;
    }
    if (known == 0)
        refuse(QStringLiteral("holds none of ${serial}, ${title} and ${filetitle}, "
                              "so it would give every game the same picture"));
    // Checked with harmless values in place of the placeholders.
    QString probe = m_text;
    probe.replace(kSerial, QLatin1String("S")).replace(kTitle, QLatin1String("T"));
    probe.replace(kFileTitle, QLatin1String("F"));
    const QUrl url(probe, QUrl::StrictMode);
    if (!url.isValid() || !isWebAddress(url))
        refuse(QStringLiteral("is not an http or https address"));
}

bool CoverTemplate::isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

QString CoverTemplate::fileTitle(const QString& imagePath) {
    // The last "." starts the extension, as the emulator's Path::GetFileTitle
    // takes it: "Game.v1.iso" -> "Game.v1". Both separators end a folder, as a
    // profile may keep a Windows path.
    QString name = imagePath;
    name = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
    const int dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

QUrl CoverTemplate::expand(const Fields& fields) const {
    auto encoded = [](const QString& value) { return QString::fromLatin1(QUrl::toPercentEncoding(value)); };
    QString address = m_text;
    const std::pair<const QString*, const QString*> values[] = {
        {&kSerial, &fields.serial}, {&kTitle, &fields.title}, {&kFileTitle, &fields.fileTitle}};
    for (const auto& [name, value] : values) {
        if (!address.contains(*name))
            continue;
        if (value->isEmpty()) {
            if (name == &kSerial)
                throw KorvelloError(
                    QStringLiteral("no serial for %1 (the disc was not identified)").arg(m_text));
            if (name == &kFileTitle)
                throw KorvelloError(QStringLiteral("no disc image for %1").arg(m_text));
            throw KorvelloError(QStringLiteral("no title for %1").arg(m_text));
        }
        address.replace(*name, encoded(*value));
    }
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || !isWebAddress(url))
        throw KorvelloError(QStringLiteral("%1 is not an http or https address").arg(address));
    return url;
}
