#pragma once

#include <QString>
#include <memory>
#include <optional>

class QSettings;

// The program's own key in $XDG_CONFIG_HOME/Korvello.ini: the integer values
// "Skin" and "Run" (absent: on), and the texts "Folder" (the emulator folder
// last given with --folder or chosen), "LastEmulator" (the executable a Start
// started last, from the window or the command line), "WindowGeometry" (the
// window's size and place, as Qt saves them), "DiscImageFolder" and
// "PictureFolder" (where the two file dialogs were last used), and the switch
// "Gamepad" (gamepad input, on unless set to 0). The key exists when the file exists.
class ProgramSettings {
public:
    ProgramSettings();
    ~ProgramSettings();

    static QString filePath();
    bool keyExists() const;
    // Creates the key (the file) when it is missing. Throws KorvelloError when it cannot.
    void createKey();

    // A value that is absent, or that does not read back as a 32-bit integer, is nullopt.
    std::optional<int> readInt(const QString& name) const;
    // Written at once; throws KorvelloError when the file cannot be written.
    void writeInt(const QString& name, int value);
    // A text value; nullopt when absent.
    std::optional<QString> readText(const QString& name) const;
    // Written at once; throws KorvelloError when the file cannot be written.
    void writeText(const QString& name, const QString& value);

    // Gamepad input is on unless the user switched it off.
    bool gamepadEnabled() const;
    // Throws KorvelloError when the file cannot be written.
    void setGamepadEnabled(bool on);

private:
    std::unique_ptr<QSettings> m_settings;
};
