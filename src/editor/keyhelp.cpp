#include "editor/keyhelp.h"

#include <QStringList>

namespace keyhelp {

namespace {

template <std::size_t N> QString join(const Line (&table)[N]) {
    QStringList lines;
    for (const Line& line : table) {
        if (line.option && line.description)
            lines.append(QString::fromLatin1(line.option).leftJustified(kOptionWidth, u' ') + u'\t' +
                         QString::fromLatin1(line.description));
        else if (line.option)
            lines.append(QString::fromLatin1(line.option));
        else
            lines.append(QString(kContinuationIndent, u' ') + QString::fromLatin1(line.description));
    }
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

QString text() {
    return join(kLines);
}

QString currentText() {
    return join(kCurrentLines);
}

} // namespace keyhelp
