#pragma once

#include "platform.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace platform {

// The font dialog as users of the home platform know it: the family, the
// style and a size from a limited range side by side, each a box above its
// list; the effects underline, strike-out and colour, and a sample below.
class FontDialogWindow : public QDialog
{
    Q_OBJECT
public:
    explicit FontDialogWindow(const FontDialog &options, QWidget *parent = nullptr);

    FontChoice choice() const;
    // The sizes offered, in points.
    QList<int> sizes() const;

private:
    void updateSample();

    FontDialog m_options;
    QLineEdit *m_familyBox;
    QListWidget *m_family;
    QLineEdit *m_styleBox;
    QListWidget *m_style; // plain, italic, bold, bold italic
    QLineEdit *m_sizeBox;
    QListWidget *m_size;
    QCheckBox *m_underline;
    QCheckBox *m_strikeOut;
    QComboBox *m_colour;
    QLabel *m_sample;
    // What the dialog showed at first: what the user leaves as it was keeps
    // the given font's own values (a font set in pixels stays in pixels).
    QString m_shownFamily;
    int m_shownSizeRow = -1;
    int m_shownColourIndex = -1;
};

} // namespace platform
