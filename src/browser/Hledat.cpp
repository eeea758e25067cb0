#include "Hledat.h"

Tlook::Tlook(QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("look"));
    setWindowTitle(QStringLiteral("Najít..."));
    setFixedSize(154, 81);
}
