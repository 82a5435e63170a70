#include "RemoveFileAndFolder.h"

#include "AnchoredPath.h"
#include "ImmutableFlag.h"
#include "JournalScrub.h"
#include "ProcessRunner.h"

#include "MountFixture.h"
#include "common/LoopImage.h"
#include "common/TestSupport.h"
#include "platform/NativePath.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testsupport::LogCapture;
using testsupport::TempBundle;
using testsupport::waitUntil;

struct RecordingDelegate : RemoveFileAndFolderDelegate
{
    std::vector<std::pair<float, QString>> progress;
    QStringList events; // the names of the items shown, and "fail", in the order they came
    int fails = 0;
    int ends = 0;
    FileObjList endItems;
    std::function<void(float)> onProgress;
    std::function<void()> onEnd;

    void removeObjEnd(const FileObjList &items) override
    {
        ++ends;
        endItems = items;
        if (onEnd)
            onEnd();
    }
    void removeProgress(float percent, const QString &path) override
    {
        progress.emplace_back(percent, path);
        events << QFileInfo(path).fileName();
        if (onProgress)
            onProgress(percent);
    }
    void haveFailEraser() override
    {
        ++fails;
        events << QStringLiteral("fail");
    }
};

// A temporary bundle whose "srm" is a stand-in that logs each path it is given with its flag string
// (one line each, the two separated by a tab) and then runs the given body on it; each start of
// the tool logs its flag string in another file.
class WorkerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_files.isValid());
        m_log = m_files.filePath(QStringLiteral("calls.log"));
        m_starts = m_files.filePath(QStringLiteral("starts.log"));
        installTool(QStringLiteral("rm -f -- \"$2\"\n"));
    }
    void TearDown() override { UserDefaults::standard().removeObjectForKey(QStringLiteral("EraserTimes")); }

    void installTool(const QString &body, const QByteArray &atEnd = {})
    {
        const QByteArray script = testsupport::standInTool(
            "printf '%s\\t%s\\n' \"$1\" \"$2\" >> '" + QFile::encodeName(m_log) + "'\n" + body.toUtf8(),
            "printf '%s\\n' \"$flag\" >> '" + QFile::encodeName(m_starts) + "'", atEnd);
        const QString path = m_bundle.writeResource(QStringLiteral("srm"), script);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QStringList toolCalls() const { return lines(m_log); }
    // The flag string of every start of the tool.
    QStringList toolStarts() const { return lines(m_starts); }
    static QStringList lines(const QString &logPath)
    {
        QFile file(logPath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QString makeFile(const QString &name, const QByteArray &content = "secret")
    {
        return testsupport::writeFileAt(m_files.filePath(name), content);
    }

    static FileObjPtr item(const QString &path, qint64 size, bool isDir = false)
    {
        auto obj = std::make_shared<FileObj>();
        obj->setUrl(path);
        obj->setName(QFileInfo(path).fileName());
        obj->setSize(size);
        obj->setIsDir(isDir);
        obj->setIsSelect(true);
        return obj;
    }

    // Runs the list to its end (or the time-out) and answers whether it ended.
    bool run(RemoveFileAndFolder &worker, const FileObjList &list, int timeoutMs = 10000)
    {
        worker.setDelegate(&m_delegate);
        worker.benginToTraskWithArr(list);
        return waitUntil([&] { return m_delegate.ends > 0; }, timeoutMs);
    }

    TempBundle m_bundle;
    QTemporaryDir m_files;
    QString m_log;
    QString m_starts;
    RecordingDelegate m_delegate;
};

} // namespace

TEST_F(WorkerTest, OneFileReportsThirtyPercentThenEndsWithThatItem)
{
    const QString path = makeFile(QStringLiteral("one.txt"));
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, {item(path, 6)}));
    ASSERT_EQ(m_delegate.progress.size(), 1u);
    EXPECT_FLOAT_EQ(m_delegate.progress[0].first, 30.0f);
    EXPECT_EQ(m_delegate.progress[0].second, path);
    EXPECT_EQ(toolCalls(), QStringList{QStringLiteral("-fsvrz\t") + path});
    ASSERT_EQ(m_delegate.endItems.size(), 1);
    EXPECT_EQ(m_delegate.endItems[0]->failStr(), QStringLiteral("Success"));
    EXPECT_EQ(m_delegate.ends, 1);
    EXPECT_EQ(m_delegate.fails, 0);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(WorkerTest, FourItemsGetFlooredPercentsNeverHundredAndMarkTheCallersRecords)
{
    FileObjList list;
    QStringList expectedCalls;
    for (int i = 0; i < 4; ++i) {
        const QString path = makeFile(QStringLiteral("f%1").arg(i));
        list.append(item(path, 6));
        expectedCalls << QStringLiteral("-fsvrz\t") + path;
    }
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, list));
    std::vector<float> percents;
    for (const auto &[percent, path] : m_delegate.progress)
        percents.push_back(percent);
    EXPECT_EQ(percents, (std::vector<float>{0, 25, 50, 75}));
    EXPECT_EQ(toolCalls(), expectedCalls);
    ASSERT_EQ(m_delegate.endItems.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m_delegate.endItems[i].get(), list[i].get()) << "the caller's own records, in order";
        EXPECT_EQ(list[i]->failStr(), QStringLiteral("Success"));
    }

    // Three items: 0, 33, 66 (floor, not rounding).
    m_delegate = RecordingDelegate();
    RemoveFileAndFolder second;
    ASSERT_TRUE(run(second, {item(makeFile("a"), 6), item(makeFile("b"), 6), item(makeFile("c"), 6)}));
    ASSERT_EQ(m_delegate.progress.size(), 3u);
    EXPECT_FLOAT_EQ(m_delegate.progress[1].first, 33.0f);
    EXPECT_FLOAT_EQ(m_delegate.progress[2].first, 66.0f);
}

TEST_F(WorkerTest, FlagFollowsTheStoredMethodAndSolidStateForcesOnePass)
{
    struct Case
    {
        QVariant stored;
        QString flag;
    };
    const std::vector<Case> cases{{QVariant(), "-fsvrz"},
                                  {0, "-fsvrz"},
                                  {-7, "-fsvrz"},
                                  {1, "-fsvrz"},
                                  {2, "-fsvrz"},
                                  {3, "-fEvrz"},
                                  {4, "-fsvrz"},
                                  {7, "-fmvrz"},
                                  {35, "-fvrz"},
                                  {36, "-fsvrz"},
                                  {(1LL << 32) + 7, "-fmvrz"}};
    for (const Case &c : cases) {
        if (c.stored.isValid())
            UserDefaults::standard().setObject(c.stored, QStringLiteral("EraserTimes"));
        else
            UserDefaults::standard().removeObjectForKey(QStringLiteral("EraserTimes"));
        QFile::remove(m_log);
        m_delegate = RecordingDelegate();
        const QString path = makeFile(QStringLiteral("m"));
        RemoveFileAndFolder worker;
        ASSERT_TRUE(run(worker, {item(path, 6)}));
        EXPECT_EQ(toolCalls(), QStringList{c.flag + QStringLiteral("\t") + path})
            << c.stored.toString().toStdString();
    }

    UserDefaults::standard().setInteger(35, QStringLiteral("EraserTimes"));
    QFile::remove(m_log);
    m_delegate = RecordingDelegate();
    const QString path = makeFile(QStringLiteral("ssd"));
    auto onSsd = item(path, 6);
    onSsd->setIsSSD(true);
    RemoveFileAndFolder worker;
    EXPECT_EQ(worker.getEraserTimes(), 35);
    ASSERT_TRUE(run(worker, {onSsd}));
    EXPECT_EQ(toolCalls(), QStringList{QStringLiteral("-fsvrz\t") + path});
}

