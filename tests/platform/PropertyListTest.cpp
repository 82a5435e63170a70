#include "platform/PropertyList.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <unistd.h>

namespace {

QVariantMap sampleTree()
{
    QVariantMap links{{QStringLiteral("IniURL"), QStringLiteral("https://example.invalid/v.plist")}};
    return QVariantMap{
        {QStringLiteral("PRODUCTNAME"), QStringLiteral("Ostrivan Nullwell")},
        {QStringLiteral("VersionCheck"), qlonglong(142)},
        {QStringLiteral("Negative"), qlonglong(-7)},
        {QStringLiteral("Ratio"), 0.25},
        {QStringLiteral("Flag"), true},
        {QStringLiteral("Blob"), QByteArray("\x00\x01\xff", 3)},
        {QStringLiteral("When"), QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58), QTimeZone::utc())},
        {QStringLiteral("List"), QVariantList{QStringLiteral("a"), qlonglong(2)}},
        {QStringLiteral("en"), links},
        {QStringLiteral("Unicode"), QStringLiteral("打开数据库失败！ <&> \"quoted\"")},
    };
}

} // namespace

TEST(PropertyList, RoundTripsEveryValueTypeInBothFormats)
{
    QTemporaryDir dir;
    for (auto format : {PropertyList::Format::Xml, PropertyList::Format::Binary}) {
        const QString path = dir.filePath(QStringLiteral("tree.plist"));
        ASSERT_TRUE(PropertyList::write(path, sampleTree(), format));
        const auto read = PropertyList::readDictionary(path);
        ASSERT_TRUE(read.has_value());
        const QVariantMap expected = sampleTree();
        EXPECT_EQ(read->keys(), expected.keys());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            EXPECT_EQ(read->value(it.key()), it.value()) << it.key().toStdString();
    }
}

TEST(PropertyList, ReadsXmlWrittenByOtherTools)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hand.plist"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
               "<key>SupportLanguage</key><dict><key>English</key><string>en</string></dict>"
               "<key>VersionCheck</key><integer>7</integer><key>Zelto</key><true/></dict></plist>");
    file.close();
    const auto read = PropertyList::readDictionary(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->value(QStringLiteral("VersionCheck")).toInt(), 7);
    EXPECT_TRUE(read->value(QStringLiteral("Zelto")).toBool());
    EXPECT_EQ(read->value(QStringLiteral("SupportLanguage")).toMap().value(QStringLiteral("English")),
              QStringLiteral("en"));
}

TEST(PropertyList, MissingBrokenOrNonDictionaryFilesReadAsNoDictionary)
{
    QTemporaryDir dir;
    EXPECT_FALSE(PropertyList::readDictionary(dir.filePath(QStringLiteral("absent.plist"))).has_value());
    EXPECT_FALSE(PropertyList::readDictionary(QString()).has_value());

    const QString broken = dir.filePath(QStringLiteral("broken.plist"));
    for (const QByteArray &content :
         {QByteArray("<?xml version=\"1.0\"?><plist><dict><key>A</key>"), QByteArray("bplist00\x01\x02", 10),
          QByteArray(), QByteArray("not a property list at all")}) {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        EXPECT_FALSE(PropertyList::readDictionary(broken).has_value()) << content.constData();
    }

    const QString array = dir.filePath(QStringLiteral("array.plist"));
    ASSERT_TRUE(PropertyList::write(array, QVariantList{QStringLiteral("x")}));
    EXPECT_FALSE(PropertyList::readDictionary(array).has_value());
    EXPECT_EQ(PropertyList::read(array).toList().size(), 1);

    EXPECT_FALSE(PropertyList::readDictionary(dir.path()).has_value()) << "a folder is not a file";
}

TEST(PropertyList, WriteReplacesTheWholeFileAndLeavesNoTemporaryBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.plist"));
    ASSERT_TRUE(PropertyList::write(path, sampleTree()));
    ASSERT_TRUE(PropertyList::write(path, QVariantMap{{QStringLiteral("Only"), QStringLiteral("this")}}));
    const auto read = PropertyList::readDictionary(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->keys(), QStringList{QStringLiteral("Only")});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("settings.plist")});
}

TEST(PropertyList, WriteIntoAMissingOrReadOnlyFolderFailsAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    EXPECT_FALSE(PropertyList::write(dir.filePath(QStringLiteral("no/such/folder/x.plist")), sampleTree()));
    EXPECT_FALSE(PropertyList::write(QString(), sampleTree()));

    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    const QString locked = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(locked));
    const QString path = locked + QStringLiteral("/x.plist");
    ASSERT_TRUE(PropertyList::write(path, QVariantMap{{QStringLiteral("Old"), true}}));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(PropertyList::write(path, sampleTree()));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(PropertyList::readDictionary(path)->contains(QStringLiteral("Old")));
}
