#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// An emulator settings file's bytes, read only when it is a regular file of its
// own (never a link's target, a FIFO or a device, which could block or never end)
// and no larger than any settings file grows (kMaxSettingsFileBytes); nothing otherwise.
std::optional<QByteArray> readSettingsFile(const QString& path);

// Larger than any of the emulator's settings files grows (its PCSX2.ini, with
// every section, stays under 100 KiB): what the INI readers read at most.
inline constexpr qint64 kMaxSettingsFileBytes = qint64(4) << 20;
