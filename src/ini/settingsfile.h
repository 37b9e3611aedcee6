#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// An emulator settings file's bytes, read only when it is a regular file of its
// own (never a link's target, a FIFO or a device, which could block or never end)
// and no larger than any settings file grows (4 MiB); nothing otherwise.
std::optional<QByteArray> readSettingsFile(const QString& path);
