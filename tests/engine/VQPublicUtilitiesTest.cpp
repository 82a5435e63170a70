#include "VQPublicUtilities.h"

#include "NetworkModule.h"

#include "common/TestSupport.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

// Binds the socket to a free loopback port and answers the port.
int bindLoopback(int fd)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

// A one-connection web server on loopback that records the request it got.
class LoopbackServer
{
public:
    enum class Mode { Answer, Silent };

    explicit LoopbackServer(Mode mode) : m_mode(mode)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        m_port = bindLoopback(m_listener);
        ::listen(m_listener, 4);
        m_thread = std::thread([this] { serve(); });
    }

    ~LoopbackServer()
    {
        m_stop = true;
        ::shutdown(m_listener, SHUT_RDWR);
        ::close(m_listener);
        m_thread.join();
    }

    int port() const { return m_port; }
    std::string request() const { return m_request; }

private:
    void serve()
    {
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0)
            return;
        char buffer[4096];
        while (m_request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t got = ::read(client, buffer, sizeof buffer);
            if (got <= 0)
                break;
            m_request.append(buffer, size_t(got));
        }
        if (m_mode == Mode::Answer) {
            const char reply[] = "HTTP/1.0 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello";
            (void)!::write(client, reply, sizeof reply - 1);
        } else {
            while (!m_stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::close(client);
    }

    Mode m_mode;
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::string m_request;
};

// A loopback port that nobody listens on.
int closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int port = bindLoopback(fd);
    ::close(fd);
    return port;
}

void writeSettings(const testsupport::TempBundle &bundle, const QVariantMap &settings)
{
    ASSERT_TRUE(PropertyList::write(bundle.resourcePath() + QStringLiteral("/StringMessage.plist"), settings));
}

QVariantMap settingsWithIniUrl(const QString &url)
{
    return {{QStringLiteral("en"), QVariantMap{{QStringLiteral("IniURL"), url}}}};
}

class OsReleaseFile
{
public:
    explicit OsReleaseFile(const QByteArray &content)
    {
        const QString path = m_dir.filePath(QStringLiteral("os-release"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        VQPublicUtilities::setOsReleasePathOverride(path);
    }
    // A path that does not exist.
    OsReleaseFile() { VQPublicUtilities::setOsReleasePathOverride(m_dir.filePath(QStringLiteral("none"))); }
    ~OsReleaseFile() { VQPublicUtilities::setOsReleasePathOverride(QString()); }

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST(VQPublicUtilitiesSizeText, BoundariesOfEveryUnit)
{
    EXPECT_EQ(VQPublicUtilities::convertVolSpace(0), QStringLiteral("0 byte"));
    EXPECT_EQ(VQPublicUtilities::convertVolSpace(999), QStringLiteral("999 byte"));
    EXPECT_EQ(VQPublicUtilities::convertVolSpace(1000), QStringLiteral("1.00 KB"));
    // Rounded to single precision, 999.999 KB prints as a thousand.
    EXPECT_EQ(VQPublicUtilities::convertVolSpace(999999), QStringLiteral("1000.00 KB"));
    EXPECT_EQ(VQPublicUtilities::convertVolSpace(1000000), QStringLiteral("1.00 MB"));
    EXPECT_EQ(VQPublicUtilities::convertVolSpace(1500000), QStringLiteral("1.50 MB"));
    EXPECT_EQ(VQPublicUtilities::convertVolSpace(1000000000), QStringLiteral("1.00 GB"));
    EXPECT_EQ(VQPublicUtilities::convertVolSpace(1000000000000ULL), QStringLiteral("1000.00 GB"));
    EXPECT_EQ(VQPublicUtilities::convertVolSpace(2000000000000ULL), QStringLiteral("2000.00 GB"));

    EXPECT_EQ(VQPublicUtilities::longlongDiskSize(999), QStringLiteral("999 byte"));
    EXPECT_EQ(VQPublicUtilities::longlongDiskSize(999999999999LL), QStringLiteral("1000.00 GB"));
    EXPECT_EQ(VQPublicUtilities::longlongDiskSize(1000000000000LL), QStringLiteral("1.00 TB"));
    EXPECT_EQ(VQPublicUtilities::longlongDiskSize(2000000000000LL), QStringLiteral("2.00 TB"));
    EXPECT_EQ(VQPublicUtilities::longlongDiskSize(-1), QStringLiteral("-1 byte"));
    EXPECT_EQ(VQPublicUtilities::longlongDiskSize(-5000000), QStringLiteral("-5000000 byte"));
    EXPECT_EQ(VQPublicUtilities::longlongConvertVolSpace(1234567), VQPublicUtilities::longlongDiskSize(1234567));
}

TEST(VQPublicUtilitiesSizeText, ReadsSizeTextsBack)
{
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QStringLiteral("1.50 MB")), 1500000u);
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QStringLiteral("2.00 KB")), 2000u);
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QStringLiteral("3.00 GB")), 3000000000u);
    // Multiplied in single precision, where a terabyte is 999,999,995,904 bytes.
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QStringLiteral("2.00 TB")), 1999999991808u);
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QString()), 0u);
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QStringLiteral("")), 0u);
    // Byte texts and unknown units read as nothing; units are case-sensitive.
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QStringLiteral("3 byte")), 0u);
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QStringLiteral("3 kb")), 0u);
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QStringLiteral("abc MB")), 0u);
    // Texts shorter than a unit, and values no count can hold.
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QStringLiteral("B")), 0u);
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QStringLiteral("-1.5 MB")), 0u);
    EXPECT_EQ(VQPublicUtilities::volSpaceFromString(QStringLiteral("1e30 TB")), std::numeric_limits<quint64>::max());
}

