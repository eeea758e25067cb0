#include "Unit7.h"

TUprava::TUprava(AuthoringHost *host, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_host(host)
{
    setObjectName(QStringLiteral("Uprava"));
    setWindowTitle(QStringLiteral("Úprava..."));
    setFixedSize(442, 303);
}
