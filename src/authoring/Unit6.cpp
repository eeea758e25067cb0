#include "Unit6.h"

#include "Authoring.h"
#include "Host.h"
#include "JokeList.h"
#include "Pictures.h"
#include "Unit7.h"
#include "controls/colours.h"
#include "controls/listbox.h"
#include "controls/picturebox.h"
#include "controls/spokennames.h"
#include "platform/platform.h"
#include "store/codepage.h"
#include "store/files.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QWindow>

#include <tuple>

namespace {

QFont msSansSerif(int pixelHeight, bool bold = false)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

} // namespace

TUpravit::TUpravit(AuthoringHost *host, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_host(host)
{
    setObjectName(QStringLiteral("Upravit"));
    setWindowTitle(QStringLiteral("Upravit..."));
    setFont(msSansSerif(11));
    setFixedSize(286, 52);
    // The red caption reads on the home platform's face.
    colours::setGround(this, QPalette::Window, colours::face(), QPalette::WindowText);

    Label1 = new QLabel(QStringLiteral("Heslo do knihovny:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(0, 8, 133, 16);
    Label1->setFont(msSansSerif(13, true));
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(red);

    Heslo = new QLineEdit(this);
    Heslo->setObjectName(QStringLiteral("Heslo"));
    Heslo->setGeometry(136, 8, 145, 17);
    Heslo->setEchoMode(QLineEdit::Password);
    Heslo->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Heslo->installEventFilter(this);
    nameByLabel(Label1, Heslo);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(136, 32, 27, 17);
    Button1->setFont(msSansSerif(11, true));
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    const QImage key = pictures::key(15, 16);
    for (auto [picture, name, left] :
         {std::tuple{&Image1, "Image1", 120}, std::tuple{&Image2, "Image2", 160}}) {
        *picture = new PictureBox(this);
        (*picture)->setObjectName(QString::fromLatin1(name));
        (*picture)->setGeometry(left, 32, 15, 16);
        (*picture)->setCenter(true);
        (*picture)->setImage(key);
    }

    setTabOrder(Heslo, Button1);
}

int TUpravit::exec()
{
    // Centred over the main window at every opening.
    if (const QWidget *owner = parentWidget()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->window()->frameGeometry().center());
        move(frame.topLeft());
    }
    if (!FormShow()) {
        FormCloseQuery();
        return QDialog::Accepted;
    }
    Heslo->setFocus();
    return QDialog::exec();
}

bool TUpravit::readPassword(QString *password)
{
    const QString library = m_host ? m_host->selectedLibrary() : QString();
    QString error;
    const std::optional<QStringList> lines =
        store::readList(store::DbPath::libraryFile(library, QStringLiteral(".da4")), &error);
    if (!lines) {
        platform::services().error(error);
        return false;
    }
    Odloz = *lines;
    *password = Odloz.isEmpty() ? QString() : Odloz.first();
    return true;
}

bool TUpravit::FormShow()
{
    QString password;
    if (!readPassword(&password) || !password.isEmpty())
        return true;
    return !openEditor();
}

void TUpravit::Button1Click()
{
    QString password;
    if (!readPassword(&password))
        return;
    // The bytes of the file against the bytes the typed text is stored as:
    // letter case and spaces count, nothing is trimmed.
    if (store::encode1250(Heslo->text()) != store::encode1250(password)) {
        platform::services().message(QStringLiteral("Špatný heslo!!!"));
        return;
    }
    if (openEditor())
        done(QDialog::Accepted);
}

bool TUpravit::HesloKeyDown(const QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    Button1Click();
    return true;
}

bool TUpravit::prepareEditor()
{
    TUprava *editor = Uprava;
    if (!editor)
        return false;
    const QString library = m_host ? m_host->selectedLibrary() : QString();
    editor->Vtip->setEnabled(false);
    QString error;
    store::ListCopy jokes;
    if (!store::readList(store::DbPath::jokeList(library), jokes, &error)) {
        platform::services().error(error);
        return false;
    }
    editor->jokes()->open(library, std::move(jokes));
    editor->clearJokeText();
    editor->Edit->clear();
    editor->SouborVtipu.reset();
    editor->Nazev = library;
    return true;
}

bool TUpravit::openEditor()
{
    if (!prepareEditor())
        return false;
    // The editor stands over the gate, which stays on top of other windows,
    // or over the main window when the gate is not shown.
    QWidget *over = isVisible() ? this : parentWidget() ? parentWidget()->window() : nullptr;
    if (over && over->windowHandle()) {
        Uprava->winId();
        Uprava->windowHandle()->setTransientParent(over->windowHandle());
    }
    Uprava->exec();
    return true;
}

bool TUpravit::FormCloseQuery()
{
    Heslo->clear();
    return true;
}

void TUpravit::done(int result)
{
    if (!FormCloseQuery())
        return;
    QDialog::done(result);
}

void TUpravit::keyPressEvent(QKeyEvent *event)
{
    // No key cancels the gate; it is left through its close button.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TUpravit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Heslo && event->type() == QEvent::KeyPress &&
        HesloKeyDown(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}
