#include "Unit5.h"

#include "Authoring.h"
#include "Unit2.h"

TPridat::TPridat(AuthoringHost *host, QWidget *parent)
    : JokeNamePrompt(QStringLiteral("Pridat"), QSize(186, 85), TabOrder::StornoFirst, parent),
      m_host(host)
{}

JokeListOwner *TPridat::owner() const
{
    return Formular;
}
