#pragma once

#include <QList>
#include <QString>

// The two ways the emulator's INI files are written, one key at a time, with
// the rules of the Windows private-profile functions the emulator's files were
// made for. Each call reads the file, changes it and replaces it; IniDocument
// does the same for any number of keys with one read and one replacement.
//
// Both resolve the file name without letter case inside its folder ("pcsx2_ui.ini"
// reaches "PCSX2_ui.ini"), and both replace a file only through a temporary file
// in the same folder that is renamed over it, so that a crash or power cut leaves
// the old or the new file, never a truncated one. A file without any write
// permission bit counts as read-only even for root.

// The keyed route. Sets `key` in `section` of the file: sections and keys are
// found without ASCII letter case; an existing key's line is rewritten where it
// stands as key, "=" and the value; a missing key is added after the last
// non-blank line of its section; a missing section is appended with the key; a
// missing file is created (its folder must exist). Other lines keep their bytes,
// new lines end in CR LF, the file's byte-order mark and encoding are kept.
// Throws KorvelloError "Unable to write to <path>" on any failure. A value
// holding CR, LF or NUL, which would write lines of its own, is refused with an
// error naming the key before anything is written.
void WriteIniValue(const QString& path, const QString& section, const QString& key, const QString& value);

// One key of a batched keyed write.
struct IniAssignment {
    QString section;
    QString key;
    QString value;
};

// The keyed route for many keys of one file: each assignment is applied in order
// with the rules of WriteIniValue to the text read once, and the file is replaced
// once (IniDocument). A value holding CR, LF or NUL is refused with an error
// naming its key, any other failure throws "Unable to write to <path>"; either
// way the file is left as it was.
void WriteIniValues(const QString& path, const QList<IniAssignment>& assignments);

// The line route. Replaces the first line of the file that contains `key`
// anywhere (exact, case-sensitive substring) by key, "=" and the value, without
// regard to sections, then writes every line back ending in CR LF, also when no
// line matched (nothing is added then). A value holding CR, LF or NUL is refused
// like the keyed route's. Throws KorvelloError
// "Cannot open file "<path>". <reason>" when the file cannot be read and
// "Cannot create file "<path>". <reason>" when it cannot be written.
void ReplaceKeyLine(const QString& key, const QString& value, const QString& path);

// The file that `path` names in its folder, found without letter case: the exact
// name when it exists, else the first entry (by name) that differs only in case,
// else `path` unchanged (a new file gets the name as the program spells it).
QString resolveIniFile(const QString& path);