TEST(VQPublicUtilitiesSizeText, MoreThan2GBComparesWith200Units)
{
    EXPECT_EQ(VQPublicUtilities::isMoreThan2GB(999999), 0);
    EXPECT_EQ(VQPublicUtilities::isMoreThan2GB(200999999), 0);
    EXPECT_EQ(VQPublicUtilities::isMoreThan2GB(201000000), 1);
    EXPECT_EQ(VQPublicUtilities::isMoreThan2GB(-300000000), 0);
}

TEST(VQPublicUtilitiesNames, EraserTimesForEveryStoredValue)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.removeObjectForKey(QStringLiteral("EraserTimes"));
    EXPECT_EQ(VQPublicUtilities::getEraserTimes(), QStringLiteral("HMG Infosec Standard 5"));
    const std::pair<qint64, const char *> cases[] = {
        {0, "HMG Infosec Standard 5"},   {1, "HMG Infosec Standard 5"},   {2, "HMG Infosec Standard 5"},
        {36, "HMG Infosec Standard 5"},  {-3, "HMG Infosec Standard 5"},  {3, "U.S. Army AR380-19"},
        {7, "DoD 5220.22-M ECE"},        {35, "Peter Gutmann's algorithm"},
        // Read as 32 bits: the high word is dropped.
        {(qint64(1) << 32) + 7, "DoD 5220.22-M ECE"},
    };
    for (const auto &[count, name] : cases) {
        defaults.setInteger(count, QStringLiteral("EraserTimes"));
        EXPECT_EQ(VQPublicUtilities::getEraserTimes(), QString::fromUtf8(name)) << count;
    }
    defaults.removeObjectForKey(QStringLiteral("EraserTimes"));
}

TEST(VQPublicUtilitiesNames, FileSystemTypes)
{
    EXPECT_EQ(VQPublicUtilities::fileSystemTypeForInt(0, 0), QStringLiteral("FAT12"));
    EXPECT_EQ(VQPublicUtilities::fileSystemTypeForInt(3, 0), QStringLiteral("NTFS"));
    EXPECT_EQ(VQPublicUtilities::fileSystemTypeForInt(8, 0), QStringLiteral("HFS+"));
    EXPECT_EQ(VQPublicUtilities::fileSystemTypeForInt(9, 0), QStringLiteral("Unknown"));
    EXPECT_EQ(VQPublicUtilities::fileSystemTypeForInt(10, 0), QStringLiteral("Disk"));
    EXPECT_EQ(VQPublicUtilities::fileSystemTypeForInt(-1, 0), QStringLiteral("Disk"));
    EXPECT_EQ(VQPublicUtilities::fileSystemTypeForInt(3, 1), QStringLiteral("Disk Image"));
    EXPECT_EQ(VQPublicUtilities::fileSystemTypeForInt(-1, -1), QStringLiteral("Disk Image"));
}

TEST(VQPublicUtilitiesDates, ParsesTheLocaleLongDateWithShortTime)
{
    const QLocale locale;
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 7));
    const QString text = locale.toString(when.date(), QLocale::LongFormat) + QLatin1Char(' ')
        + locale.toString(when.time(), QLocale::ShortFormat);
    EXPECT_EQ(VQPublicUtilities::convertDateFromString(text), when);
    EXPECT_FALSE(VQPublicUtilities::convertDateFromString(QStringLiteral("not a date")).isValid());
    EXPECT_FALSE(VQPublicUtilities::convertDateFromString(QString()).isValid());
}

