#pragma once

#include "ini/initext.h"

#include <QString>
#include <optional>

// One of the emulator's INI files held in memory: read once, changed by any
// number of writes, and replaced once. Each write follows the rules of the
// Windows private-profile functions the files were made for (or of the graphics
// plug-in's flat Linux form), exactly as if it had been written on its own, and
// each write reports the same failure, at the same moment, as a write of its own
// would: opening never throws, it only remembers what stands in the way.
//
// Typical use: open, a run of setValue / replaceKeyLine / setFlatValue, save.
class IniDocument {
public:
    // Reads the file that `path` names in its folder, found without letter case
    // (resolveIniFile). A missing file gives an empty document that a keyed or
    // flat write creates.
    static IniDocument open(const QString& path);

    // The file's path as found ("pcsx2_ui.ini" may stand for "PCSX2_ui.ini").
    const QString& path() const { return m_path; }
    // The file exists on disk, or a keyed or flat write has created it here.
    bool exists() const { return m_exists; }
    // A write has changed the document since it was opened; save() writes it then.
    bool isModified() const { return m_modified; }
    // The graphics plug-in's Linux form: no section header before the first line
    // holding "=", which also holds for a missing or empty file.
    bool isFlat() const;
    const IniText& text() const { return m_text; }

    // The keyed route. Sets `key` in `section`: sections and keys are found
    // without ASCII letter case; an existing key's line is rewritten where it
    // stands as key, "=" and the value; a missing key is added after the last
    // non-blank line of its section; a missing section is appended with the key;
    // new lines end in CR LF, or with `newLinesLikeFile` as the file's first
    // line does (CR LF when none has an end);
    // a missing file is created (its folder must exist). Throws KorvelloError
    // "Unable to write to <path>" when the file cannot be written.
    void setValue(const QString& section, const QString& key, const QString& value,
                  bool newLinesLikeFile = false);

    // The line route. Replaces the first line that contains `key` anywhere
    // (exact, case-sensitive substring) by key, "=" and the value, without regard
    // to sections, and gives every line the end CR LF, also when no line matched
    // (nothing is added then). With `keepLineEnds` every line keeps its own end
    // instead: a file the emulator wrote with LF stays LF. Throws
    // "Cannot open file "<path>". <reason>" when the file could not be read and
    // "Cannot create file "<path>". <reason>" when it may not be written.
    void replaceKeyLine(const QString& key, const QString& value, bool keepLineEnds = false);

    // The value of `key` in `section` as the keyed route finds it (first section
    // of that name, first line of the key, both without letter case), trimmed;
    // nothing when the section or the key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;

    // The flat "key = value" form of the graphics plug-in's Linux build, which
    // reads whitespace-separated tokens without sections. Every line of the key
    // (found without letter case, "Key=value" lines included) is replaced where
    // it stands by "key = value", the key spelled as that line spells it; a missing key is appended at the
    // end in the file's own line ends (LF for a new file). An empty value removes the key's lines instead:
    // the plug-in itself never writes an empty value and takes a missing key as its default, while "key = "
    // would make its reader take the next line's key for the value. A value holding a blank is refused, since
    // the reader would take its first word only and lose step with the rest of the file. Throws "Unable to
    // write to <path>" like the keyed route.
    void setFlatValue(const QString& key, const QString& value);

    // Checks a value before anything is written: CR, LF and NUL would write
    // lines (and so sections and keys) of their own into the file. `flat` adds
    // the flat form's check for blanks. Throws KorvelloError naming the key.
    void checkValue(const QString& key, const QString& value, bool flat) const;

    // Writes the document back once when it was changed: to a temporary file in
    // the same folder, renamed over the original, so that a crash leaves the old
    // or the new file, never a truncated one. Returns the failure's reason,
    // empty on success; save() throws "Unable to write to <path>" instead.
    QString commit();
    void save();

private:
    void requireKeyedWrite() const;

    QString m_path;
    IniText m_text;
    QString m_readError; // why the file could not be read, empty when it could
    bool m_folderExists = false;
    bool m_onDisk = false;   // the file existed when opened
    bool m_writeBit = false; // it had a write permission bit
    bool m_exists = false;
    bool m_modified = false;
};
