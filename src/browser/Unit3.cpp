#include "Unit3.h"

TPlumoNasral::TPlumoNasral(QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("PlumoNasral"));
    setWindowTitle(QStringLiteral("Teď si mně nasral!!!"));
    setFixedSize(248, 85);
}
