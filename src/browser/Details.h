#pragma once

#include <QDialog>

// The window with the counts of every library.
class TCelkemDetaily : public QDialog
{
    Q_OBJECT
public:
    explicit TCelkemDetaily(QWidget *parent = nullptr);
};
