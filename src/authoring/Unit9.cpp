#include "Unit9.h"

TPresunOkno::TPresunOkno(QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("PresunOkno"));
    setWindowTitle(QStringLiteral("Přesunout podložku..."));
    setFixedSize(388, 166);
}
