#include "CustemImageButton.h"
#include "Theme.h"

#include "ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>

namespace {

using namespace controls;

// A pane that records the presses that reach it.
class RecordingPane : public QWidget
{
public:
    using QWidget::QWidget;
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        ++presses;
        event->accept();
    }
};

// The colour a button paints a little inside its left edge, clear of the caption.
QColor fillPixel(QWidget *button)
{
    const QImage image = snapshot(button);
    return image.pixelColor(20, button->height() / 2);
}

void expectColor(const QColor &actual, const QColor &expected, const char *what)
{
    // Translucent fills come back through premultiplied pixels: allow one step of rounding.
    EXPECT_NEAR(actual.red(), expected.red(), 1) << what;
    EXPECT_NEAR(actual.green(), expected.green(), 1) << what;
    EXPECT_NEAR(actual.blue(), expected.blue(), 1) << what;
    EXPECT_NEAR(actual.alphaF(), expected.alphaF(), 0.01) << what;
}

struct Fixture
{
    QObject owner;
    int clicks = 0;
    CustemImageButton button;

    explicit Fixture(quint64 type = 0, int height = 32)
    {
        button.resize(120, height);
        button.setButtonEnabled(true);
        button.setTextWithName(QStringLiteral("OK"), theme::helveticaLight(13), type, QStringLiteral("add"));
        button.setDelegate(&owner);
        button.setButtonAction([this] { ++clicks; });
    }
};

} // namespace

TEST(CustemImageButton, StartsDisabledAndIgnoresClicksUntilEnabled)
{
    QObject owner;
    int clicks = 0;
    CustemImageButton button;
    button.resize(100, 32);
    EXPECT_TRUE(button.isDisabled()) << "the inverted flag says 'takes clicks' at creation";
    EXPECT_FALSE(button.isEnabled());
    EXPECT_FALSE(button.isFocus());
    button.setTextWithName(QStringLiteral("Cancel"), theme::helveticaLight(13), 0, QString());
    button.setDelegate(&owner);
    button.setButtonAction([&] { ++clicks; });

    sendEnter(&button);
    EXPECT_FALSE(button.isFocus()) << "no hover while not enabled";
    EXPECT_EQ(button.drawState(), CustemImageButton::Disabled);
    expectColor(fillPixel(&button), theme::rgb(208, 208, 208), "disabled type 0");
    sendMouse(&button, QEvent::MouseButtonPress);
    sendMouse(&button, QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks, 0);
}

TEST(CustemImageButton, EnableSwitchSetsBothFlagsAndHover)
{
    Fixture f;
    EXPECT_TRUE(f.button.isEnabled());
    EXPECT_TRUE(f.button.isDisabled());
    EXPECT_TRUE(f.button.isFocus());
    // Right after enabling, the hover colour shows until the pointer leaves.
    expectColor(fillPixel(&f.button), theme::rgb(36, 155, 246), "hover after enabling");
    sendLeave(&f.button);
    expectColor(fillPixel(&f.button), theme::rgb(30, 130, 237), "normal after leaving");
    sendEnter(&f.button);
    EXPECT_TRUE(f.button.isFocus());

    f.button.setButtonEnabled(false);
    EXPECT_FALSE(f.button.isEnabled());
    EXPECT_FALSE(f.button.isDisabled()) << "false here means the button refuses clicks";
    EXPECT_FALSE(f.button.isFocus());

    // The plain enabled setter leaves the second flag alone: drawing needs both.
    f.button.setIsEnabled(true);
    EXPECT_EQ(f.button.drawState(), CustemImageButton::Disabled);
}

TEST(CustemImageButton, FillAndBorderColoursPerTypeAndState)
{
    struct Row
    {
        quint64 type;
        QColor normal, hover, pressed, disabled;
    };
    const QColor white = theme::rgb(255, 255, 255);
    const Row rows[] = {
        {0, theme::rgb(30, 130, 237), theme::rgb(36, 155, 246), theme::rgb(30, 131, 237), theme::rgb(208, 208, 208)},
        {1, theme::rgb(61, 73, 110), theme::rgb(54, 65, 98), theme::rgb(99, 109, 139), theme::rgb(196, 200, 221)},
        {2, white, white, white, theme::rgb(213, 212, 213, 0.8)},
        {3, white, white, white, theme::rgb(213, 212, 213, 0.8)},
        {4, theme::rgb(253, 253, 126), theme::rgb(227, 227, 113), theme::rgb(253, 253, 146), theme::rgb(119, 127, 115)},
        {5, theme::rgb(240, 149, 28), theme::rgb(240, 149, 28), theme::rgb(240, 149, 28), theme::rgb(240, 149, 28)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "type " << row.type);
        Fixture f(row.type);
        expectColor(fillPixel(&f.button), row.hover, "hover");
        sendMouse(&f.button, QEvent::MouseButtonPress);
        expectColor(fillPixel(&f.button), row.pressed, "pressed beats hover");
        sendMouse(&f.button, QEvent::MouseButtonRelease);
        sendLeave(&f.button);
        expectColor(fillPixel(&f.button), row.normal, "normal");
        f.button.setButtonEnabled(false);
        expectColor(fillPixel(&f.button), row.disabled, "disabled");
    }

    // Captions: white on types 0, 1 and 5, blue on 2, dark on 3 and 4, in every state.
    EXPECT_EQ(theme::textButtonCaption(0), theme::rgb(255, 255, 255));
    EXPECT_EQ(theme::textButtonCaption(2), theme::rgb(36, 155, 246));
    EXPECT_EQ(theme::textButtonCaption(4), theme::rgb(45, 45, 45, 0.8));
    // A type past the palette falls back to the standard blue button instead of reading past it.
    EXPECT_EQ(theme::textButtonFill(9, CustemImageButton::Normal), theme::rgb(30, 130, 237));

    // Borders sit on the shape's edge: blue on type 2, grey on type 3, none on type 0.
    const auto edge = [](quint64 type) {
        Fixture f(type);
        return snapshot(&f.button).pixelColor(60, 0);
    };
    EXPECT_GT(edge(2).blue(), edge(2).red() + 100);
    EXPECT_LT(edge(3).red(), 200);
    EXPECT_EQ(edge(3).red(), edge(3).blue());
    EXPECT_LT(edge(0).alphaF(), 0.7) << "type 0 has only the half-covered edge of its fill";
}

