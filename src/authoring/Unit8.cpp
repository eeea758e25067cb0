#include "Unit8.h"

#include "Authoring.h"
#include "JokeListOwner.h"
#include "Unit7.h"

TPridat2::TPridat2(AuthoringHost *host, QWidget *parent)
    : JokeNamePrompt(QStringLiteral("Pridat2"), QSize(184, 86), TabOrder::OkFirst, parent),
      m_host(host)
{}

JokeListOwner *TPridat2::owner() const
{
    return dynamic_cast<JokeListOwner *>(Uprava);
}
