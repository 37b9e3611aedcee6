#include "emulatorsettings/currentprofilereader.h"

#include "emulatorsettings/currentmapping.h"
#include "ini/inivalues.h"
#include "store/columntable.h"
#include "store/encodings.h"
#include "store/gameprofile.h"

#include <QLocale>
#include <QSet>
#include <cmath>

namespace {

using R = CurrentRule;

std::optional<bool> truthOf(const QString& text) {
    const QString l = text.toLower();
    if (l == u"true" || l == u"yes" || l == u"on" || l == u"1")
        return true;
    if (l == u"false" || l == u"no" || l == u"off" || l == u"0")
        return false;
    return std::nullopt;
}

std::optional<int> intOf(const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

std::optional<double> floatOf(const QString& text) {
    bool ok = false;
    const float f = QLocale::c().toFloat(text, &ok);
    return ok && std::isfinite(f) ? std::optional<double>(f) : std::nullopt;
}

void setOn(GameProfile& profile, int column, bool on) {
    switch (kColumns[column].form) {
    case ColumnForm::ED:
        profile.setValue(column, enc::BoolToEnabledText(on));
        break;
    case ColumnForm::TF:
        profile.setValue(column, enc::BoolToText(on));
        break;
    default:
        profile.setValue(column, enc::BoolToDigit(on));
        break;
    }
}

bool soundingModule(const QString& word) {
    return word != u"nullout" && enc::outputModuleWords().contains(word);
}

// Applies one row's file value to its column; false when the value has no form in the profile.
// `gateOn` says whether the value, read back, asks for its switch to be on.
bool apply(const CurrentKey& key, const QString& value, GameProfile& profile, bool& gateOn) {
    const int c = key.column;
    switch (key.rule) {
    case R::Bool:
    case R::Digit: {
        const std::optional<bool> on = truthOf(value);
        if (!on)
            return false;
        setOn(profile, c, *on);
        gateOn = *on;
        return true;
    }
    case R::Integer:
    case R::IntegerOrEmpty: {
        const std::optional<int> n = intOf(value);
        if (!n)
            return false;
        profile.setValue(c, QString::number(*n));
        gateOn = *n != 0;
        return true;
    }
    case R::CycleRate: {
        const std::optional<int> n = intOf(value);
        if (!n || *n > 0 || *n < -2)
            return false;
        profile.setValue(c, QString::number(-*n));
        gateOn = *n != 0;
        return true;
    }
    case R::Renderer: {
        // The plug-in era's numbers 0..7 are written as their kind; read back they would not stay.
        const std::optional<int> n = intOf(value);
        if (!n || (*n >= 0 && *n <= 7))
            return false;
        profile.setValue(c, QString::number(*n));
        return true;
    }
    case R::Deinterlace: {
        const std::optional<int> n = intOf(value);
        if (!n || *n < 0 || *n > 7)
            return false;
        profile.setValue(c, QString::number(*n == 0 ? 7 : *n - 1));
        return true;
    }
    case R::DeinterlaceEarly: {
        const std::optional<int> n = intOf(value);
        if (!n || *n < 0 || *n > 7)
            return false;
        profile.setValue(c, QString::number(*n));
        return true;
    }
    case R::Upscale: {
        const std::optional<double> f = floatOf(value);
        if (!f || *f != std::floor(*f) || *f < 1 || *f > 6)
            return false;
        setOn(profile, col::GSDXnativeres, *f == 1);
        if (*f > 1)
            profile.setValue(c, QString::number(int(*f)));
        return true;
    }
    case R::SkipDrawStart:
    case R::SkipDrawEnd:
        return true; // read as a pair by readProfile
    case R::HalfPixelOffset: {
        const std::optional<int> n = intOf(value);
        if (!n || *n < 0 || *n > 1)
            return false;
        setOn(profile, c, *n == 1);
        return true;
    }
    case R::AspectRatio:
        if (value != u"Stretch" && value != u"4:3" && value != u"16:9" && value != u"Auto 4:3/3:2")
            return false;
        profile.setValue(c, value);
        return true;
    case R::Float: {
        const std::optional<double> f = floatOf(value);
        if (!f)
            return false;
        profile.setValue(c, emulatorFloatText(*f));
        return true;
    }
    case R::NominalScalar: {
        const std::optional<double> f = floatOf(value);
        if (!f || *f < 0)
            return false;
        setOn(profile, col::PCSX2FrameLimitEnable, *f != 0);
        if (*f != 0)
            profile.setValue(c, emulatorFloatText(*f));
        return true;
    }
    case R::OutputModule:
    case R::Backend: {
        const bool silent = value == u"nullout" || value == u"Null";
        if (!silent && value != (key.rule == R::Backend ? u"Cubeb" : u"cubeb"))
            return false;
        if (silent)
            profile.setValue(c, QStringLiteral("nullout"));
        else if (!soundingModule(profile.value(c)))
            profile.setValue(c, QStringLiteral("xaudio2")); // the editor's default sounding module
        return true;
    }
    case R::SyncMode: {
        if (value == u"TimeStretch") {
            profile.setValue(c, QStringLiteral("0"));
            return true;
        }
        if (value != u"Disabled")
            return false;
        if (profile.value(c).trimmed() != u"1")
            profile.setValue(c, QStringLiteral("2"));
        return true;
    }
    case R::ExpansionMode: {
        static const QStringList kNames{"Disabled", "Quadraphonic", "Surround51", "Surround71"};
        const qsizetype n = kNames.indexOf(value);
        if (n < 0)
            return false;
        profile.setValue(c, QString::number(n));
        return true;
    }
    case R::Text:
        profile.setValue(c, value);
        return true;
    }
    return false;
}

} // namespace

namespace currentmapping {

void readProfile(GameProfile& profile, const IniValues& global, const IniValues& game,
                 CurrentGeneration generation) {
    const auto layered = [&](const char* section, const char* key) {
        const QString s = QString::fromLatin1(section);
        const QString k = QString::fromLatin1(key);
        std::optional<QString> v = game.value(s, k);
        return v ? v : global.value(s, k);
    };
    QSet<int> gatesOn;
    std::optional<QString> skipStart;
    std::optional<QString> skipEnd;
    for (const CurrentKey& key : kCurrentKeys) {
        if (!key.readBy(generation))
            continue;
        const std::optional<QString> value = layered(key.section, key.key);
        if (!value)
            continue;
        if (key.rule == R::SkipDrawStart)
            skipStart = value;
        if (key.rule == R::SkipDrawEnd)
            skipEnd = value;
        bool on = false;
        if (apply(key, *value, profile, on) && on && key.gate >= 0)
            gatesOn.insert(key.gate);
    }
    // A gated value that is on needs its switch on; all off is what the switch off writes too.
    for (const int gate : gatesOn)
        setOn(profile, gate, true);
    // UserHacks_SkipDraw_Start 1 .. End N is the old "skip N draws"; 0 .. 0 skips none.
    const std::optional<int> start = skipStart ? intOf(*skipStart) : std::optional<int>(0);
    const std::optional<int> end = skipEnd ? intOf(*skipEnd) : std::optional<int>(0);
    if (start && end && ((*start == 0 && *end == 0) || (*start == 1 && *end >= 1)))
        profile.setValue(col::GSDXUserHacks_SkipDraw, QString::number(*end));
    // Start gives it on the command line (-fullscreen / -nofullscreen); the file holds the user's choice.
    if (const std::optional<QString> full =
            global.value(QStringLiteral("UI"), QStringLiteral("StartFullscreen"))) {
        if (const std::optional<bool> on = truthOf(*full))
            setOn(profile, col::PCSX2DefaultToFullscreen, *on);
    }
}

QStringList takeInEdits(GameProfile& profile, const IniValues& global, const IniValues& lastWritten,
                        const IniValues& game, CurrentGeneration generation) {
    QStringList changed;
    QSet<int> columns;
    for (const CurrentKey& key : kCurrentKeys) {
        if (!key.readBy(generation))
            continue;
        const QString s = QString::fromLatin1(key.section);
        const QString k = QString::fromLatin1(key.key);
        if (game.value(s, k) == lastWritten.value(s, k))
            continue;
        if (!changed.contains(k))
            changed.append(k);
        columns.insert(key.column);
        if (key.gate >= 0)
            columns.insert(key.gate);
    }
    if (changed.isEmpty())
        return changed;
    GameProfile readBack = profile;
    readProfile(readBack, global, game, generation);
    for (const int column : std::as_const(columns))
        profile.setValue(column, readBack.value(column));
    return changed;
}

void readProfile(GameProfile& profile, const QString& settingsIni, const QString& gameSettingsIni) {
    const IniValues global = IniValues::fromFile(settingsIni);
    const IniValues game = gameSettingsIni.isEmpty() ? IniValues() : IniValues::fromFile(gameSettingsIni);
    readProfile(profile, global, game, generationOf(global));
}

} // namespace currentmapping
