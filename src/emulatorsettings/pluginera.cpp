#include "emulatorsettings/pluginera.h"

#include "ini/inidocument.h"

#include <array>

namespace pluginera {

Builds detect(const IniDocument& gsdx, const IniDocument& vm) {
    Builds b;
    b.linuxPlugins = gsdx.isFlat();
    // Pcsx2Config::SpeedhackOptions::LoadSave of the 1.6 cores reads EECycleSkip,
    // and GSOptions reads VsyncEnable as the VsyncMode number; 1.4 reads
    // VUCycleSteal and the "enabled"/"disabled" switch.
    const QString speedhacks = QStringLiteral("EmuCore/Speedhacks");
    bool numericVsync = false;
    if (const std::optional<QString> vsync =
            vm.value(QStringLiteral("EmuCore/GS"), QStringLiteral("VsyncEnable")))
        vsync->toInt(&numericVsync);
    b.core16 = vm.value(speedhacks, QStringLiteral("EECycleSkip")).has_value() || numericVsync;
    return b;
}

Builds detect(const QString& settingsFolder) {
    const QString folder = settingsFolder.endsWith(u'/') ? settingsFolder : settingsFolder + u'/';
    return detect(IniDocument::open(folder + QStringLiteral("GSdx.ini")),
                  IniDocument::open(folder + QStringLiteral("PCSX2_vm.ini")));
}

std::optional<QString> linuxRenderer(const QString& stored) {
    bool ok = false;
    const int number = stored.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    switch (number) {
    case kLinuxOglHardware:
    case kLinuxOglSoftware:
    case kLinuxNull:
        return QString::number(number);
    case 0: // Direct3D9 (Hardware)
    case 3: // Direct3D10/11 (Hardware)
        return QString::number(kLinuxOglHardware);
    case 1: // Direct3D9 (Software)
    case 4: // Direct3D10/11 (Software)
    case 7: // SDL 1.3 (Software)
        return QString::number(kLinuxOglSoftware);
    case 2: // Direct3D9 (Null)
    case 5: // Direct3D10/11 (Null)
        return QString::number(kLinuxNull);
    default:
        return std::nullopt;
    }
}

QString linuxUpscale(const QString& nativeres, const QString& upscale) {
    // GSRendererHW reads upscale_multiplier 1 as the native resolution and 0 as
    // the custom resx x resy; the Linux build never reads nativeres.
    if (nativeres.trimmed() == QLatin1String("1"))
        return QStringLiteral("1");
    if (upscale.trimmed() == QLatin1String("1"))
        return QStringLiteral("0");
    return upscale;
}

QString eeCycleRate(const QString& stored, bool core16) {
    // 1.4's speed hacks panel labels -1 and -2 "reduces the EE's cyclerate by
    // about 33%" / "50%"; 1.6 labels -1 "75%", -2 "60%", -3 "50%". The 1.6
    // recompiler's -1 scales a block's cycles exactly as the design era's 1 did,
    // so 1 stays -1 there; 2 ("about 50%") is 1.6's -3, its "50%".
    const QString t = stored.trimmed();
    if (t == QLatin1String("1"))
        return QStringLiteral("-1");
    if (t == QLatin1String("2"))
        return core16 ? QStringLiteral("-3") : QStringLiteral("-2");
    return stored;
}

QString vsyncNumber(const QString& stored) {
    if (stored.compare(QLatin1String("enabled"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("1");
    if (stored.compare(QLatin1String("disabled"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("0");
    return stored;
}

QString cdvdSource(const QString& stored, bool core16) {
    // 1.6's CDVD_SourceLabels spell the image source "ISO"; any other spelling
    // gives an "Unrecognized value" warning at every start.
    if (core16 && stored.compare(QLatin1String("Iso"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("ISO");
    return stored;
}

bool isLinuxSoundModule(const QString& word) {
    // The Linux SPU2-X's mods[]: NullOut, PortaudioOut, SDLOut (Alsa is listed
    // out in its Config.cpp dialog), found by wcscmp of their idents.
    static const std::array<const char*, 3> idents = {"nullout", "portaudio", "SDLAudio"};
    for (const char* ident : idents) {
        if (word == QLatin1String(ident))
            return true;
    }
    return false;
}

} // namespace pluginera
