#include "CFGrowlAdditions.h"

#include "common/TestSupport.h"
#include "platform/PropertyList.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QByteArray ipv4(const char a[4], quint16 port)
{
    QByteArray data(16, '\0');
    data[0] = 16;
    data[1] = 2;
    data[2] = static_cast<char>(port >> 8);
    data[3] = static_cast<char>(port & 0xFF);
    for (int i = 0; i < 4; ++i)
        data[4 + i] = a[i];
    return data;
}

QByteArray ipv6Loopback(quint16 port)
{
    QByteArray data(28, '\0');
    data[0] = 28;
    data[1] = 30;
    data[2] = static_cast<char>(port >> 8);
    data[3] = static_cast<char>(port & 0xFF);
    data[8 + 15] = 1;
    return data;
}

QString write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A theme stand-in with one square image per requested name.
class FakeIcons
{
public:
    explicit FakeIcons(QStringList known) : m_known(std::move(known))
    {
        setIconImageSource([this](const QString &name) {
            m_asked << name;
            QList<QImage> images;
            if (m_known.contains(name)) {
                for (int edge : {16, 48, 128}) {
                    QImage image(edge, edge, QImage::Format_ARGB32);
                    image.fill(Qt::red);
                    images << image;
                }
            }
            return images;
        });
    }
    ~FakeIcons() { setIconImageSource({}); }
    QStringList asked() const { return m_asked; }

private:
    QStringList m_known;
    QStringList m_asked;
};

} // namespace

TEST(CFGrowlAdditions, stringsJoinAroundAnOptionalCharacter)
{
    EXPECT_EQ(createStringWithStringAndCharacterAndString(QString(), 0xFFFF, QString()), QString(""));
    EXPECT_EQ(createStringWithStringAndCharacterAndString(QStringLiteral("a"), u'/', QStringLiteral("b")), QStringLiteral("a/b"));
    EXPECT_EQ(createStringWithStringAndCharacterAndString(QString(), u'/', QStringLiteral("b")), QStringLiteral("/b"));
    EXPECT_EQ(copyCString(QStringLiteral("é"), QStringConverter::Latin1), QByteArray("\xE9"));
    EXPECT_EQ(copyCString(QStringLiteral("é"), QStringConverter::Utf8), QByteArray("\xC3\xA9"));
    EXPECT_EQ(*createFileSystemRepresentationOfString(QStringLiteral("/tmp/ä")), QByteArray("/tmp/\xC3\xA4"));
    EXPECT_FALSE(createFileSystemRepresentationOfString(QStringLiteral("a") + QChar(0) + QStringLiteral("b")));
}

TEST(CFGrowlAdditions, fileContentsAreReadWholeAndAByteOrderMarkWins)
{
    QTemporaryDir dir;
    const QString latin = write(dir.filePath("latin.txt"), "caf\xE9");
    EXPECT_EQ(*createStringWithContentsOfFile(latin, QStringConverter::Latin1), QStringLiteral("café"));
    const QString marked = write(dir.filePath("utf16.txt"), QByteArray("\xFF\xFE" "h\0i\0", 6));
    EXPECT_EQ(*createStringWithContentsOfFile(marked, QStringConverter::Latin1), QStringLiteral("hi"));
    EXPECT_FALSE(createStringWithContentsOfFile(dir.filePath("missing"), QStringConverter::Utf8));
    EXPECT_FALSE(createStringWithContentsOfFile(dir.path(), QStringConverter::Utf8)); // a folder cannot be read

    QByteArray big(3 * 65536 + 17, 'x');
    const QString bigFile = write(dir.filePath("big"), big);
    EXPECT_EQ(readFile(QFile::encodeName(bigFile).constData())->size(), big.size());
    EXPECT_EQ(*readFile(QFile::encodeName(write(dir.filePath("empty"), "")).constData()), QByteArray());
    EXPECT_FALSE(readFile(QFile::encodeName(dir.filePath("missing")).constData()));
    EXPECT_FALSE(readFile(nullptr));
}

