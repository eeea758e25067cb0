#pragma once

#include "store/files.h"
#include "store/paths.h"

#include <QFont>
#include <QList>
#include <QObject>
#include <QSpinBox>
#include <QTextCharFormat>

#include <optional>

class JokeFind;
class QAction;
class QMenu;
class SpellMarker;
class JokeListOwner;
class QFontComboBox;
class QLabel;
class QTimer;
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
// Only what the user changed is written: a joke merely looked at keeps its
// file as it is.
//
// Other programs change the files too (a sync tool, the program on another
// computer). A joke changed on disk while the box holds none of the user's
// changes is shown anew; changed on both sides, the user chooses which
// version stays, or keeps both. A file that cannot be read is shown as such,
// read-only, and never written over. What the user typed and has not saved
// yet is kept outside the database (store/recovery.h) until it is saved.
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
        // Undo and redo, each enabled while there is something to take back
        // or to do again.
        QToolButton *undo = nullptr;
        QToolButton *redo = nullptr;
        // The words and characters of the joke, kept up to date as it is
        // written.
        QLabel *counts = nullptr;
    };

    // The box's font, as it is now, is the font of text typed into the empty
    // box and of a joke file of plain text. `file` keeps the path of the joke
    // in the box (none before the first is loaded). `owner` is the window
    // whose joke list takes another version of a joke the user keeps beside
    // the joke.
    JokeEditor(QTextEdit *box, std::optional<store::DbPath> *file, JokeListOwner *owner,
               QObject *parent = nullptr);
    ~JokeEditor() override;

    void setTools(const Tools &tools);
    // The family box may come later than the rest.
    void setFamilyBox(QFontComboBox *box);

    // Empties the box: no text, no undo history, the box's font for the text
    // typed next. The joke's file stays as it was.
    void clear();
    // The joke of `path` into the box, which becomes the joke's. A joke not
    // written yet leaves the box empty; a file that cannot be read (no
    // permission, too large, not a file) makes the box say why, read-only.
    void load(const store::DbPath &path);
    // Before the box takes another joke, and when its window closes: writes
    // the changes of the open joke (the box enabled) that are not in its file
    // yet. A file changed on disk meanwhile is not replaced without asking.
    // False when they were not written (a failure, or the user's answer);
    // then the box keeps its joke. A failure reported before only beeps
    // (unless `quietAfterFailure`: the focus only moving).
    bool saveChanges(bool quietAfterFailure = false);
    // Whether the box holds changes of the user's that its file has not.
    bool hasChanges() const;
    // The joke's file may have changed on disk: when the box holds none of
    // the user's changes, it shows the file as it is now.
    void followDisk();
    // The version of the joke's file the box holds.
    const store::FileVersion &version() const { return m_version; }
    // Whether the joke's file could not be read; then nothing is written.
    bool isUnreadable() const { return m_version.isUnreadable(); }

    // The program ends without questions (it was told to by the system): the
    // changes of every box that can be written without replacing another
    // version are written, the rest are kept for recovery.
    static void saveAllForExit();

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
    void redo();

    // The clipboard: the selection with its format; pasting keeps the format
    // of the text and of every paragraph. The box's keys (Ctrl+C, Ctrl+X,
    // Ctrl+V and the others of the desktop) do the same.
    void copy(bool cut);
    void paste();

    // The tool bar shows the format at the selection or the caret.
    void followSelection();

    // Finding and replacing in the joke, in a window of its own: Ctrl+F,
    // Ctrl+H, and F3 for the next place. Made when it is first used.
    JokeFind *finder();

    // The box's context menu at `at` (in the box's viewport): for a misspelt
    // word its suggestions first and "Přidat do slovníku", then `own` (the
    // window's commands; by default cut, copy, paste, undo and redo), then
    // the switch of spell checking. It goes when it closes.
    QMenu *contextMenu(const QPoint &at, const QList<QAction *> &own = {});
    SpellMarker *spellMarker() const { return m_spell; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Writes the box over the version `replaced` of the joke's file; a
    // failure is reported.
    bool write(store::FileVersion replaced);
    // The joke changed on disk and in the box: asks which version stays.
    bool resolveConflict();
    // Whether the box may be edited: a joke is open and its file was read.
    bool editable() const;
    // The library and joke of the file, for the recovery of typed text.
    bool jokeNames(QString *library, QString *joke) const;
    void keepForRecovery();
    void dropRecovery();
    void count();
    void mergeFormat(const QTextCharFormat &format);
    void toggle(QToolButton *button, bool (*has)(const QTextCharFormat &),
                void (*set)(QTextCharFormat &, bool));

    QTextEdit *m_box;
    std::optional<store::DbPath> *m_file;
    JokeListOwner *m_owner;
    // The version of the file the box holds, as read or written last.
    store::FileVersion m_version;
    // Typing not saved yet is kept for recovery after a pause.
    QTimer *m_keep;
    // The counts follow the typing after a moment.
    QTimer *m_count;
    JokeFind *m_find = nullptr;
    SpellMarker *m_spell;
    // Cut, copy, paste, undo and redo, for a window without a menu of its own.
    QList<QAction *> m_commands;
    bool m_kept = false;
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
