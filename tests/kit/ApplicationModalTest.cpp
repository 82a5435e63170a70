#include "ApplicationModal.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>

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
