#include "Pictures.h"

#include <QApplication>
#include <QFont>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

namespace pictures {
namespace {

const QColor kInk(0x20, 0x20, 0x20);
const QColor kNavy(0x00, 0x00, 0x80);

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void letter(QPainter &p, const QString &text, bool bold, bool italic, bool underline)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(14);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, text);
}

// Four lines of text, aligned as a paragraph would be.
void paragraph(QPainter &p, Qt::Alignment alignment)
{
    static const int lengths[] = {12, 8, 12, 6};
    p.setPen(QPen(kInk, 1));
    for (int i = 0; i < 4; ++i) {
        const int length = lengths[i];
        int left = 2;
        if (alignment & Qt::AlignHCenter)
            left = 2 + (12 - length) / 2;
        else if (alignment & Qt::AlignRight)
            left = 14 - length;
        const int y = 3 + i * 3;
        p.drawLine(left, y, left + length - 1, y);
    }
}

void arrow(QPainter &p, const QPointF &from, const QPointF &to, const QColor &colour)
{
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const qreal length = std::max(1.0, std::hypot(d.x(), d.y()));
    const QPointF unit = d / length;
    const QPointF normal(-unit.y(), unit.x());
    QPolygonF head;
    head << to + unit * 2 << to - unit * 4 + normal * 4 << to - unit * 4 - normal * 4;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

void sheet(QPainter &p, const QRectF &r, const QColor &fill)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(fill);
    p.drawRect(r);
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void drawKey(QPainter &p, const QRectF &r)
{
    const qreal s = std::min(r.width(), r.height());
    const QPointF c(r.left() + s * 0.3, r.center().y());
    p.setPen(QPen(QColor(0x70, 0x50, 0x00), std::max(1.0, s / 12)));
    p.setBrush(QColor(0xE8, 0xB8, 0x20));
    p.drawEllipse(c, s * 0.26, s * 0.26);
    p.setBrush(Qt::white);
    p.drawEllipse(c, s * 0.08, s * 0.08);
    QPainterPath shaft;
    const qreal half = s * 0.07;
    shaft.addRect(QRectF(c.x() + s * 0.24, c.y() - half, r.right() - c.x() - s * 0.26, 2 * half));
    shaft.addRect(QRectF(r.right() - s * 0.2, c.y(), s * 0.08, s * 0.2));
    shaft.addRect(QRectF(r.right() - s * 0.38, c.y(), s * 0.08, s * 0.15));
    p.setBrush(QColor(0xE8, 0xB8, 0x20));
    p.drawPath(shaft.simplified());
}

QImage drawTool(Tool which)
{
    QImage image = canvas(16, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case Tool::Bold:
        letter(p, QStringLiteral("B"), true, false, false);
        break;
    case Tool::Italic:
        letter(p, QStringLiteral("I"), true, true, false);
        break;
    case Tool::Underline:
        letter(p, QStringLiteral("U"), true, false, true);
        break;
    case Tool::Colour: {
        static const QColor colours[] = {Qt::red, QColor(0x00, 0xA0, 0x00), Qt::blue,
                                         QColor(0xFF, 0xC0, 0x00)};
        p.setPen(QPen(kInk, 1));
        for (int i = 0; i < 4; ++i) {
            p.setBrush(colours[i]);
            p.drawRect(QRectF(1.5 + (i % 2) * 7, 1.5 + (i / 2) * 7, 6, 6));
        }
        break;
    }
    case Tool::Redo:
        // The undo arrow, turned the other way.
        p.translate(16, 0);
        p.scale(-1, 1);
        [[fallthrough]];
    case Tool::Undo: {
        p.setPen(QPen(kNavy, 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4, 4, 9, 9), 150 * 16, -240 * 16);
        QPolygonF head;
        head << QPointF(1, 5) << QPointF(7, 4) << QPointF(4, 10);
        p.setPen(Qt::NoPen);
        p.setBrush(kNavy);
        p.drawPolygon(head);
        break;
    }
    case Tool::Bullets:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QRectF(1.5, 2 + i * 5, 3, 3));
        p.setPen(QPen(kInk, 1));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(7, 3.5 + i * 5), QPointF(15, 3.5 + i * 5));
        break;
    case Tool::AlignLeft:
        p.setRenderHint(QPainter::Antialiasing, false);
        paragraph(p, Qt::AlignLeft);
        break;
    case Tool::AlignCentre:
        p.setRenderHint(QPainter::Antialiasing, false);
        paragraph(p, Qt::AlignHCenter);
        break;
    case Tool::AlignRight:
        p.setRenderHint(QPainter::Antialiasing, false);
        paragraph(p, Qt::AlignRight);
        break;
    case Tool::MoveUp:
        arrow(p, QPointF(8, 14), QPointF(8, 4), QColor(0x00, 0x80, 0x00));
        break;
    case Tool::MoveDown:
        arrow(p, QPointF(8, 2), QPointF(8, 12), QColor(0x00, 0x80, 0x00));
        break;
    case Tool::MoveTo:
        sheet(p, QRectF(8.5, 1.5, 6, 13), Qt::white);
        arrow(p, QPointF(1, 8), QPointF(6, 8), QColor(0xC0, 0x00, 0x00));
        break;
    case Tool::Cut:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 10, 4.5, 4.5));
        p.drawEllipse(QRectF(9.5, 10, 4.5, 4.5));
        p.drawLine(QPointF(5.5, 10.5), QPointF(11, 1.5));
        p.drawLine(QPointF(10.5, 10.5), QPointF(5, 1.5));
        break;
    case Tool::Copy:
        sheet(p, QRectF(1.5, 1.5, 8, 10), Qt::white);
        sheet(p, QRectF(6.5, 4.5, 8, 10), Qt::white);
        break;
    case Tool::Paste:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(0xB0, 0x80, 0x40));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(QColor(0xC0, 0xC0, 0xC0));
        p.drawRect(QRectF(4.5, 1.5, 4, 3));
        sheet(p, QRectF(7.5, 6.5, 7, 8), Qt::white);
        break;
    case Tool::Jokes: {
        p.setPen(QPen(QColor(0x80, 0x50, 0x00), 1));
        p.setBrush(QColor(0xFF, 0xD7, 0x00));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QRectF(5, 5, 2, 2.5));
        p.drawEllipse(QRectF(9, 5, 2, 2.5));
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4.5, 5, 7, 6.5), 200 * 16, 140 * 16);
        break;
    }
    case Tool::Information: {
        p.setPen(Qt::NoPen);
        p.setBrush(kNavy);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        QFont font(QStringLiteral("Times New Roman"));
        font.setPixelSize(12);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 1, 16, 15), Qt::AlignCenter, QStringLiteral("i"));
        break;
    }
    case Tool::Password:
        drawKey(p, QRectF(0, 2, 16, 12));
        break;
    case Tool::Ok: {
        QPainterPath tick;
        tick.moveTo(2, 8.5);
        tick.lineTo(6, 12.5);
        tick.lineTo(14, 3.5);
        p.setPen(QPen(QColor(0x00, 0x90, 0x00), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
        break;
    }
    case Tool::Abort:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xC0, 0x00, 0x00));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
        break;
    }
    p.end();
    return image;
}