TEST_F(WorkerTest, FoldersAreRemovedOnlyWhenEmptyAndListedAsFoldersAndLinksOnlyAsLinks)
{
    QDir root(m_files.path());
    root.mkpath("empty");
    root.mkpath("emptyNotDir");
    root.mkpath("full");
    makeFile("full/x");
    root.mkpath("hidden");
    makeFile("hidden/.dot");
    root.mkpath("Tool.app/Contents/MacOS");
    makeFile("Tool.app/Contents/MacOS/Tool");
    root.mkpath("Empty.app");
    root.mkpath("target");
    QFile::link(root.filePath("target"), root.filePath("link"));
    QFile::link(root.filePath("target"), root.filePath("linkAsFolder"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(root.filePath("fifo")).constData(), 0600), 0);

    auto link = item(root.filePath("link"), 0);
    link->setIsSymbolicLink(true);
    const FileObjList list{item(root.filePath("empty"), 0, true),
                           item(root.filePath("emptyNotDir"), 0, false),
                           item(root.filePath("full"), 0, true),
                           item(root.filePath("hidden"), 0, true),
                           item(root.filePath("Tool.app"), 0, true),
                           item(root.filePath("Empty.app"), 0, true),
                           link,
                           item(root.filePath("linkAsFolder"), 0, true),
                           item(root.filePath("fifo"), 0)};
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, list));
    QStringList results;
    for (const FileObjPtr &obj : list)
        results << obj->failStr();
    EXPECT_EQ(results, (QStringList{"Success", "Fail", "Fail", "Fail", "Fail", "Success", "Success", "Fail",
                                    "Success"}));
    EXPECT_EQ(m_delegate.fails, 5);
    EXPECT_FALSE(root.exists("empty"));
    EXPECT_TRUE(root.exists("emptyNotDir"));
    EXPECT_TRUE(root.exists("full/x"));
    EXPECT_TRUE(root.exists("hidden/.dot"));
    EXPECT_TRUE(root.exists("Tool.app/Contents/MacOS/Tool"))
        << "an .app folder is never removed with its contents";
    EXPECT_FALSE(root.exists("Empty.app"));
    EXPECT_FALSE(QFileInfo(root.filePath("link")).isSymLink()) << "the link goes";
    EXPECT_TRUE(QFileInfo(root.filePath("linkAsFolder")).isSymLink()) << "listed as a folder, found a link";
    EXPECT_TRUE(root.exists("target")) << "its target stays";
    EXPECT_FALSE(QFileInfo::exists(root.filePath("fifo")));
    EXPECT_TRUE(toolCalls().isEmpty()) << "no folder, link or special file is handed to the tool";
    EXPECT_EQ(m_delegate.endItems.size(), 9);
}

TEST_F(WorkerTest, EmptinessIsReadFromTheDiskWhenTheItemComesUp)
{
    LogCapture log;
    // Recorded empty when it was added, written to since: it is overwritten, not just unlinked.
    const QString grown = makeFile(QStringLiteral("grown"), "written after adding");
    const QString empty = makeFile(QStringLiteral("empty"), QByteArray());
    const QString missing = m_files.filePath(QStringLiteral("missing"));
    RemoveFileAndFolder worker;
    // A name mangled on its way here (a file panel hands out text, not bytes).
    const QString mangled = m_files.filePath(QStringLiteral("Bewerbung-M") + QChar::ReplacementCharacter);
    const FileObjList list{item(grown, 0), item(empty, 512), item(missing, 6), item(mangled, 6)};
    ASSERT_TRUE(run(worker, list));
    EXPECT_EQ(toolCalls(), QStringList{QStringLiteral("-fsvrz\t") + grown});
    EXPECT_FALSE(QFile::exists(grown));
    EXPECT_FALSE(QFile::exists(empty));
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Success"));
    EXPECT_EQ(list[1]->failStr(), QStringLiteral("Success"));
    EXPECT_EQ(list[2]->failStr(), QStringLiteral("Fail"));
    EXPECT_EQ(list[3]->failStr(), QStringLiteral("Fail"));
    EXPECT_EQ(m_delegate.fails, 2) << "a failed direct removal is a failure of the run";
    EXPECT_EQ(log.lines().filter(QStringLiteral("may not have survived the way here")).size(), 1);
    EXPECT_TRUE(log.contains(QStringLiteral("-------::") + grown));
    EXPECT_TRUE(log.contains(QStringLiteral("rm file sec ") + empty));
    EXPECT_TRUE(log.contains(missing + QStringLiteral(": No such file or directory")));
}

TEST_F(WorkerTest, OneChildAnswersEveryFileAndAFailureInTheMiddleMarksExactlyThatItem)
{
    // Each file's name says what the tool does with it.
    installTool(QStringLiteral("case \"$2\" in\n"
                               "*removes-fails*) rm -f -- \"$2\"; exit 1;;\n"
                               "*keeps*) exit 0;;\n"
                               "*) rm -f -- \"$2\";;\n"
                               "esac\n"));
    LogCapture log;
    QDir(m_files.path()).mkpath(QStringLiteral("dir"));
    const FileObjList list{item(makeFile("dir/a"), 6),     item(makeFile("dir/removes-fails"), 6),
                           item(makeFile("dir/keeps"), 6), item(m_files.filePath("dir"), 0, true),
                           item(makeFile("b"), 6),         item(makeFile("empty", QByteArray()), 0),
                           item(makeFile("c"), 6)};
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, list));
    QStringList results;
    for (const FileObjPtr &obj : list)
        results << obj->failStr();
    EXPECT_EQ(results, (QStringList{"Success", "Fail", "Fail", "Fail", "Success", "Success", "Success"}))
        << "gone but the tool said it failed; the tool said yes but it is still there; a folder left "
           "holding an entry";
    EXPECT_EQ(m_delegate.events,
              (QStringList{"a", "removes-fails", "fail", "keeps", "fail", "dir", "fail", "b", "empty", "c"}));
    ASSERT_EQ(m_delegate.progress.size(), 7u);
    EXPECT_FLOAT_EQ(m_delegate.progress[6].first, 85.0f);
    EXPECT_EQ(m_delegate.endItems.size(), 7);
    EXPECT_EQ(toolStarts(), QStringList{QStringLiteral("-fsvrz")}) << "one child for the whole run";
    EXPECT_EQ(toolCalls().size(), 5);
    EXPECT_TRUE(log.contains(QStringLiteral("srm could not erase ") + list[1]->url() + ": status 1"));
    EXPECT_TRUE(log.contains(list[2]->url() + QStringLiteral(" is still there after srm erased it")));
    EXPECT_TRUE(QFile::exists(list[2]->url()));

    // Every file answered as erased, but the tool failed at its end (its final sync): the run
    // reports a failure without taking back the items' own results.
    installTool(QStringLiteral("rm -f -- \"$2\"\n"), "exit 1");
    m_delegate = RecordingDelegate();
    const FileObjList synced{item(makeFile("d"), 6), item(makeFile("e"), 6)};
    RemoveFileAndFolder second;
    ASSERT_TRUE(run(second, synced));
    EXPECT_EQ(synced[0]->failStr(), QStringLiteral("Success"));
    EXPECT_EQ(synced[1]->failStr(), QStringLiteral("Success"));
    EXPECT_EQ(m_delegate.events, (QStringList{"d", "e", "fail"}));
    EXPECT_TRUE(log.contains(QStringLiteral("srm ended with status 1")));
}

TEST_F(WorkerTest, FlagChangesStartAnotherChildOnlyAfterThePreviousOneHasEnded)
{
    UserDefaults::standard().setInteger(7, QStringLiteral("EraserTimes"));
    FileObjList list;
    for (const bool ssd : {false, false, true, false}) {
        list.append(item(makeFile(QStringLiteral("f%1").arg(list.size())), 6));
        list.last()->setIsSSD(ssd);
    }
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, list));
    EXPECT_EQ(toolStarts(), (QStringList{"-fmvrz", "-fsvrz", "-fmvrz"}));
    QStringList expected;
    for (const FileObjPtr &obj : list) {
        expected << (obj->isSSD() ? QStringLiteral("-fsvrz\t") : QStringLiteral("-fmvrz\t")) + obj->url();
        EXPECT_EQ(obj->failStr(), QStringLiteral("Success"));
    }
    EXPECT_EQ(toolCalls(), expected);
}

