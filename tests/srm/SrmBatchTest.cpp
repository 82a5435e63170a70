// The tool's batch mode as the erasure worker drives it: paths ended by NUL bytes on standard
// input, one result line for each on standard output, as soon as it is done.
#include "FileHelpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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
        input += path + '\0';
    return input;
}

} // namespace

TEST(SrmBatch, OneLinePerPathInInputOrderAndAFailureMarksExactlyItsIndex)
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
    EXPECT_TRUE(lines[2].startsWith("2 fail ") && lines[2].contains("FIFO")) << lines[2].constData();
    // A failure inside a folder names the entry; the folder stays with it.
    EXPECT_TRUE(lines[3].startsWith("3 fail ") && lines[3].contains("/tree/sub/fifo"))
        << lines[3].constData();
    EXPECT_EQ(lines[4], "4 ok") << "with -f a missing path is not a failure";
    EXPECT_EQ(lines[5], "5 ok");
    EXPECT_EQ(tool.readAllStandardError().count('\n'), 2) << "one line on standard error per failure";
    EXPECT_FALSE(existsNoFollow(paths[0]) || existsNoFollow(awkward) || existsNoFollow(paths[5]));
    EXPECT_FALSE(existsNoFollow(base + "/tree/sub/file"));
    EXPECT_TRUE(existsNoFollow(fifoInTree) && existsNoFollow(fifo));
}

TEST(SrmBatch, EachResultComesBeforeTheNextPathIsSent)
{
    QTemporaryDir dir;
    QProcess tool;
    startBatch(tool);
    for (int i = 0; i < 3; ++i) {
        const QString path = writeFile(dir.filePath(QStringLiteral("file%1").arg(i)));
        tool.write(QFile::encodeName(path) + '\0');
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
    tool.write(QFile::encodeName(file).chopped(2));
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
