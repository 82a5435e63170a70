#include "FileObj.h"

#include "NSFileManagerUtils.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

TEST(FileObj, FreshRecordIsEmptyAndSymbolicLinkTestLooksAtTheItemItself)
{
    const FileObj fresh;
    EXPECT_TRUE(fresh.name().isNull());
    EXPECT_TRUE(fresh.url().isNull());
    EXPECT_TRUE(fresh.icon().isNull());
    EXPECT_EQ(fresh.size(), 0);
    EXPECT_FALSE(fresh.isDir() || fresh.isSelect() || fresh.isSymbolicLink() || fresh.isSSD());

    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    const QString folder = dir.filePath(QStringLiteral("folder"));
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(folder, link));
    EXPECT_TRUE(FileObj::isFileSymbolicLink(link));
    EXPECT_FALSE(FileObj::isFileSymbolicLink(folder));
    EXPECT_FALSE(FileObj::isFileSymbolicLink(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(FileObj::isFileSymbolicLink(QString()));
    EXPECT_EQ(NSFileManagerUtils::isFileSymbolicLink(link), true);

    // The computing form and the storing form overwrite each other in call order.
    FileObj obj;
    obj.setUrl(link);
    obj.setIsSymbolicLink();
    EXPECT_TRUE(obj.isSymbolicLink());
    obj.setIsSymbolicLink(false);
    EXPECT_FALSE(obj.isSymbolicLink());
    obj.setIsSymbolicLink();
    EXPECT_TRUE(obj.isSymbolicLink());
}

TEST(FileObj, SolidStateFlagOfAnEmptyOrMissingPathIsOff)
{
    testsupport::LogCapture log;
    FileObj obj;
    obj.setIsSSD(true);
    obj.setIsSSD();
    EXPECT_FALSE(obj.isSSD());
    obj.setUrl(QStringLiteral("/no/such/path/anywhere"));
    obj.setIsSSD(true);
    obj.setIsSSD();
    EXPECT_FALSE(obj.isSSD());
    EXPECT_TRUE(log.contains(QStringLiteral("Could not find io classes of disk")));
}
