#include "Unit2.h"

TFormular::TFormular(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Formular"));
    setWindowTitle(QStringLiteral("Průvodce novou knihovnou"));
    setFixedSize(395, 244);
}
