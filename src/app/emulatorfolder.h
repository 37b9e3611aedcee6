#pragma once

#include <QString>

class QWidget;

// Whether a folder is an emulator's, and the folder chooser that insists on one:
// the installed program's first question and the "Choose the emulator's
// folder..." button of a window whose folder holds no emulator both use it.
namespace emulatorfolder {

// Empty when `folder` holds an emulator: an executable other than this program
// (`ownName`), as the editor's executable list finds them, or the emulator's
// settings folder "inis". Otherwise what was looked for and not found, as the
// user reads it.
QString missingEmulator(const QString& folder, const QString& ownName);

// Asks for the emulator's folder through the dialog seam, starting at
// `startFolder`, and says what to choose in the chooser's title. A folder
// without an emulator is refused with missingEmulator()'s text and the
// question comes again. Returns the folder's absolute path ending in "/", or
// an empty text when the user cancels.
QString choose(QWidget* parent, const QString& startFolder, const QString& ownName);

} // namespace emulatorfolder
