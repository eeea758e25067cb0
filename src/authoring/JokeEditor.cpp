#include "JokeEditor.h"

#include "JokeFind.h"
#include "JokeList.h"
#include "JokeListOwner.h"
#include "SpellMarker.h"
#include "Speller.h"
#include "platform/platform.h"
#include "store/files.h"
#include "store/recovery.h"
#include "store/richclipboard.h"
#include "store/rtfreader.h"
#include "store/rtfwriter.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFontComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTextList>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace {

bool isBold(const QTextCharFormat &f)
{
    return f.fontWeight() >= QFont::DemiBold;
}

bool isItalic(const QTextCharFormat &f)
{
    return f.fontItalic();
}

bool isUnderlined(const QTextCharFormat &f)
{
    return f.fontUnderline();
}

void setBold(QTextCharFormat &f, bool on)
{
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
}

void setItalic(QTextCharFormat &f, bool on)
{
    f.setFontItalic(on);
}

void setUnderlined(QTextCharFormat &f, bool on)
{
    f.setFontUnderline(on);
}

// Whether every character of the selection has a property; without a
// selection, whether the text typed next has it.
bool wholeSelection(const QTextCursor &cursor, bool (*has)(const QTextCharFormat &))
{
    if (!cursor.hasSelection())
        return has(cursor.charFormat());
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    bool any = false;
    for (QTextBlock block = cursor.document()->findBlock(start);
         block.isValid() && block.position() < end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() + fragment.length() <= start || fragment.position() >= end)
                continue;
            if (!has(fragment.charFormat()))
                return false;
            any = true;
        }
    }
    return any || has(cursor.charFormat());
}

// The format of the selection's first character, or of the text typed next.
QTextCharFormat firstFormat(const QTextCursor &cursor)
{
    if (!cursor.hasSelection())
        return cursor.charFormat();
    QTextCursor first(cursor.document());
    first.setPosition(cursor.selectionStart() + 1);
    return first.charFormat();
}

// The blocks that the selection touches, or the block of the caret.
QList<QTextBlock> selectedBlocks(const QTextCursor &cursor)
{
    QList<QTextBlock> blocks;
    const QTextDocument *doc = cursor.document();
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    for (QTextBlock block = doc->findBlock(cursor.selectionStart()); block.isValid();
         block = block.next()) {
        blocks.append(block);
        if (block == last)
            break;
    }
    return blocks;
}

bool isRtfFormat(const QString &format)
{
    return format == u"text/rtf" || format == u"application/rtf" || format == u"text/richtext";
}

// Everything of a font as a character format.
QTextCharFormat formatOf(const QFont &font)
{
    QTextCharFormat format;
    format.setFontFamilies(QStringList{font.family()});
    // A font in pixels has its size in points at 96 pixels an inch.
    format.setFontPointSize(font.pointSizeF() > 0  ? font.pointSizeF()
                            : font.pixelSize() > 0 ? font.pixelSize() * 0.75
                                                   : 8);
    format.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
    format.setFontItalic(font.italic());
    format.setFontUnderline(font.underline());
    format.setFontStrikeOut(font.strikeOut());
    return format;
}

} // namespace

// --- The size box

JokeSizeBox::JokeSizeBox(QWidget *parent) : QSpinBox(parent)
{
    setRange(1, kLargestSize);
    setValue(8);
    // Every key counts, numbers or not.
    connect(lineEdit(), &QLineEdit::textEdited, this, &JokeSizeBox::sizeChosen);
}

int JokeSizeBox::typedSize() const
{
    bool ok = false;
    const int size = cleanText().toInt(&ok);
    return ok && size > 0 ? std::min(size, kLargestSize) : kMinSize;
}

void JokeSizeBox::stepBy(int steps)
{
    setValue(std::clamp(value() + steps, kMinSize, kMaxSize));
    emit sizeChosen();
}

QSpinBox::StepEnabled JokeSizeBox::stepEnabled() const
{
    StepEnabled enabled = StepNone;
    if (value() > kMinSize)
        enabled |= StepDownEnabled;
    if (value() < kMaxSize)
        enabled |= StepUpEnabled;
    return enabled;
}

// --- The editor

namespace {
// Every editor that lives, for the program's end without questions.
QList<JokeEditor *> &editors()
{
    static QList<JokeEditor *> all;
    return all;
}
// After this pause in typing, what was typed is kept for recovery.
constexpr int kKeepAfterMs = 2000;
} // namespace

