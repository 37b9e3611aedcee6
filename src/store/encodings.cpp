#include "store/encodings.h"

#include "core/korvelloerror.h"
#include "core/numbertext.h"

namespace enc {

QString BoolToText(bool value) {
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}
bool IsTrueText(const QString& text) {
    return text == QLatin1String("TRUE");
}
QString BoolToDigit(bool value) {
    return QString::number(BoolToInt(value));
}
int BoolToInt(bool value) {
    return value ? 1 : 0;
}
bool IntToBool(int value) {
    return value > 0;
}
QString BoolToEnabledText(bool value) {
    return value ? QStringLiteral("enabled") : QStringLiteral("disabled");
}
QString IntToEnabledText(int value) {
    return BoolToEnabledText(value > 0);
}
bool IsEnabledText(const QString& text) {
    return text == QLatin1String("enabled");
}

SkipFlags skipToFlags(int position) {
    return {IntToEnabledText(position - 1), IntToEnabledText(position)};
}

int skipFromFlags(const QString& skipOnLimit, const QString& skipOnTurbo) {
    const bool limit = IsEnabledText(skipOnLimit), turbo = IsEnabledText(skipOnTurbo);
    if (limit && turbo)
        return 2;
    if (!limit && turbo)
        return 1;
    return 0;
}

ClampFlags clampToFlags(int position) {
    return {IntToEnabledText(position), IntToEnabledText(position - 1), IntToEnabledText(position - 2)};
}

int clampFromFlags(const QString& first, const QString& second, const QString& third) {
    const bool a = IsEnabledText(first), b = IsEnabledText(second), c = IsEnabledText(third);
    if (a && b && c)
        return 3;
    if (a && !b && !c)
        return 1;
    if (a && b && !c)
        return 2;
    return 0;
}

VuFlags vuToFlags(int position) {
    return {IntToEnabledText(position), IntToEnabledText(position == 2 ? 0 : position)};
}

int vuFromFlags(const QString& enable, const QString& useMicro) {
    if (!IsEnabledText(enable))
        return 0;
    return IsEnabledText(useMicro) ? 1 : 2;
}

QString coreToFlag(int position) {
    return IntToEnabledText(position);
}
int coreFromFlag(const QString& flag) {
    return IsEnabledText(flag) ? 1 : 0;
}

int upscaleFromScaling(int scalingPosition) {
    return scalingPosition + 1;
}
int scalingFromUpscale(int stored) {
    return stored - 1;
}

const QStringList& aspectRatioWords() {
    static const QStringList words{QStringLiteral("Stretch"), QStringLiteral("4:3"), QStringLiteral("16:9")};
    return words;
}
const QStringList& cdvdSourceWords() {
    static const QStringList words{QStringLiteral("Iso"), QStringLiteral("Plugin"), QStringLiteral("NoDisc")};
    return words;
}
const QStringList& outputModuleWords() {
    static const QStringList words{QStringLiteral("nullout"), QStringLiteral("xaudio2"),
                                   QStringLiteral("dsound"), QStringLiteral("waveout"),
                                   QStringLiteral("portaudio")};
    return words;
}
int wordPosition(const QStringList& words, const QString& text) {
    return static_cast<int>(words.indexOf(text));
}

QString scalarFromPercentText(const QString& percentText) {
    return numbertext::formatGeneral(numbertext::toDouble(trimmed(percentText)) / 100.0);
}

QString percentTextFromScalar(const QString& stored) {
    return numbertext::formatGeneral(numbertext::toDouble(stored) * 100.0);
}

QString joinWindowSize(const QString& width, const QString& height) {
    return width + u',' + height;
}

WindowSize splitWindowSize(const QString& stored) {
    QStringList parts;
    QString current;
    auto flush = [&] {
        qsizetype i = 0;
        while (i < current.size() && current[i] == u' ')
            ++i;
        if (i < current.size())
            parts << current.mid(i);
        current.clear();
    };
    for (QChar c : stored) {
        if (c == u',' || c == u';')
            flush();
        else
            current += c;
    }
    flush();
    if (parts.size() < 2)
        throw KorvelloError(QStringLiteral("Window size '%1' needs a width and a height").arg(stored));
    return {parts[0], parts[1]};
}

QString singleBackslashes(QString text) {
    return text.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
}

QString trimmed(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

bool IsValidProfileName(const QString& name) {
    // Here a file name may hold anything but "/" and NUL, so a name refuses only
    // those (a name is part of its artwork's file name, Images/thumb_<name>.jpg)
    // and the control characters, which would break the one-line forms a name
    // is stored in: a line of `--list`, a desktop entry's Name= line. The
    // artwork's file name must also fit the file system's 255 bytes.
    if (name.isEmpty())
        return false;
    for (QChar c : name)
        if (c == u'/' || c.unicode() < 32 || c.unicode() == 127)
            return false;
    return QStringLiteral("thumb_%1.jpg").arg(name).toUtf8().size() <= kMaxFileNameBytes;
}

QString ProfileNameRule() {
    return QStringLiteral("A game's name cannot hold \"/\" or control characters, "
                          "and must be at most %1 bytes long")
        .arg(kMaxFileNameBytes - QStringLiteral("thumb_.jpg").size());
}

} // namespace enc
