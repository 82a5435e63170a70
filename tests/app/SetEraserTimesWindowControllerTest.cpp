#include "SetEraserTimesWindowController.h"

#include "RunWindowTestSupport.h"
#include "SetEraserTimesWindowControllerDelegate.h"
#include "TCImageWindow.h"

#include <QPushButton>
#include <QTest>

namespace {

struct BackDelegate : SetEraserTimesWindowControllerDelegate
{
    void backHomeButtonAction() override
    {
        ++backs;
        storedWhenTold = UserDefaults::standard().integerForKey(QStringLiteral("EraserTimes"));
    }
    int backs = 0;
    qint64 storedWhenTold = -1;
};

qint64 stored()
{
    return UserDefaults::standard().integerForKey(QStringLiteral("EraserTimes"));
}

// Which radio buttons show the "on" image (1 to 4).
QList<int> radiosOn(const SetEraserTimesWindowController &controller)
{
    QList<int> on;
    for (int index = 1; index <= 4; ++index) {
        const QString image = SetEraserTimesWindowController::radioImageName(controller.typeButton(index));
        EXPECT_TRUE(image == QLatin1String("raidobutton_on") || image == QLatin1String("raidobutton_off")) << index;
        if (image == QLatin1String("raidobutton_on"))
            on << index;
    }
    return on;
}

class SetEraserTimesWindowControllerTest : public ::testing::Test
{
protected:
    void SetUp() override { dialogs::clearEraserTimes(); }
    void TearDown() override { dialogs::clearEraserTimes(); }

    dialogs::BuiltImages images;
};

} // namespace

TEST_F(SetEraserTimesWindowControllerTest, ShowsEachStoredMethodAndStoresEachChoice)
{
    const int counts[4] = {1, 3, 7, 35};
    const char *names[4] = {"HMG Infosec Standard 5", "U.S. Army AR380-19", "DoD 5220.22-M ECE",
                            "Peter Gutmann's algorithm"};
    for (int index = 1; index <= 4; ++index) {
        dialogs::storeEraserTimes(counts[index - 1]);
        SetEraserTimesWindowController shown;
        EXPECT_EQ(shown.selectEraserTimes(), index);
        EXPECT_EQ(radiosOn(shown), QList<int>{index});
        EXPECT_EQ(shown.typeButton(index)->text(), QString::fromLatin1(names[index - 1]));
    }
    dialogs::clearEraserTimes();
    SetEraserTimesWindowController chooser;
    for (int index : {4, 2, 3, 1}) {
        QTest::mouseClick(chooser.typeButton(index), Qt::LeftButton);
        EXPECT_EQ(radiosOn(chooser), QList<int>{index});
        chooser.backHomeButtonAction();
        EXPECT_EQ(stored(), counts[index - 1]);
    }
}

TEST_F(SetEraserTimesWindowControllerTest, ChoosingSavesNothingUntilBack)
{
    dialogs::storeEraserTimes(3);
    SetEraserTimesWindowController controller;
    QTest::mouseClick(controller.typeButton(4), Qt::LeftButton);
    EXPECT_EQ(controller.selectEraserTimes(), 4);
    EXPECT_EQ(stored(), 3);

    // Coming back to the pane without pressing back shows what is stored.
    controller.setEraserTimes();
    EXPECT_EQ(controller.selectEraserTimes(), 2);
    EXPECT_EQ(radiosOn(controller), QList<int>{2});
}

TEST_F(SetEraserTimesWindowControllerTest, NothingStoredKeepsTheFirstMethodAndBackStoresIt)
{
    SetEraserTimesWindowController controller;
    EXPECT_EQ(controller.selectEraserTimes(), 1);
    EXPECT_EQ(radiosOn(controller), QList<int>{1});
    EXPECT_FALSE(UserDefaults::standard().objectForKey(QStringLiteral("EraserTimes")).isValid());
    controller.backHomeButtonAction();
    EXPECT_EQ(stored(), 1);
}

TEST_F(SetEraserTimesWindowControllerTest, UnknownStoredValueKeepsTheShownSelectionWhichBackThenStores)
{
    dialogs::storeEraserTimes(7);
    SetEraserTimesWindowController controller;
    for (qint64 odd : {qint64(0), qint64(2), qint64(-35), qint64(36), (qint64(1) << 32) + 99}) {
        dialogs::storeEraserTimes(odd);
        controller.setEraserTimes();
        EXPECT_EQ(controller.selectEraserTimes(), 3) << odd;
        EXPECT_EQ(radiosOn(controller), QList<int>{3}) << odd;
    }
    controller.backHomeButtonAction();
    EXPECT_EQ(stored(), 7);
}

TEST_F(SetEraserTimesWindowControllerTest, OnlyTheRadioButtonsSelect)
{
    SetEraserTimesWindowController controller;
    QPushButton stranger;
    controller.selectShredTypeButtonAction(&stranger);
    controller.selectShredTypeButtonAction(nullptr);
    EXPECT_EQ(controller.selectEraserTimes(), 1);
    EXPECT_EQ(radiosOn(controller), QList<int>{1});
}

TEST_F(SetEraserTimesWindowControllerTest, BackSavesThenTellsTheDelegateOnce)
{
    BackDelegate delegate;
    SetEraserTimesWindowController controller;
    controller.setDelegate(&delegate);
    QTest::mouseClick(controller.typeButton(3), Qt::LeftButton);
    QTest::mouseClick(controller.backButton(), Qt::LeftButton);
    EXPECT_EQ(delegate.backs, 1);
    EXPECT_EQ(delegate.storedWhenTold, 7);

    // A delegate that implements nothing, or none at all, still gets the choice saved.
    SetEraserTimesWindowControllerDelegate silent;
    controller.setDelegate(&silent);
    QTest::mouseClick(controller.typeButton(2), Qt::LeftButton);
    QTest::mouseClick(controller.backButton(), Qt::LeftButton);
    EXPECT_EQ(stored(), 3);
    controller.setDelegate(nullptr);
    QTest::mouseClick(controller.typeButton(4), Qt::LeftButton);
    QTest::mouseClick(controller.backButton(), Qt::LeftButton);
    EXPECT_EQ(stored(), 35);
}

TEST_F(SetEraserTimesWindowControllerTest, ContentViewMovesIntoAnotherWindowWhileItsOwnStaysHidden)
{
    auto *controller = new SetEraserTimesWindowController;
    EXPECT_FALSE(controller->window()->isVisible());
    EXPECT_EQ(controller->contentView()->size(), QSize(590, 440));
    EXPECT_FALSE(controller->backButton()->normalImage().isNull());

    QWidget pane;
    pane.resize(590, 440);
    QWidget *view = controller->contentView();
    view->setParent(&pane);
    view->setGeometry(0, 0, 590, 440);
    view->show();
    pane.show();
    QTest::mouseClick(controller->typeButton(2), Qt::LeftButton);
    EXPECT_EQ(controller->selectEraserTimes(), 2);
    dialogs::savePreview(&pane, QStringLiteral("method-view"));
    // The controller goes first here; the view stays with the pane that took it.
    delete controller;
    EXPECT_EQ(view->parentWidget(), &pane);
    EXPECT_FALSE(pane.findChildren<QWidget *>().isEmpty());
}
