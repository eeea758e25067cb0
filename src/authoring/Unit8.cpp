#include "Unit8.h"

TPridat2::TPridat2(QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("Pridat2"));
    setWindowTitle(QStringLiteral("Přidat..."));
    setFixedSize(233, 81);
}