TEST_F(WorkerTest, TheClosingSyncRunsBesideTheWindowAndTheEndComesAfterItOnTheWindowsThread)
{
    const QString path = makeFile(QStringLiteral("one.txt"));
    RemoveFileAndFolder worker;
    QSemaphore entered;
    QSemaphore letGo;
    const QSemaphoreReleaser unblock(letGo); // whatever fails below, the sync is not left waiting
    QThread *syncThread = nullptr;
    worker.setFlushHook([&] {
        syncThread = QThread::currentThread();
        entered.release();
        letGo.tryAcquire(1, 5000);
    });
    QThread *endThread = nullptr;
    m_delegate.onEnd = [&] { endThread = QThread::currentThread(); };
    worker.setDelegate(&m_delegate);
    worker.benginToTraskWithArr({item(path, 6)});
    ASSERT_TRUE(waitUntil([&] { return entered.available() > 0; }));
    bool turned = false;
    QTimer::singleShot(0, [&] { turned = true; });
    EXPECT_TRUE(waitUntil([&] { return turned; }, 1000)) << "the window's loop stood still during the sync";
    EXPECT_EQ(m_delegate.ends, 0) << "the run ended before its file systems were synced";
    letGo.release();
    ASSERT_TRUE(waitUntil([&] { return m_delegate.ends == 1; }));
    EXPECT_NE(syncThread, QThread::currentThread());
    EXPECT_EQ(endThread, QThread::currentThread());
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(WorkerTest, AFolderWhoseJournalMustGoHomeFirstWaitsBesideTheWindow)
{
    if (const QString why = testsupport::LoopImage::unavailableReason(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir folder;
    testsupport::LoopImage image(folder.path());
    ASSERT_TRUE(image.mounted()) << image.error().toStdString();
    // Enough emptied folders on one ext4 that holding the last one writes the journal home first.
    QDir root(image.mountPoint());
    FileObjList list;
    for (int i = 0; i < 256; ++i) {
        const QString sub = QStringLiteral("d%1").arg(i);
        list << item(testsupport::writeFileAt(root.filePath(sub + QStringLiteral("/e")), {}), 0)
             << item(root.filePath(sub), 0, true);
    }
    RemoveFileAndFolder worker;
    QSemaphore entered;
    QSemaphore letGo;
    const QSemaphoreReleaser unblock(letGo);
    QThread *settleThread = nullptr;
    worker.setSettleHook([&] {
        settleThread = QThread::currentThread();
        entered.release();
        letGo.tryAcquire(1, 5000);
    });
    worker.setDelegate(&m_delegate);
    worker.benginToTraskWithArr(list);
    ASSERT_TRUE(waitUntil([&] { return entered.available() > 0; }));
    bool turned = false;
    QTimer::singleShot(0, [&] { turned = true; });
    EXPECT_TRUE(waitUntil([&] { return turned; }, 1000)) << "the window's loop stood still meanwhile";
    EXPECT_TRUE(root.exists(QStringLiteral("d255"))) << "the folder went before its journal was home";
    EXPECT_EQ(m_delegate.ends, 0);
    letGo.release();
    ASSERT_TRUE(waitUntil([&] { return m_delegate.ends == 1; }));
    EXPECT_NE(settleThread, QThread::currentThread());
    EXPECT_EQ(m_delegate.fails, 0);
    EXPECT_EQ(m_delegate.endItems.size(), list.size());
    EXPECT_FALSE(root.exists(QStringLiteral("d255")));
    EXPECT_TRUE(image.unmount()) << "nothing of the run keeps the file system busy";
}

TEST_F(WorkerTest, AChildThatDiesMidBatchFailsWhatItLeftAndANewOneTakesTheRest)
{
    // The tool kills itself on the second file; the empty file ends what was handed ahead. The
    // subshell that sent the signal does nothing more, and ends only once the tool is gone, so
    // nothing of the tool outlives it whatever the timing.
    installTool(QStringLiteral("case \"$2\" in *dies*) kill -9 $$\n"
                               "    for i in $(seq 500); do kill -0 $$ 2>/dev/null || exit 1; sleep 0.01; done\n"
                               "    exit 1;; esac\nrm -f -- \"$2\"\n"));
    LogCapture log;
    const FileObjList list{item(makeFile("a"), 6), item(makeFile("dies"), 6), item(makeFile("b"), 6),
                           item(makeFile("empty", QByteArray()), 0), item(makeFile("c"), 6)};
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, list));
    QStringList results;
    for (const FileObjPtr &obj : list)
        results << obj->failStr();
    EXPECT_EQ(results, (QStringList{"Success", "Fail", "Fail", "Success", "Success"}));
    EXPECT_EQ(m_delegate.events, (QStringList{"a", "dies", "fail", "b", "fail", "empty", "c"}));
    EXPECT_EQ(toolStarts().size(), 2);
    EXPECT_TRUE(QFile::exists(list[2]->url())) << "handed over, never reached";
    EXPECT_TRUE(log.contains(QStringLiteral("srm ended before it had erased ") + list[1]->url()));
    EXPECT_TRUE(log.contains(QStringLiteral("srm ended with status 137")));
}

TEST_F(WorkerTest, AToolAnsweringOutOfTurnIsStoppedAndOnlyTheDiskDecides)
{
    // It removes every file but numbers its answers from 1, so no answer can be trusted.
    const QByteArray script = "#!/bin/bash\nn=1\nwhile IFS= read -r -d '' path; do path=\"${path#* * * }\"; rm -f -- \"$path\"; "
                              "echo \"$n ok\"; n=$((n + 1)); done\n";
    QFile::setPermissions(m_bundle.writeResource(QStringLiteral("srm"), script),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    LogCapture log;
    const FileObjList list{item(makeFile("a"), 6), item(makeFile("b"), 6)};
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, list));
    EXPECT_TRUE(log.contains(QStringLiteral("srm answered out of turn or unreadably; it is stopped")));
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Success")) << "gone, whatever the tool said";
    for (const FileObjPtr &obj : list) {
        if (QFile::exists(obj->url())) {
            EXPECT_EQ(obj->failStr(), QStringLiteral("Fail"));
        }
    }
}

TEST_F(WorkerTest, NothingOutsideTheListIsReachedThroughALinkOrAMountRefusal)
{
    // A folder on the item's way was swapped for a link after the list was made.
    QDir root(m_files.path());
    root.mkpath("outside");
    const QString victim = makeFile("outside/file", "keep me");
    const QString victimEmpty = makeFile("outside/empty", QByteArray());
    QFile::link(root.filePath("outside"), root.filePath("sub"));
    const QString refused = makeFile("refused", "keep me too");
    auto leftAlone = item(refused, 11);
    leftAlone->setRefusal(refused + QStringLiteral(" is a mount point of another file system; left alone"));
    LogCapture log;
    const FileObjList list{item(root.filePath("sub/file"), 7), item(root.filePath("sub/empty"), 0),
                           leftAlone};
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, list));
    for (const FileObjPtr &obj : list)
        EXPECT_EQ(obj->failStr(), QStringLiteral("Fail")) << obj->url().toStdString();
    EXPECT_EQ(m_delegate.fails, 3);
    EXPECT_TRUE(QFile::exists(victim));
    EXPECT_TRUE(QFile::exists(victimEmpty));
    EXPECT_TRUE(QFile::exists(refused));
    EXPECT_TRUE(toolCalls().isEmpty());
    EXPECT_TRUE(log.contains(root.filePath("sub/file") +
                             QStringLiteral(": a folder on its way is a link or not a folder; left alone")));
    EXPECT_TRUE(log.contains(leftAlone->refusal()));
}

TEST_F(WorkerTest, NamesThatAreNotTextReachTheToolAndTheRemovalByteForByte)
{
    const QByteArray folder = QFile::encodeName(m_files.path());
    const QByteArray withContent = folder + "/Bewerbung-M\xFCller.txt";
    const QByteArray emptyOne = folder + "/leer-\xE4.txt";
    for (const QByteArray &name : {withContent, emptyOne}) {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        const bool written = name != withContent || ::write(fd, "secret", 6) == 6;
        ::close(fd);
        ASSERT_TRUE(written);
    }
    const FileObjList list{item(NativePath::decode(withContent), 6), item(NativePath::decode(emptyOne), 0)};
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, list));
    struct stat info
    {
    };
    EXPECT_NE(::lstat(withContent.constData(), &info), 0);
    EXPECT_NE(::lstat(emptyOne.constData(), &info), 0);
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Success"));
    EXPECT_EQ(list[1]->failStr(), QStringLiteral("Success"));
    QFile calls(m_log);
    calls.open(QIODevice::ReadOnly);
    EXPECT_EQ(calls.readAll(), "-fsvrz\t" + withContent + "\n") << "the tool got the very bytes";
}