TEST(CFGrowlAdditions, datesReadInTheLocaleWithSeconds)
{
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
    const QString text = createStringWithDate(when);
    EXPECT_TRUE(text.contains(QStringLiteral("2024"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("07:09")) || text.contains(QStringLiteral("7:09"))) << qPrintable(text);

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString english = createStringWithDate(when);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = createStringWithDate(when);
    QLocale::setDefault(QLocale::system());
    // Newer locale data puts a narrow space before the day period.
    EXPECT_EQ(QString(english).replace(QChar(0x202F), QLatin1Char(' ')), QStringLiteral("Mar 5, 2024 2:07:09 PM"));
    EXPECT_TRUE(german.startsWith(QStringLiteral("5. M"))) << qPrintable(german);
    EXPECT_TRUE(german.endsWith(QStringLiteral("2024 14:07:09"))) << qPrintable(german);
}

TEST(CFGrowlAdditions, processNameAndLocationComeFromTheRunningProgram)
{
    const std::optional<QString> name = copyCurrentProcessName();
    ASSERT_TRUE(name);
    EXPECT_TRUE(QCoreApplication::applicationFilePath().contains(*name)) << qPrintable(*name);
    const std::optional<QString> path = copyCurrentProcessPath();
    ASSERT_TRUE(path);
    EXPECT_EQ(QFileInfo(*path).canonicalFilePath(), QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
}

TEST(CFGrowlAdditions, temporaryFolderIsMadeWhenMissing)
{
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("TMPDIR");
    const QString wanted = dir.filePath("not/yet/there");
    qputenv("TMPDIR", QFile::encodeName(wanted));
    const std::optional<QString> path = copyTemporaryFolderPath();
    const std::optional<QUrl> url = copyTemporaryFolderURL();
    qputenv("TMPDIR", saved);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, wanted);
    EXPECT_TRUE(QFileInfo(wanted).isDir());
    ASSERT_TRUE(url);
    EXPECT_TRUE(url->isLocalFile());
}

TEST(CFGrowlAdditions, applicationsAreFoundByFileOrDisplayedName)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("applications");
    write(dir.filePath("applications/org.example.Viewer.desktop"),
          "[Desktop Entry]\nType=Application\nName=Picture Viewer\nExec=viewer\n");
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QByteArray savedDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(dir.filePath("none")));
    const std::optional<QUrl> byName = copyURLForApplication(QStringLiteral("Picture Viewer"));
    const std::optional<QUrl> byFile = copyURLForApplication(QStringLiteral("org.example.Viewer.app"));
    const std::optional<QUrl> missing = copyURLForApplication(QStringLiteral("No Such Program"));
    qputenv("XDG_DATA_HOME", saved);
    qputenv("XDG_DATA_DIRS", savedDirs);
    ASSERT_TRUE(byName);
    EXPECT_TRUE(byName->toLocalFile().endsWith("org.example.Viewer.desktop"));
    EXPECT_EQ(byFile, byName);
    EXPECT_FALSE(missing);
}

TEST(CFGrowlAdditions, addressTextsAndShortDataIsNeverReadPastItsEnd)
{
    const char ten[4] = {10, 0, 0, 1};
    EXPECT_EQ(createStringWithAddressData(ipv4(ten, 80)), QStringLiteral("10.0.0.1:80"));
    EXPECT_EQ(createStringWithAddressData(ipv6Loopback(80)), QStringLiteral("[::1]:80"));
    EXPECT_EQ(createStringWithAddressData(ipv4(ten, 65535)), QStringLiteral("10.0.0.1:65535"));
    QByteArray local(16, '\0');
    local[1] = 1;
    EXPECT_EQ(createStringWithAddressData(local), QStringLiteral("neither IPv6 nor IPv4"));
    EXPECT_EQ(createStringWithAddressData(QByteArray()), QStringLiteral("neither IPv6 nor IPv4"));
    // Truncated addresses name their family as unshowable instead of reading beyond the data.
    EXPECT_EQ(createStringWithAddressData(ipv4(ten, 80).left(6)), QStringLiteral("IPv4 un-ntopable"));
    EXPECT_EQ(createStringWithAddressData(ipv6Loopback(80).left(12)), QStringLiteral("IPv6 un-ntopable"));
    EXPECT_FALSE(createHostNameForAddressData(ipv6Loopback(80).left(12)));
}

