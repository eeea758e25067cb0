#pragma once

#include <QDialog>

// The password gate in front of the library editor.
class TUpravit : public QDialog
{
    Q_OBJECT
public:
    explicit TUpravit(QWidget *parent = nullptr);
};