TEST(CustemImageButton, CornerRadiusFollowsHeight)
{
    // A point near the corner lies inside a 14-point curve but outside an 18-point one.
    for (const auto &[height, radius, filled] : {std::tuple{34, 14.0, true}, std::tuple{35, 18.0, false}}) {
        Fixture f(0, height);
        EXPECT_EQ(f.button.cornerRadius(), radius);
        const QColor corner = snapshot(&f.button).pixelColor(5, 5);
        EXPECT_EQ(corner.alpha() > 200, filled) << "height " << height;
    }
}

TEST(CustemImageButton, PartialRepaintKeepsTheWholeShape)
{
    Fixture f(0, 32);
    sendLeave(&f.button);
    // Repaint only a strip in the middle: its corners are inside the button, so they must be filled,
    // not rounded off as if the strip were the whole button.
    const QRect strip(40, 4, 30, 10);
    const QImage image = snapshot(&f.button, QRegion(strip));
    expectColor(image.pixelColor(strip.topLeft()), theme::rgb(30, 130, 237), "strip corner");
    EXPECT_EQ(image.pixelColor(2, 2).alpha(), 0) << "outside the strip nothing is painted";
}

TEST(CustemImageButton, PressesOnADisabledButtonAreSwallowed)
{
    RecordingPane pane;
    pane.resize(200, 100);
    auto *button = new CustemImageButton(QRectF(10, 10, 120, 32), &pane);
    int clicks = 0;
    button->setTextWithName(QStringLiteral("Stop"), theme::helveticaLight(13), 0, QString());
    button->setDelegate(&pane);
    button->setButtonAction([&] { ++clicks; });
    EXPECT_EQ(button->geometry(), QRect(10, 58, 120, 32)) << "frames are bottom-left";

    button->setButtonEnabled(false);
    sendMouse(button, QEvent::MouseButtonPress);
    EXPECT_EQ(pane.presses, 0);
    EXPECT_FALSE(button->isTracking());
    sendMouse(button, QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks, 0);

    // Other buttons are not the button's business: the pane gets them.
    sendMouse(button, QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(pane.presses, 1);

    // Through the window system on a shown window, an enabled button keeps its press and gets the
    // matching release.
    pane.show();
    button->setButtonEnabled(true);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(60, 16));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(pane.presses, 1);
}

TEST(CustemImageButton, ActionRunsAtMouseUpOnlyWithADelegate)
{
    Fixture f;
    sendMouse(&f.button, QEvent::MouseButtonPress);
    EXPECT_TRUE(f.button.isTracking());
    EXPECT_EQ(f.clicks, 0) << "nothing happens at mouse-down";
    sendMouse(&f.button, QEvent::MouseButtonRelease);
    EXPECT_FALSE(f.button.isTracking());
    EXPECT_EQ(f.clicks, 1);
    // Still over the button: back to the hover colour.
    expectColor(fillPixel(&f.button), theme::rgb(36, 155, 246), "hover after click");

    f.button.setDelegate(nullptr);
    sendMouse(&f.button, QEvent::MouseButtonPress);
    sendMouse(&f.button, QEvent::MouseButtonRelease);
    EXPECT_EQ(f.clicks, 1) << "no delegate, no action";

    // A delegate that goes away is forgotten rather than used.
    {
        QObject shortLived;
        f.button.setDelegate(&shortLived);
    }
    sendMouse(&f.button, QEvent::MouseButtonPress);
    sendMouse(&f.button, QEvent::MouseButtonRelease);
    EXPECT_EQ(f.clicks, 1);
}

