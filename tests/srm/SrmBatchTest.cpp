// The tool's batch mode as the erasure worker drives it: listed files ended by NUL bytes on
// standard input, one result line for each on standard output, as soon as it is done.
#include "FileHelpers.h"
#include "SecureEraser.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void startBatch(QProcess &tool, const QString &flags = QStringLiteral("-fsvrz"))
{
    tool.start(QStringLiteral(NULLWELL_RESOURCES "/srm"), {flags, QStringLiteral("--batch")});
    ASSERT_TRUE(tool.waitForStarted());
}

QByteArray nulJoined(const QList<QByteArray> &paths)
{
    QByteArray input;
    for (const QByteArray &path : paths)
        input += listed(path) + '\0';
    return input;
}

srm::SecureEraser::Listed identityOf(const QString &path)
{
    struct stat info
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &info);
    return {info.st_dev, info.st_ino, 1};
}

} // namespace

TEST(SrmBatch, OneLinePerListingInInputOrderAndOnlyTheListedRegularFilesAreErased)
{
    QTemporaryDir dir;
    const QByteArray base = QFile::encodeName(dir.path());
    QDir(dir.path()).mkpath(QStringLiteral("tree/sub"));
    writeFile(dir.filePath(QStringLiteral("tree/sub/file")));
    const QByteArray fifoInTree = base + "/tree/sub/fifo";
    ASSERT_EQ(::mkfifo(fifoInTree.constData(), 0600), 0);
    const QByteArray fifo = base + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    // A name with a newline and bytes that are not UTF-8 travels as it is.
    const QByteArray awkward = base + "/new\nline-\xff\xfe.txt";
    const int awkwardFd = ::open(awkward.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::write(awkwardFd, "awkward", 7), 7);
    ::close(awkwardFd);
    ASSERT_TRUE(existsNoFollow(awkward));
    const QList<QByteArray> paths{QFile::encodeName(writeFile(dir.filePath(QStringLiteral("first")))),
                                  awkward,
                                  fifo,
                                  base + "/tree",
                                  base + "/missing",
                                  QFile::encodeName(writeFile(dir.filePath(QStringLiteral("last"))))};

    QProcess tool;
    startBatch(tool);
    tool.write(nulJoined(paths));
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    const QList<QByteArray> lines = tool.readAllStandardOutput().split('\n');
    ASSERT_EQ(lines.size(), paths.size() + 1) << "only result lines, even with -v";
    EXPECT_EQ(lines[0], "0 ok");
    EXPECT_EQ(lines[1], "1 ok");
    EXPECT_TRUE(lines[2].startsWith("2 fail ") && lines[2].contains("changed since it was listed"))
        << lines[2].constData();
    // Whatever the flags say, a folder is neither entered nor removed, and a missing entry fails.
    EXPECT_TRUE(lines[3].startsWith("3 fail ") && lines[3].contains("changed since it was listed"))
        << lines[3].constData();
    EXPECT_TRUE(lines[4].startsWith("4 fail ") && lines[4].contains("gone")) << lines[4].constData();
    EXPECT_EQ(lines[5], "5 ok");
    EXPECT_EQ(tool.readAllStandardError().count('\n'), 3) << "one line on standard error per failure";
    EXPECT_FALSE(existsNoFollow(paths[0]) || existsNoFollow(awkward) || existsNoFollow(paths[5]));
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("tree/sub/file"))), QByteArray(100000, 'S'));
    EXPECT_TRUE(existsNoFollow(fifoInTree) && existsNoFollow(fifo));
}

TEST(SrmBatch, EachResultComesBeforeTheNextPathIsSent)
{
    QTemporaryDir dir;
    QProcess tool;
    startBatch(tool);
    for (int i = 0; i < 3; ++i) {
        const QString path = writeFile(dir.filePath(QStringLiteral("file%1").arg(i)));
        tool.write(listed(QFile::encodeName(path)) + '\0');
        ASSERT_TRUE(tool.waitForReadyRead(30000)) << "no answer to path " << i;
        while (!tool.canReadLine() && tool.waitForReadyRead(30000)) {
        }
        EXPECT_EQ(tool.readLine(), QByteArray::number(i) + " ok\n");
        EXPECT_FALSE(QFile::exists(path)) << "gone when its line arrives";
    }
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_TRUE(tool.readAllStandardOutput().isEmpty());
}

TEST(SrmBatch, PathsOnTheCommandLineAreAUsageErrorAndAnUnendedPathIsLeftAlone)
{
    QTemporaryDir dir;
    const QString file = writeFile(dir.filePath(QStringLiteral("file")));
    QProcess tool;
    tool.start(QStringLiteral(NULLWELL_RESOURCES "/srm"),
               {QStringLiteral("-fsvrz"), QStringLiteral("--batch"), file});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 2);
    EXPECT_TRUE(QFile::exists(file));

    // The writer stopped half way through a path: its first part may name something else.
    startBatch(tool);
    tool.write(listed(QFile::encodeName(file)).chopped(2));
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(tool.readAllStandardOutput().startsWith("0 fail "));
    EXPECT_TRUE(QFile::exists(file));

    // No input at all is a batch with nothing to do.
    startBatch(tool);
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_TRUE(tool.readAllStandardOutput().isEmpty());
}

