#include "CustemTypeButtonView.h"
#include "CustemTypeButtonViewDelegate.h"
#include "Theme.h"

#include "ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>

namespace {

using namespace controls;

class ClickRecorder : public CustemTypeButtonViewDelegate
{
public:
    QList<qint32> tags;
    void mouseClickAction(qint32 tag) override { tags.append(tag); }
};

// Adopts the interface but leaves clicks alone.
class IndifferentOwner : public CustemTypeButtonViewDelegate
{
};

class Pane : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        ++presses;
        event->accept();
    }
};

} // namespace

TEST(CustemTypeButtonView, ClicksReachOnlyADelegateThatWantsThem)
{
    Pane pane;
    pane.resize(240, 100);
    auto *tile = new CustemTypeButtonView(&pane);
    tile->setGeometry(0, 0, 230, 46);
    tile->setButTag(2);
    tile->setNameStr(QStringLiteral("Erase Files"));
    tile->loadView();

    sendMouse(tile, QEvent::MouseButtonPress);
    EXPECT_EQ(pane.presses, 0) << "the tile keeps the press even without a delegate";

    IndifferentOwner indifferent;
    tile->setDelegate(&indifferent);
    sendMouse(tile, QEvent::MouseButtonPress);
    EXPECT_EQ(pane.presses, 0);

    ClickRecorder recorder;
    tile->setDelegate(&recorder);
    sendMouse(tile, QEvent::MouseButtonPress);
    // A press on the caption is the tile's too.
    sendMouse(tile, QEvent::MouseButtonPress, Qt::LeftButton, QPointF(tile->nameField()->geometry().center()));
    EXPECT_EQ(recorder.tags, (QList<qint32>{2, 2}));
    EXPECT_EQ(pane.presses, 0);
}

TEST(CustemTypeButtonView, CaptionSizeFollowsTheTagAndChildrenSitBottomLeft)
{
    for (const auto &[tag, size] : {std::pair{3, 13}, std::pair{2, 14}}) {
        CustemTypeButtonView tile;
        tile.resize(230, 46);
        tile.setButTag(tag);
        tile.setNameStr(QStringLiteral("History"));
        tile.loadView();
        EXPECT_EQ(tile.nameField()->font().pixelSize(), size) << "tag " << tag;
        EXPECT_EQ(tile.nameField()->text(), QStringLiteral("History"));
        EXPECT_EQ(tile.nameField()->geometry(), QRect(66, 14, 150, 17));
        EXPECT_EQ(tile.iconView()->geometry(), QRect(24, 10, 26, 26));
    }
}

TEST(CustemTypeButtonView, SelectedLookFillsTheTile)
{
    CustemTypeButtonView tile;
    tile.resize(230, 46);
    EXPECT_EQ(snapshot(&tile).pixelColor(5, 5).alpha(), 0) << "see-through when not selected";
    tile.buttonClick(true);
    EXPECT_TRUE(tile.isClick());
    EXPECT_EQ(snapshot(&tile).pixelColor(5, 5), theme::rgb(127, 207, 220));
    EXPECT_EQ(snapshot(&tile).pixelColor(229, 45), theme::rgb(127, 207, 220)) << "square corners";
}
