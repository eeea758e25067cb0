#pragma once

#include <QDialog>

// The find window: finds a joke of the open library by its name.
class Tlook : public QDialog
{
    Q_OBJECT
public:
    explicit Tlook(QWidget *parent = nullptr);
};
