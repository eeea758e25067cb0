#include "Unit2.h"

TFormular::TFormular(AuthoringHost *host, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_host(host)
{
    setObjectName(QStringLiteral("Formular"));
    setWindowTitle(QStringLiteral("Průvodce novou knihovnou"));
    setFixedSize(395, 244);
}