TEST_F(WorkerTest, CancelDuringAChildEndsWithTheItemsProcessedSoFar)
{
    const QString started = m_files.filePath(QStringLiteral("started"));
    installTool(QStringLiteral("case \"$2\" in *slow*) touch '%1'; exec sleep 30;; esac\nrm -f -- \"$2\"\n")
                    .arg(started));
    const FileObjList list{item(makeFile("a"), 6), item(makeFile("b"), 6), item(makeFile("slow"), 6),
                           item(makeFile("c"), 6), item(makeFile("d"), 6)};
    RemoveFileAndFolder worker;
    worker.setDelegate(&m_delegate);
    QElapsedTimer clock;
    clock.start();
    worker.benginToTraskWithArr(list);
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(started); }));
    worker.isCancel();
    ASSERT_TRUE(waitUntil([&] { return m_delegate.ends > 0; }));
    EXPECT_LT(clock.elapsed(), 20000) << "the tool was stopped within its file";
    ASSERT_EQ(m_delegate.endItems.size(), 3);
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Success"));
    EXPECT_EQ(list[1]->failStr(), QStringLiteral("Success"));
    EXPECT_EQ(list[2]->failStr(), QStringLiteral("Fail"));
    EXPECT_TRUE(list[3]->failStr().isEmpty()) << "never reached";
    EXPECT_TRUE(list[4]->failStr().isEmpty());
    EXPECT_TRUE(QFile::exists(list[3]->url()));
    EXPECT_EQ(m_delegate.events, (QStringList{"a", "b", "slow", "fail"}));
    EXPECT_EQ(toolCalls().size(), 3);
}

TEST_F(WorkerTest, MissingOrUnstartableToolFailsEachItemAndGoesOn)
{
    QFile::remove(m_bundle.resourcePath() + QStringLiteral("/srm"));
    const FileObjList list{item(makeFile("a"), 6), item(makeFile("b"), 6)};
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, list));
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Fail"));
    EXPECT_EQ(list[1]->failStr(), QStringLiteral("Fail"));
    EXPECT_EQ(m_delegate.fails, 2);
    EXPECT_EQ(m_delegate.endItems.size(), 2);

    // A tool that exists but cannot be run: not executable, or an interpreter that is missing.
    for (const QByteArray &script : {QByteArray("#!/bin/sh\n"), QByteArray("#!/nonexistent/interpreter\n")}) {
        // The previous round left a read-only tool: only root could write over it.
        QFile::remove(m_bundle.resourcePath() + QStringLiteral("/srm"));
        const QString tool = m_bundle.writeResource(QStringLiteral("srm"), script);
        QFile::setPermissions(tool, script.contains("nonexistent") ? QFile::ReadOwner | QFile::ExeOwner
                                                                   : QFile::ReadOwner);
        m_delegate = RecordingDelegate();
        const FileObjList again{item(makeFile("c"), 6)};
        RemoveFileAndFolder other;
        ASSERT_TRUE(run(other, again)) << script.constData();
        EXPECT_EQ(again[0]->failStr(), QStringLiteral("Fail")) << script.constData();
        EXPECT_EQ(m_delegate.fails, 1) << script.constData();
        EXPECT_EQ(m_delegate.ends, 1);
    }
}

TEST_F(WorkerTest, ToolThatVanishesMidRunFailsTheRestWithoutHarmingTheEndedChild)
{
    // The first child removes the tool and ends: the next start fails while that end is delivered.
    installTool(QStringLiteral("rm -f -- \"$2\" \"$0\"; kill -9 $$\n"));
    QDir(m_files.path()).mkpath(QStringLiteral("dir"));
    const FileObjList list{item(makeFile("a"), 6), item(makeFile("b"), 6),
                           item(m_files.filePath("dir"), 0, true), item(makeFile("c"), 6)};
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, list));
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Success"))
        << "gone, though the tool died before it said so";
    EXPECT_EQ(list[1]->failStr(), QStringLiteral("Fail"));
    EXPECT_EQ(list[2]->failStr(), QStringLiteral("Success"));
    EXPECT_EQ(list[3]->failStr(), QStringLiteral("Fail"));
    EXPECT_EQ(m_delegate.fails, 2);
    EXPECT_EQ(m_delegate.endItems.size(), 4);
}

TEST_F(WorkerTest, WorkerReleasedDuringARunLeavesNoChildBehind)
{
    const QString started = m_files.filePath(QStringLiteral("started"));
    installTool(QStringLiteral("echo $$ > '%1'\nexec sleep 30\n").arg(started));
    auto worker = std::make_unique<RemoveFileAndFolder>();
    worker->setDelegate(&m_delegate);
    worker->benginToTraskWithArr({item(makeFile("a"), 6)});
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(started).size() > 0; }));
    QFile pidFile(started);
    pidFile.open(QIODevice::ReadOnly);
    const pid_t pid = pid_t(pidFile.readAll().trimmed().toInt());
    ASSERT_GT(pid, 0);
    worker.reset();
    EXPECT_TRUE(waitUntil([&] { return ::kill(pid, 0) != 0; }, 5000)) << "the child was stopped";
    EXPECT_EQ(m_delegate.ends, 0);
}

TEST_F(WorkerTest, ChildReportedUnstartableLaterIsMarkedFailedOnce)
{
    // A runner that accepts the launch and only then, from the event loop, reports that the
    // program could not be started.
    struct LateFailingRunner : ProcessRunner
    {
        QStringList *launches;
        explicit LateFailingRunner(QStringList *l) : launches(l) {}
        bool launch(const QString &program, const QStringList &arguments) override
        {
            *launches << program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
            QTimer::singleShot(0, this, [this] { postTermination(true); });
            return true;
        }
        bool writeInput(const QByteArray &) override { return true; }
        void terminate() override {}
        bool isRunning() const override { return false; }
    };
    QStringList launches;
    ProcessRunner::setFactory([&] { return std::make_unique<LateFailingRunner>(&launches); });
    const FileObjList list{item(makeFile("a"), 6), item(makeFile("b"), 6)};
    RemoveFileAndFolder worker;
    const bool ended = run(worker, list);
    ProcessRunner::setFactory({});
    ASSERT_TRUE(ended);
    EXPECT_EQ(launches.size(), 1) << "both files were handed to the one child";
    EXPECT_TRUE(launches.value(0).endsWith(QStringLiteral("/srm -fsvrz --batch")));
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Fail"));
    EXPECT_EQ(list[1]->failStr(), QStringLiteral("Fail"));
    EXPECT_EQ(m_delegate.fails, 2);
}

TEST_F(WorkerTest, FileTheToolRemovedBeforeTheCheckStillCountsAsErased)
{
    // A tool that is done at once: its end still decides, and the file is gone by then.
    struct InstantRunner : ProcessRunner
    {
        bool launch(const QString &, const QStringList &) override { return true; }
        bool writeInput(const QByteArray &bytes) override
        {
            // "<device> <inode> <names> <path>"
            const QList<QByteArray> fields = bytes.chopped(1).split(' ');
            ::unlink(fields.mid(3).join(' ').constData());
            QTimer::singleShot(0, this, [this] { deliverLine("0 ok"); });
            return true;
        }
        void closeInput() override
        {
            QTimer::singleShot(0, this, [this] { postTermination(false); });
        }
        void terminate() override {}
        bool isRunning() const override { return false; }
    };
    ProcessRunner::setFactory([] { return std::make_unique<InstantRunner>(); });
    const FileObjList list{item(makeFile("quick"), 6)};
    RemoveFileAndFolder worker;
    const bool ended = run(worker, list);
    ProcessRunner::setFactory({});
    ASSERT_TRUE(ended);
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Success"));
    EXPECT_EQ(m_delegate.fails, 0);
}

namespace {

// A tool the test drives: it takes every record at once and answers only when told to.
struct HeldRunner : ProcessRunner
{
    QStringList *handed; // the path of every record, in the order they came
    bool running = true;
    explicit HeldRunner(QStringList *h) : handed(h) {}
    bool launch(const QString &, const QStringList &) override { return true; }
    bool writeInput(const QByteArray &bytes) override
    {
        if (!running)
            return false;
        *handed << QString::fromUtf8(bytes.chopped(1).split(' ').mid(3).join(' '));
        return true;
    }
    void closeInput() override { end(0); }
    void terminate() override { end(128 + SIGTERM); }
    bool isRunning() const override { return running; }
    void end(int status)
    {
        if (!running)
            return;
        running = false;
        QTimer::singleShot(0, this, [this, status] { postTermination(false, status); });
    }
    // Answers record n as erased, after removing what the path names (when it names anything).
    void erased(int n, const QString &path = {})
    {
        if (!path.isEmpty())
            ::unlink(QFile::encodeName(path).constData());
        deliverLine(QByteArray::number(n) + " ok");
    }
};

// Every worker from here on talks to a HeldRunner; the newest one lands in tool.
void useHeldRunner(QStringList &handed, HeldRunner *&tool)
{
    ProcessRunner::setFactory([&handed, &tool] {
        auto runner = std::make_unique<HeldRunner>(&handed);
        tool = runner.get();
        return runner;
    });
}

} // namespace