TEST(SrmBatch, AListedFileSwappedForAFolderOrMovedAwayBeforeItsTurnFailsAndNothingElseIsTouched)
{
    QTemporaryDir dir;
    const QString swapped = writeFile(dir.filePath(QStringLiteral("swapped")));
    const QString moved = writeFile(dir.filePath(QStringLiteral("moved")));
    const QString kept = writeFile(dir.filePath(QStringLiteral("kept")));
    QDir().mkpath(dir.filePath(QStringLiteral("folder")));
    const QString linkedAway = writeFile(dir.filePath(QStringLiteral("folder/file")));
    const QString replaced = writeFile(dir.filePath(QStringLiteral("replaced")));
    const QByteArray input = nulJoined({QFile::encodeName(swapped), QFile::encodeName(moved), QFile::encodeName(kept),
                                        QFile::encodeName(linkedAway), QFile::encodeName(replaced)});
    // Between the listing and the tool's turn: a folder full of someone's files takes one name,
    // the other file goes elsewhere, and another file of the same kind is moved over the last.
    ASSERT_TRUE(QFile::rename(swapped, dir.filePath(QStringLiteral("was-swapped"))));
    const QString someoneElses = writeFile(dir.filePath(QStringLiteral("someone-elses")), "not chosen");
    ASSERT_EQ(::rename(QFile::encodeName(someoneElses).constData(), QFile::encodeName(replaced).constData()), 0);
    QDir().mkpath(swapped);
    const QString inFolder = writeFile(swapped + QStringLiteral("/inside"));
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QFile::rename(moved, elsewhere));
    // Its folder moves and a link to it takes the folder's name: the path leads to the very file
    // listed, but only through the link.
    ASSERT_TRUE(QFile::rename(dir.filePath(QStringLiteral("folder")), dir.filePath(QStringLiteral("real"))));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("real")), dir.filePath(QStringLiteral("folder"))));

    QProcess tool;
    startBatch(tool);
    tool.write(input);
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 1);
    const QList<QByteArray> lines = tool.readAllStandardOutput().split('\n');
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith("0 fail ") && lines[0].contains("changed since it was listed; left alone"))
        << lines[0].constData();
    EXPECT_TRUE(lines[1].startsWith("1 fail ") && lines[1].contains("gone")) << lines[1].constData();
    EXPECT_EQ(lines[2], "2 ok");
    EXPECT_TRUE(lines[3].startsWith("3 fail ") &&
                lines[3].contains(QByteArray("goes through the link '") +
                                  QFile::encodeName(dir.filePath(QStringLiteral("folder"))) + "'"))
        << lines[3].constData();
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("real/file"))), QByteArray(100000, 'S'));
    EXPECT_TRUE(lines[4].startsWith("4 fail ") && lines[4].contains("changed since it was listed; left alone"))
        << lines[4].constData();
    EXPECT_EQ(readFile(replaced), "not chosen");
    EXPECT_EQ(readFile(inFolder), QByteArray(100000, 'S'));
    EXPECT_EQ(readFile(elsewhere), QByteArray(100000, 'S'));
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("was-swapped"))), QByteArray(100000, 'S'));
}

TEST(SrmBatch, AnEntrySwappedAtTheMomentItIsOpenedIsLeftAlone)
{
    QTemporaryDir dir;
    srm::SrmOptions options;
    options.method = srm::Method::Single;
    options.force = true;
    options.recursive = true;
    srm::SecureEraser eraser(options, nullptr, stderr);
    const QString outside = writeFile(dir.filePath(QStringLiteral("outside")), "not chosen");
    for (const char *swap : {"folder", "link", "file"}) {
        const QString path = writeFile(dir.filePath(QStringLiteral("listed")));
        const srm::SecureEraser::Listed listing = identityOf(path);
        const QString away = dir.filePath(QStringLiteral("away-%1").arg(QLatin1String(swap)));
        eraser.setOpenHook([&](const std::string &) {
            QFile::rename(path, away);
            if (std::strcmp(swap, "folder") == 0) {
                QDir().mkpath(path);
                writeFile(path + QStringLiteral("/inside"), "not chosen");
            } else if (std::strcmp(swap, "link") == 0) {
                QFile::link(outside, path);
            } else {
                writeFile(path, "not chosen");
            }
        });
        EXPECT_FALSE(eraser.eraseListed(QFile::encodeName(path).toStdString(), listing)) << swap;
        EXPECT_EQ(eraser.failureReason(), "changed since it was listed; left alone") << swap;
        EXPECT_EQ(readFile(away), QByteArray(100000, 'S')) << swap;
        EXPECT_EQ(readFile(outside), "not chosen") << swap;
        if (std::strcmp(swap, "folder") == 0)
            EXPECT_EQ(readFile(path + QStringLiteral("/inside")), "not chosen");
        else
            EXPECT_EQ(readFile(path), "not chosen") << swap;
        QDir(path).removeRecursively();
        QFile::remove(path);
    }
}
