#include "CFGrowlAdditions.h"
#include "VolumeInfo.h"
#include "VolumeNotifier.h"

#include "common/TestSupport.h"
#include "platform/NotificationCenter.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QObject>
#include <QThread>
#include <QTemporaryDir>

namespace {

struct FakeVolumes : VolumeEventSource
{
    struct Shared
    {
        Handler didMount;
        Handler willUnmount;
        Handler didUnmount;
        QStringList mounted;
    };
    explicit FakeVolumes(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}
    void setDidMountHandler(Handler handler) override { m_shared->didMount = std::move(handler); }
    void setWillUnmountHandler(Handler handler) override { m_shared->willUnmount = std::move(handler); }
    void setDidUnmountHandler(Handler handler) override { m_shared->didUnmount = std::move(handler); }
    QStringList mountedLocalVolumePaths() const override { return m_shared->mounted; }
    std::shared_ptr<Shared> m_shared;
};

QVariantMap at(const QString &path)
{
    return {{QStringLiteral("NSDevicePath"), path}};
}

// Every theme icon is a plain blue square, so records get icons on any machine.
QList<QImage> blueSquares(const QString &)
{
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    return {image};
}

class VolumeNotifierTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previousIcons = setIconImageSource(&blueSquares);
        VolumeNotifier::setSourceFactory([this] { return std::make_unique<FakeVolumes>(m_volumes); });
        VolumeNotifier::setPreferencesPath(m_dir.filePath("com.growl.hardwaregrowler.plist"));
        for (const QString &name : {QStringLiteral("RefreshAttachDevice"), QStringLiteral("RefreshDetachDevice")}) {
            NotificationCenter::defaultCenter().addObserver(&m_observer, name, [this](const Notification &notification) {
                m_posted.push_back(notification);
            });
        }
    }
    void TearDown() override
    {
        VolumeNotifier_dealloc();
        VolumeNotifier::setSourceFactory({});
        VolumeNotifier::setPreferencesPath(QString());
        VolumeNotifier::setStaleEjectIntervalMs(0);
        NotificationCenter::defaultCenter().removeObserver(&m_observer);
        setIconImageSource(m_previousIcons);
    }

    QTemporaryDir m_dir;
    std::shared_ptr<FakeVolumes::Shared> m_volumes = std::make_shared<FakeVolumes::Shared>();
    QObject m_observer;
    std::vector<Notification> m_posted;
    IconImageSource m_previousIcons;
};

} // namespace

TEST_F(VolumeNotifierTest, mountsAreAnnouncedAndLoggedWithTheirRecord)
{
    VolumeNotifier_init();
    testsupport::LogCapture log;
    const QString volume = m_dir.filePath("USBSTICK");
    QDir().mkpath(volume);
    m_volumes->didMount(at(volume));
    ASSERT_EQ(m_posted.size(), 1u);
    EXPECT_EQ(m_posted[0].name, QStringLiteral("RefreshAttachDevice"));
    EXPECT_EQ(m_posted[0].object, VolumeNotifier::postingObject());
    ASSERT_EQ(log.lines().size(), 1);
    const QString line = log.lines().first();
    EXPECT_TRUE(line.contains("-------{")) << qPrintable(line);
    EXPECT_TRUE(line.contains("iconData = \"<yes>\";"));
    EXPECT_TRUE(line.contains("name = USBSTICK;"));
    EXPECT_TRUE(line.contains(QStringLiteral("path = \"%1\";").arg(volume)));
}

TEST_F(VolumeNotifierTest, aVolumeAboutToGoIsRecordedWhileReadableAndUsedWhenItHasGone)
{
    VolumeNotifier_init();
    const QString volume = m_dir.filePath("Backup");
    QDir().mkpath(volume);
    m_volumes->willUnmount(at(volume));
    EXPECT_EQ(VolumeNotifier::cachedEjectPaths(), QStringList{volume});
    EXPECT_TRUE(m_posted.empty());

    QDir(volume).removeRecursively(); // the volume is gone now: only the early record has its icon
    testsupport::LogCapture log;
    m_volumes->didUnmount(at(volume));
    ASSERT_EQ(m_posted.size(), 1u);
    EXPECT_EQ(m_posted[0].name, QStringLiteral("RefreshDetachDevice"));
    EXPECT_EQ(m_posted[0].object, VolumeNotifier::postingObject());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().contains("----{"));
    EXPECT_TRUE(log.lines().first().contains("iconData = \"<yes>\";"));
    EXPECT_TRUE(VolumeNotifier::cachedEjectPaths().isEmpty());

    // Without an early record the one made at that moment has no icon for a vanished volume.
    testsupport::LogCapture second;
    m_volumes->didUnmount(at(volume));
    EXPECT_EQ(m_posted.size(), 2u);
    EXPECT_FALSE(second.lines().first().contains("iconData"));
    EXPECT_TRUE(second.lines().first().contains("name = Backup;"));
}

