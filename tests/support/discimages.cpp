#include "support/discimages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <lz4.h>
#include <zlib.h>

namespace discimages {

namespace {

void putLe(QByteArray& data, qsizetype at, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        data[at + i] = char((value >> (8 * i)) & 0xFF);
}

void appendLe(QByteArray& data, quint64 value, int bytes) {
    const qsizetype at = data.size();
    data.resize(at + bytes);
    putLe(data, at, value, bytes);
}

char bcd(int value) {
    return char(((value / 10) << 4) | (value % 10));
}

// One deflate of `in`: raw (windowBits -15) for CSO frames, with a gzip wrapper (15 + 16).
QByteArray deflated(const QByteArray& in, int level, int windowBits) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(in.size())) + 64), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    z.avail_in = uInt(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

QByteArray deflateRaw(const QByteArray& in) {
    return deflated(in, 9, -15);
}

} // namespace

QByteArray bootFile(int size) {
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 131 + 7) & 0xFF);
    if (size >= 4)
        data.replace(0, 4,
                     QByteArray("\x7f"
                                "ELF",
                                4));
    return data;
}

quint32 expectedCrc(const QByteArray& data) {
    quint32 crc = 0;
    for (qsizetype i = 0; i + 4 <= data.size(); i += 4) {
        const auto b = [&](int k) { return quint32(quint8(data[i + k])); };
        crc ^= b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
    }
    return crc;
}

QByteArray makeIso(const QString& workDir, const QMap<QString, QByteArray>& files) {
    const QString xorriso = QStandardPaths::findExecutable(QStringLiteral("xorriso"));
    if (xorriso.isEmpty())
        return {};
    const QString root = workDir + QStringLiteral("/root");
    QDir(root).removeRecursively();
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString path = root + u'/' + it.key();
        QDir().mkpath(QFileInfo(path).path());
        if (!writeFile(path, it.value()))
            return {};
    }
    QDir().mkpath(root);
    const QString image = workDir + QStringLiteral("/made.iso");
    QFile::remove(image);
    QProcess process;
    process.start(xorriso,
                  {QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-quiet"),
                   QStringLiteral("-V"), QStringLiteral("TESTDISC"), QStringLiteral("-o"), image, root});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    QFile file(image);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray toRawSectors(const QByteArray& iso, int mode) {
    QByteArray raw;
    const qsizetype sectors = iso.size() / 2048;
    raw.reserve(sectors * 2352);
    for (qsizetype lsn = 0; lsn < sectors; ++lsn) {
        QByteArray sector(2352, '\0');
        for (int i = 1; i <= 10; ++i)
            sector[i] = char(0xFF);
        const qsizetype address = lsn + 150; // the 2-second lead-in before sector 0
        sector[12] = bcd(int(address / 75 / 60));
        sector[13] = bcd(int(address / 75 % 60));
        sector[14] = bcd(int(address % 75));
        sector[15] = char(mode);
        const int dataAt = mode == 1 ? 16 : 24;
        if (mode == 2) {
            sector[18] = 0x08; // subheader: data, form 1 (twice)
            sector[22] = 0x08;
        }
        sector.replace(dataAt, 2048, iso.mid(lsn * 2048, 2048));
        raw += sector;
    }
    return raw;
}

QByteArray toCso(const QByteArray& iso, bool lz4, quint32 frameSize, int align) {
    const quint64 total = quint64(iso.size());
    const quint64 frames = (total + frameSize - 1) / frameSize;
    QByteArray out;
    out.append(lz4 ? "ZISO" : "CISO", 4);
    appendLe(out, 24, 4);
    appendLe(out, total, 8);
    appendLe(out, frameSize, 4);
    out.append(char(1));
    out.append(char(align));
    out.append(2, '\0');
    const qsizetype indexAt = out.size();
    out.resize(indexAt + qsizetype(frames + 1) * 4);
    const quint64 alignBytes = quint64(1) << align;
    const auto pad = [&] {
        while (quint64(out.size()) % alignBytes != 0)
            out.append('\0');
    };
    pad();
    for (quint64 frame = 0; frame < frames; ++frame) {
        QByteArray plain = iso.mid(qsizetype(frame * frameSize), qsizetype(frameSize));
        plain.resize(frameSize, '\0');
        QByteArray packed;
        if (lz4) {
            packed.resize(LZ4_compressBound(int(frameSize)));
            packed.resize(
                LZ4_compress_default(plain.constData(), packed.data(), int(frameSize), int(packed.size())));
        } else {
            packed = deflateRaw(plain);
        }
        const bool stored = quint64(packed.size()) >= frameSize;
        quint32 entry = quint32(quint64(out.size()) >> align);
        if (stored)
            entry |= 0x80000000u;
        putLe(out, indexAt + qsizetype(frame) * 4, entry, 4);
        out += stored ? plain : packed;
        pad();
    }
    putLe(out, indexAt + qsizetype(frames) * 4, quint32(quint64(out.size()) >> align), 4);
    return out;
}

QByteArray toGzip(const QByteArray& iso) {
    return deflated(iso, 6, 15 + 16);
}

QByteArray gameListCache(const QList<CacheEntry>& entries) {
    QByteArray out;
    appendLe(out, 0x45434C47, 4);
    appendLe(out, 34, 4);
    const auto string = [&](const QByteArray& text) {
        appendLe(out, quint64(text.size()), 4);
        out += text;
    };
    for (const CacheEntry& e : entries) {
        string(e.path.toUtf8());
        string(e.serial.toUtf8());
        string("A Title");
        string("Title, A");
        string("A Title");
        out.append(char(e.type));
        out.append(char(6)); // region NTSC-U
        appendLe(out, e.size, 8);
        appendLe(out, e.mtime, 8);
        appendLe(out, e.crc, 4);
        out.append(char(0));
    }
    return out;
}

qsizetype directoryRecord(const QByteArray& iso, const QByteArray& name) {
    // A record's name follows its 33-byte fixed part, whose last byte is the name's length.
    qsizetype at = 0;
    while ((at = iso.indexOf(name, at)) >= 0) {
        if (at >= 33 && quint8(iso[at - 1]) >= name.size() && quint8(iso[at - 33]) >= 33 + name.size())
            return at - 33;
        ++at;
    }
    return -1;
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QString serialOf(const QString& bootName) {
    QString serial = bootName;
    serial.replace(u'_', u'-');
    serial.remove(u'.');
    return serial;
}

bool writePs2Iso(const QString& path, const QString& bootName, const QByteArray& boot) {
    QTemporaryDir work;
    const QByteArray cnf = "BOOT2 = cdrom0:\\" + bootName.toLatin1() + ";1\r\nVER = 1.00\r\nVMODE = NTSC\r\n";
    const QByteArray image = makeIso(work.path(), {{QStringLiteral("SYSTEM.CNF"), cnf}, {bootName, boot}});
    if (image.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeFile(path, image);
}

} // namespace discimages
