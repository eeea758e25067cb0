#pragma once

#include "platform.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QListWidget;

namespace platform {

// The font dialog: family, style, a size from a limited range, and the
// effects underline, strike-out and colour.
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
    QFontComboBox *m_family;
    QCheckBox *m_bold;
    QCheckBox *m_italic;
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