TEST_F(WorkerTest, TheToolIsFedPastFolderEntriesAndAFolderGoesOnlyAfterEveryEarlierAnswer)
{
    QStringList handed;
    HeldRunner *tool = nullptr;
    useHeldRunner(handed, tool);
    QDir root(m_files.path());
    const FileObjList list{item(makeFile("dir/a"), 6),        item(makeFile("dir/b"), 6),
                           item(root.filePath("dir"), 0, true), item(makeFile("other/c"), 6),
                           item(root.filePath("other"), 0, true), item(makeFile("d"), 6)};
    RemoveFileAndFolder worker;
    worker.setDelegate(&m_delegate);
    worker.benginToTraskWithArr(list);
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(handed, (QStringList{list[0]->url(), list[1]->url(), list[3]->url(), list[5]->url()}))
        << "every file was handed before the first answer, those beyond the folders too";
    tool->erased(0, list[0]->url());
    EXPECT_TRUE(root.exists(QStringLiteral("dir"))) << "the folder waits for the answer before it";
    tool->erased(1, list[1]->url());
    EXPECT_FALSE(root.exists(QStringLiteral("dir")));
    EXPECT_TRUE(root.exists(QStringLiteral("other")));
    tool->erased(2, list[3]->url());
    tool->erased(3, list[5]->url());
    const bool ended = waitUntil([&] { return m_delegate.ends > 0; });
    ProcessRunner::setFactory({});
    ASSERT_TRUE(ended);
    QStringList results;
    for (const FileObjPtr &obj : list)
        results << obj->failStr();
    EXPECT_EQ(results, QStringList(6, QStringLiteral("Success")));
    EXPECT_EQ(m_delegate.endItems, list) << "results still come in list order";
    EXPECT_EQ(m_delegate.events, (QStringList{"a", "b", "dir", "c", "other", "d"}));
    EXPECT_FALSE(root.exists(QStringLiteral("other")));
}

TEST_F(WorkerTest, WhetherAFileIsGoneIsAskedOfTheFolderItWasExaminedIn)
{
    // After the tool erased it, its folder moved away and another file took the path: the one
    // chosen is gone, and the newcomer, never chosen, is left alone.
    QStringList handed;
    HeldRunner *tool = nullptr;
    useHeldRunner(handed, tool);
    QDir root(m_files.path());
    const FileObjList list{item(makeFile("dir/x"), 6)};
    RemoveFileAndFolder worker;
    worker.setDelegate(&m_delegate);
    worker.benginToTraskWithArr(list);
    ASSERT_EQ(handed.size(), 1);
    ASSERT_TRUE(QFile::remove(list[0]->url()));
    ASSERT_TRUE(root.rename(QStringLiteral("dir"), QStringLiteral("moved")));
    makeFile(QStringLiteral("dir/x"), "newcomer");
    tool->erased(0);
    const bool ended = waitUntil([&] { return m_delegate.ends > 0; });
    ProcessRunner::setFactory({});
    ASSERT_TRUE(ended);
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Success"));
    EXPECT_EQ(m_delegate.fails, 0);
    EXPECT_TRUE(QFile::exists(list[0]->url()));
    EXPECT_EQ(handed.size(), 1);

    // Stop while a folder waits its turn: the file beyond it that the tool was working on still
    // gets its result; the folder and what the tool never reached stay as they were.
    m_delegate = RecordingDelegate();
    handed.clear();
    useHeldRunner(handed, tool);
    root.mkpath(QStringLiteral("kept"));
    const FileObjList stopped{item(makeFile("a"), 6), item(root.filePath("kept"), 0, true),
                              item(makeFile("b"), 6), item(makeFile("c"), 6)};
    RemoveFileAndFolder second;
    m_delegate.onProgress = [&](float) {
        if (m_delegate.events.last() == QStringLiteral("kept"))
            second.isCancel();
    };
    second.setDelegate(&m_delegate);
    second.benginToTraskWithArr(stopped);
    ASSERT_EQ(handed.size(), 3);
    tool->erased(0, stopped[0]->url());
    const bool stoppedEnded = waitUntil([&] { return m_delegate.ends > 0; });
    ProcessRunner::setFactory({});
    ASSERT_TRUE(stoppedEnded);
    EXPECT_EQ(m_delegate.endItems, (FileObjList{stopped[0], stopped[2]}));
    EXPECT_EQ(stopped[0]->failStr(), QStringLiteral("Success"));
    EXPECT_TRUE(stopped[1]->failStr().isEmpty());
    EXPECT_EQ(stopped[2]->failStr(), QStringLiteral("Fail")) << "the tool was working on it";
    EXPECT_TRUE(stopped[3]->failStr().isEmpty()) << "never reached";
    EXPECT_TRUE(root.exists(QStringLiteral("kept")));
    EXPECT_TRUE(QFile::exists(stopped[3]->url()));
}

