#pragma once

#include <QDialog>

class AuthoringHost;

// The library editor.
class TUprava : public QDialog
{
    Q_OBJECT
public:
    TUprava(AuthoringHost *host, QWidget *parent = nullptr);

private:
    AuthoringHost *m_host;
};
