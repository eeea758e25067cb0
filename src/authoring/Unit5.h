#pragma once

#include "JokeNamePrompt.h"

class AuthoringHost;

// The prompt for a new joke's name in the wizard: appends to the wizard's
// joke list.
class TPridat : public JokeNamePrompt
{
    Q_OBJECT
public:
    TPridat(AuthoringHost *host, QWidget *parent = nullptr);

protected:
    JokeListOwner *owner() const override;

private:
    AuthoringHost *m_host;
};