TEST(CustemImageButton, CaptionMetricsAndIdentifiedImages)
{
    CustemImageButton button;
    button.resize(120, 32);
    // Before a caption only the shape is drawn.
    button.setButtonEnabled(true);
    const auto whitePixels = [&] {
        const QImage image = snapshot(&button);
        int count = 0;
        for (int y = 8; y < 24; ++y)
            for (int x = 40; x < 80; ++x)
                count += image.pixelColor(x, y).lightness() > 240;
        return count;
    };
    EXPECT_EQ(whitePixels(), 0);

    button.setTextWithName(QStringLiteral("YES"), theme::helveticaLight(15), 0, QStringLiteral("EraseNow"));
    EXPECT_GT(whitePixels(), 5);
    EXPECT_EQ(button.captionRect().height(), 20.0);
    const QRectF rect = button.captionRect();
    EXPECT_NEAR(rect.center().x() - 2.5, 60.0, 0.5) << "centred across";
    EXPECT_EQ(rect.top(), 6.0) << "centred down";

    button.setTextWithName(QStringLiteral("YES"), theme::helveticaLight(16), 0, QStringLiteral("Wipe"));
    EXPECT_EQ(button.captionRect().height(), 22.0);

    // Each caption adds one image child carrying the identifier; clicks go through it.
    const auto children = button.findChildren<QWidget *>();
    ASSERT_EQ(children.size(), 2);
    EXPECT_EQ(children[0]->objectName(), QStringLiteral("EraseNow"));
    EXPECT_EQ(children[1]->objectName(), QStringLiteral("Wipe"));
    EXPECT_TRUE(children[0]->testAttribute(Qt::WA_TransparentForMouseEvents));

    EXPECT_EQ(CustemImageButton::getStringWidthWith(QString(), theme::helveticaLight(13), QSizeF(100, 30)), 0.0f);
    const float wide = CustemImageButton::getStringWidthWith(QStringLiteral("Erase Now"), theme::helveticaLight(13),
                                                             QSizeF(200, 30));
    EXPECT_GT(wide, 20.0f);
    EXPECT_LT(CustemImageButton::getStringWidthWith(QStringLiteral("Erase Now"), theme::helveticaLight(13),
                                                    QSizeF(40, 60)),
              wide)
        << "a long caption wraps at the word break";
}

TEST(CustemImageButton, OnlyAPressReleasedOverTheButtonClicks)
{
    Fixture f;
    // Dragged off and released outside: no click, and the pressed look goes as the pointer leaves.
    sendMouse(&f.button, QEvent::MouseButtonPress);
    QTest::mouseMove(&f.button, QPoint(200, 16));
    QMouseEvent away(QEvent::MouseMove, QPointF(200, 16), f.button.mapToGlobal(QPointF(200, 16)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f.button, &away);
    EXPECT_FALSE(f.button.isTracking());
    sendMouse(&f.button, QEvent::MouseButtonRelease, Qt::LeftButton, QPointF(200, 16));
    EXPECT_EQ(f.clicks, 0);

    // Dragged off and back again before the release: a click.
    sendMouse(&f.button, QEvent::MouseButtonPress);
    QApplication::sendEvent(&f.button, &away);
    QMouseEvent back(QEvent::MouseMove, QPointF(60, 16), f.button.mapToGlobal(QPointF(60, 16)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f.button, &back);
    EXPECT_TRUE(f.button.isTracking());
    sendMouse(&f.button, QEvent::MouseButtonRelease);
    EXPECT_EQ(f.clicks, 1);

    // A release that was never pressed here (the press began elsewhere) is no click either.
    sendMouse(&f.button, QEvent::MouseButtonRelease);
    EXPECT_EQ(f.clicks, 1);
}

TEST(CustemImageButton, TheKeyboardFocusesAndPressesOnlyAButtonThatTakesClicks)
{
    QWidget window;
    window.resize(300, 80);
    Fixture f;
    f.button.setParent(&window);
    f.button.show();
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(f.button.focusPolicy(), Qt::TabFocus) << "Tab reaches it; a click leaves no ring";

    f.button.setFocus();
    ASSERT_TRUE(f.button.hasFocus());
    QTest::keyPress(&f.button, Qt::Key_Space);
    EXPECT_TRUE(f.button.isTracking());
    EXPECT_EQ(f.clicks, 0) << "Space clicks when it comes up";
    QTest::keyRelease(&f.button, Qt::Key_Space);
    QTest::keyClick(&f.button, Qt::Key_Return);
    EXPECT_EQ(f.clicks, 2);

    // The focus ring: drawn just inside the edge while focused, gone without focus.
    const QImage focused = snapshot(&f.button);
    f.button.clearFocus();
    const QImage unfocused = snapshot(&f.button);
    EXPECT_NE(focused.pixelColor(3, 16), unfocused.pixelColor(3, 16));

    // Disabled, it gives the focus up and ignores the keys.
    f.button.setFocus();
    f.button.setButtonEnabled(false);
    EXPECT_FALSE(f.button.hasFocus());
    EXPECT_EQ(f.button.focusPolicy(), Qt::NoFocus);
    QTest::keyClick(&f.button, Qt::Key_Return);
    QTest::keyClick(&f.button, Qt::Key_Space);
    EXPECT_EQ(f.clicks, 2);
    EXPECT_FALSE(f.button.performClick());
}
