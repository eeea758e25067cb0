#pragma once

#include <QDialog>

// The prompt for a new joke's name in the wizard.
class TPridat : public QDialog
{
    Q_OBJECT
public:
    explicit TPridat(QWidget *parent = nullptr);
};
