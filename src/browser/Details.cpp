#include "Details.h"

TCelkemDetaily::TCelkemDetaily(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("CelkemDetaily"));
    setWindowTitle(QStringLiteral("Celkem - Detaily..."));
    setFixedSize(360, 219);
}
