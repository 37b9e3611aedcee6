#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary program folder laid out like an emulator folder: Images with the
// two fallback pictures, an empty inis and Plugins folder. Removed afterwards.
class TestFolder {
public:
    explicit TestFolder(bool withImages = true);

    // The folder with a trailing "/", as the program's AppFolder.
    QString path() const { return m_dir.path() + u'/'; }
    QString file(const QString& relative) const { return path() + relative; }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};

namespace testsupport {
// Removes the program's settings file, as on a first run.
void removeProgramSettings();
// The test data folder, ending in "/".
QString dataPath(const QString& relative = {});
// Bytes of a file, empty when it cannot be read.
QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);
} // namespace testsupport
