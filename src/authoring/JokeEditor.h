#pragma once

#include "store/paths.h"

#include <QFont>
#include <QObject>
#include <QSpinBox>
#include <QTextCharFormat>

#include <optional>

class QFontComboBox;
class QLineEdit;
class QTextEdit;
class QToolButton;

// The size box of a joke's tool bar: its arrows step within the usual sizes,
// a size typed in applies as typed, digit by digit.
class JokeSizeBox : public QSpinBox
{
    Q_OBJECT
public:
    static constexpr int kMinSize = 6;
    static constexpr int kMaxSize = 16;
    // The largest size a joke file can hold (RTF counts half points in 16 bits).
    static constexpr int kLargestSize = 1638;

    explicit JokeSizeBox(QWidget *parent = nullptr);

    // The size the box holds; what is no size (no text, not a number, zero)
    // is the smallest usual one.
    int typedSize() const;

    void stepBy(int steps) override;

signals:
    // The user changed the size, with a key or an arrow. A value set by the
    // program (the box following the text) is no choice of the user's.
    void sizeChosen();

protected:
    StepEnabled stepEnabled() const override;
};

// The box in which a joke is written, with the tool bar that formats it: the
// jokes pages of the new-library wizard and of the library editor. A window
// makes and places the widgets, hands them over and calls the editor from its
// own handlers; the tools it has not got stay null.
//
// The box holds the joke of one file at a time. Whatever path the box takes
// to another joke, the changes not yet in the file of the one it leaves are
// written first, and a joke whose text cannot be written is never replaced.
class JokeEditor : public QObject
{
    Q_OBJECT
public:
    struct Tools
    {
        QToolButton *bold = nullptr;
        QToolButton *italic = nullptr;
        QToolButton *underline = nullptr;
        JokeSizeBox *size = nullptr;
        // The size box shows the size of the selection as it moves.
        bool sizeFollows = false;
        QFontComboBox *family = nullptr;
        QToolButton *bullets = nullptr;
        // The alignment buttons; each one's "tag" property is its alignment:
        // 0 left, 1 right, 2 centre.
        QToolButton *alignLeft = nullptr;
        QToolButton *alignCentre = nullptr;
        QToolButton *alignRight = nullptr;
    };

    // The box's font, as it is now, is the font of text typed into the empty
    // box and of a joke file of plain text. `file` keeps the path of the joke
    // in the box (none before the first is loaded).
    JokeEditor(QTextEdit *box, std::optional<store::DbPath> *file, QObject *parent = nullptr);

    void setTools(const Tools &tools);
    // The family box may come later than the rest.
    void setFamilyBox(QFontComboBox *box);

    // Empties the box: no text, no undo history, the box's font for the text
    // typed next. The joke's file stays as it was.
    void clear();
    // The joke of `path` into the box, which becomes the joke's; a file that
    // cannot be read leaves the box empty without a word.
    void load(const store::DbPath &path);
    // Writes the box to the joke's file; a failure is reported.
    bool save();
    // Before the box takes another joke: writes the changes of the open joke
    // (the box enabled) that are not in its file yet. False when they could
    // not be written; then the box must keep its joke. A failure reported
    // before only beeps.
    bool saveChanges();

    // Formatting, of the selection or of the text typed next; each change is
    // one step of undo.
    void toggleBold();
    void toggleItalic();
    void toggleUnderline();
    // The size in the size box, as the user changed it.
    void applySize();
    // The family of the family box's entry.
    void applyFamily(int index);
    // The colour dialog, preset with the selection's colour.
    void chooseColour(QWidget *parent);
    // The font dialog, preset with the box's own font; the size box then
    // shows the font's size (the dialog's choice, or the box's own on
    // cancel) without applying it.
    void chooseFont(QWidget *parent);
    // The selected paragraphs get bullets or lose them, as the bullet button is.
    void applyBullets();
    // The selected paragraphs get the alignment of the button's tag.
    void align(QToolButton *button);
    void undo();

    // The clipboard: the selection with its format; pasting keeps the format
    // of the text and of every paragraph.
    void copy(bool cut);
    void paste();

    // The tool bar shows the format at the selection or the caret.
    void followSelection();

private:
    void mergeFormat(const QTextCharFormat &format);
    void toggle(QToolButton *button, bool (*has)(const QTextCharFormat &),
                void (*set)(QTextCharFormat &, bool));

    QTextEdit *m_box;
    std::optional<store::DbPath> *m_file;
    // The box's font: the whole of it for text of no format of its own; the
    // document keeps only its family and size.
    QTextCharFormat m_format;
    QFont m_plainFont;
    Tools m_tools;
    // While the tool bar follows the text: its changes are not the user's.
    bool m_following = false;
    // While a format is applied: the tool bar keeps what the user set (a size
    // being typed stays as typed).
    bool m_formatting = false;
    // The last write of the box failed, and was reported.
    bool m_saveFailed = false;
};
