// What the tool does on the way to removing a file that leaves no trace a plain user can look at
// afterwards: the new name, the open without following links, the sync after every pass, the
// attribute scrub, the stop at a mount inside a tree. Watched through inotify, through a recorder
// preloaded into the tool, and through a user namespace of the test's own, so that none of it
// needs root or a loop device.
#include "FileHelpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <fcntl.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

const char kTool[] = NULLWELL_RESOURCES "/srm";

struct Call
{
    QByteArray call;
    QByteArray inode;
    qulonglong number = 0; // open flags, bytes written or an attribute's size
    QByteArray name;
};

struct Recorded
{
    int exitCode = -1;
    QString output;
    QString errors;
    QList<Call> calls;
};

// Runs the tool with the recorder preloaded; its calls land in a log beside, never inside, what
// is erased. environment adds or replaces variables.
Recorded runRecorded(const QTemporaryDir &dir, const QStringList &arguments, const QByteArray &input = {},
                     const QList<QPair<QString, QString>> &environment = {})
{
    const QString log = dir.filePath(QStringLiteral("calls.log"));
    QFile::remove(log);
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(NULLWELL_SYSCALL_RECORDER));
    variables.insert(QStringLiteral("NULLWELL_SYSCALL_LOG"), log);
    // The sanitizer runtime asks to be loaded first; the recorder only passes calls on to it.
    const QString sanitizer = variables.value(QStringLiteral("ASAN_OPTIONS"));
    variables.insert(QStringLiteral("ASAN_OPTIONS"), sanitizer + (sanitizer.isEmpty() ? "" : ":") +
                                                         QStringLiteral("verify_asan_link_order=0"));
    for (const auto &[name, value] : environment)
        variables.insert(name, value);
    QProcess process;
    process.setProcessEnvironment(variables);
    process.start(QString::fromLatin1(kTool), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    Recorded run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    for (const QByteArray &line : readFile(log).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() >= 4)
            run.calls.append({fields[0], fields[1], fields[2].toULongLong(nullptr, 16),
                              line.mid(fields[0].size() + fields[1].size() + fields[2].size() + 3)});
    }
    return run;
}

QByteArray inodeOf(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0
               ? QByteArray::number(qulonglong(info.st_ino))
               : QByteArray();
}

// How many runs of writes reached the file, each ended by a sync of it (or of everything) before
// the next began; -1 when writes were still unsynced when it was cut to nothing or at the end, as
// the disk may then never see them. "WSWST..." in trace for the message.
int forcedWriteRuns(const QList<Call> &calls, const QByteArray &inode, QByteArray &trace)
{
    int runs = 0;
    bool open = false;
    bool lost = false;
    for (const Call &call : calls) {
        if (call.call == "write" && call.inode == inode) {
            trace += 'W';
            runs += open ? 0 : 1;
            open = true;
        } else if ((call.call == "sync" && call.inode == inode) || call.call == "syncall") {
            trace += 'S';
            open = false;
        } else if (call.call == "truncate" && call.inode == inode) {
            trace += 'T';
            lost = lost || open;
        }
    }
    return open || lost ? -1 : runs;
}

struct Event
{
    quint32 mask = 0;
    quint32 cookie = 0;
    QByteArray name;
};