TEST(CFGrowlAdditions, loopbackHasAHostName)
{
    const char loopback[4] = {127, 0, 0, 1};
    const std::optional<QString> name = createHostNameForAddressData(ipv4(loopback, 0));
    if (!name)
        GTEST_SKIP() << "no name for 127.0.0.1 on this machine";
    EXPECT_FALSE(name->isEmpty());
}

TEST(CFGrowlAdditions, iconDataIsAFamilyOfPngImagesOfTheItemsThemeIcon)
{
    FakeIcons icons({QStringLiteral("folder"), QStringLiteral("text-x-generic")});
    QTemporaryDir dir;
    testsupport::LogCapture log;
    const std::optional<QByteArray> folderIcon = copyIconDataForPath(dir.path());
    ASSERT_TRUE(folderIcon);
    EXPECT_TRUE(folderIcon->startsWith("icns"));
    EXPECT_EQ(qFromBigEndian<quint32>(folderIcon->constData() + 4), static_cast<quint32>(folderIcon->size()));
    EXPECT_TRUE(folderIcon->contains("icp4"));
    EXPECT_TRUE(folderIcon->contains("ic07"));
    EXPECT_EQ(imageFromIconData(*folderIcon).width(), 128);
    EXPECT_TRUE(icons.asked().contains(QStringLiteral("folder")));

    const QString file = write(dir.filePath("a.txt"), "text");
    EXPECT_TRUE(copyIconDataForURL(QUrl::fromLocalFile(file)));

    EXPECT_FALSE(copyIconDataForPath(dir.filePath("missing")));
    EXPECT_FALSE(copyIconDataForPath(QString()));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(CFGrowlAdditions, itemWithoutAnyThemeIconLogsAndGivesNothing)
{
    FakeIcons icons({});
    QTemporaryDir dir;
    testsupport::LogCapture log;
    EXPECT_FALSE(copyIconDataForPath(dir.path()));
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().contains("could not get icon for file://")) << qPrintable(log.lines().first());
    EXPECT_TRUE(log.lines().first().contains("GetIconRefFromFileInfo returned"));
}

TEST(CFGrowlAdditions, directoriesAreMadeOnceAndExistingOnesReused)
{
    QTemporaryDir dir;
    testsupport::LogCapture log;
    const std::optional<QUrl> made = createURLByMakingDirectoryAtURLWithName(QUrl::fromLocalFile(dir.path()), QStringLiteral("Logs"));
    ASSERT_TRUE(made);
    EXPECT_TRUE(QFileInfo(dir.filePath("Logs")).isDir());
    EXPECT_TRUE(log.contains("PBCreateDirectoryUnicodeSync or PBMakeFSRefUnicodeSync returned 0; calling CFURLCreateFromFSRef"));
    EXPECT_EQ(createURLByMakingDirectoryAtURLWithName(QUrl::fromLocalFile(dir.path()), QStringLiteral("Logs")), made);

    // No name: the URL itself names the folder to make.
    const std::optional<QUrl> byUrl = createURLByMakingDirectoryAtURLWithName(QUrl::fromLocalFile(dir.filePath("Other/")), std::nullopt);
    ASSERT_TRUE(byUrl);
    EXPECT_TRUE(QFileInfo(dir.filePath("Other")).isDir());

    // No parent: the working directory.
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const std::optional<QUrl> cwd = createURLByMakingDirectoryAtURLWithName(std::nullopt, std::nullopt);
    const std::optional<QUrl> inCwd = createURLByMakingDirectoryAtURLWithName(std::nullopt, QStringLiteral("Here"));
    QDir::setCurrent(saved);
    ASSERT_TRUE(cwd);
    EXPECT_EQ(QFileInfo(cwd->toLocalFile()).canonicalFilePath(), QFileInfo(dir.path()).canonicalFilePath());
    ASSERT_TRUE(inCwd);
    EXPECT_TRUE(QFileInfo(dir.filePath("Here")).isDir());
}

