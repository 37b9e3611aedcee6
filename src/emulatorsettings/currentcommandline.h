#pragma once

#include "emulatorsettings/currentgeneration.h"

#include <QString>
#include <QStringList>

// A profile's command-line keys for the emulator's current builds, whose parser
// (pcsx2-qt QtHost::ParseCommandLineOptions) ends the emulator with "Unknown
// parameter" on any dash option it does not know. The plug-in era's keys that
// have an exact equivalent are translated ("--nogui" -> "-nogui"); every other
// key that would end the emulator or be taken for the disc image's name is
// refused, before anything is written or started.
namespace currentcommandline {

// The keys split as a shell splits them, translated. Throws KorvelloError
// naming the first key refused.
QStringList translate(const QString& cmdKeys, CurrentGeneration generation);

} // namespace currentcommandline
