#pragma once

#include <QDialog>

// The window with the number of jokes of all libraries.
class TCelkemVtipu : public QDialog
{
    Q_OBJECT
public:
    explicit TCelkemVtipu(QWidget *parent = nullptr);
};