TEST_F(WorkerTest, OnXfsTheToolIsFedPastAFolderWhoseRemovalWaitsForTheEndOfTheRun)
{
    if (const QString why = testsupport::LoopImage::unavailableReason(QStringLiteral("xfs")); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir folder;
    testsupport::LoopImage image(folder.path(), QStringLiteral("xfs"), {});
    ASSERT_TRUE(image.mounted()) << image.error().toStdString();
    QDir root(image.mountPoint());
    const FileObjList list{item(testsupport::writeFileAt(root.filePath(QStringLiteral("dir/a")), "secret"), 6),
                           item(root.filePath(QStringLiteral("dir")), 0, true),
                           item(testsupport::writeFileAt(root.filePath(QStringLiteral("b")), "secret"), 6)};
    QStringList handed;
    HeldRunner *tool = nullptr;
    useHeldRunner(handed, tool);
    const std::shared_ptr<void> plainRunners(nullptr, [](void *) { ProcessRunner::setFactory({}); });
    RemoveFileAndFolder worker;
    worker.setDelegate(&m_delegate);
    worker.benginToTraskWithArr(list);
    EXPECT_EQ(handed, (QStringList{list[0]->url(), list[2]->url()})) << "one tool for the whole run";
    tool->erased(0, list[0]->url());
    ASSERT_TRUE(waitUntil([&] { return !root.exists(QStringLiteral("dir")); }))
        << "the folder is renamed in its turn";
    EXPECT_EQ(root.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1) << "and waits under another name";
    EXPECT_TRUE(list[1]->failStr().isEmpty()) << "its result comes once it is gone";
    tool->erased(1, list[2]->url());
    const bool ended = waitUntil([&] { return m_delegate.ends > 0; });
    ProcessRunner::setFactory({});
    ASSERT_TRUE(ended);
    EXPECT_EQ(m_delegate.fails, 0);
    EXPECT_EQ(m_delegate.endItems, list);
    for (const FileObjPtr &done : list)
        EXPECT_EQ(done->failStr(), QStringLiteral("Success")) << done->url().toStdString();
    EXPECT_TRUE(root.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    EXPECT_TRUE(image.unmount());
}

// Where removals are put off (XFS; here any file system stands in for one), what the worker
// removes itself is renamed and removed at the end of the run, and only then gets its result. A
// folder left holding a failed item is never renamed, and one whose put-off removal fails at the
// end gets its own name back; both read "Fail".
TEST_F(WorkerTest, PutOffRemovalsAreJudgedWhenDoneAndWhatStaysKeepsItsName)
{
    LogCapture log;
    srm::JournalScrub::setRemovalsPutOffEverywhere(true);
    QDir top(m_files.filePath(QStringLiteral("top")));
    const QString empty = testsupport::writeFileAt(top.filePath(QStringLiteral("e")), {});
    const QString link = top.filePath(QStringLiteral("l"));
    ASSERT_TRUE(QFile::link(QStringLiteral("e"), link));
    const QString refused = testsupport::writeFileAt(top.filePath(QStringLiteral("sub/keep")), {});
    const QString inOther = testsupport::writeFileAt(top.filePath(QStringLiteral("other/x")), {});
    testsupport::writeFileAt(top.filePath(QStringLiteral("other/late")), "not listed");
    const QString loose = makeFile(QStringLiteral("loose"), {});
    const FileObjList list{item(empty, 0),
                           item(link, 0),
                           item(refused, 0),
                           item(top.filePath(QStringLiteral("sub")), 0, true),
                           item(inOther, 0),
                           item(top.filePath(QStringLiteral("other")), 0, true),
                           item(top.path(), 0, true),
                           item(loose, 0)};
    list[2]->setRefusal(QStringLiteral("refused for the test"));
    const QStringList around = QDir(m_files.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    RemoveFileAndFolder worker;
    QStringList waiting;
    QStringList judgedEarly;
    worker.setFlushHook([&] {
        // Before the removals: the put-off entries wait under random names, unjudged.
        waiting = top.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        for (const FileObjPtr &entry : list)
            if (!entry->failStr().isEmpty())
                judgedEarly << entry->name();
    });
    const bool ended = run(worker, list);
    srm::JournalScrub::setRemovalsPutOffEverywhere(false);
    ASSERT_TRUE(ended);

    EXPECT_EQ(waiting.size(), 4) << waiting.join(' ').toStdString() << ": e and l renamed, sub and other";
    EXPECT_FALSE(waiting.contains(QStringLiteral("e")) || waiting.contains(QStringLiteral("l")));
    EXPECT_EQ(judgedEarly, (QStringList{QStringLiteral("keep"), QStringLiteral("sub"), QStringLiteral("top")}))
        << "only what was not put off has a result before the removals";
    const QStringList results = [&] {
        QStringList all;
        for (const FileObjPtr &entry : list)
            all << entry->name() + QLatin1Char('=') + entry->failStr();
        return all;
    }();
    EXPECT_EQ(results, (QStringList{"e=Success", "l=Success", "keep=Fail", "sub=Fail", "x=Success", "other=Fail",
                                    "top=Fail", "loose=Success"}));
    EXPECT_EQ(m_delegate.fails, 4);
    EXPECT_EQ(top.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              (QStringList{QStringLiteral("other"), QStringLiteral("sub")}))
        << "no random name and no throwaway left";
    EXPECT_EQ(QDir(top.filePath(QStringLiteral("other"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("late")});
    EXPECT_TRUE(QFile::exists(refused));
    EXPECT_EQ(QDir(m_files.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), around.size() - 1)
        << "the loose file is gone from the folder that stays, and nothing else";
    EXPECT_TRUE(toolCalls().isEmpty()) << "nothing here reaches the tool";
    EXPECT_TRUE(log.contains(top.filePath(QStringLiteral("other")) + QStringLiteral(": still holds entries")))
        << log.lines().join('\n').toStdString();
}

// However many folders wait for put-off removals, the run holds a bounded number open: past that,
// what waits is removed before the run goes on.
TEST_F(WorkerTest, ManyFoldersWithPutOffRemovalsAreRemovedBeforeTheRunsEnd)
{
    LogCapture log;
    srm::JournalScrub::setRemovalsPutOffEverywhere(true);
    QDir top(m_files.filePath(QStringLiteral("top")));
    FileObjList list;
    for (int i = 0; i < 300; ++i) {
        list << item(testsupport::writeFileAt(top.filePath(QStringLiteral("f%1/e").arg(i)), {}), 0);
        list << item(top.filePath(QStringLiteral("f%1").arg(i)), 0, true);
    }
    RemoveFileAndFolder worker;
    qsizetype waitingAtTheEnd = -1;
    worker.setFlushHook([&] { waitingAtTheEnd = top.entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(); });
    const bool ended = run(worker, list, 60000);
    srm::JournalScrub::setRemovalsPutOffEverywhere(false);
    ASSERT_TRUE(ended);
    EXPECT_GT(waitingAtTheEnd, 0);
    EXPECT_LT(waitingAtTheEnd, 100) << "most were removed before the end";
    EXPECT_EQ(m_delegate.fails, 0);
    for (const FileObjPtr &done : list)
        ASSERT_EQ(done->failStr(), QStringLiteral("Success")) << done->url().toStdString();
    EXPECT_TRUE(top.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).isEmpty());
}

TEST_F(WorkerTest, EmptyListEndsAtOnceWithAnEmptyArray)
{
    RemoveFileAndFolder worker;
    worker.setDelegate(&m_delegate);
    worker.benginToTraskWithArr({});
    EXPECT_EQ(m_delegate.ends, 1);
    EXPECT_TRUE(m_delegate.endItems.isEmpty());
    EXPECT_TRUE(m_delegate.progress.empty());
    EXPECT_FALSE(worker.runTaskWithPath());
}

TEST_F(WorkerTest, ToolWritingMegabytesOfOutputDoesNotStallTheRun)
{
    installTool(
        QStringLiteral("head -c 8000000 /dev/zero\nhead -c 8000000 /dev/zero >&2\nrm -f -- \"$2\"\n"));
    const QString path = makeFile(QStringLiteral("loud"));
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, {item(path, 6)}, 20000));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(WorkerTest, LongRunOfEmptyItemsUsesNoMoreStackThanOne)
{
    // On a thread with a small stack, a nested step per item would overflow long before the end.
    constexpr int kItems = 100000;
    FileObjList list;
    list.reserve(kItems);
    for (int i = 0; i < kItems; ++i)
        list.append(item(m_files.filePath(QStringLiteral("none%1").arg(i)), 0));
    int ends = 0;
    qsizetype endCount = 0;
    LogCapture log; // keeps 200,000 lines off the terminal
    std::unique_ptr<QThread> thread(QThread::create([&] {
        RecordingDelegate delegate;
        RemoveFileAndFolder worker;
        worker.setDelegate(&delegate);
        worker.benginToTraskWithArr(list);
        // The worker gives the thread's event loop a turn now and then; it goes on from there.
        while (delegate.ends == 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ends = delegate.ends;
        endCount = delegate.endItems.size();
    }));
    thread->setStackSize(512 * 1024);
    thread->start();
    ASSERT_TRUE(thread->wait(120000));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(endCount, kItems);
}

TEST_F(WorkerTest, DelegateMayReleaseTheWorkerAtTheEndAndAGoneDelegateIsNotCalled)
{
    // Released inside removeObjEnd while the direct-item loop is still on the stack (nothing was
    // changed, so nothing waits for a sync), and once the closing sync is done.
    auto *worker = new RemoveFileAndFolder;
    m_delegate.onEnd = [&] { delete worker; };
    worker->setDelegate(&m_delegate);
    worker->benginToTraskWithArr({item(m_files.filePath("gone"), 0), item(m_files.filePath("gone2"), 0)});
    EXPECT_EQ(m_delegate.ends, 1);
    QDir(m_files.path()).mkpath("e1");
    worker = new RemoveFileAndFolder;
    worker->setDelegate(&m_delegate);
    worker->benginToTraskWithArr({item(m_files.filePath("e1"), 0, true), item(m_files.filePath("gone"), 0)});
    EXPECT_TRUE(waitUntil([&] { return m_delegate.ends == 2; }));

    // Released while it reports progress: nothing more happens, and nothing crashes.
    m_delegate = RecordingDelegate();
    worker = new RemoveFileAndFolder;
    m_delegate.onProgress = [&](float percent) {
        if (percent > 0)
            delete worker;
    };
    worker->setDelegate(&m_delegate);
    worker->benginToTraskWithArr({item(m_files.filePath("n1"), 0), item(m_files.filePath("n2"), 0)});
    EXPECT_EQ(m_delegate.progress.size(), 2u);
    EXPECT_EQ(m_delegate.ends, 0);
    m_delegate.onProgress = nullptr;

    // A delegate that is a QObject and is destroyed during the run is simply no longer told.
    struct ObjectDelegate : QObject, RemoveFileAndFolderDelegate
    {
        int *ends;
        explicit ObjectDelegate(int *e) : ends(e) {}
        void removeObjEnd(const FileObjList &) override { ++*ends; }
    };
    int objectEnds = 0;
    auto *objectDelegate = new ObjectDelegate(&objectEnds);
    RemoveFileAndFolder other;
    other.setDelegate(objectDelegate);
    other.benginToTraskWithArr({item(makeFile("slow"), 6)});
    delete objectDelegate;
    EXPECT_EQ(other.delegate(), nullptr);
    QElapsedTimer clock;
    clock.start();
    waitUntil([&] { return toolCalls().size() == 1 && clock.elapsed() > 300; }, 5000);
    EXPECT_EQ(objectEnds, 0);

    // A shared delegate is kept alive by the worker.
    auto shared = std::make_shared<RecordingDelegate>();
    std::weak_ptr<RecordingDelegate> watch = shared;
    RemoveFileAndFolder third;
    third.setDelegate(shared);
    shared.reset();
    EXPECT_FALSE(watch.expired());
    third.benginToTraskWithArr({});
    EXPECT_EQ(watch.lock()->ends, 1);
}

TEST_F(WorkerTest, TwoWorkersEachStepOnlyOnTheirOwnChild)
{
    // The second worker's children take longer, so the first one's ends come while they run.
    installTool(QStringLiteral("case \"$2\" in *slow*) sleep 0.6;; *) sleep 0.1;; esac\nrm -f -- \"$2\"\n"));
    RecordingDelegate first;
    RecordingDelegate second;
    RemoveFileAndFolder a;
    RemoveFileAndFolder b;
    a.setDelegate(&first);
    b.setDelegate(&second);
    a.benginToTraskWithArr({item(makeFile("a1"), 6), item(makeFile("a2"), 6), item(makeFile("a3"), 6)});
    const FileObjList slow{item(makeFile("slow1"), 6), item(makeFile("slow2"), 6)};
    b.benginToTraskWithArr(slow);
    ASSERT_TRUE(waitUntil([&] { return first.ends && second.ends; }, 20000));
    EXPECT_EQ(first.progress.size(), 3u);
    EXPECT_EQ(second.progress.size(), 2u);
    EXPECT_EQ(toolCalls().size(), 5);
    EXPECT_EQ(toolCalls().removeDuplicates(), 0);
    for (const FileObjPtr &obj : slow)
        EXPECT_FALSE(QFile::exists(obj->url())) << "its child was not cut short by the other worker's";
}

namespace {
// Sets or clears the immutable attribute; false where the file system or the user cannot.
bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (fd >= 0)
        ::close(fd);
    return done;
}
} // namespace

TEST_F(WorkerTest, TheWorkerLeavesMarksToTheToolWhichChecksTheFileFirst)
{
    const QString path = makeFile(QStringLiteral("locked"));
    if (!setImmutable(path, true))
        GTEST_SKIP() << "cannot set the immutable attribute here (needs root on a file system that has it)";
    RemoveFileAndFolder worker;
    const FileObjList list{item(path, 6)};
    const bool ended = run(worker, list);
    const bool stillMarked = ImmutableFlag::isSet(path);
    setImmutable(path, false);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(stillMarked) << "the stand-in tool clears nothing, and neither may the worker";
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Fail"));
}

// With the real tool: a file bound in from outside keeps its mark, a file with other names outside
// the run is not touched, one whose names are all in the run goes, a file with both marks goes.
TEST_F(WorkerTest, OnlyWhatWasChosenChangesMarksOtherNamesAndMountsIncluded)
{
    if (!mounts::MountFixture::unavailable().isEmpty())
        GTEST_SKIP() << mounts::MountFixture::unavailable().toStdString();
    m_bundle.copyBuiltResource(QStringLiteral("srm"));
    QTemporaryDir outside;
    const QString outsideMarked = testsupport::writeFileAt(outside.filePath(QStringLiteral("marked")), "outside");
    const QString outsideName = testsupport::writeFileAt(outside.filePath(QStringLiteral("name")), "shared");
    if (!setImmutable(outsideMarked, true))
        GTEST_SKIP() << "cannot set the immutable attribute here";
    const QString bound = makeFile(QStringLiteral("chosen/bound"), "placeholder");
    mounts::MountFixture fixture;
    const bool mounted = fixture.bind(outsideMarked, bound);
    const QString linked = m_files.filePath(QStringLiteral("chosen/linked"));
    const QString pairA = makeFile(QStringLiteral("chosen/pairA"), "both names chosen");
    const QString pairB = m_files.filePath(QStringLiteral("chosen/pairB"));
    const QString locked = makeFile(QStringLiteral("chosen/locked"));
    ::link(QFile::encodeName(outsideName).constData(), QFile::encodeName(linked).constData());
    ::link(QFile::encodeName(pairA).constData(), QFile::encodeName(pairB).constData());
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+ia"), locked});

    LogCapture log;
    RemoveFileAndFolder worker;
    const FileObjList list{item(bound, 7), item(linked, 6), item(pairA, 17), item(pairB, 17), item(locked, 6)};
    const bool ended = run(worker, list, 60000);
    const bool outsideStillMarked = ImmutableFlag::isSet(outsideMarked);
    setImmutable(outsideMarked, false);
    if (QFile::exists(locked))
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-ia"), locked});
    ASSERT_TRUE(mounted) << fixture.error().toStdString();
    ASSERT_TRUE(ended);
    QStringList results;
    for (const FileObjPtr &obj : list)
        results << obj->failStr();
    EXPECT_EQ(results, (QStringList{"Fail", "Fail", "Success", "Success", "Success"}));
    EXPECT_TRUE(outsideStillMarked);
    QFile shown(outsideMarked);
    ASSERT_TRUE(shown.open(QIODevice::ReadOnly));
    EXPECT_EQ(shown.readAll(), QByteArray("outside"));
    QFile other(outsideName);
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), QByteArray("shared")) << "the name outside the run still shows its data";
    EXPECT_TRUE(log.contains(QStringLiteral("has 1 other name")));
    // The tool's own line, from its standard error.
    EXPECT_FALSE(log.lines().filter(QStringLiteral("srm: ") + linked + QStringLiteral(": has 1 other name")).isEmpty())
        << log.lines().join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(pairA) || QFile::exists(pairB) || QFile::exists(locked));
}

