#include "editor/keyhelp.h"

#include <QStringList>

namespace keyhelp {

QString text() {
    QStringList lines;
    for (const Line& line : kLines) {
        if (line.option)
            lines.append(QString::fromLatin1(line.option).leftJustified(kOptionWidth, u' ') + u'\t' +
                         QString::fromLatin1(line.description));
        else
            lines.append(QString(kContinuationIndent, u' ') + QString::fromLatin1(line.description));
    }
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace keyhelp