TEST(CFGrowlAdditions, directoryNamesThatWouldReachElsewhereOrNameAFileAreRefused)
{
    QTemporaryDir dir;
    write(dir.filePath("plain"), "x");
    const QUrl parent = QUrl::fromLocalFile(dir.path());
    testsupport::LogCapture log;
    EXPECT_FALSE(createURLByMakingDirectoryAtURLWithName(parent, QStringLiteral("plain")));
    EXPECT_FALSE(createURLByMakingDirectoryAtURLWithName(parent, QStringLiteral("../escape")));
    EXPECT_FALSE(createURLByMakingDirectoryAtURLWithName(parent, QStringLiteral("..")));
    EXPECT_FALSE(createURLByMakingDirectoryAtURLWithName(parent, QString(256, QLatin1Char('n'))));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(dir.path()).dir().filePath("escape")));
    EXPECT_TRUE(log.contains("could not create directory 'plain' in parent directory at"));
    EXPECT_TRUE(createURLByMakingDirectoryAtURLWithName(parent, QString(255, QLatin1Char('n'))));

    EXPECT_FALSE(createURLByMakingDirectoryAtURLWithName(QUrl::fromLocalFile(dir.filePath("nowhere")), QStringLiteral("x")));
    EXPECT_TRUE(log.contains("could not create FSRef for parent directory at"));
    EXPECT_FALSE(createURLByMakingDirectoryAtURLWithName(parent, QString()));
    EXPECT_TRUE(log.contains("name of directory to create is NULL (please tell the Growl developers)\n"));
}

TEST(CFGrowlAdditions, copyingTakesDataAttributesModeAndTimes)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("to");
    const QString source = write(dir.filePath("report.bin"), QByteArray(6 * 1024 * 1024 + 3, 'r'));
    ::chmod(QFile::encodeName(source).constData(), 0640);
    const bool attributes = ::setxattr(QFile::encodeName(source).constData(), "user.resource", "fork", 4, 0) == 0;
    const QDateTime stamp(QDate(2020, 1, 2), QTime(3, 4, 5));
    {
        QFile file(source);
        file.open(QIODevice::ReadWrite);
        file.setFileTime(stamp, QFileDevice::FileModificationTime);
    }
    testsupport::LogCapture log;
    const std::optional<QUrl> copy = createURLByCopyingFileFromURLToDirectoryURL(QUrl::fromLocalFile(source), QUrl::fromLocalFile(dir.filePath("to")));
    ASSERT_TRUE(copy);
    const QString target = dir.filePath("to/report.bin");
    EXPECT_EQ(copy->toLocalFile(), target);
    EXPECT_EQ(contents(target), contents(source));
    EXPECT_EQ(QFileInfo(target).permissions(), QFileInfo(source).permissions());
    EXPECT_EQ(QFileInfo(target).lastModified(), stamp);
    EXPECT_TRUE(log.contains("PBIterateForksSync returned -1417"));
    if (attributes) {
        char value[8] = {};
        EXPECT_EQ(::getxattr(QFile::encodeName(target).constData(), "user.resource", value, sizeof value), 4);
        EXPECT_STREQ(value, "fork");
    }

    // A copy over an existing, longer file leaves exactly the source's bytes.
    write(source, "short");
    EXPECT_EQ(GrowlCopyObjectSync(source, dir.filePath("to"), nullptr), 0);
    EXPECT_EQ(contents(target), QByteArray("short"));
}

