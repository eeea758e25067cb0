#pragma once

class TFormular;
class TPridat;
class TUpravit;
class TUprava;
class TPridat2;
class TPresunOkno;

// The program-wide authoring windows, created once at start by the main
// routine; they reach each other through these.
extern TFormular *Formular;
extern TPridat *Pridat;
extern TUpravit *Upravit;
extern TUprava *Uprava;
extern TPridat2 *Pridat2;
extern TPresunOkno *PresunOkno;
