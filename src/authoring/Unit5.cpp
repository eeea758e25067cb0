#include "Unit5.h"

TPridat::TPridat(AuthoringHost *host, QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      m_host(host)
{
    setObjectName(QStringLiteral("Pridat"));
    setWindowTitle(QStringLiteral("Přidat..."));
    setFixedSize(233, 81);
}
