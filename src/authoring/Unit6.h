#pragma once

#include <QDialog>

class AuthoringHost;

// The password gate in front of the library editor.
class TUpravit : public QDialog
{
    Q_OBJECT
public:
    TUpravit(AuthoringHost *host, QWidget *parent = nullptr);

private:
    AuthoringHost *m_host;
};
