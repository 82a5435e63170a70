// The built tool, run as the erasure worker runs it, on real files.
#include "FileHelpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

struct Result
{
    int exitCode = -1;
    QStringList errorLines;
    QString output;
};

Result runTool(const QStringList &arguments, const std::function<void()> &inChild = {},
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(NULLWELL_RESOURCES "/srm"), arguments);
    process.waitForFinished(60000);
    Result result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.errorLines =
        QString::fromLocal8Bit(process.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return result;
}

} // namespace

TEST(SrmTool, EachFlagStringOfTheWorkerErasesTheFileAndLeavesNoOtherName)
{
    QTemporaryDir dir;
    for (const char *flags : {"-fsvrz", "-fEvrz", "-fmvrz", "-fvrz"}) {
        const QString path = writeFile(dir.filePath(QStringLiteral("secret.txt")));
        const Result result = runTool({QString::fromLatin1(flags), path});
        EXPECT_EQ(result.exitCode, 0) << flags << result.errorLines.join('\n').toStdString();
        EXPECT_TRUE(result.errorLines.isEmpty()) << flags;
        EXPECT_FALSE(existsNoFollow(path)) << flags;
        EXPECT_TRUE(QDir(dir.path())
                        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                        .isEmpty())
            << "no renamed leftover for " << flags;
        EXPECT_TRUE(result.output.contains(QStringLiteral("pass 1/"))) << "-v reports passes";
    }
    const QString help = runTool({QStringLiteral("--help")}).output;
    EXPECT_TRUE(help.contains(QStringLiteral("92 49 24")) && help.contains(QStringLiteral("0x96")));
}

TEST(SrmTool, AwkwardNamesAreErasedWhateverTheirBytes)
{
    QTemporaryDir dir;
    const QStringList names{QStringLiteral("with space"), QStringLiteral("new\nline"), QStringLiteral("-rf"),
                            QStringLiteral("--help"),     QStringLiteral("ünïcode"),   QStringLiteral("x")};
    QStringList paths;
    for (const QString &name : names)
        paths << writeFile(dir.filePath(name), "content");
    // A name that is not valid UTF-8.
    const QByteArray rawName = QFile::encodeName(dir.path()) + "/bad\xff\xfe";
    writeFile(QFile::decodeName(rawName), "content");
    ASSERT_TRUE(existsNoFollow(QFile::decodeName(rawName)));
    QStringList arguments{QStringLiteral("-fsz"), QStringLiteral("--")};
    arguments << paths << QFile::decodeName(rawName);
    // A relative name that starts with a dash, after "--".
    QProcess process;
    process.setWorkingDirectory(dir.path());
    writeFile(dir.filePath(QStringLiteral("-z")), "dash");
    process.start(QStringLiteral(NULLWELL_RESOURCES "/srm"),
                  {QStringLiteral("-s"), QStringLiteral("--"), QStringLiteral("-z")});
    process.waitForFinished();
    EXPECT_EQ(process.exitCode(), 0);
    const Result result = runTool(arguments);
    EXPECT_EQ(result.exitCode, 0) << result.errorLines.join('\n').toStdString();
    EXPECT_TRUE(QDir(dir.path())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                    .isEmpty());
}

