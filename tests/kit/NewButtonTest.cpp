#include "NewButton.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace {

class Recorder : public NewButton::Delegate
{
public:
    int clicks = 0;
    NewButton *last = nullptr;
    void clickButtonAction(NewButton *cell) override
    {
        ++clicks;
        last = cell;
    }
};

// Each test starts with the shared guard open.
class NewButtonTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(testsupport::waitUntil([] { return NewButton::clickGuard() == 0; }, 2000)); }
    void TearDown() override { testsupport::waitUntil([] { return NewButton::clickGuard() == 0; }, 2000); }
};

} // namespace

TEST_F(NewButtonTest, IconAndLabelRectangles)
{
    NewButton cell;
    const QRectF bounds(10, 20, 300, 41);
    EXPECT_TRUE(cell.iconImageRectForBounds(bounds).isNull());
    EXPECT_TRUE(cell.imageRectForBounds(bounds).isNull());

    cell.setLabel(std::make_shared<NewButton::LabelCell>());
    EXPECT_EQ(cell.imageRectForBounds(bounds), QRectF(20, 33, 800, 16));
    cell.setIconImageCell(std::make_shared<NewButton::IconCell>());
    EXPECT_EQ(cell.iconImageRectForBounds(bounds), QRectF(15, 26, 40, 30)) << "ceil(11 / 2) = 6 down";
    EXPECT_EQ(cell.imageRectForBounds(bounds), QRectF(45, 33, 800, 16)) << "the label moves right of the icon";
}

TEST_F(NewButtonTest, CopiesShareTheirCellsAndDrawingLocksTheLabel)
{
    NewButton cell;
    cell.setLabel(std::make_shared<NewButton::LabelCell>(NewButton::LabelCell{QStringLiteral("Disk"), QFont(),
                                                                               QColor(Qt::black), true}));
    QPixmap icon(40, 30);
    icon.fill(Qt::red);
    cell.setIconImageCell(std::make_shared<NewButton::IconCell>(NewButton::IconCell{icon}));
    cell.setName(QStringLiteral("disk0"));
    const NewButton copy = cell;
    EXPECT_EQ(copy.label(), cell.label());
    EXPECT_EQ(copy.iconImageCell(), cell.iconImageCell());
    EXPECT_EQ(copy.name(), QStringLiteral("disk0"));

    QWidget host;
    QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    cell.drawWithFrame(painter, QRectF(0, 0, 200, 40), &host);
    painter.end();
    EXPECT_FALSE(copy.label()->editable) << "drawing makes the shared label read-only";
    EXPECT_EQ(image.pixelColor(25, 20), QColor(Qt::red)) << "icon at (5, 5, 40, 30)";
}

TEST_F(NewButtonTest, HotZoneReportsOneClickPerGuardPeriod)
{
    QWidget host;
    host.resize(300, 60);
    Recorder recorder;
    NewButton cell;
    cell.setDelegate(&recorder);
    const QRectF frame(0, 10, 300, 40);

    EXPECT_EQ(cell.hitTestForEvent(QPointF(16, 20), frame, &host), NewButton::HitNone) << "16 points in";
    EXPECT_EQ(cell.hitTestForEvent(QPointF(15, 20), frame, &host), NewButton::HitNone) << "the right edge is out";
    EXPECT_EQ(cell.hitTestForEvent(QPointF(5, 41), frame, &host), NewButton::HitNone) << "below the 30 points";
    EXPECT_EQ(recorder.clicks, 0);

    EXPECT_EQ(cell.hitTestForEvent(QPointF(0, 10), frame, &host),
              NewButton::HitContentArea | NewButton::HitTrackableArea);
    EXPECT_EQ(recorder.last, &cell);
    // Within the guard period every cell is deaf, even in its hot zone.
    NewButton other;
    other.setDelegate(&recorder);
    EXPECT_EQ(cell.hitTestForEvent(QPointF(5, 20), frame, &host), NewButton::HitNone);
    EXPECT_EQ(other.hitTestForEvent(QPointF(5, 20), frame, &host), NewButton::HitNone);
    EXPECT_EQ(recorder.clicks, 1);

    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(testsupport::waitUntil([] { return NewButton::clickGuard() == 0; }, 2000));
    EXPECT_GE(timer.elapsed(), 150);
    EXPECT_NE(cell.hitTestForEvent(QPointF(5, 20), frame, &host), NewButton::HitNone);
    EXPECT_EQ(recorder.clicks, 2);
}

TEST_F(NewButtonTest, GuardOpensAgainWhenTheCellIsGone)
{
    auto cell = std::make_unique<NewButton>();
    EXPECT_NE(cell->hitTestForEvent(QPointF(1, 1), QRectF(0, 0, 100, 30), nullptr), NewButton::HitNone);
    cell.reset();
    EXPECT_TRUE(testsupport::waitUntil([] { return NewButton::clickGuard() == 0; }, 2000));

    NewButton survivor;
    EXPECT_NE(survivor.hitTestForEvent(QPointF(1, 1), QRectF(0, 0, 100, 30), nullptr), NewButton::HitNone);
    survivor.changeVlaue();
    EXPECT_EQ(NewButton::clickGuard(), 0);
}
