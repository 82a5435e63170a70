#include "platform/Bundle.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

TEST(Bundle, MainBundleIsTwoLevelsAboveTheExecutablesFolder)
{
    EXPECT_EQ(Bundle::bundlePathForExecutable(QStringLiteral("/opt/A.app/Contents/MacOS/A")),
              QStringLiteral("/opt/A.app"));
    EXPECT_EQ(Bundle::bundlePathForExecutable(
                  QStringLiteral("/x/Outer.app/Contents/MacOS/Inner.app/Contents/MacOS/Inner Program")),
              QStringLiteral("/x/Outer.app/Contents/MacOS/Inner.app"));
}

TEST(Bundle, ResourceLookupAnswersOnlyFilesThatExist)
{
    testsupport::TempBundle bundle;
    const Bundle main = Bundle::mainBundle();
    EXPECT_EQ(main.bundlePath(), bundle.bundlePath());
    EXPECT_EQ(main.resourcePath(), bundle.bundlePath() + QStringLiteral("/Contents/Resources"));
    EXPECT_EQ(main.executableFolder(), bundle.bundlePath() + QStringLiteral("/Contents/MacOS"));

    EXPECT_TRUE(main.pathForResource(QStringLiteral("srm"), QString()).isEmpty());
    const QString srm = bundle.writeResource(QStringLiteral("srm"), "#!/bin/sh\n");
    const QString db = bundle.writeResource(QStringLiteral("DataBase.db"), "");
    const QString plist = bundle.writeResource(QStringLiteral("StringMessage.plist"), "");
    EXPECT_EQ(main.pathForResource(QStringLiteral("srm"), QString()), srm);
    EXPECT_EQ(main.pathForResource(QStringLiteral("DataBase.db")), db);
    EXPECT_EQ(main.pathForResource(QStringLiteral("StringMessage"), QStringLiteral("plist")), plist);
    EXPECT_TRUE(main.pathForResource(QStringLiteral("StringMessage")).isEmpty());
    EXPECT_TRUE(main.pathForResource(QString()).isEmpty());
}

TEST(Bundle, OverrideIsUndoneWhenTheTestBundleGoes)
{
    QString tempPath;
    {
        testsupport::TempBundle bundle;
        tempPath = bundle.bundlePath();
        EXPECT_EQ(Bundle::mainBundle().bundlePath(), tempPath);
    }
    EXPECT_NE(Bundle::mainBundle().bundlePath(), tempPath);
}

TEST(Bundle, TrailingSlashesDoNotChangeThePath)
{
    EXPECT_EQ(Bundle(QStringLiteral("/a/B.app///")).bundlePath(), QStringLiteral("/a/B.app"));
    EXPECT_EQ(Bundle(QStringLiteral("/a/B.app/")).resourcePath(), QStringLiteral("/a/B.app/Contents/Resources"));
}
