#include "Hledat.h"

#include "Program.h"
#include "Unit1.h"
#include "controls/colours.h"
#include "controls/listbox.h"
#include "controls/spokennames.h"
#include "platform/platform.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

// A magnifying glass.
QIcon magnifier()
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x60, 0x30, 0x00), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 10.5), QPointF(14, 14));
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(0xC0, 0xE0, 0xFF));
    p.drawEllipse(QRectF(1.5, 1.5, 9.5, 9.5));
    p.setPen(QPen(Qt::white, 1.2));
    p.drawArc(QRectF(3.5, 3.5, 5.5, 5.5), 100 * 16, 70 * 16);
    p.end();
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

Tlook::Tlook(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("look"));
    setWindowTitle(QStringLiteral("Najít..."));
    setFixedSize(154, 81);
    move(295, 179);
    // The red caption reads on the home platform's face.
    colours::setGround(this, QPalette::Window, colours::face(), QPalette::WindowText);

    Label1 = new QLabel(QStringLiteral("Zadejte text:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(40, 0);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(red);
    Label1->adjustSize();

    text = new QLineEdit(this);
    text->setObjectName(QStringLiteral("text"));
    text->setGeometry(16, 16, 121, 21);
    text->setCursor(Qt::IBeamCursor);
    text->installEventFilter(this);
    nameByLabel(Label1, text);

    BitBtn1 = new QPushButton(magnifier(), QStringLiteral("Najít..."), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(40, 48, 75, 25);
    // Enter belongs to the edit box; the button is pressed only by the mouse
    // or the space bar, so one Enter searches once.
    BitBtn1->setAutoDefault(false);
    BitBtn1->setDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

    Hledej = new QAction(QStringLiteral("Hledej"), this);
    Hledej->setObjectName(QStringLiteral("Hledej"));
    addAction(Hledej);
    connect(Hledej, &QAction::triggered, this, [this] { HledejExecute(); });
}

void Tlook::BitBtn1Click()
{
    Hledej->trigger();
}

bool Tlook::textKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    Hledej->trigger();
    return true;
}

void Tlook::HledejExecute()
{
    if (!HLAVNI)
        return;
    ListBox *list = HLAVNI->Seznam;
    const QString name = text->text();
    const int row = list->findExact(name);
    list->setItemIndex(row);
    if (row < 0)
        platform::services().message(QStringLiteral("Nemůžu najít vtip \"") + name + u'"');
}

bool Tlook::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == text && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (textKeyDown(key->key(), key->modifiers()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
