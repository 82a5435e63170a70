#include "FileIdentity.h"
#include "FileHelpers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

using namespace srm;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

} // namespace

TEST(FileIdentity, AModeChangeReachesTheExaminedEntryAndNeverALinksTarget)
{
    QTemporaryDir dir;
    const QString target = writeFile(dir.filePath(QStringLiteral("target")), {});
    const QString entry = writeFile(dir.filePath(QStringLiteral("entry")), {});
    ::chmod(QFile::encodeName(target).constData(), 0400);
    ::chmod(QFile::encodeName(entry).constData(), 0400);
    const int folder = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat examined
    {
    };
    ASSERT_EQ(::fstatat(folder, "entry", &examined, AT_SYMLINK_NOFOLLOW), 0);

    EXPECT_TRUE(changeModeOfEntry(folder, "entry", examined, 0600));
    EXPECT_EQ(modeOf(entry), 0600u);

    // The entry was swapped for a link to another file after it was examined.
    ASSERT_EQ(::unlinkat(folder, "entry", 0), 0);
    ASSERT_EQ(::symlinkat("target", folder, "entry"), 0);
    EXPECT_FALSE(changeModeOfEntry(folder, "entry", examined, 0666));
    EXPECT_EQ(modeOf(target), 0400u);
    // ... or for another file of the same name.
    ASSERT_EQ(::unlinkat(folder, "entry", 0), 0);
    ASSERT_EQ(::linkat(folder, "target", folder, "entry", 0), 0);
    EXPECT_FALSE(changeModeOfEntry(folder, "entry", examined, 0666));
    EXPECT_EQ(modeOf(target), 0400u);
    ::close(folder);
}
