#include "disc/gamelistcache.h"

#include "core/korvelloerror.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace disc::gamelistcache {

namespace {

// A reader over the cache's bytes that never reads past their end.
class Reader {
public:
    explicit Reader(const QByteArray& data) : m_data(data) {}

    bool atEnd() const { return m_offset == m_data.size(); }
    template <typename T> T number() {
        need(sizeof(T));
        const T value = qFromLittleEndian<T>(m_data.constData() + m_offset);
        m_offset += sizeof(T);
        return value;
    }
    QByteArray string() {
        const quint32 length = number<quint32>();
        need(length);
        const QByteArray text = m_data.mid(m_offset, length);
        m_offset += length;
        return text;
    }

private:
    void need(quint64 bytes) const {
        if (bytes > quint64(m_data.size() - m_offset))
            throw KorvelloError(
                QStringLiteral("the emulator's game list cache is damaged (an entry runs past its end)"));
    }

    const QByteArray& m_data;
    qsizetype m_offset = 0;
};

} // namespace

std::optional<GameListCacheEntry> find(const QString& cachePath, const QString& imagePath) {
    QFile file(cachePath);
    const QFileInfo info(cachePath);
    if (!info.exists())
        return std::nullopt;
    if (!info.isFile())
        throw KorvelloError(
            QStringLiteral("the emulator's game list cache \"%1\" is not a file").arg(cachePath));
    if (info.size() > MaxCacheBytes)
        throw KorvelloError(QStringLiteral("the emulator's game list cache \"%1\" is larger than %2 MiB")
                                .arg(cachePath)
                                .arg(MaxCacheBytes >> 20));
    if (!file.open(QIODevice::ReadOnly))
        throw KorvelloError(
            QStringLiteral("the emulator's game list cache cannot be read: %1").arg(file.errorString()));
    const QByteArray data = file.read(MaxCacheBytes);
    Reader reader(data);
    const quint32 signature = reader.number<quint32>();
    const quint32 version = reader.number<quint32>();
    if (signature != Signature)
        throw KorvelloError(
            QStringLiteral("\"%1\" is not the emulator's game list cache (wrong signature)").arg(cachePath));
    if (version != Version)
        throw KorvelloError(
            QStringLiteral("the emulator's game list cache has version %1; this program reads version %2 "
                           "(open the folder in a current emulator build once)")
                .arg(version)
                .arg(Version));

    const QString canonical = QFileInfo(imagePath).canonicalFilePath();
    const QString absolute = QFileInfo(imagePath).absoluteFilePath();
    std::optional<GameListCacheEntry> found;
    while (!reader.atEnd()) {
        GameListCacheEntry entry;
        entry.path = QString::fromUtf8(reader.string());
        entry.serial = QString::fromUtf8(reader.string());
        entry.title = QString::fromUtf8(reader.string());
        reader.string(); // sort title
        reader.string(); // English title
        entry.type = reader.number<quint8>();
        reader.number<quint8>(); // region
        entry.totalSize = reader.number<quint64>();
        entry.lastModified = reader.number<quint64>();
        entry.crc = reader.number<quint32>();
        reader.number<quint8>(); // compatibility
        if (entry.path == absolute || (!canonical.isEmpty() && entry.path == canonical))
            found = entry;
    }
    return found;
}

} // namespace disc::gamelistcache