TEST_F(VolumeNotifierTest, announcementsWithoutAPath)
{
    VolumeNotifier_init();
    m_volumes->willUnmount({});
    EXPECT_TRUE(VolumeNotifier::cachedEjectPaths().isEmpty());
    testsupport::LogCapture log;
    m_volumes->didUnmount({});
    ASSERT_EQ(m_posted.size(), 1u);
    EXPECT_EQ(m_posted[0].name, QStringLiteral("RefreshDetachDevice"));
    // A record of no path carries only the eject icon.
    EXPECT_TRUE(log.lines().first().contains("iconData = \"<yes>\";"));
    EXPECT_FALSE(log.lines().first().contains("path ="));
}

TEST_F(VolumeNotifierTest, staleRecordsExpireAndASecondAnnouncementReplacesTheFirst)
{
    VolumeNotifier::setStaleEjectIntervalMs(150);
    VolumeNotifier_init();
    const QString volume = m_dir.path();
    m_volumes->willUnmount(at(volume));
    QThread::msleep(100);
    m_volumes->willUnmount(at(volume)); // restarts the wait
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(testsupport::waitUntil([] { return VolumeNotifier::cachedEjectPaths().isEmpty(); }, 2000));
    EXPECT_GE(clock.elapsed(), 100); // the first timer did not remove the second record
    EXPECT_TRUE(m_posted.empty());
}

TEST_F(VolumeNotifierTest, existingVolumesAreListedOnlyWhenThePreferenceAsks)
{
    m_volumes->mounted = {m_dir.path(), QStringLiteral("/")};
    {
        testsupport::LogCapture log;
        VolumeNotifier_init();
        EXPECT_TRUE(log.lines().isEmpty());
        VolumeNotifier_dealloc();
    }
    ASSERT_TRUE(PropertyList::write(VolumeNotifier::preferencesPath(), QVariantMap{{"ShowExisting", false}}));
    {
        testsupport::LogCapture log;
        VolumeNotifier_init();
        EXPECT_TRUE(log.lines().isEmpty());
        VolumeNotifier_dealloc();
    }
    ASSERT_TRUE(PropertyList::write(VolumeNotifier::preferencesPath(), QVariantMap{{"ShowExisting", true}}));
    testsupport::LogCapture log;
    VolumeNotifier_init();
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_TRUE(log.lines()[0].contains(QStringLiteral("path = \"%1\";").arg(m_dir.path())));
    EXPECT_TRUE(log.lines()[1].contains("----{"));
    EXPECT_TRUE(m_posted.empty());
}

TEST(VolumeInfo, recordsOfNoPathAndTheirDescription)
{
    const VolumeInfo none(QString{});
    EXPECT_TRUE(none.path().isNull());
    EXPECT_TRUE(none.name().isNull());
    EXPECT_EQ(none.description(), QStringLiteral("{\n}"));

    const VolumeInfo mount = VolumeInfo::volumeInfoForMountWithPath(QString());
    ASSERT_TRUE(mount.iconData());
    EXPECT_FALSE(QImage::fromData(*mount.iconData()).isNull());
    EXPECT_EQ(mount.description(), QStringLiteral("{\n    iconData = \"<yes>\";\n}"));

    const VolumeInfo root(QStringLiteral("/"));
    EXPECT_FALSE(root.name().isEmpty());
}

TEST(VolumeInfo, theEjectBadgeCoversTheLowerRightTwoThirds)
{
    QImage volume(90, 90, QImage::Format_ARGB32);
    volume.fill(Qt::white);
    const QImage badged = VolumeInfo::badgedWithEject(volume);
    ASSERT_EQ(badged.size(), volume.size());
    // The upper left third stays untouched; the badge's area has changed somewhere.
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 90; ++x)
            ASSERT_EQ(badged.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
    for (int y = 30; y < 90; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(badged.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
    bool changed = false;
    for (int y = 30; y < 90 && !changed; ++y)
        for (int x = 30; x < 90 && !changed; ++x)
            changed = badged.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_TRUE(changed);
}

TEST(VolumeNotifierPreferences, theFileLivesInThePersonsConfigurationFolder)
{
    const QString path = VolumeNotifier::preferencesPath();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/com.growl.hardwaregrowler.plist"))) << qPrintable(path);
    EXPECT_EQ(QFileInfo(path).path(), QFileInfo(QFileInfo(UserDefaults::defaultFilePath()).path()).path());
}