// The mark is taken off the entry the walk reached, even when a folder on the way was swapped for a
// link to one holding a marked file of the same name.
TEST_F(WorkerTest, ImmutableMarkIsClearedWhereTheWalkStoodNotWhereALinkLeads)
{
    QDir files(m_files.path());
    files.mkpath(QStringLiteral("held"));
    files.mkpath(QStringLiteral("decoy"));
    const QString reached = makeFile(QStringLiteral("held/locked"));
    const QString decoy = makeFile(QStringLiteral("decoy/locked"));
    if (!setImmutable(reached, true) || !setImmutable(decoy, true))
        GTEST_SKIP() << "cannot set the immutable attribute here (needs root on a file system that has it)";
    AnchoredPath anchored(reached);
    const QString moved = m_files.filePath(QStringLiteral("moved"));
    const bool swapped =
        files.rename(QStringLiteral("held"), QStringLiteral("moved")) &&
        QFile::link(m_files.filePath(QStringLiteral("decoy")), m_files.filePath(QStringLiteral("held")));
    const bool cleared = ImmutableFlag::clear(anchored.folderFd(), anchored.leaf());
    const bool movedStillMarked = ImmutableFlag::isSet(moved + QStringLiteral("/locked"));
    const bool decoyStillMarked = ImmutableFlag::isSet(decoy);
    setImmutable(moved + QStringLiteral("/locked"), false);
    setImmutable(decoy, false);
    setImmutable(reached, false);
    ASSERT_TRUE(swapped);
    EXPECT_TRUE(cleared);
    EXPECT_FALSE(movedStillMarked);
    EXPECT_TRUE(decoyStillMarked) << "the mark went through the link";
}

TEST_F(WorkerTest, AFileThatCannotBeRemovedIsNotOverwrittenEither)
{
    QDir(m_files.path()).mkpath(QStringLiteral("locked"));
    const QString path = makeFile(QStringLiteral("locked/kept"));
    if (!setImmutable(m_files.filePath(QStringLiteral("locked")), true))
        GTEST_SKIP() << "cannot set the immutable attribute here (needs root on a file system that has it)";
    LogCapture log;
    RemoveFileAndFolder worker;
    const FileObjList list{item(path, 6)};
    const bool ended = run(worker, list);
    setImmutable(m_files.filePath(QStringLiteral("locked")), false);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(toolCalls().isEmpty());
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Fail"));
    EXPECT_EQ(m_delegate.fails, 1);
    EXPECT_TRUE(log.contains(QStringLiteral("--没有权限--------") + path));
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("secret"));
}

