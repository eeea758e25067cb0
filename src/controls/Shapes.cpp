#include "Shapes.h"

#include <QPainter>

#include <algorithm>
#include <limits>

namespace {

bool fitsInt(qint64 v)
{
    return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

// t × e / g with a 64-bit intermediate, rounded to the nearest integer with a
// half away from zero; false when g is 0 or the result does not fit an int.
bool mulDiv(int t, int e, int g, int &result)
{
    if (g == 0)
        return false;
    const qint64 product = qint64(t) * e;
    const qint64 dividend = product < 0 ? -product : product;
    const qint64 divisor = g < 0 ? -qint64(g) : qint64(g);
    qint64 quotient = dividend / divisor;
    if (2 * (dividend % divisor) >= divisor)
        ++quotient;
    if ((product < 0) != (g < 0))
        quotient = -quotient;
    if (!fitsInt(quotient))
        return false;
    result = int(quotient);
    return true;
}

void setCanvasColour(QPainter &canvas, const QColor &fill, const QColor &outline)
{
    QBrush brush = canvas.brush();
    brush.setColor(fill);
    canvas.setBrush(brush);
    QPen pen = canvas.pen();
    pen.setColor(outline);
    canvas.setPen(pen);
}

} // namespace

// --- TCustomShape ---

TCustomShape::TCustomShape(QWidget *parent)
    : QWidget(parent), m_brush(Qt::white, Qt::SolidPattern), m_pen(Qt::black)
{
    resize(65, 65);
}

void TCustomShape::setBrush(const QBrush &brush)
{
    if (brush == m_brush)
        return;
    m_brush = brush;
    update();
}

void TCustomShape::setPen(const QPen &pen)
{
    if (pen == m_pen)
        return;
    m_pen = pen;
    update();
}

void TCustomShape::setShadow(bool on)
{
    if (on == m_shadow)
        return;
    m_shadow = on;
    update();
}

void TCustomShape::setShadowOffset(unsigned pixels)
{
    if (pixels == m_shadowOffset)
        return;
    m_shadowOffset = pixels;
    update();
}

QColor TCustomShape::shadowColor() const
{
    return m_shadowColor.isValid() ? m_shadowColor : palette().color(QPalette::Dark);
}

void TCustomShape::setShadowColor(const QColor &color)
{
    const QColor stored = color.isValid() ? color : QColor();
    if (stored == m_shadowColor)
        return;
    m_shadowColor = stored;
    update();
}

void TCustomShape::paintEvent(QPaintEvent *)
{
    QPainter canvas(this);
    canvas.setBrush(m_brush);
    canvas.setPen(m_pen);
    if (m_shadow)
        DrawShadow(canvas);
    DrawShape(canvas);
}

void TCustomShape::DrawShadow(QPainter &canvas)
{
    const QColor colour = shadowColor();
    setCanvasColour(canvas, colour, colour);
}

void TCustomShape::DrawShape(QPainter &canvas)
{
    setCanvasColour(canvas, m_brush.color(), m_pen.color());
}

// --- TCustomPolyShape ---

TCustomPolyShape::TCustomPolyShape(QWidget *parent) : TCustomShape(parent)
{}

bool TCustomPolyShape::CalcPoints(std::span<QPoint> points, std::span<const QPoint> templ,
                                  int xExtent, int yExtent) const
{
    return scalePoints(points, templ, xExtent, yExtent, 100);
}

void TCustomPolyShape::OffsetPoints(std::span<QPoint> points, int dx, int dy) const
{
    for (QPoint &p : points)
        p += QPoint(dx, dy);
}

bool TCustomPolyShape::scalePoints(std::span<QPoint> points, std::span<const QPoint> templ,
                                   int xExtent, int yExtent, int grid)
{
    if (points.size() != templ.size())
        return false;
    for (std::size_t i = 0; i < points.size(); ++i) {
        int x = 0;
        int y = 0;
        if (!mulDiv(templ[i].x(), xExtent, grid, x) || !mulDiv(templ[i].y(), yExtent, grid, y))
            return false;
        points[i] = QPoint(x, y);
    }
    return true;
}

// --- TBubbleShape ---

TBubbleShape::TBubbleShape(QWidget *parent) : TCustomPolyShape(parent)
{}

bool TBubbleShape::CalcPoints(std::span<QPoint> points, std::span<const QPoint> templ, int xExtent,
                              int yExtent) const
{
    return scalePoints(points, templ, xExtent, yExtent, BubbleGrid);
}

// The bubble leaves room for the outline: it is inset by half the pen width on
// the left and top and by the whole width plus a pixel on the right and
// bottom. A pen of width 0 still draws a one-pixel line and is given the room
// of one of width 1. With the shadow on, the shadow is the bubble moved by the
// offset right and down, and both stay inside the control.

void TBubbleShape::DrawShadow(QPainter &canvas)
{
    TCustomPolyShape::DrawShadow(canvas);
    const qint64 penWidth = pen().width();
    const qint64 offset = shadowOffset();
    qint64 xExtent = width() - offset - 1 - penWidth;
    qint64 yExtent = height() - offset - 1 - penWidth;
    if (penWidth == 0) {
        --xExtent;
        --yExtent;
    }
    drawBubble(canvas, xExtent, yExtent, penWidth / 2 + offset);
}

void TBubbleShape::DrawShape(QPainter &canvas)
{
    TCustomPolyShape::DrawShape(canvas);
    const qint64 penWidth = pen().width();
    const qint64 offset = shadowOffset();
    qint64 xExtent = width() - offset - 1 - penWidth;
    qint64 yExtent = height() - offset - 1 - penWidth;
    if (!shadow()) {
        xExtent += offset;
        yExtent += offset;
    }
    if (penWidth == 0) {
        --xExtent;
        --yExtent;
    }
    drawBubble(canvas, xExtent, yExtent, penWidth / 2);
}

void TBubbleShape::drawBubble(QPainter &canvas, qint64 xExtent, qint64 yExtent, qint64 offset)
{
    // The template lies within its grid, so every scaled coordinate lies
    // between 0 and its extent; a shadow offset too large for the coordinates
    // draws nothing.
    if (!fitsInt(xExtent) || !fitsInt(yExtent) || !fitsInt(offset + std::max<qint64>(xExtent, 0)) ||
        !fitsInt(offset + std::max<qint64>(yExtent, 0)))
        return;
    std::array<QPoint, BubbleTemplate.size()> points;
    if (!CalcPoints(points, BubbleTemplate, int(xExtent), int(yExtent)))
        return;
    OffsetPoints(points, int(offset), int(offset));
    canvas.drawPolygon(points.data(), int(points.size()));
}
