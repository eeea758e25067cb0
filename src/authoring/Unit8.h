#pragma once

#include "JokeNamePrompt.h"

class AuthoringHost;

// The prompt for a new joke's name in the library editor: appends to the
// editor's joke list.
class TPridat2 : public JokeNamePrompt
{
    Q_OBJECT
public:
    TPridat2(AuthoringHost *host, QWidget *parent = nullptr);

protected:
    JokeListOwner *owner() const override;

private:
    AuthoringHost *m_host;
};