TEST_F(WorkerTest, PermissionCheckMakesUnwritableFilesWritableAndNeverBlocks)
{
    RemoveFileAndFolder worker;
    const QString fifo = m_files.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(worker.checkPermissions(fifo)) << "a FIFO without a reader is not a permission problem";
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(worker.checkPermissions(m_files.filePath(QStringLiteral("absent"))));

    // Root may write any file: the denied case runs in a child that has given up root.
    ::chmod(QFile::encodeName(m_files.path()).constData(), 0777);
    const QByteArray readOnly = QFile::encodeName(m_files.filePath(QStringLiteral("ro")));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        const int fd = ::open(readOnly.constData(), O_WRONLY | O_CREAT, 0400);
        if (fd < 0)
            ::_exit(4);
        ::close(fd);
        if (!worker.checkPermissions(QFile::decodeName(readOnly)))
            ::_exit(1);
        struct stat info
        {
        };
        ::stat(readOnly.constData(), &info);
        ::_exit((info.st_mode & 0777) == 0600 ? 0 : 2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: answered no, 2: mode not 0600, 3/4: set-up failed";
}

TEST_F(WorkerTest, TheToolsReasonsReachTheLog)
{
    installTool(QStringLiteral("echo \"srm: $2: the tool's own reason\"\nexit 1\n"));
    LogCapture log;
    const QString path = makeFile(QStringLiteral("kept"));
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, {item(path, 6)}));
    EXPECT_TRUE(log.contains(QStringLiteral("srm: ") + path + QStringLiteral(": the tool's own reason")))
        << log.lines().join('\n').toStdString();
}

TEST_F(WorkerTest, NothingOnASystemFileSystemIsTouchedAndANameEndingInASlashMustBeAFolder)
{
    LogCapture log;
    const QString status = QStringLiteral("/proc/%1/status").arg(::getpid());
    const QString file = makeFile(QStringLiteral("file"));
    const FileObjList list{item(status, 0), item(file + QLatin1Char('/'), 6)};
    RemoveFileAndFolder worker;
    ASSERT_TRUE(run(worker, list));
    EXPECT_EQ(list[0]->failStr(), QStringLiteral("Fail"));
    EXPECT_EQ(list[1]->failStr(), QStringLiteral("Fail"));
    EXPECT_TRUE(log.contains(status + QStringLiteral(": lies on a system file system (proc)")))
        << log.lines().join('\n').toStdString();
    EXPECT_TRUE(log.contains(file + QStringLiteral("/: not a folder; left alone")))
        << log.lines().join('\n').toStdString();
    EXPECT_TRUE(toolCalls().isEmpty());
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(WorkerTest, StopBetweenItemsRemovedWithoutTheToolEndsTheRunAndTheProgressMoves)
{
    // Also where removals are put off to the end of the run (XFS): Stop ends the run as soon, and
    // what was taken up before it is removed then, with nothing left under a random name.
    for (const bool putOff : {false, true}) {
        SCOPED_TRACE(putOff ? "removals put off" : "removals at once");
        srm::JournalScrub::setRemovalsPutOffEverywhere(putOff);
        m_delegate = RecordingDelegate();
        // Enough empty files that removing them all takes far longer than one step of the worker.
        LogCapture log; // two lines per item
        const QString many = QStringLiteral("many%1").arg(int(putOff));
        FileObjList list;
        // (Renamed on their way, these take several times as long each.)
        for (int i = 0, count = putOff ? 5000 : 20000; i < count; ++i)
            list.append(item(makeFile(many + QStringLiteral("/e%1").arg(i), QByteArray()), 0));
        RemoveFileAndFolder worker;
        int progressBeforeStop = 0;
        bool stopAsked = false;
        m_delegate.onProgress = [&](float) {
            if (stopAsked)
                return;
            stopAsked = true;
            // A click: it can only arrive when the worker gives the event loop a turn.
            QTimer::singleShot(0, [&] {
                progressBeforeStop = int(m_delegate.progress.size());
                worker.isCancel();
            });
        };
        const bool ended = run(worker, list, 60000);
        srm::JournalScrub::setRemovalsPutOffEverywhere(false);
        ASSERT_TRUE(ended);
        ASSERT_GT(progressBeforeStop, 1);
        EXPECT_LT(m_delegate.endItems.size(), list.size()) << "Stop was seen before the end";
        EXPECT_LE(m_delegate.endItems.size(), progressBeforeStop + 1) << "and nothing was started after it";
        EXPECT_TRUE(QFile::exists(list.last()->url()));
        EXPECT_TRUE(list.last()->failStr().isEmpty());
        for (const FileObjPtr &done : m_delegate.endItems)
            ASSERT_TRUE(done->failStr() == QStringLiteral("Success") && !QFile::exists(done->url()))
                << done->url().toStdString() << " " << done->failStr().toStdString();
        EXPECT_EQ(m_delegate.ends, 1);
        EXPECT_EQ(QDir(m_files.filePath(many)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
                  list.size() - m_delegate.endItems.size());
    }
}

TEST_F(WorkerTest, AToolAnsweringManyTimesASecondIsHeardInGroupsAndEveryLineComesBeforeItsEnd)
{
    // The runner leaves a busy tool's pipe alone for a few of its gaps between lines: the lines
    // are taken several at a wake-up of this thread, never one each, and none is lost or
    // reordered, nor comes after the tool's end.
    constexpr int kLines = 60;
    const QString tool = m_files.filePath(QStringLiteral("pacer"));
    QFile script(tool);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    // It waits 2 ms between lines on a pipe that stays silent, without starting a program.
    script.write("#!/bin/bash\nmkfifo \"$0.quiet\" && exec 9<>\"$0.quiet\" || exit 1\nfor ((i = 0; i < " +
                 QByteArray::number(kLines) + "; i++)); do echo \"$i ok\"; read -r -t 0.002 -u 9; done\nexit 3\n");
    script.close();
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // While it runs, this thread keeps off the processor the tool is on (the last it may use).
    cpu_set_t ours;
    CPU_ZERO(&ours);
    ASSERT_EQ(sched_getaffinity(0, sizeof ours, &ours), 0);
    int toolsProcessor = -1;
    for (int processor = 0; processor < CPU_SETSIZE && CPU_COUNT(&ours) > 1; ++processor)
        toolsProcessor = CPU_ISSET(processor, &ours) ? processor : toolsProcessor;
    bool keptOff = false;

    std::unique_ptr<ProcessRunner> runner = ProcessRunner::create();
    QElapsedTimer clock;
    clock.start();
    QList<QByteArray> lines;
    std::vector<qint64> takenAt;
    bool ended = false;
    int linesAtEnd = -1;
    runner->setLineHandler([&](const QByteArray &line) {
        lines << line;
        takenAt.push_back(clock.nsecsElapsed());
        cpu_set_t now;
        CPU_ZERO(&now);
        keptOff = keptOff || (sched_getaffinity(0, sizeof now, &now) == 0 && toolsProcessor >= 0 &&
                              !CPU_ISSET(toolsProcessor, &now) && CPU_COUNT(&now) == CPU_COUNT(&ours) - 1);
    });
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(
        &observer, ProcessRunner::kTaskDidTerminateNotification,
        [&](const Notification &) {
            ended = true;
            linesAtEnd = int(lines.size());
        },
        runner.get());
    const QString taskset = QStandardPaths::findExecutable(QStringLiteral("taskset"));
    if (taskset.isEmpty())
        toolsProcessor = -1;
    if (toolsProcessor >= 0)
        ASSERT_TRUE(runner->launch(taskset, {QStringLiteral("-c"), QString::number(toolsProcessor), tool}));
    else
        ASSERT_TRUE(runner->launch(tool, {}));
    runner->closeInput();
    ASSERT_TRUE(waitUntil([&] { return ended; }, 20000));
    NotificationCenter::defaultCenter().removeObserver(&observer);
    cpu_set_t after;
    CPU_ZERO(&after);
    ASSERT_EQ(sched_getaffinity(0, sizeof after, &after), 0);
    EXPECT_TRUE(CPU_EQUAL(&after, &ours)) << "the thread has its own processors back once the tool ended";
    if (toolsProcessor >= 0)
        EXPECT_TRUE(keptOff) << "the thread went on sharing the tool's processor";
    ASSERT_EQ(lines.size(), kLines);
    EXPECT_EQ(linesAtEnd, kLines) << "every line was handed over before the end";
    for (int i = 0; i < kLines; ++i)
        EXPECT_EQ(lines[i], QByteArray::number(i) + " ok");
    EXPECT_EQ(runner->exitCode(), 3);
    // Lines handed over at one wake-up come within microseconds of each other; the tool wrote
    // them at least 2 ms apart.
    int wakeUps = 1;
    for (size_t i = 1; i < takenAt.size(); ++i)
        wakeUps += takenAt[i] - takenAt[i - 1] > 500000 ? 1 : 0;
    EXPECT_LT(wakeUps, kLines / 2) << "the lines were taken one at a time";
}
