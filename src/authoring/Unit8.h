#pragma once

#include <QDialog>

class AuthoringHost;

// The prompt for a new joke's name in the library editor.
class TPridat2 : public QDialog
{
    Q_OBJECT
public:
    TPridat2(AuthoringHost *host, QWidget *parent = nullptr);

private:
    AuthoringHost *m_host;
};
