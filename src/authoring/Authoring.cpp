#include "Authoring.h"

TFormular *Formular = nullptr;
TPridat *Pridat = nullptr;
TUpravit *Upravit = nullptr;
TUprava *Uprava = nullptr;
TPridat2 *Pridat2 = nullptr;
TPresunOkno *PresunOkno = nullptr;