JokeEditor::JokeEditor(QTextEdit *box, std::optional<store::DbPath> *file, JokeListOwner *owner,
                       QObject *parent)
    : QObject(parent), m_box(box), m_file(file), m_owner(owner), m_keep(new QTimer(this)),
      m_count(new QTimer(this)), m_spell(new SpellMarker(box)), m_format(formatOf(box->font()))
{
    const QFont font = box->font();
    // Text of no format of its own is plain text in the RTF sense: the
    // document's font has no style. The box's style goes explicitly onto what
    // is typed into the empty box.
    m_plainFont = QFont(font.family());
    m_plainFont.setPointSizeF(m_format.fontPointSize());
    m_keep->setSingleShot(true);
    m_keep->setInterval(kKeepAfterMs);
    connect(m_keep, &QTimer::timeout, this, [this] { keepForRecovery(); });
    connect(box, &QTextEdit::textChanged, this, [this] {
        if (hasChanges())
            m_keep->start();
        m_count->start();
    });
    // Counted a moment after the typing, not at every key: a big joke takes
    // a while to count.
    m_count->setSingleShot(true);
    m_count->setInterval(150);
    connect(m_count, &QTimer::timeout, this, [this] { count(); });
    connect(box, &QTextEdit::undoAvailable, this, [this](bool on) {
        if (m_tools.undo)
            m_tools.undo->setEnabled(on);
    });
    connect(box, &QTextEdit::redoAvailable, this, [this](bool on) {
        if (m_tools.redo)
            m_tools.redo->setEnabled(on);
    });
    editors().append(this);
    // The keys of the clipboard are the menu's commands.
    box->installEventFilter(this);
    // Finding and replacing, from anywhere in the window while the joke's
    // box is there to search.
    QWidget *window = box->window();
    const std::pair<QKeySequence, std::function<void()>> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_F), [this] { finder()->showFor(false); }},
        {QKeySequence(Qt::CTRL | Qt::Key_H), [this] { finder()->showFor(true); }},
        {QKeySequence::FindNext, [this] { finder()->findNext(); }},
    };
    for (const auto &[key, handler] : keys) {
        auto *action = new QAction(window);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        connect(action, &QAction::triggered, this, [this, handler = handler] {
            if (m_box->isVisible() && m_box->isEnabled())
                handler();
        });
    }
}

QMenu *JokeEditor::contextMenu(const QPoint &at, const QList<QAction *> &own)
{
    auto *menu = new QMenu(m_box);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    Speller &speller = Speller::instance();
    int start = 0;
    const QString word = m_spell->misspeltAt(m_box->cursorForPosition(at).position(), &start);
    if (!word.isEmpty() && editable()) {
        const QStringList suggested = speller.suggestions(word);
        if (suggested.isEmpty())
            menu->addAction(QStringLiteral("(žádné návrhy)"))->setEnabled(false);
        for (const QString &suggestion : suggested) {
            connect(menu->addAction(suggestion), &QAction::triggered, this,
                    [this, start, length = int(word.size()), suggestion] {
                        // One step of undo.
                        QTextCursor cursor(m_box->document());
                        cursor.setPosition(start);
                        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
                        cursor.beginEditBlock();
                        cursor.insertText(suggestion);
                        cursor.endEditBlock();
                    });
        }
        connect(menu->addAction(QStringLiteral("Přidat do slovníku")), &QAction::triggered, this,
                [word] { Speller::instance().addWord(word); });
        menu->addSeparator();
    }
    if (own.isEmpty() && m_commands.isEmpty()) {
        const std::pair<QString, std::function<void()>> commands[] = {
            {QStringLiteral("Vyjmout"), [this] { copy(true); }},
            {QStringLiteral("Kopírovat"), [this] { copy(false); }},
            {QStringLiteral("Vložit"), [this] { paste(); }},
            {QStringLiteral("Zpět"), [this] { undo(); }},
            {QStringLiteral("Znovu"), [this] { redo(); }},
        };
        for (const auto &[caption, handler] : commands) {
            auto *action = new QAction(caption, this);
            connect(action, &QAction::triggered, this, handler);
            m_commands << action;
        }
    }
    menu->addActions(own.isEmpty() ? m_commands : own);
    menu->addSeparator();
    QAction *spelling = menu->addAction(
        speller.available() ? QStringLiteral("Kontrola pravopisu")
                            : QStringLiteral("Kontrola pravopisu (%1)").arg(speller.why()));
    spelling->setCheckable(true);
    spelling->setChecked(speller.enabled());
    spelling->setEnabled(speller.available());
    connect(spelling, &QAction::toggled, this, [](bool on) { Speller::instance().setEnabled(on); });
    return menu;
}

