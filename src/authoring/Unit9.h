#pragma once

#include <QDialog>

// The dialog that moves a joke to another place of the library's list.
class TPresunOkno : public QDialog
{
    Q_OBJECT
public:
    explicit TPresunOkno(QWidget *parent = nullptr);
};
