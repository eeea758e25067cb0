#include "Unit7.h"

TUprava::TUprava(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Uprava"));
    setWindowTitle(QStringLiteral("Úprava..."));
    setFixedSize(442, 303);
}
