#include "emulatorsettings/currentgeneration.h"

#include "ini/inivalues.h"

CurrentGeneration generationOf(const IniValues& s) {
    // 2.x: SPU2Options::LoadSave reads "Backend" and "SyncMode" (AudioStreamParameters), and
    // CpuOptions::LoadSave adds "FPUDiv.Roundmode"; none of them exists in a 1.7 file.
    if (s.contains(QStringLiteral("SPU2/Output"), QStringLiteral("Backend")) ||
        s.contains(QStringLiteral("SPU2/Output"), QStringLiteral("SyncMode")) ||
        s.contains(QStringLiteral("EmuCore/CPU"), QStringLiteral("FPUDiv.Roundmode")))
        return CurrentGeneration::Current2;
    // Early 1.7: GSOptions reads GSSettingIntEnumEx(InterlaceMode, "deinterlace"), CpuOptions
    // read_fpcr(..., "VU") and RecompilerOptions one "vuOverflow" for both VUs.
    if (s.contains(QStringLiteral("EmuCore/GS"), QStringLiteral("deinterlace")) ||
        s.contains(QStringLiteral("EmuCore/CPU"), QStringLiteral("VU.Roundmode")) ||
        s.contains(QStringLiteral("EmuCore/CPU/Recompiler"), QStringLiteral("vuOverflow")))
        return CurrentGeneration::Early17;
    if (s.contains(QStringLiteral("SPU2/Output"), QStringLiteral("OutputModule")) ||
        s.contains(QStringLiteral("EmuCore/GS"), QStringLiteral("deinterlace_mode")) ||
        s.contains(QStringLiteral("EmuCore/GS"), QStringLiteral("FrameLimitEnable")))
        return CurrentGeneration::Later17;
    return CurrentGeneration::Current2;
}

QString generationName(CurrentGeneration g) {
    switch (g) {
    case CurrentGeneration::Early17:
        return QStringLiteral("early 1.7");
    case CurrentGeneration::Later17:
        return QStringLiteral("later 1.7");
    case CurrentGeneration::Current2:
        break;
    }
    return QStringLiteral("2.x");
}
