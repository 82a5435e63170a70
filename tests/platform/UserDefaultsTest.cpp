#include "platform/UserDefaults.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

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

// Root writing a person's defaults, with a scratch account that owns a home of its own. What the
// person planted in their folders must not make root hand over or overwrite anything of root's.
namespace {

constexpr uid_t kScratch = 54321;

struct Owned
{
    uid_t uid;
    mode_t mode;
};

Owned ownerOf(const QString &path)
{
    struct stat info
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &info);
    return {info.st_uid, mode_t(info.st_mode & 07777)};
}

class DefaultsForAPerson : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "only root writes for someone else";
        ASSERT_TRUE(QDir().mkpath(m_home));
        ASSERT_EQ(::chown(QFile::encodeName(m_home).constData(), kScratch, kScratch), 0);
        ASSERT_TRUE(QDir().mkpath(m_rootFolder));
        QFile secret(m_rootFile);
        ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
        secret.write("[General]\nEraserTimes=7\n");
        secret.close();
        ::chmod(QFile::encodeName(m_rootFile).constData(), 0600);
    }

    // Makes a folder below the home as the person would have it.
    void personsFolder(const QString &relative)
    {
        const QString path = m_home + QLatin1Char('/') + relative;
        ASSERT_TRUE(QDir().mkpath(path));
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), kScratch, kScratch), 0);
    }

    QString defaultsPath() const
    {
        return m_home + QStringLiteral("/.config/ostrivan-nullwell/defaults.conf");
    }
    QByteArray rootFileContent() const
    {
        QFile file(m_rootFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    QString m_home = m_dir.filePath(QStringLiteral("home/scratch"));
    QString m_rootFolder = m_dir.filePath(QStringLiteral("root-only"));
    QString m_rootFile = m_rootFolder + QStringLiteral("/settings.conf");
    InvokingUser m_person{kScratch, kScratch, "scratch", m_home};
};

} // namespace

TEST_F(DefaultsForAPerson, EveryFolderAndTheFileBelongToThePerson)
{
    {
        UserDefaults untouched(defaultsPath(), m_person);
        EXPECT_TRUE(untouched.synchronize());
    }
    EXPECT_FALSE(QFileInfo::exists(m_home + QStringLiteral("/.config"))) << "nothing to keep, nothing made";

    UserDefaults defaults(defaultsPath(), m_person);
    defaults.setInteger(35, QStringLiteral("EraserTimes"));
    ASSERT_TRUE(defaults.synchronize());
    for (const QString &path :
         {m_home + QStringLiteral("/.config"), m_home + QStringLiteral("/.config/ostrivan-nullwell")}) {
        EXPECT_EQ(ownerOf(path).uid, kScratch) << path.toStdString();
        EXPECT_EQ(ownerOf(path).mode, 0700u) << path.toStdString();
    }
    EXPECT_EQ(ownerOf(defaultsPath()).uid, kScratch);
    EXPECT_EQ(ownerOf(defaultsPath()).mode, 0600u);
    EXPECT_EQ(QDir(m_home + QStringLiteral("/.config/ostrivan-nullwell"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("defaults.conf")})
        << "no temporary file left behind";

    // What the person's own programs add meanwhile stays.
    QSettings theirs(defaultsPath(), QSettings::IniFormat);
    theirs.setValue(QStringLiteral("CurLanguage"), QStringLiteral("Deutsch"));
    theirs.sync();
    ASSERT_EQ(::chown(QFile::encodeName(defaultsPath()).constData(), kScratch, kScratch), 0);
    defaults.setInteger(7, QStringLiteral("EraserTimes"));
    ASSERT_TRUE(defaults.synchronize());
    const UserDefaults reopened(defaultsPath(), m_person);
    EXPECT_EQ(reopened.integerForKey(QStringLiteral("EraserTimes")), 7);
    EXPECT_EQ(reopened.stringForKey(QStringLiteral("CurLanguage")), QStringLiteral("Deutsch"));
}

TEST_F(DefaultsForAPerson, PlantedFileLinkIsNeitherReadNorWrittenThrough)
{
    personsFolder(QStringLiteral(".config/ostrivan-nullwell"));
    ASSERT_TRUE(QFile::link(m_rootFile, defaultsPath()));
    testsupport::LogCapture log;
    UserDefaults defaults(defaultsPath(), m_person);
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("EraserTimes")), 0) << "root's file was read";
    defaults.setInteger(3, QStringLiteral("EraserTimes"));
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_EQ(ownerOf(m_rootFile).uid, 0u);
    EXPECT_EQ(ownerOf(m_rootFile).mode, 0600u);
    EXPECT_EQ(rootFileContent(), QByteArray("[General]\nEraserTimes=7\n"));
    EXPECT_TRUE(QFileInfo(defaultsPath()).isSymLink());
    EXPECT_TRUE(log.contains(QStringLiteral("Not writing %1: it is a link").arg(defaultsPath())));
}

