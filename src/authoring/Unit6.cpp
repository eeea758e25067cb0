#include "Unit6.h"

TUpravit::TUpravit(AuthoringHost *host, QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_host(host)
{
    setObjectName(QStringLiteral("Upravit"));
    setWindowTitle(QStringLiteral("Upravit..."));
    setFixedSize(286, 52);
}