TEST(SrmTool, LinksAreRemovedNeverFollowedAndOnlyRegularFilesAreOverwritten)
{
    QTemporaryDir dir;
    const QByteArray original(5000, 'T');
    const QString target = writeFile(dir.filePath(QStringLiteral("target")), original);
    const QString link = dir.filePath(QStringLiteral("link"));
    QFile::link(target, link);
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    const QString folderTarget = writeFile(dir.filePath(QStringLiteral("folder/inside")), original);
    const QString folderLink = dir.filePath(QStringLiteral("folderlink"));
    QFile::link(dir.filePath(QStringLiteral("folder")), folderLink);

    Result result = runTool({QStringLiteral("-fsvrz"), link, folderLink});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(existsNoFollow(link));
    EXPECT_FALSE(existsNoFollow(folderLink));
    EXPECT_EQ(readFile(target), original) << "the link's target is untouched";
    EXPECT_TRUE(QFile::exists(folderTarget));

    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString socketPath = dir.filePath(QStringLiteral("sock"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof address.sun_path - 1);
    const bool haveSocket = ::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    QStringList refused{fifo, QStringLiteral("/dev/null"), dir.filePath(QStringLiteral("folder/.."))};
    if (haveSocket)
        refused << socketPath;
    // A path whose folders lead through a link is refused, however deep the link sits.
    QDir(dir.path()).mkpath(QStringLiteral("folder/deeper"));
    QFile::link(dir.filePath(QStringLiteral("folder")), folderLink);
    QFile::link(dir.filePath(QStringLiteral("folder")), dir.filePath(QStringLiteral("folder/deeper/back")));
    const QStringList throughLinks{folderLink + QStringLiteral("/inside"),
                                   dir.filePath(QStringLiteral("folder/deeper/back/inside")),
                                   dir.filePath(QStringLiteral("folder/deeper/back/../folder/inside"))};
    for (const QString &path : refused + throughLinks) {
        result = runTool({QStringLiteral("-fsvrz"), path});
        EXPECT_EQ(result.exitCode, 1) << path.toStdString();
        ASSERT_EQ(result.errorLines.size(), 1) << path.toStdString();
        if (throughLinks.contains(path)) {
            // The refusal names the link it met, spelled as the path spells it.
            const QString link = path.startsWith(folderLink) ? folderLink
                                                             : dir.filePath(QStringLiteral("folder/deeper/back"));
            EXPECT_TRUE(result.errorLines[0].contains(QStringLiteral("link '") + link + QStringLiteral("'")))
                << result.errorLines[0].toStdString();
        }
    }
    ::close(sock);
    EXPECT_TRUE(existsNoFollow(fifo));
    EXPECT_TRUE(QFile::exists(QStringLiteral("/dev/null")));
    EXPECT_TRUE(QFile::exists(folderTarget));

    // "/" in any spelling is refused for what it is. Run without -r: a fault here must not be able
    // to erase the machine, and the refusal comes before the question of -r.
    for (const QString &root :
         {QStringLiteral("/"), QStringLiteral("//"), QStringLiteral("/."), QStringLiteral("/./"),
          QStringLiteral("/tmp/.."), QStringLiteral("/tmp/../.")}) {
        result = runTool({QStringLiteral("-fsvz"), root});
        EXPECT_EQ(result.exitCode, 1) << root.toStdString();
        ASSERT_EQ(result.errorLines.size(), 1) << root.toStdString();
        EXPECT_TRUE(result.errorLines[0].contains(QStringLiteral("root folder")))
            << result.errorLines[0].toStdString();
    }
    // A link to "/" is a link: it goes, and nothing else.
    const QString rootLink = dir.filePath(QStringLiteral("rootlink"));
    QFile::link(QStringLiteral("/"), rootLink);
    result = runTool({QStringLiteral("-fsvz"), rootLink});
    EXPECT_EQ(result.exitCode, 0) << result.errorLines.join('\n').toStdString();
    EXPECT_FALSE(existsNoFollow(rootLink));
    EXPECT_TRUE(QFile::exists(QStringLiteral("/dev/null")));
}

TEST(SrmTool, ForceDecidesAboutMissingAndReadOnlyFilesAndStatusCountsEveryFailure)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing"));
    EXPECT_EQ(runTool({QStringLiteral("-fsz"), missing}).exitCode, 0);
    Result result = runTool({QStringLiteral("-sz"), missing});
    EXPECT_EQ(result.exitCode, 1);
    ASSERT_EQ(result.errorLines.size(), 1);
    EXPECT_TRUE(result.errorLines[0].contains(missing));

    const QString readOnly = writeFile(dir.filePath(QStringLiteral("ro")));
    ::chmod(QFile::encodeName(readOnly).constData(), 0400);
    EXPECT_EQ(runTool({QStringLiteral("-fsz"), readOnly}).exitCode, 0);
    EXPECT_FALSE(QFile::exists(readOnly));

    // One good path, one failure: the good one is still erased, the status says not all were.
    const QString good = writeFile(dir.filePath(QStringLiteral("good")));
    QDir(dir.path()).mkdir(QStringLiteral("plainfolder"));
    result = runTool({QStringLiteral("-fs"), dir.filePath(QStringLiteral("plainfolder")), good});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.errorLines.size(), 1) << "a folder without -r";
    EXPECT_FALSE(QFile::exists(good));
    EXPECT_EQ(runTool({QStringLiteral("-q"), good}).exitCode, 2);
}