TEST_F(DefaultsForAPerson, PlantedFolderLinksAreNotFollowed)
{
    // The program's folder, and the configuration folder itself, leading into a folder of root's.
    personsFolder(QStringLiteral(".config"));
    ASSERT_TRUE(QFile::link(m_rootFolder, m_home + QStringLiteral("/.config/ostrivan-nullwell")));
    const auto refused = [&] {
        testsupport::LogCapture log;
        UserDefaults defaults(defaultsPath(), m_person);
        defaults.setInteger(3, QStringLiteral("EraserTimes"));
        EXPECT_FALSE(defaults.synchronize());
        EXPECT_EQ(ownerOf(m_rootFolder).uid, 0u);
        EXPECT_EQ(QDir(m_rootFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("settings.conf")});
        EXPECT_EQ(ownerOf(m_rootFile).uid, 0u);
        EXPECT_TRUE(log.contains(QStringLiteral("Not following the link")));
    };
    refused();
    ASSERT_TRUE(QDir(m_home + QStringLiteral("/.config")).removeRecursively());
    ASSERT_TRUE(QFile::link(m_rootFolder, m_home + QStringLiteral("/.config")));
    refused();
}

TEST_F(DefaultsForAPerson, HardLinksAreNeitherReadNorReplaced)
{
    // Made by root, standing in for a person where the system lets anyone link others' files.
    personsFolder(QStringLiteral(".config/ostrivan-nullwell"));
    const QString theirOther = m_home + QStringLiteral("/other.conf");
    QFile other(theirOther);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("[General]\nEraserTimes=5\n");
    other.close();
    ASSERT_EQ(::chown(QFile::encodeName(theirOther).constData(), kScratch, kScratch), 0);

    const QList<QPair<QString, QString>> cases = {{m_rootFile, QStringLiteral("it belongs to someone else")},
                                                  {theirOther, QStringLiteral("it has more than one name")}};
    for (const auto &[target, why] : cases) {
        QFile::remove(defaultsPath());
        ASSERT_EQ(::link(QFile::encodeName(target).constData(), QFile::encodeName(defaultsPath()).constData()), 0);
        testsupport::LogCapture log;
        UserDefaults defaults(defaultsPath(), m_person);
        EXPECT_EQ(defaults.integerForKey(QStringLiteral("EraserTimes")), 0) << "read through " << why.toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("Not reading %1: %2").arg(defaultsPath(), why)));
        defaults.setInteger(3, QStringLiteral("EraserTimes"));
        EXPECT_FALSE(defaults.synchronize());
        EXPECT_TRUE(log.contains(QStringLiteral("Not writing %1: %2").arg(defaultsPath(), why)));
        struct stat info;
        ASSERT_EQ(::lstat(QFile::encodeName(defaultsPath()).constData(), &info), 0);
        EXPECT_EQ(info.st_nlink, 2u) << "the shared name was replaced";
    }
    EXPECT_EQ(rootFileContent(), QByteArray("[General]\nEraserTimes=7\n"));
}