// A picture drawn the first time it is shown, in the state it is shown in.
class DrawnIcon : public QIconEngine
{
public:
    explicit DrawnIcon(Tool which) : m_which(which) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        QImage image = drawn();
        if (size != image.size())
            image = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPixmap pixmap = QPixmap::fromImage(image);
        if (mode == QIcon::Disabled) {
            QStyleOption option;
            option.palette = QApplication::palette();
            pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
        }
        return pixmap;
    }
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        return QSize(kSize, kSize).scaled(size, Qt::KeepAspectRatio).boundedTo(size);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(kSize, kSize)};
    }
    QIconEngine *clone() const override { return new DrawnIcon(m_which); }

private:
    static constexpr int kSize = 16;

    const QImage &drawn() const
    {
        static QImage cache[int(Tool::Abort) + 1];
        QImage &image = cache[int(m_which)];
        if (image.isNull())
            image = drawTool(m_which);
        return image;
    }

    Tool m_which;
};

} // namespace

QIcon tool(Tool which)
{
    return QIcon(new DrawnIcon(which));
}

QImage key(int width, int height)
{
    QImage image = canvas(width, height);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawKey(p, QRectF(0.5, 0.5, width - 1, height - 1));
    return image;
}

QImage padlock(int width, int height)
{
    QImage image = canvas(width, height);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width;
    const qreal h = height;
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), std::max(2.0, w / 9)));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(w * 0.25, h * 0.06, w * 0.5, h * 0.6), 0, 180 * 16);
    p.drawLine(QPointF(w * 0.25, h * 0.36), QPointF(w * 0.25, h * 0.46));
    p.drawLine(QPointF(w * 0.75, h * 0.36), QPointF(w * 0.75, h * 0.46));
    p.setPen(QPen(QColor(0x70, 0x50, 0x00), std::max(1.0, w / 30)));
    p.setBrush(QColor(0xE8, 0xB8, 0x20));
    p.drawRoundedRect(QRectF(w * 0.12, h * 0.44, w * 0.76, h * 0.52), w * 0.06, w * 0.06);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0x30, 0x00));
    p.drawEllipse(QPointF(w * 0.5, h * 0.62), w * 0.07, w * 0.07);
    p.drawRect(QRectF(w * 0.47, h * 0.64, w * 0.06, h * 0.18));
    return image;
}

} // namespace pictures
