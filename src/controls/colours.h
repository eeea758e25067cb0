#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// The colours the program fixes, whatever the desktop's colour scheme.
//
// A control whose ground the program fixes gets its text colour fixed too,
// and a text in a fixed colour gets a fixed ground: a dark scheme must not
// put its light text on the program's light grounds, nor leave the program's
// dark text on its own dark grounds.
namespace colours {

// The face of the home platform's windows and buttons.
QColor face();

// Gives `widget` the ground `colour` in the role `ground`, and black text on
// it in the role `text` (grey while the widget is disabled).
void setGround(QWidget *widget, QPalette::ColorRole ground, const QColor &colour,
               QPalette::ColorRole text);

// Black text in the role `text` (grey while disabled), for text drawn on a
// ground that is fixed already.
void setBlackText(QWidget *widget, QPalette::ColorRole text);

// White paper for a box of joke text, the face while the box is disabled,
// with black text. A joke's own colours were chosen on light paper: navy or
// maroon text must not come out on a dark scheme's ground.
void setJokePaper(QWidget *box);

// The arrows of a scroll bar that cannot scroll are drawn in the scheme's
// "mid" colour, which a dark scheme makes dark on its dark buttons: this
// keeps them visible, as the scheme changes too.
void keepArrowsVisible(QWidget *scrollBar);

} // namespace colours
