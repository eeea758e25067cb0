#pragma once

class QLabel;
class QWidget;

// Names `box` for a screen reader by the label that stands before it: the
// label's caption without its mnemonic and its colon ("Počet podložek:" names
// the box "Počet podložek"). The label becomes the box's buddy.
void nameByLabel(QLabel *label, QWidget *box);