JokeFind *JokeEditor::finder()
{
    if (!m_find)
        m_find = new JokeFind(m_box, m_box->window());
    return m_find;
}

bool JokeEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_box && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Paste)) {
            paste();
            return true;
        }
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut)) {
            copy(key->matches(QKeySequence::Cut));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

JokeEditor::~JokeEditor()
{
    editors().removeAll(this);
}

void JokeEditor::setTools(const Tools &tools)
{
    m_tools = tools;
    if (m_tools.undo)
        m_tools.undo->setEnabled(m_box->document()->isUndoAvailable());
    if (m_tools.redo)
        m_tools.redo->setEnabled(m_box->document()->isRedoAvailable());
    count();
}

void JokeEditor::count()
{
    m_count->stop();
    if (!m_tools.counts)
        return;
    // Words are the runs of letters and digits; the characters are those
    // of the text, the paragraph marks aside.
    const QString text = m_box->document()->toPlainText();
    int words = 0;
    bool inWord = false;
    for (const QChar c : text) {
        const bool letter = c.isLetterOrNumber();
        words += letter && !inWord;
        inWord = letter;
    }
    const qsizetype breaks = text.count(u'\n');
    m_tools.counts->setText(QStringLiteral("Slov: %1, znaků: %2")
                                .arg(QLocale(QLocale::Czech).toString(words),
                                     QLocale(QLocale::Czech).toString(text.size() - breaks)));
}

void JokeEditor::setFamilyBox(QFontComboBox *box)
{
    m_tools.family = box;
}

void JokeEditor::clear()
{
    m_keep->stop();
    dropRecovery();
    QTextDocument *doc = m_box->document();
    m_box->setReadOnly(false);
    m_box->clear();
    doc->setDefaultFont(m_plainFont);
    QTextCursor cursor(doc);
    cursor.setBlockCharFormat(m_format);
    m_box->setTextCursor(cursor);
    m_box->setCurrentCharFormat(m_format);
    doc->clearUndoRedoStacks();
    doc->setModified(false);
    m_saveFailed = false;
    m_version = store::FileVersion();
}

void JokeEditor::load(const store::DbPath &path)
{
    clear();
    *m_file = path;
    QTextDocument *doc = m_box->document();
    // A file of plain text shows in the box's font, and is written so.
    QString error;
    if (!store::readRichText(path, doc, &error, m_format, &m_version) && m_version.isUnreadable()) {
        // Shown as what it is, never written over.
        QTextCharFormat note;
        note.setFontItalic(true);
        note.setForeground(m_box->palette().color(QPalette::PlaceholderText));
        QTextCursor(doc).insertText(
            error + QStringLiteral("\nVtip proto nelze zobrazit ani upravovat."), note);
        m_box->setReadOnly(true);
    }
    doc->clearUndoRedoStacks();
    doc->setModified(false);
    m_box->setTextCursor(QTextCursor(doc));
    count();
    m_spell->restart();
}

bool JokeEditor::editable() const
{
    return !m_box->isReadOnly();
}

bool JokeEditor::hasChanges() const
{
    return m_box->isEnabled() && editable() && m_box->document()->isModified();
}

bool JokeEditor::write(store::FileVersion replaced)
{
    // Without a joke loaded the path is the empty name of no library, which
    // the file layer refuses with its own message.
    const store::DbPath path = m_file->value_or(store::DbPath::jokeFile(QString(), QString()));
    QString error;
    if (!store::writeRichText(path, *m_box->document(), &error, &replaced)) {
        m_saveFailed = true;
        platform::services().error(error);
        return false;
    }
    m_version = std::move(replaced);
    m_box->document()->setModified(false);
    m_saveFailed = false;
    m_keep->stop();
    dropRecovery();
    return true;
}

bool JokeEditor::saveChanges(bool quietAfterFailure)
{
    if (!hasChanges())
        return true;
    if (m_saveFailed) {
        if (!quietAfterFailure)
            platform::services().beep();
        return false;
    }
    if (m_file->has_value() && store::changedSince(**m_file, m_version))
        return resolveConflict();
    return write(m_version);
}

bool JokeEditor::resolveConflict()
{
    const store::DbPath path = **m_file;
    QString library;
    QString joke;
    jokeNames(&library, &joke);
    store::FileVersion disk;
    QString error;
    const std::optional<QByteArray> bytes =
        store::readBytes(path, store::kJokeLimit, &error, &disk);
    const bool deleted = disk.state() == store::FileVersion::State::Missing;
    if (!bytes && !deleted) {
        // What is on disk cannot be looked at, so it is not replaced.
        m_saveFailed = true;
        platform::services().error(error);
        return false;
    }
    JokeList *list = m_owner ? m_owner->jokes() : nullptr;
    const QString other =
        list && !deleted ? list->freeName(joke, QStringLiteral("jiná verze")) : QString();
    QStringList choices{QStringLiteral("Ponechat moji verzi"),
                        QStringLiteral("Vzít verzi z disku")};
    QString text;
    if (deleted) {
        text = QStringLiteral("Vtip „%1“ byl mezitím na disku smazán (jiným programem nebo na "
                              "jiném počítači), a vy jste ho tu upravili.\n\n"
                              "Ponechat moji verzi: vtip se uloží s vašimi úpravami.\n"
                              "Vzít verzi z disku: vaše úpravy se zahodí a vtip zůstane "
                              "nenapsaný.")
                   .arg(joke);
    } else {
        text = QStringLiteral("Vtip „%1“ se mezitím změnil na disku (jiným programem nebo na "
                              "jiném počítači), a vy jste ho tu také upravili.\n\n"
                              "Ponechat moji verzi: verze z disku se nahradí vaší.\n"
                              "Vzít verzi z disku: vaše úpravy se zahodí.")
                   .arg(joke);
        if (!other.isEmpty()) {
            choices << QStringLiteral("Ponechat obě");
            text += QStringLiteral("\nPonechat obě: verze z disku se přidá do knihovny jako "
                                   "samostatný vtip „%1“.")
                        .arg(other);
        }
    }
    switch (platform::services().choose(text, choices, platform::MessageKind::Warning)) {
    case 0:
        return write(disk);
    case 1: {
        // The disk's version in the box, as if it had just been loaded.
        const int position = m_box->textCursor().position();
        m_keep->stop();
        dropRecovery();
        QTextDocument *doc = m_box->document();
        doc->clear();
        doc->setDefaultFont(m_plainFont);
        if (bytes)
            store::richTextFromBytes(*bytes, doc, m_format);
        doc->clearUndoRedoStacks();
        doc->setModified(false);
        QTextCursor cursor(doc);
        cursor.setPosition(std::min(position, doc->characterCount() - 1));
        m_box->setTextCursor(cursor);
        m_version = disk;
        return true;
    }
    case 2:
        // The disk's version becomes a joke of its own, then the box's is
        // written over it.
        return list->add(other, &*bytes) && write(disk);
    default:
        return false;
    }
}

void JokeEditor::followDisk()
{
    if (!m_box->isEnabled() || !m_file->has_value() || hasChanges() ||
        !store::changedSince(**m_file, m_version))
        return;
    // Shown anew where the user was reading.
    const int position = m_box->textCursor().position();
    const int scrolled = m_box->verticalScrollBar()->value();
    load(**m_file);
    QTextCursor cursor(m_box->document());
    cursor.setPosition(std::min(position, m_box->document()->characterCount() - 1));
    m_box->setTextCursor(cursor);
    m_box->verticalScrollBar()->setValue(scrolled);
}

bool JokeEditor::jokeNames(QString *library, QString *joke) const
{
    if (!m_file->has_value() || (*m_file)->parts().size() != 3)
        return false;
    const QStringList &parts = (*m_file)->parts();
    *library = parts[1];
    *joke = parts[2].chopped(4); // without ".vti"
    return true;
}

void JokeEditor::keepForRecovery()
{
    QString library;
    QString joke;
    if (!hasChanges() || !jokeNames(&library, &joke))
        return;
    QElapsedTimer took;
    took.start();
    m_kept = store::keepForRecovery(QDir::currentPath(), library, joke, m_version.contentHash(),
                                    store::writeRtf(*m_box->document()));
    // A big joke takes a while to be kept: the pause before the next time
    // grows with it, so that a user who pauses is seldom kept waiting.
    m_keep->setInterval(std::max<qint64>(kKeepAfterMs, took.elapsed() * 40));
}

void JokeEditor::dropRecovery()
{
    QString library;
    QString joke;
    if (!m_kept || !jokeNames(&library, &joke))
        return;
    store::dropRecovery(QDir::currentPath(), library, joke);
    m_kept = false;
}

void JokeEditor::saveAllForExit()
{
    for (JokeEditor *editor : std::as_const(editors())) {
        if (!editor->hasChanges())
            continue;
        // Written where that replaces nothing unseen, kept otherwise.
        QString error;
        store::FileVersion version = editor->m_version;
        if (editor->m_file->has_value() && !store::changedSince(**editor->m_file, version) &&
            store::writeRichText(**editor->m_file, *editor->m_box->document(), &error, &version)) {
            editor->m_box->document()->setModified(false);
            editor->dropRecovery();
        } else {
            editor->keepForRecovery();
        }
    }
}

void JokeEditor::mergeFormat(const QTextCharFormat &format)
{
    if (!editable())
        return;
    const QScopedValueRollback<bool> formatting(m_formatting, true);
    QTextCursor cursor = m_box->textCursor();
    if (cursor.hasSelection()) {
        cursor.beginEditBlock();
        cursor.mergeCharFormat(format);
        cursor.endEditBlock();
        m_box->setTextCursor(cursor);
    } else {
        m_box->mergeCurrentCharFormat(format);
    }
}

void JokeEditor::toggle(QToolButton *button, bool (*has)(const QTextCharFormat &),
                        void (*set)(QTextCharFormat &, bool))
{
    const bool on = !wholeSelection(m_box->textCursor(), has);
    QTextCharFormat format;
    set(format, on);
    mergeFormat(format);
    if (button)
        button->setChecked(on);
}

void JokeEditor::toggleBold()
{
    toggle(m_tools.bold, isBold, setBold);
}

void JokeEditor::toggleItalic()
{
    toggle(m_tools.italic, isItalic, setItalic);
}

void JokeEditor::toggleUnderline()
{
    toggle(m_tools.underline, isUnderlined, setUnderlined);
}

void JokeEditor::applySize()
{
    if (m_following || !m_tools.size)
        return;
    QTextCharFormat format;
    format.setFontPointSize(m_tools.size->typedSize());
    mergeFormat(format);
}

void JokeEditor::applyFamily(int index)
{
    if (m_following || !m_tools.family || index < 0)
        return;
    QTextCharFormat format;
    format.setFontFamilies(QStringList{m_tools.family->itemText(index)});
    mergeFormat(format);
}

void JokeEditor::chooseColour(QWidget *parent)
{
    const QBrush brush = firstFormat(m_box->textCursor()).foreground();
    const QColor initial =
        brush.style() == Qt::NoBrush ? m_box->palette().color(QPalette::Text) : brush.color();
    const std::optional<QColor> colour = platform::services().chooseColour(parent, initial);
    if (!colour)
        return;
    QTextCharFormat format;
    format.setForeground(*colour);
    mergeFormat(format);
}

void JokeEditor::chooseFont(QWidget *parent)
{
    platform::FontDialog dialog;
    dialog.font = m_box->font();
    dialog.colour = m_box->palette().color(QPalette::Text);
    dialog.effects = true;
    const std::optional<platform::FontChoice> choice =
        platform::services().chooseFont(parent, dialog);
    QFont shown = dialog.font;
    if (choice) {
        QTextCharFormat format = formatOf(choice->font);
        format.setForeground(choice->colour);
        mergeFormat(format);
        shown = choice->font;
    }
    if (m_tools.size) {
        // Showing the size changes nothing in the text.
        const QScopedValueRollback<bool> following(m_following, true);
        m_tools.size->setValue(
            std::clamp(shown.pointSize(), JokeSizeBox::kMinSize, JokeSizeBox::kMaxSize));
    }
    followSelection();
}

void JokeEditor::applyBullets()
{
    if (!m_tools.bullets || !editable())
        return;
    QTextCursor cursor = m_box->textCursor();
    cursor.beginEditBlock();
    if (m_tools.bullets->isChecked()) {
        QTextListFormat list;
        list.setStyle(QTextListFormat::ListDisc);
        list.setIndent(1);
        cursor.createList(list);
    } else {
        for (const QTextBlock &block : selectedBlocks(cursor)) {
            if (!block.textList())
                continue;
            QTextBlockFormat format = block.blockFormat();
            format.setObjectIndex(-1);
            QTextCursor(block).setBlockFormat(format);
        }
    }
    cursor.endEditBlock();
    m_box->setTextCursor(cursor);
    followSelection();
}

void JokeEditor::align(QToolButton *button)
{
    // The tags are the codes of the alignment: 0 left, 1 right, 2 centre.
    static const Qt::Alignment byTag[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    if (!editable())
        return;
    const int tag = std::clamp(button->property("tag").toInt(), 0, 2);
    QTextBlockFormat format;
    format.setAlignment(byTag[tag]);
    QTextCursor cursor = m_box->textCursor();
    cursor.beginEditBlock();
    cursor.mergeBlockFormat(format);
    cursor.endEditBlock();
    m_box->setTextCursor(cursor);
    for (QToolButton *b : {m_tools.alignLeft, m_tools.alignCentre, m_tools.alignRight}) {
        if (b)
            b->setChecked(b == button);
    }
}

void JokeEditor::undo()
{
    m_box->undo();
}

void JokeEditor::redo()
{
    m_box->redo();
}

void JokeEditor::copy(bool cut)
{
    QTextCursor cursor = m_box->textCursor();
    QMimeData *data = store::selectionMimeData(cursor);
    if (!data)
        return;
    platform::services().setClipboard(data);
    if (cut && !m_box->isReadOnly()) {
        cursor.beginEditBlock();
        cursor.removeSelectedText();
        cursor.endEditBlock();
        m_box->setTextCursor(cursor);
    }
}

void JokeEditor::paste()
{
    const QMimeData *data = platform::services().clipboardData();
    if (!data || !editable())
        return;
    QTextDocument part;
    part.setDefaultFont(m_box->document()->defaultFont());
    bool rich = false;
    for (const QString &format : data->formats()) {
        if (isRtfFormat(format)) {
            rich = store::readRtf(data->data(format), &part);
            break;
        }
    }
    if (!rich && data->hasHtml()) {
        part.setHtml(data->html());
        rich = true;
    }
    QTextCursor cursor = m_box->textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    if (rich) {
        const int start = cursor.position();
        cursor.insertFragment(QTextDocumentFragment(&part));
        // Pasted into the middle of a paragraph, the first pasted paragraph
        // would take the format of the one it joins; its own paragraph mark
        // comes with it, and so does its format. (A list item is put into a
        // paragraph of its own, with its format.)
        const QTextBlock first = part.firstBlock();
        if (part.blockCount() > 1 && !first.textList())
            QTextCursor(m_box->document()->findBlock(start)).setBlockFormat(first.blockFormat());
    } else if (data->hasText()) {
        cursor.insertText(data->text());
    }
    cursor.endEditBlock();
    m_box->setTextCursor(cursor);
}

void JokeEditor::followSelection()
{
    if (m_formatting)
        return;
    const QScopedValueRollback<bool> following(m_following, true);
    const QTextCursor cursor = m_box->textCursor();
    const QTextCharFormat format = firstFormat(cursor);
    const QFont base = m_box->document()->defaultFont();

    if (m_tools.size && m_tools.sizeFollows) {
        qreal size = base.pointSizeF();
        if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
            size = format.fontPointSize();
        m_tools.size->setValue(
            std::clamp(qRound(size), JokeSizeBox::kMinSize, JokeSizeBox::kMaxSize));
    }
    if (m_tools.family) {
        QString family = base.family();
        if (const QStringList families = format.fontFamilies().toStringList(); !families.isEmpty())
            family = families.first();
        else if (format.hasProperty(QTextFormat::OldFontFamily))
            family = format.stringProperty(QTextFormat::OldFontFamily);
        const int entry = m_tools.family->findText(family, Qt::MatchFixedString);
        if (entry >= 0)
            m_tools.family->setCurrentIndex(entry);
        m_tools.family->setEditText(family);
    }

    const std::pair<QToolButton *, bool (*)(const QTextCharFormat &)> styles[] = {
        {m_tools.bold, isBold}, {m_tools.italic, isItalic}, {m_tools.underline, isUnderlined}};
    for (const auto &[button, has] : styles) {
        if (button)
            button->setChecked(wholeSelection(cursor, has));
    }

    const Qt::Alignment alignment = cursor.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    const bool centre = alignment & Qt::AlignHCenter;
    const bool right = !centre && (alignment & (Qt::AlignRight | Qt::AlignTrailing));
    const bool left = !centre && !right && !(alignment & Qt::AlignJustify);
    const std::pair<QToolButton *, bool> aligned[] = {
        {m_tools.alignLeft, left}, {m_tools.alignCentre, centre}, {m_tools.alignRight, right}};
    for (const auto &[button, on] : aligned) {
        if (button)
            button->setChecked(on);
    }
    if (m_tools.bullets)
        m_tools.bullets->setChecked(cursor.currentList() != nullptr);
}
