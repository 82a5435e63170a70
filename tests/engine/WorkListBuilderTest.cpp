// The work list on real trees: links stay links, loops cannot happen, other file systems and bind
// mounts are left alone, and the order is children before their folder.
#include "WorkListBuilder.h"

#include "MountFixture.h"
#include "common/LoopImage.h"
#include "common/TestSupport.h"
#include "platform/NativePath.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class WorkListBuilderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString &relative) const { return m_dir.filePath(relative); }
    QString makeFile(const QString &relative, const QByteArray &content = "data")
    {
        return testsupport::writeFileAt(path(relative), content);
    }
    QString makeFolder(const QString &relative)
    {
        QDir().mkpath(path(relative));
        return path(relative);
    }
    static FileObjPtr chosen(const QString &path, bool isDir, bool isLink = false)
    {
        auto item = std::make_shared<FileObj>();
        item->setUrl(path);
        item->setIsDir(isDir);
        item->setIsSymbolicLink(isLink);
        item->setIsSelect(true);
        item->setIsSSD(true);
        return item;
    }
    static QStringList urls(const FileObjList &list) { return testsupport::urlsOf(list); }
    static FileObjPtr find(const FileObjList &list, const QString &url)
    {
        for (const FileObjPtr &item : list) {
            if (item->url() == url)
                return item;
        }
        return nullptr;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(WorkListBuilderTest, ChildrenComeFirstAsNewRecordsAndTheChosenRecordLast)
{
    // The order across nested folders is checked through the main window; here, what is recorded.
    const QString a = makeFolder(QStringLiteral("A"));
    const QString c = makeFile(QStringLiteral("A/B/c"), "12345");
    const QString inside = makeFile(QStringLiteral("X.app/inside"));
    const FileObjPtr top = chosen(a, true);
    const FileObjList work = WorkListBuilder().build({top, chosen(path(QStringLiteral("X.app")), true)});
    EXPECT_EQ(urls(work),
              (QStringList{c, path(QStringLiteral("A/B")), a, inside, path(QStringLiteral("X.app"))}))
        << "a chosen .app folder is a folder like any other";
    EXPECT_EQ(work[2].get(), top.get()) << "the chosen record itself, shared with the list";
    EXPECT_EQ(work[0]->size(), 5);
    EXPECT_FALSE(work[0]->isDir());
    EXPECT_TRUE(work[0]->isSSD()) << "on the chosen folder's drive";
    EXPECT_EQ(work[1]->type(), QStringLiteral("Folder"));
    EXPECT_TRUE(work[1]->isDir());
}

TEST_F(WorkListBuilderTest, LinksAreListedAsLinksAndNeverFollowed)
{
    const QString outside = makeFolder(QStringLiteral("outside"));
    makeFile(QStringLiteral("outside/precious"));
    makeFile(QStringLiteral("outside/inner/precious"));
    const QString chosenFolder = makeFolder(QStringLiteral("chosen"));
    const QString file = makeFile(QStringLiteral("chosen/file"));
    const QString shortcut = path(QStringLiteral("chosen/shortcut"));
    ASSERT_TRUE(QFile::link(outside, shortcut));
    ASSERT_TRUE(QFile::link(QStringLiteral("."), path(QStringLiteral("chosen/self"))));
    ASSERT_TRUE(QFile::link(QStringLiteral(".."), path(QStringLiteral("chosen/up"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/"), path(QStringLiteral("chosen/root"))));

    const FileObjList work = WorkListBuilder().build({chosen(chosenFolder, true)});
    EXPECT_EQ(work.size(), 6) << urls(work).join(QLatin1Char(' ')).toStdString();
    for (const FileObjPtr &item : work)
        EXPECT_FALSE(item->url().contains(QStringLiteral("precious"))) << item->url().toStdString();
    const FileObjPtr link = find(work, shortcut);
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->isSymbolicLink());
    EXPECT_FALSE(link->isDir());
    EXPECT_EQ(link->size(), outside.toUtf8().size()) << "the link's own size";
    EXPECT_TRUE(find(work, path(QStringLiteral("chosen/up")))->isSymbolicLink());
    EXPECT_TRUE(find(work, file));

    // A chosen link to a folder is not expanded, even when its record claims a folder.
    EXPECT_EQ(urls(WorkListBuilder().build({chosen(shortcut, false, true)})), QStringList{shortcut});
    EXPECT_EQ(urls(WorkListBuilder().build({chosen(shortcut, true)})), QStringList{shortcut});
    // Nor is a folder reached through a link on its way.
    const QString through = shortcut + QStringLiteral("/inner");
    EXPECT_EQ(urls(WorkListBuilder().build({chosen(through, true)})), QStringList{through});
}

TEST_F(WorkListBuilderTest, DeepTreesNeedOneOpenFolderAtATimeAndAnyThreadWillDo)
{
    constexpr int kDepth = 300;
    QByteArray deepest = QFile::encodeName(makeFolder(QStringLiteral("deep")));
    int fd = ::open(deepest.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < kDepth; ++i) {
        ASSERT_EQ(::mkdirat(fd, "d", 0700), 0);
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    ::close(::openat(fd, "leaf", O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    ::close(fd);

    // Far fewer descriptors than levels.
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    FileObjList work;
    std::unique_ptr<QThread> thread(QThread::create(
        [&] { work = WorkListBuilder().build({chosen(path(QStringLiteral("deep")), true)}); }));
    thread->start();
    const bool finished = thread->wait(60000);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_TRUE(finished);
    ASSERT_EQ(work.size(), kDepth + 2);
    EXPECT_TRUE(work.first()->url().endsWith(QStringLiteral("/d/leaf")));
    EXPECT_TRUE(work[1]->url().endsWith(QStringLiteral("/d/d")));
    EXPECT_EQ(work.last()->url(), path(QStringLiteral("deep")));
}

TEST_F(WorkListBuilderTest, MountPointsInsideAreLeftAloneWithTheirReason)
{
    if (const QString why = mounts::MountFixture::unavailable(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    const QString top = makeFolder(QStringLiteral("top"));
    const QString own = makeFile(QStringLiteral("top/own"));
    const QString bound = makeFolder(QStringLiteral("top/bound"));
    const QString boundFile = makeFile(QStringLiteral("top/boundfile"));
    const QString rootBind = makeFolder(QStringLiteral("top/sub/rootbind"));
    makeFile(QStringLiteral("elsewhere/kept"));
    const QString loose = makeFile(QStringLiteral("loose"));
    testsupport::LoopImage disk(path(QString()));
    mounts::MountFixture fixture;
    ASSERT_TRUE(fixture.bind(path(QStringLiteral("elsewhere")), bound)) << fixture.error().toStdString();
    ASSERT_TRUE(fixture.bind(loose, boundFile)) << fixture.error().toStdString();
    ASSERT_TRUE(fixture.bind(QStringLiteral("/"), rootBind)) << fixture.error().toStdString();
    const QString image = makeFolder(QStringLiteral("top/image"));
    const bool haveImage = disk.mounted() && fixture.bind(disk.mountPoint(), image);
    if (haveImage)
        makeFile(QStringLiteral("top/image/on-ext4"));

    const FileObjList work = WorkListBuilder().build({chosen(top, true)});
    QStringList refused;
    for (const FileObjPtr &item : work) {
        if (!item->refusal().isEmpty())
            refused << item->url();
        EXPECT_FALSE(item->url().startsWith(bound + QLatin1Char('/'))) << item->url().toStdString();
        EXPECT_FALSE(item->url().startsWith(rootBind + QLatin1Char('/'))) << item->url().toStdString();
        EXPECT_FALSE(item->url().startsWith(image + QLatin1Char('/'))) << item->url().toStdString();
    }
    refused.sort();
    QStringList expected{bound, boundFile, rootBind};
    if (haveImage)
        expected << image;
    expected.sort();
    EXPECT_EQ(refused, expected);
    EXPECT_EQ(find(work, bound)->refusal(),
              bound + QStringLiteral(" is a mount point of another file system; left alone"));
    EXPECT_TRUE(find(work, own)->refusal().isEmpty());
    if (!haveImage)
        GTEST_SKIP() << "bind mounts checked; the ext4 image was not: "
                     << (disk.mounted() ? fixture.error() : disk.error()).toStdString();
}
