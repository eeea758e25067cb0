#pragma once

#include <QDialog>

class AuthoringHost;

// The dialog that moves a joke to another place of the library's list.
class TPresunOkno : public QDialog
{
    Q_OBJECT
public:
    TPresunOkno(AuthoringHost *host, QWidget *parent = nullptr);

private:
    AuthoringHost *m_host;
};
