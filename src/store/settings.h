#pragma once

#include "paths.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The program's own files beside it: the settings file "chichotek.cfg" (six
// flags for the background picture and the quick panel of joke output
// buttons) and the background picture "pozadi.bmp".
namespace store {

enum SettingsFlag {
    StretchBackground,
    CentreBackground,
    ShowSaveButton,
    ShowPrintButton,
    ShowCopyButton,
    ShowFontButton,
    SettingsFlagCount
};

using SettingsFlags = std::array<bool, SettingsFlagCount>;

DbPath settingsFile();
DbPath backgroundFile();

// Only a line that is exactly "0" switches its flag off; a missing line, an
// empty one or any other text leaves it on.
bool settingsLineIsOff(const QStringList &lines, int flag);
// The six lines written for the flags: "1" for on, "0" for off.
QStringList settingsLines(const SettingsFlags &flags);

// The background picture, read as a bitmap whatever the file holds.
std::optional<QImage> readBackground(QString *error = nullptr);
// Stores a picture as "pozadi.bmp" in the bitmap format, so the next start
// shows it whatever format it was loaded from. Transparent parts are laid on
// `backdrop`.
bool writeBackground(const QImage &picture, const QColor &backdrop, QString *error = nullptr);

} // namespace store
