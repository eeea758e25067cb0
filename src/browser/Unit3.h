#pragma once

#include <QDialog>

// The dialog of the library icon's joke.
class TPlumoNasral : public QDialog
{
    Q_OBJECT
public:
    explicit TPlumoNasral(QWidget *parent = nullptr);
};
