#include "Unit8.h"

TPridat2::TPridat2(AuthoringHost *host, QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      m_host(host)
{
    setObjectName(QStringLiteral("Pridat2"));
    setWindowTitle(QStringLiteral("Přidat..."));
    setFixedSize(233, 81);
}
