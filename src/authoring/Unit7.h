#pragma once

#include <QDialog>

// The library editor.
class TUprava : public QDialog
{
    Q_OBJECT
public:
    explicit TUprava(QWidget *parent = nullptr);
};
