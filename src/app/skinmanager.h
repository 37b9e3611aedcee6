#pragma once

#include <QString>
#include <QStringList>

// The skinning engine: every *.qss file in SkinDirectory is a skin named by its
// base name; choosing one applies that style sheet to the whole application.
class SkinManager {
public:
    QString SkinDirectory;
};
