#include "ApplicationModal.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

TEST(ApplicationModal, LoopRunsUntilStoppedAndNests)
{
    QWidget outer;
    QWidget inner;
    QStringList order;
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(ApplicationModal::modalWindow(), &outer);
        QTimer::singleShot(0, [&] {
            EXPECT_EQ(ApplicationModal::modalWindow(), &inner);
            order << QStringLiteral("stop inner");
            ApplicationModal::stopModal();
        });
        ApplicationModal::runModalForWindow(&inner);
        order << QStringLiteral("inner returned");
        EXPECT_EQ(ApplicationModal::modalWindow(), &outer);
        ApplicationModal::stopModal();
    });
    ApplicationModal::runModalForWindow(&outer);
    order << QStringLiteral("outer returned");
    EXPECT_EQ(order, (QStringList{QStringLiteral("stop inner"), QStringLiteral("inner returned"),
                                  QStringLiteral("outer returned")}));
    EXPECT_FALSE(ApplicationModal::isRunningModal());
    EXPECT_TRUE(outer.isVisible()) << "ending the loop does not close the window";
}

TEST(ApplicationModal, StopWithoutALoopDoesNothingAndNullWindowsAreIgnored)
{
    ApplicationModal::stopModal();
    ApplicationModal::runModalForWindow(nullptr);
    EXPECT_FALSE(ApplicationModal::isRunningModal());
}

TEST(ApplicationModal, TestRunnerReplacesTheBlockingLoop)
{
    QWidget window;
    QWidget *seen = nullptr;
    ApplicationModal::setRunnerForTesting([&](QWidget *w) { seen = w; });
    ApplicationModal::runModalForWindow(&window);
    EXPECT_EQ(seen, &window);
    EXPECT_TRUE(ApplicationModal::isRunningModal());
    ApplicationModal::stopModal();
    EXPECT_FALSE(ApplicationModal::isRunningModal());
    ApplicationModal::setRunnerForTesting({});
}

TEST(ApplicationModal, ClosingHidingOrDestroyingTheWindowEndsItsLoop)
{
    // Closed by the desktop or the window's own close button: the loop ends with it.
    QWidget closed;
    QTimer::singleShot(0, [&] { closed.close(); });
    ApplicationModal::runModalForWindow(&closed);
    EXPECT_FALSE(ApplicationModal::isRunningModal());

    // Destroyed while it runs.
    auto *doomed = new QWidget;
    QTimer::singleShot(0, [doomed] { delete doomed; });
    ApplicationModal::runModalForWindow(doomed);
    EXPECT_FALSE(ApplicationModal::isRunningModal());

    // A nested window closed before its owner ends its loop ends only its own loop.
    QWidget outer;
    QWidget inner;
    bool outerStillRuns = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            inner.close();
            ApplicationModal::stopModal(); // the owner's own stop, after the close
        });
        ApplicationModal::runModalForWindow(&inner);
        QCoreApplication::processEvents();
        outerStillRuns = ApplicationModal::modalWindow() == &outer;
        ApplicationModal::stopModal();
    });
    ApplicationModal::runModalForWindow(&outer);
    EXPECT_TRUE(outerStillRuns);
    EXPECT_FALSE(ApplicationModal::isRunningModal());
}

TEST(ApplicationModal, AModalWindowIsADialogOfTheActiveWindowAndComesBackWhenMinimised)
{
    QWidget owner;
    owner.show();
    QApplication::setActiveWindow(&owner);
    QWidget dialog;
    ApplicationModal::setRunnerForTesting([](QWidget *) {});
    ApplicationModal::runModalForWindow(&dialog);
    EXPECT_EQ(dialog.windowType(), Qt::Dialog);
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
    ASSERT_NE(dialog.windowHandle(), nullptr);
    EXPECT_EQ(dialog.windowHandle()->transientParent(), owner.windowHandle());

    dialog.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialog.isMinimized()) << "nothing on screen would be left to end the loop";
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(ApplicationModal::isRunningModal());

    ApplicationModal::stopModal();
    ApplicationModal::setRunnerForTesting({});
    dialog.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog.isMinimized()) << "once its loop has ended it is an ordinary window";
}
