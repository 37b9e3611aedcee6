#pragma once

#include <QByteArray>
#include <QString>

// Names as db.mdb stores them: bytes that are meant to be UTF-8 but may not be
// (a row edited by another program). Decoding keeps every byte: valid UTF-8
// becomes its characters, and each byte that is not part of a valid sequence
// becomes the lone low surrogate U+DC80 + (byte - 0x80), a code unit that valid
// UTF-8 never yields. Encoding turns such a name back into exactly its bytes, so
// a statement can find the very row that the list showed.
namespace storedname {

QString decode(const QByteArray& bytes);
// The bytes that decode() read; any other lone surrogate becomes U+FFFD.
QByteArray encode(const QString& name);
// True when the name holds bytes that were not valid UTF-8 (a decoded stand-in).
bool hasForeignBytes(const QString& name);

} // namespace storedname
