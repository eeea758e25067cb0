#include "Celkem.h"

TCelkemVtipu::TCelkemVtipu(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("CelkemVtipu"));
    setWindowTitle(QStringLiteral("Celkem vtipů..."));
    setFixedSize(180, 147);
}
