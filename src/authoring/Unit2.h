#pragma once

#include <QDialog>

class AuthoringHost;

// The new-library wizard.
class TFormular : public QDialog
{
    Q_OBJECT
public:
    TFormular(AuthoringHost *host, QWidget *parent = nullptr);

private:
    AuthoringHost *m_host;
};
