#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>

TEST(UserDefaults, StoresEachKindOfValueAndReadsItBackAfterReopening)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.conf"));
    {
        UserDefaults defaults(path);
        defaults.setInteger(35, QStringLiteral("EraserTimes"));
        defaults.setBool(true, QStringLiteral("Flag"));
        defaults.setObject(QStringLiteral("text"), QStringLiteral("Name"));
        defaults.setObject(QStringList{QStringLiteral("pt-BR"), QStringLiteral("en")},
                           QStringLiteral("AppleLanguages"));
        EXPECT_TRUE(defaults.synchronize());
    }
    UserDefaults reopened(path);
    EXPECT_EQ(reopened.integerForKey(QStringLiteral("EraserTimes")), 35);
    EXPECT_TRUE(reopened.boolForKey(QStringLiteral("Flag")));
    EXPECT_EQ(reopened.stringForKey(QStringLiteral("Name")), QStringLiteral("text"));
    EXPECT_EQ(reopened.stringArrayForKey(QStringLiteral("AppleLanguages")),
              (QStringList{QStringLiteral("pt-BR"), QStringLiteral("en")}));
}

TEST(UserDefaults, MissingKeysReadAsZeroFalseAndEmpty)
{
    QTemporaryDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("defaults.conf")));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("EraserTimes")), 0);
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("AppleMiniaturizeOnDoubleClick")));
    EXPECT_TRUE(defaults.stringForKey(QStringLiteral("Nothing")).isEmpty());
    EXPECT_TRUE(defaults.arrayForKey(QStringLiteral("Nothing")).isEmpty());
    EXPECT_FALSE(defaults.objectForKey(QStringLiteral("Nothing")).isValid());

    defaults.setInteger(3, QStringLiteral("EraserTimes"));
    defaults.removeObjectForKey(QStringLiteral("EraserTimes"));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("EraserTimes")), 0);
    defaults.setObject(QStringLiteral("x"), QStringLiteral("K"));
    defaults.setObject(QVariant(), QStringLiteral("K"));
    EXPECT_FALSE(defaults.objectForKey(QStringLiteral("K")).isValid());
}

TEST(UserDefaults, LanguagesFallBackToTheSystemsPreferredOnes)
{
    QTemporaryDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("defaults.conf")));
    EXPECT_EQ(defaults.stringArrayForKey(QStringLiteral("AppleLanguages")), QLocale::system().uiLanguages());
    defaults.setObject(QStringList{QStringLiteral("zh-HK")}, QStringLiteral("AppleLanguages"));
    EXPECT_EQ(defaults.stringArrayForKey(QStringLiteral("AppleLanguages")).value(0), QStringLiteral("zh-HK"));
}

TEST(UserDefaults, StandardInstanceCanBeReplacedForTests)
{
    QTemporaryDir dir;
    UserDefaults replacement(dir.filePath(QStringLiteral("other.conf")));
    UserDefaults *previous = &UserDefaults::standard();
    UserDefaults::setStandardOverride(&replacement);
    EXPECT_EQ(&UserDefaults::standard(), &replacement);
    UserDefaults::setStandardOverride(previous);
    EXPECT_TRUE(UserDefaults::defaultFilePath().endsWith(QStringLiteral("ostrivan-nullwell/defaults.conf")));
}
