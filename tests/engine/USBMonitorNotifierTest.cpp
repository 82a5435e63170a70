#include "USBMonitorNotifier.h"

#include "common/TestSupport.h"
#include "platform/NotificationCenter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QObject>

namespace {

// Stands in for the kernel's device events; the test fires batches by hand.
struct FakeMediaSource : MediaEventSource
{
    struct Shared
    {
        Batch present;
        int publishStatus = 0;
        int terminateStatus = 0;
        Callback published;
        Callback terminated;
        bool destroyed = false;
    };
    explicit FakeMediaSource(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}
    ~FakeMediaSource() override { m_shared->destroyed = true; }
    int addPublishNotification(Callback callback, Batch *present) override
    {
        if (m_shared->publishStatus != 0)
            return m_shared->publishStatus;
        m_shared->published = std::move(callback);
        *present = m_shared->present;
        return 0;
    }
    int addTerminateNotification(Callback callback, Batch *) override
    {
        if (m_shared->terminateStatus != 0)
            return m_shared->terminateStatus;
        m_shared->terminated = std::move(callback);
        return 0;
    }
    std::shared_ptr<Shared> m_shared;
};

class USBMonitorNotifierTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        USBNotifier_setSourceFactory([this] { return std::make_unique<FakeMediaSource>(m_source); });
        for (const QString &name : {QStringLiteral("RefreshAttachDevice"), QStringLiteral("RefreshDetachDevice")}) {
            NotificationCenter::defaultCenter().addObserver(&m_observer, name, [this](const Notification &notification) {
                m_posted.push_back(notification);
            });
        }
    }
    void TearDown() override
    {
        USBNotifier_dealloc();
        USBNotifier_setSourceFactory({});
        NotificationCenter::defaultCenter().removeObserver(&m_observer);
    }
    int count(const QString &name) const
    {
        return static_cast<int>(std::count_if(m_posted.begin(), m_posted.end(),
                                               [&](const Notification &n) { return n.name == name; }));
    }

    std::shared_ptr<FakeMediaSource::Shared> m_source = std::make_shared<FakeMediaSource::Shared>();
    QObject m_observer;
    std::vector<Notification> m_posted;
};

} // namespace

TEST_F(USBMonitorNotifierTest, startingAnnouncesThePresentMediaOnceAndNothingGone)
{
    m_source->present = {QStringLiteral("sda"), QStringLiteral("sda1"), QStringLiteral("sdb")};
    testsupport::LogCapture log;
    USBNotifier_init();
    EXPECT_EQ(count("RefreshAttachDevice"), 1);
    EXPECT_EQ(count("RefreshDetachDevice"), 0);
    EXPECT_EQ(m_posted.front().object, nullptr);
    EXPECT_TRUE(m_posted.front().userInfo.isEmpty());
    EXPECT_EQ(log.lines().filter("USB Device Added Notification.").size(), 1);

    m_posted.clear();
    m_source->present.clear();
    USBNotifier_dealloc();
    USBNotifier_init(); // no media at all still announces once
    EXPECT_EQ(count("RefreshAttachDevice"), 1);
}

TEST_F(USBMonitorNotifierTest, aBatchAddedGivesOneAttachAndEachRemovedMediumItsOwnDetach)
{
    USBNotifier_init();
    m_posted.clear();
    testsupport::LogCapture log;
    m_source->published({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    EXPECT_EQ(count("RefreshAttachDevice"), 1);

    m_source->terminated({QStringLiteral("Cruzer"), std::nullopt, QStringLiteral("sdc1")});
    ASSERT_EQ(count("RefreshDetachDevice"), 2); // the unreadable one is skipped
    EXPECT_EQ(m_posted[1].userInfo, (QVariantMap{{"USBPath", "Cruzer"}}));
    EXPECT_EQ(m_posted[2].userInfo, (QVariantMap{{"USBPath", "sdc1"}}));
    EXPECT_EQ(m_posted[1].object, nullptr);
    EXPECT_TRUE(log.contains("usb detatch name = Cruzer"));
    EXPECT_TRUE(log.contains("usb detatch name = sdc1"));
}

TEST_F(USBMonitorNotifierTest, rootHubNamesAreTranslatedAndLongNamesCutOnACharacter)
{
    testsupport::TempBundle bundle;
    QDir(bundle.resourcePath()).mkpath("en.lproj");
    bundle.writeResource("en.lproj/Localizable.strings",
                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                         "<key>USB Bus</key><string>USB bus (OHCI)</string></dict></plist>");
    USBNotifier_init();
    m_posted.clear();
    const QString longName = QString(254, QLatin1Char('x')) + QStringLiteral("é");
    m_source->terminated({QStringLiteral("OHCI Root Hub Simulation"), QStringLiteral("EHCI Root Hub Simulation"),
                          QStringLiteral("UHCI Root Hub Simulation"), longName});
    ASSERT_EQ(m_posted.size(), 4u);
    EXPECT_EQ(m_posted[0].userInfo.value("USBPath"), QStringLiteral("USB bus (OHCI)"));
    EXPECT_EQ(m_posted[1].userInfo.value("USBPath"), QStringLiteral("USB 2.0 Bus"));
    EXPECT_EQ(m_posted[2].userInfo.value("USBPath"), QStringLiteral("UHCI Root Hub Simulation"));
    EXPECT_EQ(m_posted[3].userInfo.value("USBPath"), QString(254, QLatin1Char('x')));
}

TEST_F(USBMonitorNotifierTest, failedRegistrationsAreLogged)
{
    m_source->publishStatus = -13;
    m_source->terminateStatus = -13;
    testsupport::LogCapture log;
    USBNotifier_init();
    EXPECT_TRUE(log.contains("matching notification registration failed: -13"));
    EXPECT_TRUE(log.contains("Couldn't add device removal notification"));
    EXPECT_TRUE(m_posted.empty());
    USBNotifier_dealloc();
    EXPECT_TRUE(m_source->destroyed);
}

TEST(USBMonitorNotifierHelpers, dictionaryStringsAndDevicePathsFitTheirBuffers)
{
    char buffer[8] = {};
    const QVariantMap media{{"BSD Name", "disk2s1"}, {"Long", "far too long"}};
    EXPECT_TRUE(GetBSDName(media, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "disk2s1");
    EXPECT_FALSE(GetDictionaryStringVal(media, "Long", buffer, sizeof buffer));
    EXPECT_FALSE(GetDictionaryStringVal(media, "Missing", buffer, sizeof buffer));
    EXPECT_FALSE(GetDictionaryStringVal(media, "BSD Name", nullptr, 8));
    EXPECT_FALSE(GetDictionaryStringVal(media, "BSD Name", buffer, 0));

    char path[16];
    EXPECT_STREQ(BSDName2DevPath(path, sizeof path, "sdb1", false), "/dev/sdb1");
    EXPECT_STREQ(BSDName2DevPath(path, sizeof path, "sdb1", true), "/dev/sdb1");
    char small[8];
    std::memset(small, 'z', sizeof small);
    EXPECT_STREQ(BSDName2DevPath(small, sizeof small, "nvme0n1p1", false), "/dev/nv");
}
