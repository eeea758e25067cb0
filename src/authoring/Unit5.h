#pragma once

#include <QDialog>

class AuthoringHost;

// The prompt for a new joke's name in the wizard.
class TPridat : public QDialog
{
    Q_OBJECT
public:
    TPridat(AuthoringHost *host, QWidget *parent = nullptr);

private:
    AuthoringHost *m_host;
};
