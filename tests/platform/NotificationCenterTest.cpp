#include "platform/NotificationCenter.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <memory>

namespace {
const QString kName = QStringLiteral("TestNotification");
}

TEST(NotificationCenter, DeliversToObserversOfTheNameAndObject)
{
    NotificationCenter center;
    QObject observer;
    int any = 0;
    int fromSender = 0;
    QVariantMap seenInfo;
    const int sender = 1;
    const int other = 2;
    center.addObserver(&observer, kName, [&](const Notification &n) {
        ++any;
        seenInfo = n.userInfo;
    });
    center.addObserver(&observer, kName, [&](const Notification &) { ++fromSender; }, &sender);

    center.postNotification(kName, &sender, {{QStringLiteral("k"), 1}});
    center.postNotification(kName, &other);
    center.postNotification(QStringLiteral("SomethingElse"), &sender);
    EXPECT_EQ(any, 2);
    EXPECT_EQ(fromSender, 1);
    EXPECT_TRUE(seenInfo.isEmpty()) << "the last post carried no details";
    EXPECT_EQ(center.observerCount(kName), 2);
}

TEST(NotificationCenter, RemovedAndDestroyedObserversHearNothing)
{
    NotificationCenter center;
    QObject kept;
    int keptCount = 0;
    int goneCount = 0;
    center.addObserver(&kept, kName, [&](const Notification &) { ++keptCount; });
    center.addObserver(&kept, QStringLiteral("Other"), [&](const Notification &) { ++keptCount; });
    {
        QObject gone;
        center.addObserver(&gone, kName, [&](const Notification &) { ++goneCount; });
    }
    center.postNotification(kName);
    EXPECT_EQ(keptCount, 1);
    EXPECT_EQ(goneCount, 0);

    center.removeObserver(&kept, kName);
    center.postNotification(kName);
    center.postNotification(QStringLiteral("Other"));
    EXPECT_EQ(keptCount, 2) << "only the other name is still observed";
    center.removeObserver(&kept);
    center.postNotification(QStringLiteral("Other"));
    EXPECT_EQ(keptCount, 2);
}

TEST(NotificationCenter, AHandlerMayRemoveItselfWhileBeingCalled)
{
    NotificationCenter center;
    QObject observer;
    int calls = 0;
    center.addObserver(&observer, kName, [&](const Notification &) {
        ++calls;
        center.removeObserver(&observer);
    });
    center.postNotification(kName);
    center.postNotification(kName);
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, PostsFromOtherThreadsAreDeliveredOnTheMainThread)
{
    NotificationCenter center;
    QObject observer;
    QThread *deliveredOn = nullptr;
    center.addObserver(&observer, kName, [&](const Notification &) { deliveredOn = QThread::currentThread(); });
    std::unique_ptr<QThread> worker(QThread::create([&] { center.postNotification(kName); }));
    worker->start();
    worker->wait();
    EXPECT_EQ(deliveredOn, nullptr) << "queued, not delivered on the posting thread";
    ASSERT_TRUE(testsupport::waitUntil([&] { return deliveredOn != nullptr; }));
    EXPECT_EQ(deliveredOn, QCoreApplication::instance()->thread());
}