QList<Event> drain(int watchFd)
{
    QList<Event> events;
    alignas(inotify_event) char buffer[64 * 1024];
    ssize_t got;
    while ((got = ::read(watchFd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            events.append({event->mask, event->cookie, QByteArray(event->len ? event->name : "")});
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    return events;
}

int watch(const QString &path, quint32 mask)
{
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(::inotify_add_watch(fd, QFile::encodeName(path).constData(), mask), 0) << path.toStdString();
    return fd;
}

} // namespace

TEST(SrmGuard, EveryPassOfEveryFileReachesTheDiskBeforeTheNextBegins)
{
    QTemporaryDir dir;
    int passes = 0;
    // On the command line, and the way the erasure worker feeds it paths.
    for (const bool batch : {false, true}) {
        const QStringList files{writeFile(dir.filePath(QStringLiteral("one"))),
                                writeFile(dir.filePath(QStringLiteral("two")))};
        const QByteArrayList inodes{inodeOf(files[0]), inodeOf(files[1])};
        const Recorded run = batch ? runRecorded(dir, {QStringLiteral("-fmvz"), QStringLiteral("--batch")},
                                                 listed(QFile::encodeName(files[0])) + '\0' +
                                                     listed(QFile::encodeName(files[1])) + '\0')
                                   : runRecorded(dir, QStringList{QStringLiteral("-fmvz")} + files);
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        if (!batch)
            passes =
                QRegularExpression(QStringLiteral("pass \\d+/(\\d+)")).match(run.output).captured(1).toInt();
        ASSERT_GT(passes, 1) << run.output.toStdString();
        for (int i = 0; i < 2; ++i) {
            EXPECT_FALSE(existsNoFollow(files[i]));
            QByteArray trace;
            EXPECT_EQ(forcedWriteRuns(run.calls, inodes[i], trace), passes)
                << (batch ? "batch, " : "") << files[i].toStdString() << ": " << trace.constData();
        }
    }
}

TEST(SrmGuard, AFileTakesAnotherNameOfTheSameLengthBeforeItIsRemoved)
{
    QTemporaryDir dir;
    const QString file = writeFile(dir.filePath(QStringLiteral("a-private-name.txt")));
    const int events = watch(dir.path(), IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE);
    QProcess tool;
    tool.start(QString::fromLatin1(kTool), {QStringLiteral("-fsz"), file});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().constData();
    const QList<Event> seen = drain(events);
    ::close(events);

    QStringList trace;
    for (const Event &event : seen)
        trace << QString::number(event.mask, 16) + QLatin1Char(' ') + QString::fromLocal8Bit(event.name);
    ASSERT_EQ(seen.size(), 3) << trace.join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(seen[0].mask, quint32(IN_MOVED_FROM));
    EXPECT_EQ(seen[0].name, "a-private-name.txt");
    EXPECT_EQ(seen[1].mask, quint32(IN_MOVED_TO));
    EXPECT_EQ(seen[1].cookie, seen[0].cookie);
    EXPECT_EQ(seen[1].name.size(), seen[0].name.size())
        << "the new name gives away nothing, its length included";
    EXPECT_NE(seen[1].name, seen[0].name);
    EXPECT_EQ(seen[2].mask, quint32(IN_DELETE));
    EXPECT_EQ(seen[2].name, seen[1].name) << "the entry removed carries the new name only";
}

TEST(SrmGuard, NoNameOnTheWayOrInATreeIsOpenedThroughALink)
{
    QTemporaryDir dir;
    const QString tree = dir.filePath(QStringLiteral("tree"));
    QDir().mkpath(tree + QStringLiteral("/sub/deeper"));
    writeFile(tree + QStringLiteral("/file"));
    writeFile(tree + QStringLiteral("/sub/deeper/inner"));
    Recorded run = runRecorded(dir, {QStringLiteral("-fsrz"), tree});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QSet<QByteArray> opened;
    for (const Call &call : run.calls) {
        // "/", "." and ".." are never links; the kernel's own files are not the person's.
        if (call.call != "open" || call.name == "/" || call.name == "." || call.name == ".." ||
            call.name.startsWith("/proc/") || call.name.startsWith("/dev/"))
            continue;
        opened.insert(call.name);
        EXPECT_TRUE(call.number & O_NOFOLLOW)
            << call.name.constData() << " opened with flags 0x" << std::hex << call.number;
    }
    for (const char *name : {"tree", "sub", "deeper", "inner", "file"})
        EXPECT_TRUE(opened.contains(name)) << name << " was opened, so its flags were checked";

    // At the exact moment the tool opens a file (or a folder of a tree), a link to something
    // outside takes its place. The open must fail on the link: following it even once could
    // write to, or list, whatever the link names.
    const QByteArray keep("must stay as it is");
    const QString outsideFile = writeFile(dir.filePath(QStringLiteral("outside-file")), keep);
    const QString outsideFolder = dir.filePath(QStringLiteral("outside-folder"));
    QDir().mkpath(outsideFolder);
    writeFile(outsideFolder + QStringLiteral("/kept"), keep);
    QDir().mkpath(tree + QStringLiteral("/sub"));
    const QString victim = writeFile(dir.filePath(QStringLiteral("victim")));
    const struct
    {
        QString swapped;
        QString target;
        QStringList arguments;
    } races[] = {{victim, outsideFile, {QStringLiteral("-fsz"), victim}},
                 {tree + QStringLiteral("/sub"), outsideFolder, {QStringLiteral("-fsrz"), tree}}};
    for (const auto &race : races) {
        const QString standIn =
            dir.filePath(QStringLiteral("stand-in-for-") + QFileInfo(race.swapped).fileName());
        ASSERT_TRUE(QFile::link(race.target, standIn));
        const int events = watch(race.target, IN_OPEN);
        run = runRecorded(dir, race.arguments, {},
                          {{QStringLiteral("NULLWELL_SYSCALL_SWAP_NAME"), QFileInfo(race.swapped).fileName()},
                           {QStringLiteral("NULLWELL_SYSCALL_SWAP_WITH"), standIn}});
        const QList<Event> seen = drain(events);
        ::close(events);
        const auto swap = std::find_if(run.calls.cbegin(), run.calls.cend(),
                                       [](const Call &c) { return c.call.endsWith("swapped"); });
        ASSERT_NE(swap, run.calls.cend()) << race.swapped.toStdString() << " was never opened";
        if (swap->call == "notswapped")
            GTEST_SKIP() << "the temporary folder's file system cannot exchange two names";
        EXPECT_EQ(run.exitCode, 1) << race.swapped.toStdString();
        EXPECT_TRUE(run.errors.contains(race.swapped)) << run.errors.toStdString();
        EXPECT_TRUE(seen.isEmpty()) << race.target.toStdString() << " was opened through the link";
        EXPECT_TRUE(QFileInfo(race.swapped).isSymLink()) << "the link put in place is left alone";
    }
    EXPECT_EQ(readFile(outsideFile).toStdString(), keep.toStdString());
    EXPECT_EQ(readFile(outsideFolder + QStringLiteral("/kept")).toStdString(), keep.toStdString());
}

TEST(SrmGuard, ExtendedAttributesOfFilesAndFoldersAreOverwrittenThenRemoved)
{
    QTemporaryDir dir;
    const QString tree = dir.filePath(QStringLiteral("tree"));
    QDir().mkpath(tree + QStringLiteral("/sub"));
    const QString file = writeFile(tree + QStringLiteral("/sub/file"));
    const QByteArray value(300, 'A');
    const QList<QPair<QString, QByteArray>> marked{{file, "user.note"},
                                                   {tree + QStringLiteral("/sub"), "user.folder"}};
    for (const auto &[path, name] : marked) {
        if (::setxattr(QFile::encodeName(path).constData(), name.constData(), value.constData(),
                       std::size_t(value.size()), 0) != 0)
            GTEST_SKIP() << "the temporary folder's file system keeps no user attributes";
    }
    // Descriptors held here keep both inodes in sight after the tool has removed their names (a
    // second name would make the tool refuse the file).
    const int held[] = {::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC),
                        ::open(QFile::encodeName(tree + QStringLiteral("/sub")).constData(),
                               O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    ASSERT_GE(held[0], 0);
    ASSERT_GE(held[1], 0);
    const QByteArrayList inodes{inodeOf(file), inodeOf(tree + QStringLiteral("/sub"))};

    const Recorded run = runRecorded(dir, {QStringLiteral("-fsrz"), tree});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_FALSE(existsNoFollow(tree));
    struct stat info
    {
    };
    EXPECT_EQ(::fstat(held[0], &info), 0);
    EXPECT_EQ(info.st_size, 0);
    for (int i = 0; i < marked.size(); ++i) {
        EXPECT_EQ(::flistxattr(held[i], nullptr, 0), 0)
            << marked[i].first.toStdString() << ": the attribute went with the erased object";
        ::close(held[i]);
    }
    for (int i = 0; i < marked.size(); ++i) {
        QStringList steps;
        for (const Call &call : run.calls) {
            if (call.inode == inodes[i] && call.name == marked[i].second)
                steps << QString::fromLatin1(call.call + ' ' + QByteArray::number(call.number));
        }
        EXPECT_EQ(steps.join(QStringLiteral(", ")).toStdString(), "setxattr 300, removexattr 0")
            << marked[i].first.toStdString();
    }
}

TEST(SrmGuard, MountsInsideATreeAreLeftAloneWithoutRootToo)
{
    QTemporaryDir dir;
    const QByteArray keep("must stay as it is");
    const QString outside = dir.filePath(QStringLiteral("outside"));
    QDir().mkpath(outside);
    const QString outsideFile = writeFile(outside + QStringLiteral("/kept"), keep);
    const QString single = writeFile(dir.filePath(QStringLiteral("single")), keep);
    const QString tree = dir.filePath(QStringLiteral("tree"));
    for (const char *folder : {"/sub/disk", "/bind"})
        QDir().mkpath(tree + QLatin1String(folder));
    writeFile(tree + QStringLiteral("/a"));
    writeFile(tree + QStringLiteral("/sub/b"));
    writeFile(tree + QStringLiteral("/file"));
    const QByteArrayList points{QFile::encodeName(tree + QStringLiteral("/sub/disk")),
                                QFile::encodeName(tree + QStringLiteral("/bind")),
                                QFile::encodeName(tree + QStringLiteral("/file"))};
    const QByteArrayList sources{"tmpfs", QFile::encodeName(outside), QFile::encodeName(single)};
    const QByteArray uidMap = QByteArray::number(::getuid()) + ' ' + QByteArray::number(::getuid()) + " 1";
    const QByteArray gidMap = QByteArray::number(::getgid()) + ' ' + QByteArray::number(::getgid()) + " 1";
    const QByteArray treePath = QFile::encodeName(tree);
    const char *argv[] = {kTool, "-fsrz", treePath.constData(), nullptr};
    const int errors = ::open(QFile::encodeName(dir.filePath(QStringLiteral("errors"))).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(errors, 0);

    // The child has one thread, as a new user namespace requires; it makes only system calls.
    const pid_t child = ::fork();
    if (child == 0) {
        const auto put = [](const char *path, const QByteArray &text) {
            const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
            const bool written = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size();
            return ::close(fd) == 0 && written;
        };
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 || !put("/proc/self/setgroups", "deny") ||
            !put("/proc/self/uid_map", uidMap) || !put("/proc/self/gid_map", gidMap) ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            ::_exit(77);
        if (::mount("tmpfs", points[0].constData(), "tmpfs", 0, "size=1m") != 0 ||
            ::mount(sources[1].constData(), points[1].constData(), nullptr, MS_BIND, nullptr) != 0 ||
            ::mount(sources[2].constData(), points[2].constData(), nullptr, MS_BIND, nullptr) != 0)
            ::_exit(78);
        ::dup2(errors, STDERR_FILENO);
        ::execv(kTool, const_cast<char *const *>(argv));
        ::_exit(79);
    }
    ::close(errors);
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no user namespace of our own here (unprivileged user namespaces are switched off)";
    ASSERT_NE(WEXITSTATUS(status), 78) << "mounting inside our own namespace failed";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const QString reported = QString::fromLocal8Bit(readFile(dir.filePath(QStringLiteral("errors"))));
    for (const QByteArray &point : points) {
        EXPECT_TRUE(reported.contains(QFile::decodeName(point) + QStringLiteral(": is a mount point")))
            << point.constData() << "\n"
            << reported.toStdString();
    }
    EXPECT_FALSE(existsNoFollow(tree + QStringLiteral("/a")));
    EXPECT_FALSE(existsNoFollow(tree + QStringLiteral("/sub/b")));
    EXPECT_EQ(readFile(outsideFile).toStdString(), keep.toStdString());
    EXPECT_EQ(readFile(single).toStdString(), keep.toStdString());
}
