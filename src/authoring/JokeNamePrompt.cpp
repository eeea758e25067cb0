#include "JokeNamePrompt.h"

#include "JokeList.h"
#include "JokeListOwner.h"
#include "controls/colours.h"
#include "controls/listbox.h"
#include "controls/spokennames.h"
#include "platform/platform.h"
#include "store/codepage.h"
#include "store/files.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

JokeNamePrompt::JokeNamePrompt(const QString &name, const QSize &clientSize, TabOrder order,
                               QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(name);
    setWindowTitle(QStringLiteral("Přidat..."));
    setFixedSize(clientSize);
    // The red caption reads on the home platform's face.
    colours::setGround(this, QPalette::Window, colours::face(), QPalette::WindowText);

    Label1 = new QLabel(QStringLiteral("Zadejte název nového vtipu:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, clientSize.width() - 8, 13);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(red);

    JmenoVtipu = new QLineEdit(this);
    JmenoVtipu->setObjectName(QStringLiteral("JmenoVtipu"));
    JmenoVtipu->setGeometry(8, 24, 169, 21);
    JmenoVtipu->installEventFilter(this);
    nameByLabel(Label1, JmenoVtipu);

    Button2 = new QPushButton(QStringLiteral("OK"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(16, 56, 75, 25);
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    Button1 = new QPushButton(QStringLiteral("Storno"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(96, 56, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    // Neither button is the default one: Enter in the name box goes through
    // the box's own key handler, and Escape does nothing.
    for (QPushButton *button : {Button2, Button1}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    if (order == TabOrder::StornoFirst) {
        setTabOrder(JmenoVtipu, Button1);
        setTabOrder(Button1, Button2);
    } else {
        setTabOrder(JmenoVtipu, Button2);
        setTabOrder(Button2, Button1);
    }
}

void JokeNamePrompt::Button2Click()
{
    if (JmenoVtipu->text().isEmpty()) {
        platform::services().message(QStringLiteral("Musíte zadat název!!!"));
        return;
    }
    if (m_asking) {
        const QString why = m_problem ? m_problem(JmenoVtipu->text()) : QString();
        if (!why.isEmpty()) {
            showCaption(why);
            JmenoVtipu->setFocus();
            JmenoVtipu->selectAll();
            return;
        }
        m_taken = store::decode1250(store::encode1250(JmenoVtipu->text()));
        accept();
        return;
    }
    JokeListOwner *target = owner();
    if (!target)
        return;
    // The name as the list file holds it: a character the code page has no
    // byte for is stored as "?", and the list shows what is stored. It goes
    // at the end of the list as the file holds it now.
    if (!target->jokes()->add(store::decode1250(store::encode1250(JmenoVtipu->text()))))
        return;
    accept();
}

void JokeNamePrompt::Button1Click()
{
    reject();
}

void JokeNamePrompt::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        if (m_asking) {
            JmenoVtipu->setText(m_proposed);
            JmenoVtipu->selectAll();
        } else {
            JmenoVtipu->clear();
        }
        JmenoVtipu->setFocus();
        // Over the window that opened the dialog.
        const auto *over = dynamic_cast<const QWidget *>(owner());
        if (over && over->isVisible())
            move(over->frameGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

void JokeNamePrompt::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter presses the button that has the focus, as on the home platform.
        if (auto *button = qobject_cast<QPushButton *>(focusWidget()))
            button->click();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool JokeNamePrompt::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == JmenoVtipu && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button2Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<QString>
JokeNamePrompt::askName(const QString &name, const QString &why,
                        const std::function<QString(const QString &)> &problem)
{
    // The prompt is made for one line of caption; the reason takes more, so
    // it grows for the question and is as it was afterwards.
    const QString caption = Label1->text();
    const QSize size = this->size();
    const QRect geometries[] = {Label1->geometry(), JmenoVtipu->geometry(), Button2->geometry(),
                                Button1->geometry()};
    m_asking = true;
    m_proposed = name;
    m_taken.clear();
    m_problem = problem;
    showCaption(why);
    const bool accepted = exec() == QDialog::Accepted;
    m_asking = false;
    m_problem = nullptr;
    Label1->setWordWrap(false);
    Label1->setText(caption);
    Label1->setGeometry(geometries[0]);
    JmenoVtipu->setGeometry(geometries[1]);
    Button2->setGeometry(geometries[2]);
    Button1->setGeometry(geometries[3]);
    setFixedSize(size);
    if (!accepted)
        return std::nullopt;
    return m_taken;
}

void JokeNamePrompt::showCaption(const QString &caption)
{
    constexpr int kWidth = 320;
    constexpr int kMargin = 8;
    Label1->setWordWrap(true);
    Label1->setText(caption);
    const int textWidth = kWidth - 2 * kMargin;
    const int height = Label1->heightForWidth(textWidth);
    Label1->setGeometry(kMargin, kMargin, textWidth, height);
    const int boxTop = kMargin + height + 4;
    JmenoVtipu->setGeometry(kMargin, boxTop, textWidth, 21);
    const int buttonTop = boxTop + 21 + 11;
    const QRect ok = Button2->geometry();
    const QRect storno = Button1->geometry();
    // The buttons in the middle, in their order.
    const int left = (kWidth - ok.width() - 5 - storno.width()) / 2;
    const bool okFirst = ok.left() < storno.left();
    Button2->move(okFirst ? left : left + storno.width() + 5, buttonTop);
    Button1->move(okFirst ? left + ok.width() + 5 : left, buttonTop);
    setFixedSize(kWidth, buttonTop + ok.height() + 5);
}
