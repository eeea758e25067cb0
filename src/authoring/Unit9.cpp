#include "Unit9.h"

#include "Authoring.h"
#include "JokeList.h"
#include "Pictures.h"
#include "Unit7.h"
#include "controls/colours.h"
#include "controls/listbox.h"
#include "platform/platform.h"
#include "store/files.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

QFont msSansSerif(int pixelHeight, bool bold = false)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QFont &font,
              const QColor &colour)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(font);
    QPalette palette = l->palette();
    palette.setColor(QPalette::WindowText, colour);
    l->setPalette(palette);
    return l;
}

// Takes the entry at `from` out and puts it in at `to` of the shortened list.
void moveEntry(ListBox *list, int from, int to)
{
    if (from == to)
        return;
    const QString name = list->item(from);
    list->removeItem(from);
    list->insertItem(to, name);
}

} // namespace

TPresunOkno::TPresunOkno(AuthoringHost *host, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_host(host)
{
    setObjectName(QStringLiteral("PresunOkno"));
    setWindowTitle(QStringLiteral("Přesunout podložku..."));
    setFont(msSansSerif(11));
    setFixedSize(388, 166);
    move(271, 219);
    // The coloured captions read on the home platform's face.
    colours::setGround(this, QPalette::Window, colours::face(), QPalette::WindowText);

    Seznam = new ListBox(this);
    Seznam->setObjectName(QStringLiteral("Seznam"));
    Seznam->setGeometry(8, 8, 153, 121);
    Seznam->setItemHeight(13);
    Seznam->viewport()->setCursor(Qt::DragMoveCursor);
    connect(Seznam, &ListBox::userSelected, this, [this](int row) { SeznamClick(row); });
    Seznam->setAccessibleName(QStringLiteral("Seznam vtipů"));

    Napoveda = label(this, "Napoveda",
                     QStringLiteral("Klikni na místo kam chceš přesunout vtip a pak zmáčkni "
                                    "tlačítko \"Přesunout\"."),
                     msSansSerif(13, true), QColor(0x00, 0x80, 0x00));
    Napoveda->setWordWrap(true);
    Napoveda->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Napoveda->setGeometry(176, 24, 205, 48);
    Napoveda->setCursor(Qt::IBeamCursor);

    Label1 =
        label(this, "Label1", QStringLiteral("Přesouváte vtip:"), msSansSerif(11, true), Qt::red);
    Label1->move(176, 104);
    Label1->resize(Label1->sizeHint());

    Vtip = label(this, "Vtip", QString(), msSansSerif(11), Qt::blue);
    Vtip->setGeometry(272, 104, width() - 272, 13);

    BitBtn1 =
        new QPushButton(pictures::tool(pictures::Tool::Ok), QStringLiteral("Přesunout"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(8, 136, 81, 25);
    // Enter in the list moves the joke.
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

    BitBtn2 =
        new QPushButton(pictures::tool(pictures::Tool::Abort), QStringLiteral("Zavřít"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(96, 136, 65, 25);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

int TPresunOkno::exec()
{
    if (!FormShow())
        return QDialog::Rejected;
    Seznam->setFocus();
    return QDialog::exec();
}

bool TPresunOkno::FormShow()
{
    const TUprava *editor = Uprava;
    const int selected = editor ? editor->Seznam->itemIndex() : -1;
    if (selected < 0) {
        platform::services().beep();
        return false;
    }
    PoziceVtipu = selected;
    Seznam->setItems(editor->Seznam->items());
    Seznam->scrollToTop();
    Vtip->setText(editor->Seznam->item(selected));
    return true;
}

void TPresunOkno::SeznamClick(int row)
{
    if (row < 0 || row >= Seznam->count())
        return;
    moveEntry(Seznam, PoziceVtipu, row);
    PoziceVtipu = row;
    // The highlight stays on the moved joke, so the arrow keys go on moving it.
    Seznam->setItemIndex(row);
}

void TPresunOkno::BitBtn1Click()
{
    TUprava *editor = Uprava;
    const int from = editor->Seznam->itemIndex();
    if (from >= 0 && from != PoziceVtipu && PoziceVtipu < editor->Seznam->count()) {
        // Moved in the list as the file holds it now: to the place the user
        // chose, or as near it as the list allows.
        const int to = PoziceVtipu;
        const JokeList::Outcome outcome =
            editor->jokes()->move(from, [to](int, int) { return to; });
        if (outcome == JokeList::Outcome::Failed || outcome == JokeList::Outcome::Gone) {
            reject();
            return;
        }
    }
    platform::services().message(QStringLiteral("Váš vtip byl úspěšně přesunut!!!"));
    accept();
}

void TPresunOkno::BitBtn2Click()
{
    reject();
}

void TPresunOkno::keyPressEvent(QKeyEvent *event)
{
    // Escape does nothing; the dialog closes through "Zavřít" or its close
    // button.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
