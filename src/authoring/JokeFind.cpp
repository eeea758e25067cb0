#include "JokeFind.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

namespace {

// A character as it is compared: without its diacritic and its letter case
// where those do not count. One character for one, so that a place in the
// compared text is the same place in the joke.
QChar folded(QChar c, const JokeFind::Options &o)
{
    if (!o.diacritics && c.decompositionTag() == QChar::Canonical) {
        const QString parts = c.decomposition();
        if (!parts.isEmpty())
            c = parts.front();
    }
    return o.matchCase ? c : c.toCaseFolded();
}

QString folded(const QString &text, const JokeFind::Options &o)
{
    QString out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = folded(text[i], o);
    return out;
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

JokeFind::JokeFind(QTextEdit *box, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_box(box)
{
    setObjectName(QStringLiteral("Najit"));
    setWindowTitle(QStringLiteral("Najít a nahradit"));
    auto *grid = new QGridLayout(this);
    const auto labelled = [&](int row, const QString &caption, QLineEdit **edit) {
        auto *label = new QLabel(caption);
        *edit = new QLineEdit;
        (*edit)->setAccessibleName(caption.chopped(1));
        label->setBuddy(*edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(*edit, row, 1);
    };
    labelled(0, QStringLiteral("Najít:"), &Hledat);
    labelled(1, QStringLiteral("Nahradit čím:"), &Nahradit);
    VelkaPismena = new QCheckBox(QStringLiteral("Rozlišovat velká a malá písmena"));
    CelaSlova = new QCheckBox(QStringLiteral("Jen celá slova"));
    Diakritika = new QCheckBox(QStringLiteral("Rozlišovat diakritiku"));
    grid->addWidget(VelkaPismena, 2, 0, 1, 2);
    grid->addWidget(CelaSlova, 3, 0, 1, 2);
    grid->addWidget(Diakritika, 4, 0, 1, 2);
    Stav = new QLabel;
    Stav->setAccessibleName(QStringLiteral("Výsledek hledání"));
    grid->addWidget(Stav, 5, 0, 1, 2);

    Dalsi = new QPushButton(QStringLiteral("Najít další"));
    NahraditJeden = new QPushButton(QStringLiteral("Nahradit"));
    NahraditVse = new QPushButton(QStringLiteral("Nahradit vše"));
    auto *zavrit = new QPushButton(QStringLiteral("Zavřít"));
    Dalsi->setDefault(true);
    grid->addWidget(Dalsi, 0, 2);
    grid->addWidget(NahraditJeden, 1, 2);
    grid->addWidget(NahraditVse, 2, 2);
    grid->addWidget(zavrit, 3, 2);
    connect(Dalsi, &QPushButton::clicked, this, [this] { findNext(); });
    connect(NahraditJeden, &QPushButton::clicked, this, [this] { replaceOne(); });
    connect(NahraditVse, &QPushButton::clicked, this, [this] { replaceAll(); });
    connect(zavrit, &QPushButton::clicked, this, &QDialog::close);
    connect(Hledat, &QLineEdit::textEdited, Stav, &QLabel::clear);
}

JokeFind::Options JokeFind::options() const
{
    return {VelkaPismena->isChecked(), CelaSlova->isChecked(), Diakritika->isChecked()};
}

QList<QPair<int, int>> JokeFind::matches(const QString &text, const QString &needle,
                                         const Options &options)
{
    QList<QPair<int, int>> found;
    if (needle.isEmpty())
        return found;
    const QString hay = folded(text, options);
    const QString what = folded(needle, options);
    for (qsizetype at = hay.indexOf(what); at >= 0; at = hay.indexOf(what, at + 1)) {
        const qsizetype end = at + what.size();
        if (options.wholeWords &&
            ((at > 0 && isWordChar(text[at - 1])) || (end < text.size() && isWordChar(text[end]))))
            continue;
        found.append({int(at), int(what.size())});
        at = end - 1;
    }
    return found;
}

void JokeFind::say(const QString &text)
{
    Stav->setText(text);
}

void JokeFind::showFor(bool replace)
{
    const QString selected = m_box->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        Hledat->setText(selected);
    const bool editable = !m_box->isReadOnly();
    NahraditJeden->setEnabled(editable);
    NahraditVse->setEnabled(editable);
    Nahradit->setEnabled(editable);
    say(QString());
    if (!isVisible()) {
        // Beside the box's window, where it hides no text; on its left when
        // there is no room on the right, and never off the screen.
        const QRect over = m_box->window()->frameGeometry();
        adjustSize();
        QPoint at = over.topRight() + QPoint(8, 0);
        if (const QScreen *screen = m_box->screen()) {
            const QRect room = screen->availableGeometry();
            if (at.x() + width() > room.right())
                at.setX(over.left() - 8 - width());
            at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - width())));
            at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - height())));
        }
        move(at);
        show();
    }
    raise();
    activateWindow();
    QLineEdit *focused = replace && editable ? Nahradit : Hledat;
    focused->setFocus();
    focused->selectAll();
}

bool JokeFind::findNext()
{
    const QString text = m_box->document()->toPlainText();
    const QList<QPair<int, int>> found = matches(text, Hledat->text(), options());
    if (found.isEmpty()) {
        say(QStringLiteral("„%1“ nebylo nalezeno.").arg(Hledat->text()));
        return false;
    }
    const int after = m_box->textCursor().selectionEnd();
    auto next = std::find_if(found.begin(), found.end(),
                             [after](const QPair<int, int> &m) { return m.first >= after; });
    say(QString());
    if (next == found.end()) {
        next = found.begin();
        say(QStringLiteral("Hledání pokračovalo od začátku."));
    }
    QTextCursor cursor(m_box->document());
    cursor.setPosition(next->first);
    cursor.setPosition(next->first + next->second, QTextCursor::KeepAnchor);
    m_box->setTextCursor(cursor);
    m_box->ensureCursorVisible();
    return true;
}

bool JokeFind::replaceOne()
{
    if (m_box->isReadOnly())
        return false;
    QTextCursor cursor = m_box->textCursor();
    if (cursor.hasSelection()) {
        const QString text = m_box->document()->toPlainText();
        const QList<QPair<int, int>> found = matches(text, Hledat->text(), options());
        const QPair<int, int> selected{cursor.selectionStart(),
                                       cursor.selectionEnd() - cursor.selectionStart()};
        if (found.contains(selected)) {
            cursor.beginEditBlock();
            cursor.insertText(Nahradit->text());
            cursor.endEditBlock();
            m_box->setTextCursor(cursor);
        }
    }
    return findNext();
}

int JokeFind::replaceAll()
{
    if (m_box->isReadOnly())
        return 0;
    const QString text = m_box->document()->toPlainText();
    const QList<QPair<int, int>> found = matches(text, Hledat->text(), options());
    if (found.isEmpty()) {
        say(QStringLiteral("„%1“ nebylo nalezeno.").arg(Hledat->text()));
        return 0;
    }
    // From the last place to the first, so that each place is still where
    // it was found; all in one step of undo.
    QTextCursor cursor(m_box->document());
    cursor.beginEditBlock();
    for (auto it = found.crbegin(); it != found.crend(); ++it) {
        cursor.setPosition(it->first);
        cursor.setPosition(it->first + it->second, QTextCursor::KeepAnchor);
        cursor.insertText(Nahradit->text());
    }
    cursor.endEditBlock();
    say(QStringLiteral("Nahrazeno: %1").arg(found.size()));
    return int(found.size());
}
