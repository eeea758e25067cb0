#pragma once

#include "authoring/Authoring.h"
#include "authoring/JokeEditor.h"
#include "controls/listbox.h"
#include "store/files.h"
#include "support/fakehost.h"
#include "support/fakeservices.h"
#include "support/testfolder.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Runs `step` once `window` is the active modal window, from inside its
// exec(). A window that never opens, or stays open after the step, fails the
// test (and is hidden, so that the test goes on).
inline void whenModal(QWidget *window, std::function<void()> step)
{
    auto *timer = new QTimer;
    QPointer<QWidget> target(window);
    QObject::connect(timer, &QTimer::timeout, timer, [=, waited = 0]() mutable {
        const bool open = target && QApplication::activeModalWidget() == target;
        if (!open && ++waited <= 1000)
            return;
        timer->stop();
        timer->deleteLater();
        if (!open) {
            ADD_FAILURE() << "the expected modal window did not open";
            return;
        }
        step();
        if (target && target->isVisible()) {
            ADD_FAILURE() << "the modal window stayed open";
            target->hide();
        }
    });
    timer->start(5);
}

// A click on a row of a list, as the user makes it.
inline void clickRow(ListBox *list, int row)
{
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

// The text of a joke file as the program reads it.
inline QString jokeText(const QString &library, const QString &joke)
{
    QTextDocument doc;
    if (!store::readRichText(store::DbPath::jokeFile(library, joke), &doc))
        return QStringLiteral("<missing>");
    return doc.toPlainText();
}

// Replaces the text of a joke box as the user does (select all, type), so
// that the box holds a change of the user's.
inline void retype(QTextEdit *box, const QString &text)
{
    box->selectAll();
    box->insertPlainText(text);
}

// The joke side of a window at a glance: selected row | joke name | "on" or
// "off" for the text open for editing | the text.
inline QString jokeView(ListBox *list, QLineEdit *name, QTextEdit *text)
{
    return QStringLiteral("%1|%2|%3|%4")
        .arg(list->itemIndex())
        .arg(name->text(), text->isEnabled() ? u"on"_qs : u"off"_qs, text->toPlainText());
}

// The buttons that are down, each by its letter: down("BIU", {bold, italic,
// underline}) is "BU" with bold and underline down.
inline QString down(const char *letters, std::initializer_list<QAbstractButton *> buttons)
{
    QString result;
    for (QAbstractButton *b : buttons) {
        if (b->isChecked())
            result += QLatin1Char(*letters);
        ++letters;
    }
    return result;
}

// The styles of a character format, as "BIU" for bold, italic, underline.
inline QString styles(const QTextCharFormat &f)
{
    return QString(f.fontWeight() >= QFont::Bold ? "B" : "") + (f.fontItalic() ? "I" : "") +
           (f.fontUnderline() ? "U" : "");
}

// Exactly one message was shown, and it is an error that mentions `about`.
inline ::testing::AssertionResult oneError(const FakeServices &s, const QString &about = {})
{
    if (s.shown.size() == 1 && s.shown[0].kind == u"error"_qs && s.shown[0].text.contains(about))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "shown: " << s.texts().join(u" / "_qs).toStdString()
                                         << "; wanted one error about " << about.toStdString();
}

// A program folder of its own with the scripted desktop and main window.
class AuthoringFixture : public ::testing::Test
{
protected:
    void SetUp() override { folder.makeProgramFolder(); }
    QByteArray db(const QString &file) const { return folder.read(u"DataBase/"_qs + file); }
    bool inDb(const QString &file) const { return folder.exists(u"DataBase/"_qs + file); }

    TestFolder folder;
    FakeServices services;
    FakeHost host;
};
