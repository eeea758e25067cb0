#include "Unit6.h"

TUpravit::TUpravit(QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Upravit"));
    setWindowTitle(QStringLiteral("Upravit..."));
    setFixedSize(286, 52);
}