TEST(CFGrowlAdditions, copyFailuresAreLoggedAndReported)
{
    QTemporaryDir dir;
    testsupport::LogCapture log;
    EXPECT_FALSE(createURLByCopyingFileFromURLToDirectoryURL(QUrl::fromLocalFile(dir.filePath("none")), QUrl::fromLocalFile(dir.path())));
    EXPECT_TRUE(log.contains("CFURLGetFSRef failed with source URL"));
    const QString source = write(dir.filePath("a"), "a");
    EXPECT_FALSE(createURLByCopyingFileFromURLToDirectoryURL(QUrl::fromLocalFile(source), QUrl::fromLocalFile(dir.filePath("none"))));
    EXPECT_TRUE(log.contains("CFURLGetFSRef failed with destination URL"));

    // Copying into a file instead of a folder fails with a status, never as success.
    const QString notAFolder = write(dir.filePath("b"), "b");
    EXPECT_NE(copyFork(QString(), source, notAFolder, QString(), nullptr), 0);
    EXPECT_TRUE(log.contains("in copyFork in CFGrowlAdditions: PBMakeFSRefUnicodeSync (destination:"));
    EXPECT_FALSE(createURLByCopyingFileFromURLToDirectoryURL(QUrl::fromLocalFile(source), QUrl::fromLocalFile(notAFolder)));
    EXPECT_TRUE(log.contains("CopyObjectSync returned"));

    // A named destination.
    QString made;
    EXPECT_EQ(copyFork(QString(), source, dir.path(), QStringLiteral("renamed"), &made), 0);
    EXPECT_EQ(made, dir.filePath("renamed"));
    EXPECT_EQ(contents(made), QByteArray("a"));
}

TEST(CFGrowlAdditions, propertyListsOfEitherFormatAndTheirErrors)
{
    QTemporaryDir dir;
    const QVariantMap value{{"Key", 3}};
    ASSERT_TRUE(PropertyList::write(dir.filePath("x.plist"), value, PropertyList::Format::Xml));
    ASSERT_TRUE(PropertyList::write(dir.filePath("b.plist"), value, PropertyList::Format::Binary));
    PropertyList::Format format = PropertyList::Format::Xml;
    EXPECT_EQ(createPropertyListFromURL(QUrl::fromLocalFile(dir.filePath("b.plist")), PropertyListMutability::Immutable, &format, nullptr).toMap(), value);
    EXPECT_EQ(format, PropertyList::Format::Binary);
    EXPECT_EQ(createPropertyListFromURL(QUrl::fromLocalFile(dir.filePath("x.plist")), PropertyListMutability::Immutable, &format, nullptr).toMap(), value);
    EXPECT_EQ(format, PropertyList::Format::Xml);

    testsupport::LogCapture log;
    EXPECT_FALSE(createPropertyListFromURL(std::nullopt, PropertyListMutability::Immutable, nullptr, nullptr).isValid());
    EXPECT_TRUE(log.contains("in createPropertyListFromURL in CFGrowlAdditions: cannot read from a NULL URL"));
    EXPECT_FALSE(createPropertyListFromURL(QUrl("https://example.invalid/x.plist"), PropertyListMutability::Immutable, nullptr, nullptr).isValid());
    EXPECT_TRUE(log.contains("could not create stream for reading from URL https://example.invalid/x.plist"));
    EXPECT_FALSE(createPropertyListFromURL(QUrl::fromLocalFile(dir.filePath("none")), PropertyListMutability::Immutable, nullptr, nullptr).isValid());
    EXPECT_TRUE(log.contains("could not open stream for reading from URL"));

    const QString broken = write(dir.filePath("broken.plist"), "<plist><dict><key>x</dict>");
    QString error;
    EXPECT_FALSE(createPropertyListFromURL(QUrl::fromLocalFile(broken), PropertyListMutability::Immutable, nullptr, &error).isValid());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("(error string: %1)").arg(error)));
}

TEST(CFGrowlAdditions, installedIconThemeSuppliesFolderImages)
{
    const QList<QImage> images = iconImagesForNames({QStringLiteral("folder")});
    if (images.isEmpty())
        GTEST_SKIP() << "no icon theme installed";
    QTemporaryDir dir;
    const std::optional<QByteArray> icon = copyIconDataForPath(dir.path());
    ASSERT_TRUE(icon);
    EXPECT_GE(imageFromIconData(*icon).width(), 16);
}