TEST(VQPublicUtilitiesSystemVersion, ReadsTheReleaseNumber)
{
    struct Case
    {
        const char *content;
        quint32 major, minor, bugFix;
        int combined;
    };
    const Case cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n", 12, 0, 0, 1200},
        {"VERSION_ID=22.04\n", 22, 4, 0, 2204},
        {"ID=alpine\nVERSION_ID='3.18.4'\n", 3, 18, 4, 318},
        {"VERSION_ID=\"10.9.5\"\n", 10, 9, 5, 1009},
        {"VERSION_ID=10.10\n", 10, 10, 0, 1010},
    };
    for (const Case &c : cases) {
        OsReleaseFile file(c.content);
        quint32 major = 0, minor = 0, bugFix = 0;
        VQPublicUtilities::getSystemVersionMajor(&major, &minor, &bugFix);
        EXPECT_EQ(major, c.major) << c.content;
        EXPECT_EQ(minor, c.minor) << c.content;
        EXPECT_EQ(bugFix, c.bugFix) << c.content;
        EXPECT_EQ(VQPublicUtilities::getSystemVersion(), c.combined) << c.content;
        // Null pointers are skipped.
        VQPublicUtilities::getSystemVersionMajor(nullptr, &minor, nullptr);
        EXPECT_EQ(minor, c.minor);
    }
}

TEST(VQPublicUtilitiesSystemVersion, FallsBackAndLogsWhenUnknown)
{
    for (const char *content : {"NAME=Arch\n", "VERSION_ID=rolling\n", ""}) {
        OsReleaseFile file(content);
        testsupport::LogCapture log;
        quint32 major = 0, minor = 7, bugFix = 7;
        VQPublicUtilities::getSystemVersionMajor(&major, &minor, &bugFix);
        EXPECT_EQ(major, 10u);
        EXPECT_EQ(minor, 0u);
        EXPECT_EQ(bugFix, 0u);
        EXPECT_TRUE(log.contains(QStringLiteral("Unable to obtain system version: "))) << content;
    }
    OsReleaseFile missing;
    testsupport::LogCapture log;
    EXPECT_EQ(VQPublicUtilities::getSystemVersion(), 1000);
    EXPECT_TRUE(log.contains(QStringLiteral("Unable to obtain system version: ")));
}

TEST(VQPublicUtilitiesSettings, ReadsAndWritesKeysOfTheList)
{
    testsupport::TempBundle bundle;
    writeSettings(bundle, {{QStringLiteral("PRODUCTNAME"), QStringLiteral("Nullwell Test")},
                           {QStringLiteral("INSTALL_VERSION"), 42},
                           {QStringLiteral("ISFrist"), QStringLiteral("YES")},
                           {QStringLiteral("VersionCheck"), 100}});
    EXPECT_EQ(VQPublicUtilities::getProductName(), QStringLiteral("Nullwell Test"));
    EXPECT_EQ(VQPublicUtilities::getInstallVersion().toInt(), 42);
    EXPECT_EQ(VQPublicUtilities::isZeltoVer(), 0);
    EXPECT_EQ(VQPublicUtilities::getIsFristLoad(), QStringLiteral("YES"));

    VQPublicUtilities::setIsFristLoad();
    VQPublicUtilities::writeUpDataTimeStr(QStringLiteral("2024-01-02"));
    EXPECT_EQ(VQPublicUtilities::getIsFristLoad(), QStringLiteral("NO"));
    EXPECT_EQ(VQPublicUtilities::getUpDataTimeStr(), QStringLiteral("2024-01-02"));
    // The write keeps every other key.
    const auto reread = PropertyList::readDictionary(VQPublicUtilities::stringMessagePath());
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->value(QStringLiteral("VersionCheck")).toInt(), 100);
    EXPECT_EQ(reread->value(QStringLiteral("PRODUCTNAME")).toString(), QStringLiteral("Nullwell Test"));

    writeSettings(bundle, {{QStringLiteral("Zelto"), false}});
    EXPECT_EQ(VQPublicUtilities::isZeltoVer(), 1);
}

TEST(VQPublicUtilitiesSettings, MissingOrBrokenListReadsAsNothingAndIsNotReplaced)
{
    testsupport::TempBundle bundle;
    VQPublicUtilities::setIsFristLoad();
    EXPECT_TRUE(VQPublicUtilities::getProductName().isNull());
    EXPECT_FALSE(QFile::exists(bundle.resourcePath() + QStringLiteral("/StringMessage.plist")));

    const QByteArray broken("<plist><dict><key>PRODUCTNAME</key>");
    const QString path = bundle.writeResource(QStringLiteral("StringMessage.plist"), broken);
    VQPublicUtilities::writeUpDataTimeStr(QStringLiteral("now"));
    EXPECT_TRUE(VQPublicUtilities::getUpDataTimeStr().isNull());
    EXPECT_EQ(VQPublicUtilities::isZeltoVer(), 0);
    EXPECT_FALSE(VQPublicUtilities::getInstallVersion().isValid());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), broken);
}

