#pragma once

#include <QBrush>
#include <QColor>
#include <QPen>
#include <QPoint>
#include <QWidget>

#include <array>
#include <span>

class QPainter;

// A graphic control that paints a filled outline with an optional drop shadow.
// It never fills its own rectangle, so whatever lies beneath shows through
// around the outline. Mouse events reach it as they reach any control.
//
// Every change of the brush, pen or shadow settings repaints the control;
// writing the value it already has does not.
class TCustomShape : public QWidget
{
    Q_OBJECT
public:
    // 65 × 65 pixels, solid white brush, solid black pen of width 1, shadow on
    // with an offset of 2 in the button-shadow colour.
    explicit TCustomShape(QWidget *parent = nullptr);

    // Fill of the shape; the shadow takes its style in the shadow colour.
    const QBrush &brush() const { return m_brush; }
    void setBrush(const QBrush &brush);
    // Outline of the shape; the shadow takes its style and width in the shadow
    // colour.
    const QPen &pen() const { return m_pen; }
    void setPen(const QPen &pen);

    bool shadow() const { return m_shadow; }
    void setShadow(bool on);
    // How far the shadow lies right of and below the shape, in pixels.
    unsigned shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(unsigned pixels);
    // Colour of the shadow's fill and outline. Until a colour is set it is the
    // palette's button-shadow colour, QPalette::Dark (which Qt's Windows
    // platform takes from the system's button-shadow colour), and follows
    // changes of the palette; setting an invalid QColor goes back to that.
    QColor shadowColor() const;
    void setShadowColor(const QColor &color);

protected:
    // Paints with the brush and pen: the shadow when it is on, then the shape.
    void paintEvent(QPaintEvent *event) override;
    // Sets the canvas colours to the shadow colour; a shape then draws its
    // shadow with them.
    virtual void DrawShadow(QPainter &canvas);
    // Sets the canvas colours to those of the brush and pen; a shape then draws
    // itself with them.
    virtual void DrawShape(QPainter &canvas);

private:
    QBrush m_brush;
    QPen m_pen;
    bool m_shadow = true;
    unsigned m_shadowOffset = 2;
    QColor m_shadowColor; // invalid: the palette's button-shadow colour
};

// A shape drawn as a polygon whose template is scaled to the control.
class TCustomPolyShape : public TCustomShape
{
    Q_OBJECT
public:
    explicit TCustomPolyShape(QWidget *parent = nullptr);

    // Fills `points` from `templ`, scaling x by `xExtent` and y by `yExtent`;
    // template coordinates are percentages of the extents. Each coordinate is
    // rounded to the nearest integer, a half away from zero. Returns false,
    // and the caller draws nothing, when `points` is not as long as `templ`
    // or a result does not fit an int.
    virtual bool CalcPoints(std::span<QPoint> points, std::span<const QPoint> templ, int xExtent,
                            int yExtent) const;
    // Moves every point by `dx` to the right and `dy` down. The caller keeps
    // the results within the range of an int.
    virtual void OffsetPoints(std::span<QPoint> points, int dx, int dy) const;

protected:
    // CalcPoints for a template on a grid of `grid` units.
    static bool scalePoints(std::span<QPoint> points, std::span<const QPoint> templ, int xExtent,
                            int yExtent, int grid);
};

// A comic-strip speech bubble with its tail pointing down and to the left,
// drawn within the control with its outline and shadow.
class TBubbleShape : public TCustomPolyShape
{
    Q_OBJECT
public:
    explicit TBubbleShape(QWidget *parent = nullptr);

    // The bubble's outline on a grid of BubbleGrid × BubbleGrid units, x to the
    // right and y down, in drawing order: it starts and ends at the tip of the
    // tail. The body is the rectangle (0,0)–(23,10) with its corners cut by 3.
    static constexpr int BubbleGrid = 23;
    static constexpr std::array<QPoint, 12> BubbleTemplate{{
        {10, 23},
        {17, 10},
        {20, 10},
        {23, 7},
        {23, 3},
        {20, 0},
        {3, 0},
        {0, 3},
        {0, 7},
        {3, 10},
        {15, 10},
        {10, 23},
    }};

    // As in TCustomPolyShape, but the template is on the bubble's grid.
    bool CalcPoints(std::span<QPoint> points, std::span<const QPoint> templ, int xExtent,
                    int yExtent) const override;

protected:
    void DrawShadow(QPainter &canvas) override;
    void DrawShape(QPainter &canvas) override;

private:
    void drawBubble(QPainter &canvas, qint64 xExtent, qint64 yExtent, qint64 offset);
};
