#include "Unit5.h"

TPridat::TPridat(QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("Pridat"));
    setWindowTitle(QStringLiteral("Přidat..."));
    setFixedSize(233, 81);
}