TEST(SrmTool, RecursiveErasesContentsFirstAndKeepsAFolderWhoseEntryFailed)
{
    QTemporaryDir dir;
    const QString top = dir.filePath(QStringLiteral("top"));
    QDir().mkpath(top + QStringLiteral("/a/b/.hidden"));
    writeFile(top + QStringLiteral("/one"));
    writeFile(top + QStringLiteral("/a/two"));
    writeFile(top + QStringLiteral("/a/b/.hidden/three"));
    const QString outside = writeFile(dir.filePath(QStringLiteral("outside")), "keep");
    QFile::link(outside, top + QStringLiteral("/a/link"));
    EXPECT_EQ(runTool({QStringLiteral("-fsvrz"), top}).exitCode, 0);
    EXPECT_FALSE(existsNoFollow(top));
    EXPECT_TRUE(QFile::exists(outside));

    QDir().mkpath(top + QStringLiteral("/sub"));
    const QString fifo = top + QStringLiteral("/sub/fifo");
    ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
    writeFile(top + QStringLiteral("/file"));
    const Result result = runTool({QStringLiteral("-fsrz"), top});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.errorLines.size(), 1) << result.errorLines.join('\n').toStdString();
    EXPECT_TRUE(existsNoFollow(fifo));
    EXPECT_FALSE(QFile::exists(top + QStringLiteral("/file")));
}

TEST(SrmTool, AFileWithNamesNotGivenIsLeftAloneAndOneWithEveryNameGivenIsErasedOnce)
{
    QTemporaryDir dir;
    const QString file = writeFile(dir.filePath(QStringLiteral("shared")));
    QStringList others;
    for (const char *name : {"second", "third"}) {
        others << dir.filePath(QString::fromLatin1(name));
        ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(others.last()).constData()),
                  0);
    }
    Result result = runTool({QStringLiteral("-fsvrz"), file});
    EXPECT_EQ(result.exitCode, 1);
    ASSERT_EQ(result.errorLines.size(), 1);
    EXPECT_TRUE(result.errorLines[0].contains(file + QStringLiteral(": has 2 other names")))
        << result.errorLines[0].toStdString();
    EXPECT_EQ(readFile(file), QByteArray(100000, 'S'));
    for (const QString &other : others)
        EXPECT_EQ(readFile(other), QByteArray(100000, 'S')) << "what the other names show is untouched";

    // Inside a folder given with -r each name counts alone.
    QDir().mkpath(dir.filePath(QStringLiteral("tree")));
    const QString inTree = dir.filePath(QStringLiteral("tree/fourth"));
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(inTree).constData()), 0);
    result = runTool({QStringLiteral("-fsvrz"), dir.filePath(QStringLiteral("tree"))});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(readFile(inTree), QByteArray(100000, 'S'));
    ASSERT_EQ(::unlink(QFile::encodeName(inTree).constData()), 0);

    result = runTool(QStringList{QStringLiteral("-fsvz"), file} << others);
    EXPECT_EQ(result.exitCode, 0) << result.errorLines.join('\n').toStdString();
    EXPECT_EQ(result.output.count(QStringLiteral("pass 1/")), 1) << "overwritten once: "
                                                                 << result.output.toStdString();
    EXPECT_FALSE(existsNoFollow(file) || existsNoFollow(others[0]) || existsNoFollow(others[1]));
}