TEST(VQPublicUtilitiesNetwork, HomePageOfTheLinkHost)
{
    EXPECT_EQ(VQPublicUtilities::homePageForUrl(QUrl(QStringLiteral("https://example.org/update/v.plist?x=1"))),
              QUrl(QStringLiteral("http://example.org/")));
    EXPECT_EQ(VQPublicUtilities::homePageForUrl(QUrl(QStringLiteral("http://user:pw@127.0.0.1:8080/a"))),
              QUrl(QStringLiteral("http://127.0.0.1:8080/")));
    EXPECT_TRUE(VQPublicUtilities::homePageForUrl(QUrl(QStringLiteral("not an address"))).isEmpty());
    EXPECT_TRUE(VQPublicUtilities::homePageForUrl(QUrl()).isEmpty());
}

TEST(VQPublicUtilitiesNetwork, ProbesTheHomePageOfTheIniUrlHost)
{
    testsupport::TempBundle bundle;
    LoopbackServer server(LoopbackServer::Mode::Answer);
    writeSettings(bundle, settingsWithIniUrl(
                              QStringLiteral("http://127.0.0.1:%1/update/version.plist").arg(server.port())));
    EXPECT_EQ(VQPublicUtilities::isCanBeUseNetWork(), 1);
    const std::string request = server.request();
    EXPECT_EQ(request.rfind("GET / HTTP/1.1\r\n", 0), 0u) << request;
}

TEST(VQPublicUtilitiesNetwork, WorksOffTheMainThread)
{
    testsupport::TempBundle bundle;
    LoopbackServer server(LoopbackServer::Mode::Answer);
    writeSettings(bundle, settingsWithIniUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server.port())));
    int result = -1;
    std::thread worker([&result] { result = VQPublicUtilities::isCanBeUseNetWork(); });
    worker.join();
    EXPECT_EQ(result, 1);
}

TEST(VQPublicUtilitiesNetwork, NoAnswerGivesZero)
{
    testsupport::TempBundle bundle;
    // No address at all: nothing is contacted.
    EXPECT_EQ(VQPublicUtilities::isCanBeUseNetWork(), 0);
    writeSettings(bundle, settingsWithIniUrl(QString()));
    EXPECT_EQ(VQPublicUtilities::isCanBeUseNetWork(), 0);

    writeSettings(bundle, settingsWithIniUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(closedPort())));
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(VQPublicUtilities::isCanBeUseNetWork(), 0);
    EXPECT_LT(timer.elapsed(), 6000);

    // A server that takes the request and never answers is given up after the time limit.
    LoopbackServer silent(LoopbackServer::Mode::Silent);
    timer.restart();
    EXPECT_EQ(VQPublicUtilities::probeHomePage(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(silent.port())), 300),
              0);
    EXPECT_LT(timer.elapsed(), 3000);
}

TEST(VQPublicUtilitiesNetwork, TheProgramLoadsItsNetworkModuleFromItsOwnBundleAndCopesWithoutIt)
{
    const QString program = QStringLiteral(NULLWELL_INNER_BUNDLE "/Contents/MacOS/" NULLWELL_PRODUCT);
    const QString beside = QStringLiteral(NULLWELL_INNER_BUNDLE "/Contents/PlugIns/libnullwell_network.so");
    EXPECT_EQ(NetworkModule::pathForExecutable(program), beside);
    EXPECT_TRUE(QFile::exists(beside)) << "the build lays the module out in the bundle";

    testsupport::TempBundle bundle;
    LoopbackServer server(LoopbackServer::Mode::Answer);
    writeSettings(bundle, settingsWithIniUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server.port())));
    const QString missing = bundle.root() + QStringLiteral("/missing.so");
    const QString broken = bundle.writeResource(QStringLiteral("broken.so"), "not a library");
    for (const QString &module : {missing, broken}) {
        testsupport::LogCapture log;
        NetworkModule::setPathOverride(module);
        EXPECT_EQ(NetworkModule::get(), nullptr);
        EXPECT_EQ(VQPublicUtilities::isCanBeUseNetWork(), 0) << "no module is no network, not a crash";
        EXPECT_TRUE(log.contains(module)) << log.lines().join(u'\n').toStdString();
    }
    // The module the build lays out loads and answers.
    NetworkModule::setPathOverride(beside);
    EXPECT_NE(NetworkModule::get(), nullptr);
    EXPECT_EQ(VQPublicUtilities::isCanBeUseNetWork(), 1);
    NetworkModule::setPathOverride(QStringLiteral(NULLWELL_NETWORK_MODULE));
}
