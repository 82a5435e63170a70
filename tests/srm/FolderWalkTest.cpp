#include "base/FolderWalk.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

ino_t inodeOf(int fd)
{
    struct stat info
    {
    };
    return ::fstat(fd, &info) == 0 ? info.st_ino : 0;
}

ino_t inodeOf(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

std::vector<std::string> namesOf(const QString &path)
{
    std::vector<std::string> names;
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        names.push_back(QFile::encodeName(part).toStdString());
    return names;
}

} // namespace

// The step-by-step walk is also what runs where the kernel cannot walk a whole path without links.
TEST(FolderWalk, EachStepRefusesALinkAndTellsWhereTheWalkStopped)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("a/b")));
    ASSERT_EQ(::symlink("b", QFile::encodeName(dir.filePath(QStringLiteral("a/link"))).constData()), 0);
    const QByteArray top = QFile::encodeName(dir.path());

    for (const int flags : {O_PATH, O_RDONLY}) {
        SCOPED_TRACE(flags);
        auto start = [&] { return base::Descriptor(::open(top.constData(), O_PATH | O_DIRECTORY)); };
        base::FolderWalk walk = base::walkFolders(start(), std::vector<std::string>{"a", "b"}, flags);
        ASSERT_TRUE(walk.done);
        EXPECT_EQ(inodeOf(walk.folder.get()), inodeOf(dir.filePath(QStringLiteral("a/b"))));

        walk = base::walkFolders(start(), std::vector<std::string>{"a", "link", "x"}, flags);
        EXPECT_FALSE(walk.done);
        EXPECT_EQ(walk.stoppedAt, 1u);
        EXPECT_TRUE(walk.error == ENOTDIR || walk.error == ELOOP) << walk.error;
        // Left in the folder that holds the link, so the caller can look at what stopped it.
        EXPECT_EQ(inodeOf(walk.folder.get()), inodeOf(dir.filePath(QStringLiteral("a"))));

        walk = base::walkFolders(start(), std::vector<std::string>{"a", "missing", "x"}, flags);
        EXPECT_FALSE(walk.done);
        EXPECT_EQ(walk.stoppedAt, 1u);
        EXPECT_EQ(walk.error, ENOENT);

        // A folder handed in for a missing one carries the walk on.
        walk = base::walkFolders(start(), std::vector<std::string>{"a", "made"}, flags,
                                 [](int folder, const std::string &name, int) {
                                     ::mkdirat(folder, name.c_str(), 0700);
                                     return base::openFolderBelow(folder, name.c_str(), O_RDONLY);
                                 });
        EXPECT_TRUE(walk.done);
        EXPECT_EQ(inodeOf(walk.folder.get()), inodeOf(dir.filePath(QStringLiteral("a/made"))));
        ::rmdir(QFile::encodeName(dir.filePath(QStringLiteral("a/made"))).constData());
    }

    // From "/" a link anywhere on the way reads as ELOOP, whichever way the kernel walked.
    std::vector<std::string> names = namesOf(dir.path());
    names.insert(names.end(), {"a", "link"});
    base::FolderWalk walk = base::walkFromRoot(names);
    EXPECT_FALSE(walk.done);
    EXPECT_EQ(walk.error, ELOOP);
    names.back() = "b";
    walk = base::walkFromRoot(names);
    ASSERT_TRUE(walk.done);
    EXPECT_EQ(inodeOf(walk.folder.get()), inodeOf(dir.filePath(QStringLiteral("a/b"))));
}
