#include "Unit9.h"

TPresunOkno::TPresunOkno(AuthoringHost *host, QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_host(host)
{
    setObjectName(QStringLiteral("PresunOkno"));
    setWindowTitle(QStringLiteral("Přesunout podložku..."));
    setFixedSize(388, 166);
}
