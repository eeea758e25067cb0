#pragma once

#include <QDialog>

// The prompt for a new joke's name in the library editor.
class TPridat2 : public QDialog
{
    Q_OBJECT
public:
    explicit TPridat2(QWidget *parent = nullptr);
};
