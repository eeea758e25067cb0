#pragma once

#include <QDialog>

// The new-library wizard.
class TFormular : public QDialog
{
    Q_OBJECT
public:
    explicit TFormular(QWidget *parent = nullptr);
};
