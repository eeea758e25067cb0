#include "Celkem.h"

#include "Details.h"
#include "Program.h"
#include "controls/Shapes.h"
#include "controls/colours.h"
#include "controls/picturebox.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {

// A label of the bubble: black on the bubble's white.
QLabel *label(QWidget *parent, const char *name, int left, int top, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(left, top);
    l->adjustSize();
    colours::setBlackText(l, QPalette::WindowText);
    return l;
}

// Keeps a label's visible text within `width` pixels: fonts wider than the
// ones the window was laid out for bring the letters a little closer.
void fitWidth(QLabel *label, int width)
{
    const QString visible = label->text().trimmed();
    QFont font = label->font();
    for (int step = 1; step <= 10 && QFontMetrics(font).horizontalAdvance(visible) > width; ++step)
        font.setLetterSpacing(QFont::AbsoluteSpacing, -0.1 * step);
    label->setFont(font);
    label->adjustSize();
}

void emphasise(QLabel *label, const QColor &colour)
{
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// The one who speaks the bubble: a laughing face holding its belly.
QImage laughingFace()
{
    QImage image(57, 49, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(0x60, 0x40, 0x00);
    p.setPen(QPen(outline, 1.5));
    p.setBrush(QColor(0xFF, 0xD7, 0x00));
    p.drawEllipse(QRectF(14.5, 2.5, 38, 38));
    // Eyes squeezed shut with laughter.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(outline, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(22, 12, 8, 7), 0, 180 * 16);
    p.drawArc(QRectF(37, 12, 8, 7), 0, 180 * 16);
    // A wide open mouth.
    QPainterPath mouth;
    mouth.moveTo(22, 23);
    mouth.lineTo(45, 23);
    mouth.quadTo(44, 37, 33.5, 37);
    mouth.quadTo(23, 37, 22, 23);
    p.setPen(QPen(outline, 1.2));
    p.setBrush(QColor(0x90, 0x10, 0x10));
    p.drawPath(mouth);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(24, 23.8, 19, 3));
    // Tears of laughter.
    p.setBrush(QColor(0x40, 0x90, 0xFF));
    p.drawEllipse(QRectF(16, 19, 4, 6));
    p.drawEllipse(QRectF(47, 19, 4, 6));
    // Hands on the belly.
    p.setPen(QPen(outline, 1.2));
    p.setBrush(QColor(0xFF, 0xD7, 0x00));
    p.drawEllipse(QRectF(7.5, 36.5, 13, 10));
    p.drawEllipse(QRectF(43.5, 36.5, 13, 10));
    p.end();
    return image;
}

// A page of lines under a magnifying glass: the details.
QImage detailsPage()
{
    QImage image(26, 26, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(1, 1, 16, 21);
    p.setPen(QPen(QColor(0x00, 0x00, 0x80), 1));
    for (int y = 5; y <= 18; y += 3)
        p.drawLine(4, y, 14, y);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x60, 0x30, 0x00), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19.5, 19.5), QPointF(24, 24));
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(0xC0, 0xE0, 0xFF, 0xC0));
    p.drawEllipse(QRectF(9.5, 9.5, 11, 11));
    p.end();
    return image;
}

// A red arrow pointing up to the details.
QImage arrow()
{
    QImage image(22, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x80, 0x00, 0x00), 1));
    p.setBrush(Qt::red);
    const QPointF shape[] = {{1, 13}, {13, 7.5}, {11, 4.5}, {21, 2}, {16, 11}, {14.5, 9}, {3, 15}};
    p.drawPolygon(shape, int(std::size(shape)));
    p.end();
    return image;
}

PictureBox *picture(QWidget *parent, const char *name, int left, int top, const QImage &image)
{
    auto *box = new PictureBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(left, top, image.width(), image.height());
    box->setImage(image);
    return box;
}

} // namespace

TCelkemVtipu::TCelkemVtipu(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("CelkemVtipu"));
    setWindowTitle(QStringLiteral("Celkem vtipů..."));
    setFixedSize(180, 147);
    move(305, 187);

    Image1 = picture(this, "Image1", 8, 64, laughingFace());
    Image1->setStretch(true);
    Image1->setCenter(true);

    BubbleShape1 = new TBubbleShape(this);
    BubbleShape1->setObjectName(QStringLiteral("BubbleShape1"));
    BubbleShape1->setGeometry(7, 8, 154, 97);
    BubbleShape1->setShadow(true);
    BubbleShape1->setShadowOffset(2);

    Label1 = label(this, "Label1", 12, 16, QStringLiteral("Celkový počet vtipů je: "));
    fitWidth(Label1, 120 - 12 - 3);
    PocetVtipu = label(this, "PocetVtipu", 120, 16, QStringLiteral("????"));
    emphasise(PocetVtipu, Qt::red);
    Label2 = label(this, "Label2", 43, 32, QStringLiteral("v "));
    Knihovnach = label(this, "Knihovnach", 53, 32, QStringLiteral("??"));
    emphasise(Knihovnach, QColor(0x00, 0x80, 0x00));
    Label3 = label(this, "Label3", 72, 32, QStringLiteral("knihovnách."));
    fitWidth(Label2, 53 - 43 - 2);
    // The numbers grow to the right as far as the window reaches; what lies
    // beside them stays drawn over them.
    PocetVtipu->resize(width() - PocetVtipu->x(), PocetVtipu->height());
    Knihovnach->resize(width() - Knihovnach->x(), Knihovnach->height());

    Image2 = picture(this, "Image2", 128, 80, detailsPage());
    Image2->setToolTip(QStringLiteral("Kliknutím na mě zobrazíte detaily."));
    Image2->setAccessibleName(QStringLiteral("Zobrazit detaily"));
    Image2->installEventFilter(this);
    Image3 = picture(this, "Image3", 104, 96, arrow());

    PanelTlacOK = new QFrame(this);
    PanelTlacOK->setObjectName(QStringLiteral("PanelTlacOK"));
    PanelTlacOK->setGeometry(76, 120, 33, 26);
    PanelTlacOK->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelTlacOK->setLineWidth(2);

    TlacOK = new QPushButton(QStringLiteral("OK"), PanelTlacOK);
    TlacOK->setObjectName(QStringLiteral("TlacOK"));
    TlacOK->setGeometry(2, 2, 29, 22);
    TlacOK->setFlat(true);
    QFont bold = TlacOK->font();
    bold.setBold(true);
    TlacOK->setFont(bold);
    connect(TlacOK, &QPushButton::clicked, this, [this] { TlacOKClick(); });
}

void TCelkemVtipu::TlacOKClick()
{
    close();
}

void TCelkemVtipu::Image2Click()
{
    if (CelkemDetaily)
        CelkemDetaily->exec();
}

bool TCelkemVtipu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image2) {
        const auto *mouse = dynamic_cast<const QMouseEvent *>(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() == Qt::LeftButton)
                m_pressed = watched;
            break;
        case QEvent::MouseButtonDblClick:
            m_pressed = nullptr;
            break;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton && m_pressed == watched &&
                Image2->rect().contains(mouse->position().toPoint())) {
                m_pressed = nullptr;
                Image2Click();
                return true;
            }
            m_pressed = nullptr;
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
