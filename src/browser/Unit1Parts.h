// What the files of the main window share.
#pragma once

#include <QColor>

// The window's ground; a background picture is saved on it.
const QColor kSilver(0xC0, 0xC0, 0xC0);
