#include "controls/Shapes.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using Points = std::vector<QPoint>;

// A bubble that remembers the polygons it places, in painting order, and what
// it painted, and counts its paint events.
struct Bubble : TBubbleShape
{
    mutable std::vector<Points> placed;
    int paints = 0;

    void OffsetPoints(std::span<QPoint> points, int dx, int dy) const override
    {
        TBubbleShape::OffsetPoints(points, dx, dy);
        placed.emplace_back(points.begin(), points.end());
    }
    void paintEvent(QPaintEvent *event) override
    {
        ++paints;
        TBubbleShape::paintEvent(event);
    }
    // Paints over green and returns the polygons placed.
    std::vector<Points> paint()
    {
        image = QImage(size(), QImage::Format_ARGB32);
        image.fill(Qt::green);
        placed.clear();
        render(&image, QPoint(), QRegion(), {});
        return placed;
    }
    QImage image;
};

Points shifted(Points points, int by)
{
    for (QPoint &p : points)
        p += QPoint(by, by);
    return points;
}

} // namespace

TEST(Shapes, PolyShapeRoundsHalvesAwayFromZeroOverA64BitProduct)
{
    TCustomPolyShape shape;
    const QPoint templ[] = {{50, -50}, {100, 200}};
    QPoint points[2];
    ASSERT_TRUE(shape.CalcPoints(points, templ, 1, 1));
    EXPECT_EQ(points[0], QPoint(1, -1));
    ASSERT_TRUE(shape.CalcPoints(std::span(points, 1), std::span(templ, 1), INT_MAX, INT_MIN));
    EXPECT_EQ(points[0], QPoint(1073741824, 1073741824));
    EXPECT_FALSE(shape.CalcPoints(points, templ, 1, INT_MAX)); // 2 × INT_MAX
    EXPECT_FALSE(shape.CalcPoints(points, std::span(templ, 1), 1, 1));
}

TEST(Shapes, BubbleFitsItsControlWithRoomForOutlineAndShadowBeneathIt)
{
    const Points totals = {{65, 93}, {111, 40}, {130, 40}, {150, 28}, {150, 12}, {130, 0},
                           {20, 0},  {0, 12},   {0, 28},   {20, 40},  {98, 40},  {65, 93}};
    Bubble bubble;
    bubble.resize(154, 97);
    EXPECT_EQ(bubble.shadowColor(), bubble.palette().color(QPalette::Dark));
    bubble.setShadowColor(QColor(10, 20, 30));
    EXPECT_EQ(bubble.paint(), (std::vector{shifted(totals, 2), totals})); // shadow first
    // The rest shows what is beneath; the outline lies over the shadow.
    EXPECT_EQ(bubble.image.pixelColor(153, 0), QColor(Qt::green));
    EXPECT_EQ(bubble.image.pixelColor(75, 20), QColor(Qt::white));   // inside both
    EXPECT_EQ(bubble.image.pixelColor(150, 20), QColor(Qt::black));  // outline over shadow
    EXPECT_EQ(bubble.image.pixelColor(151, 20), QColor(10, 20, 30)); // the shadow alone

    bubble.setPen(QPen(Qt::black, 0)); // still a one-pixel line: the room of width 1
    EXPECT_EQ(bubble.paint(), (std::vector{shifted(totals, 2), totals}));

    bubble.setPen(QPen(Qt::black, 3)); // extents 148 × 91, moved by 1
    auto placed = bubble.paint();
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ((Points{placed[1][0], placed[1][3], placed[1][6]}),
              (Points{{65, 92}, {149, 29}, {20, 1}}));
    EXPECT_EQ(placed[0], shifted(placed[1], 2));

    bubble.setPen(QPen(Qt::black));
    bubble.resize(57, 62);
    placed = bubble.paint();
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ((Points{placed[1][0], placed[1][3], placed[1][5], placed[1][6]}),
              (Points{{23, 58}, {53, 18}, {46, 0}, {7, 0}}));

    bubble.resize(65, 65);
    bubble.setShadow(false); // the bubble takes the whole control
    placed = bubble.paint();
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ((Points{placed[0][0], placed[0][3]}), (Points{{27, 63}, {63, 19}}));

    bubble.setShadow(true);
    bubble.setShadowOffset(UINT_MAX); // beyond the coordinates: nothing at all
    EXPECT_TRUE(bubble.paint().empty());
}

TEST(Shapes, RepaintsOnlyWhenAValueChanges)
{
    QWidget window;
    window.resize(300, 200);
    auto *bubble = new Bubble;
    auto *elsewhere = new Bubble;
    bubble->setParent(&window);
    elsewhere->setParent(&window);
    elsewhere->move(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bubble->paints > 0 && elsewhere->paints > 0; }));

    // Whatever the bubble asks for is painted by the time `elsewhere` is.
    const auto paintsAfter = [&](auto change) {
        const int before = bubble->paints, elsewhereBefore = elsewhere->paints;
        change();
        elsewhere->update();
        EXPECT_TRUE(QTest::qWaitFor([&] { return elsewhere->paints > elsewhereBefore; }));
        return bubble->paints - before;
    };
    EXPECT_EQ(paintsAfter([&] { bubble->setShadowOffset(2); }), 0);
    EXPECT_EQ(paintsAfter([&] { bubble->setShadowColor(QColor()); }), 0);
    EXPECT_EQ(paintsAfter([&] { bubble->setBrush(QBrush(Qt::white)); }), 0);
    EXPECT_GT(paintsAfter([&] { bubble->setShadowOffset(3); }), 0);
    EXPECT_GT(paintsAfter([&] { bubble->setShadowColor(Qt::red); }), 0);

    // A new fill colour shows at once; the shadow keeps its own.
    EXPECT_GT(paintsAfter([&] { bubble->setBrush(QBrush(Qt::yellow)); }), 0);
    const QImage shown = bubble->grab().toImage();
    EXPECT_EQ(shown.pixelColor(30, 10), QColor(Qt::yellow));
    EXPECT_EQ(shown.pixelColor(62, 15), QColor(Qt::red));
}