TEST(SrmTool, ANameEndingInASlashMustBeAFolderAndNothingOverwrittenIsNotSaidToBe)
{
    QTemporaryDir dir;
    const QString file = writeFile(dir.filePath(QStringLiteral("file")));
    Result result = runTool({QStringLiteral("-fsvrz"), file + QLatin1Char('/')});
    EXPECT_EQ(result.exitCode, 1);
    ASSERT_EQ(result.errorLines.size(), 1);
    EXPECT_TRUE(result.errorLines[0].contains(QStringLiteral("not a folder"))) << result.errorLines[0].toStdString();
    EXPECT_EQ(readFile(file), QByteArray(100000, 'S'));

    // A folder whose entries cannot be removed (root is refused too when the folder is
    // immutable; others by its permissions).
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QDir().mkpath(locked);
    const QString empty = writeFile(locked + QStringLiteral("/empty"), QByteArray());
    const QString full = writeFile(locked + QStringLiteral("/full"));
    const bool root = ::geteuid() == 0;
    if (root && !changeAttributes(locked, QStringLiteral("+i")))
        GTEST_SKIP() << "cannot set the immutable attribute here";
    if (!root)
        ::chmod(QFile::encodeName(locked).constData(), 0500);
    result = runTool({QStringLiteral("-svz"), empty, full});
    if (root)
        changeAttributes(locked, QStringLiteral("-i"));
    else
        ::chmod(QFile::encodeName(locked).constData(), 0700);
    EXPECT_EQ(result.exitCode, 1);
    ASSERT_EQ(result.errorLines.size(), 2) << result.errorLines.join('\n').toStdString();
    EXPECT_TRUE(result.errorLines[0].contains(QStringLiteral("cannot be removed")) &&
                !result.errorLines[0].contains(QStringLiteral("overwritten")))
        << result.errorLines[0].toStdString();
    EXPECT_TRUE(result.errorLines[1].contains(QStringLiteral("overwritten but cannot be removed")))
        << result.errorLines[1].toStdString();
}

TEST(SrmTool, TreesOfAnyDepthAreErasedWithAFewDescriptorsAndLittleStack)
{
    // In memory where possible: the tool syncs every folder, which a disk would make slow here.
    QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isDir()
                          ? QStringLiteral("/dev/shm/srm-depth-XXXXXX")
                          : QDir::tempPath() + QStringLiteral("/srm-depth-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    const auto limited = [] {
        const rlimit files{32, 32};
        const rlimit stack{256 * 1024, 256 * 1024};
        ::setrlimit(RLIMIT_NOFILE, &files);
        ::setrlimit(RLIMIT_STACK, &stack);
    };
    for (const int depth : {1100, 15000}) {
        // Far beyond the longest path the kernel takes, so the tree is built one folder at a time.
        const QString top = dir.filePath(QStringLiteral("top%1").arg(depth));
        QDir().mkpath(top);
        int fd = ::open(QFile::encodeName(top).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int level = 0; level < depth && fd >= 0; ++level) {
            const int file = ::openat(fd, "file", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            ASSERT_EQ(::write(file, "content", 7), 7);
            ::close(file);
            ASSERT_EQ(::mkdirat(fd, "d", 0700), 0);
            const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(fd);
            fd = next;
        }
        ASSERT_GE(fd, 0);
        ::close(fd);
        const Result result = runTool({QStringLiteral("-fsrz"), top}, limited);
        EXPECT_EQ(result.exitCode, 0) << depth << ": " << result.errorLines.value(0).left(200).toStdString();
        EXPECT_TRUE(result.errorLines.isEmpty()) << depth;
        EXPECT_FALSE(existsNoFollow(top)) << depth;
    }
}

TEST(SrmTool, NoLibraryBeyondTheCRuntimeIsLoadedForSmallOrLargeFiles)
{
    // The key stream for large files is the tool's own: nothing is loaded at run time for it.
    QTemporaryDir dir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    for (const int size : {300 * 1024, 20 * 1024 * 1024}) {
        const QString path = writeFile(dir.filePath(QStringLiteral("file%1").arg(size)), QByteArray(size, 's'));
        const Result result = runTool({QStringLiteral("-fsvrz"), path}, {}, environment);
        EXPECT_EQ(result.exitCode, 0) << size;
        EXPECT_FALSE(existsNoFollow(path)) << size;
        const QString loaded = result.errorLines.join('\n');
        EXPECT_FALSE(loaded.contains(QStringLiteral("libcrypto"))) << size;
        EXPECT_FALSE(loaded.contains(QStringLiteral("dynamically loaded"))) << size;
    }
}
