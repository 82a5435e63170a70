#include "VQPublicUtilities.h"

#include "NetworkModule.h"
#include "NetworkModuleInterface.h"
#include "VQLinkUrl.h"
#include "base/EraseMethods.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <QFile>
#include <QLocale>
#include <QMutex>
#include <QRegularExpression>
#include <QStringList>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

const QString kStringMessage = QStringLiteral("StringMessage");
const int kProbeTimeoutMs = 5000;

QMutex &osReleaseMutex()
{
    static QMutex mutex;
    return mutex;
}

QString &osReleaseOverride()
{
    static QString path;
    return path;
}

// Reads VERSION_ID from an os-release file. On failure answers false with an errno-style code.
bool readVersionId(QString *versionId, long *errorCode)
{
    QStringList candidates;
    {
        QMutexLocker lock(&osReleaseMutex());
        if (!osReleaseOverride().isEmpty())
            candidates << osReleaseOverride();
    }
    if (candidates.isEmpty()) {
        // /etc/os-release wins; /usr/lib/os-release is the vendor copy when /etc has none.
        candidates << QStringLiteral("/etc/os-release") << QStringLiteral("/usr/lib/os-release");
    }
    QFile file;
    for (const QString &candidate : std::as_const(candidates)) {
        file.setFileName(candidate);
        if (file.open(QIODevice::ReadOnly | QIODevice::Text))
            break;
    }
    if (!file.isOpen()) {
        *errorCode = file.error() == QFileDevice::OpenError && !file.exists() ? ENOENT : EACCES;
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (!line.startsWith(QLatin1String("VERSION_ID=")))
            continue;
        QString value = line.mid(int(qstrlen("VERSION_ID=")));
        if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''))
            && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        *versionId = value.trimmed();
        return true;
    }
    *errorCode = ENODATA;
    return false;
}

// "22.04" gives 22, 4, 0. Each part is read up to its first non-digit; the major must be there.
bool parseVersion(const QString &text, quint32 parts[3])
{
    const QStringList fields = text.split(QLatin1Char('.'));
    for (int i = 0; i < 3; ++i) {
        parts[i] = 0;
        if (i >= fields.size())
            continue;
        static const QRegularExpression digits(QStringLiteral("^\\d+"));
        const QRegularExpressionMatch match = digits.match(fields.at(i));
        if (!match.hasMatch()) {
            if (i == 0)
                return false;
            break;
        }
        bool ok = false;
        parts[i] = match.captured(0).toUInt(&ok);
        if (!ok)
            return false;
    }
    return true;
}

// The size texts: the quotient is rounded to single precision before it is formatted, which is
// what makes 999,999 bytes read "1000.00 KB".
QString sizeText(double count, bool withTerabytes)
{
    auto format = [](const char *pattern, double quotient) {
        return QString::asprintf(pattern, double(float(quotient)));
    };
    if (count < 1000.0)
        return format("%.0f byte", count);
    if (count < 1000000.0)
        return format("%0.2f KB", count / 1000.0);
    if (count < 1000000000.0)
        return format("%0.2f MB", count / 1000000.0);
    if (count < 1000000000000.0 || !withTerabytes)
        return format("%0.2f GB", count / 1000000000.0);
    return format("%0.2f TB", count / 1000000000000.0);
}

// The leading number of a text, as a single-precision value: leading blanks are skipped, whatever
// follows the number is ignored, and a text without one reads as 0.
float leadingFloat(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?)((?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0.0f;
    const QByteArray digits = match.captured(2).toLatin1();
    float value = 0.0f;
    const auto result = std::from_chars(digits.constData(), digits.constData() + digits.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = std::numeric_limits<float>::infinity();
    return match.captured(1) == QLatin1String("-") ? -value : value;
}

// Float to unsigned 64 bits without the undefined cases: negatives and NaN give 0, too large
// gives the largest count.
quint64 truncateToCount(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 18446744073709551616.0f)
        return std::numeric_limits<quint64>::max();
    return quint64(value);
}

} // namespace

QString VQPublicUtilities::stringMessagePath()
{
    return Bundle::mainBundle().pathForResource(kStringMessage, QStringLiteral("plist"));
}

std::optional<QVariantMap> VQPublicUtilities::readStringMessage()
{
    const QString path = stringMessagePath();
    if (path.isEmpty())
        return std::nullopt;
    return PropertyList::readDictionary(path);
}

bool VQPublicUtilities::writeStringMessageValue(const QString &key, const QVariant &value)
{
    const QString path = stringMessagePath();
    if (path.isEmpty())
        return false;
    std::optional<QVariantMap> settings = PropertyList::readDictionary(path);
    if (!settings)
        return false;
    settings->insert(key, value);
    return PropertyList::write(path, *settings);
}

QString VQPublicUtilities::getProductName()
{
    const std::optional<QVariantMap> settings = readStringMessage();
    return settings ? settings->value(QStringLiteral("PRODUCTNAME")).toString() : QString();
}

QString VQPublicUtilities::eraserTimesNameForCount(int count)
{
    return QString::fromLatin1(base::eraseMethodForPassCount(count).name);
}

QString VQPublicUtilities::getEraserTimes()
{
    // Stored as a 64-bit integer, read as 32 bits.
    const int count = int(qint32(UserDefaults::standard().integerForKey(QStringLiteral("EraserTimes"))));
    return eraserTimesNameForCount(count);
}

void VQPublicUtilities::setOsReleasePathOverride(const QString &path)
{
    QMutexLocker lock(&osReleaseMutex());
    osReleaseOverride() = path;
}

void VQPublicUtilities::getSystemVersionMajor(quint32 *major, quint32 *minor, quint32 *bugFix)
{
    quint32 parts[3] = {10, 0, 0};
    QString versionId;
    long errorCode = 0;
    bool ok = readVersionId(&versionId, &errorCode);
    if (ok && !parseVersion(versionId, parts)) {
        ok = false;
        errorCode = EINVAL;
    }
    if (!ok) {
        platform::logf("Unable to obtain system version: %ld", errorCode);
        parts[0] = 10;
        parts[1] = 0;
        parts[2] = 0;
    }
    if (major)
        *major = parts[0];
    if (minor)
        *minor = parts[1];
    if (bugFix)
        *bugFix = parts[2];
}

int VQPublicUtilities::getSystemVersion()
{
    quint32 major = 0;
    quint32 minor = 0;
    getSystemVersionMajor(&major, &minor, nullptr);
    // The minor is written with two digits behind the major: 10.9 gives 1009, 11.1 gives 1101.
    const QString text = QString::number(major) + QStringLiteral("%1").arg(minor, 2, 10, QLatin1Char('0'));
    return text.toInt();
}

QUrl VQPublicUtilities::homePageForUrl(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return QUrl();
    QUrl home;
    home.setScheme(QStringLiteral("http"));
    home.setHost(url.host());
    if (url.port() != -1)
        home.setPort(url.port());
    home.setPath(QStringLiteral("/"));
    return home;
}

int VQPublicUtilities::probeHomePage(const QUrl &homePage, int timeoutMs)
{
    if (!homePage.isValid() || homePage.host().isEmpty())
        return 0;
    // Without the network module there is no network to speak of.
    const NetworkModuleInterface *network = NetworkModule::get();
    return network ? network->probe(homePage, timeoutMs) : 0;
}

int VQPublicUtilities::isCanBeUseNetWork()
{
    const QUrl home = homePageForUrl(QUrl(VQLinkUrl::GetUrl(QStringLiteral("IniURL"))));
    if (home.isEmpty())
        return 0;
    return probeHomePage(home, kProbeTimeoutMs);
}

QString VQPublicUtilities::convertVolSpace(quint64 size)
{
    return sizeText(double(size), false);
}

QString VQPublicUtilities::longlongDiskSize(qint64 size)
{
    return sizeText(double(size), true);
}

QString VQPublicUtilities::longlongConvertVolSpace(qint64 size)
{
    return longlongDiskSize(size);
}

int VQPublicUtilities::isMoreThan2GB(qint64 size)
{
    // The threshold is 200 MB-units, whatever the name says; callers rely on the number.
    return size >= 1000000 && size / 1000000 > 200 ? 1 : 0;
}

quint64 VQPublicUtilities::volSpaceFromString(const QString &text)
{
    // A text too short to carry a unit names no size (and must not be cut below nothing).
    if (text.size() < 2)
        return 0;
    const float value = leadingFloat(text.left(text.size() - 2));
    if (text.endsWith(QLatin1String("KB")))
        return truncateToCount(value * 1000.0f);
    if (text.endsWith(QLatin1String("MB")))
        return truncateToCount(value * 1000000.0f);
    if (text.endsWith(QLatin1String("GB")))
        return truncateToCount(value * 1000000000.0f);
    if (text.endsWith(QLatin1String("TB")))
        return truncateToCount(value * 1000000000000.0f);
    return 0;
}

QString VQPublicUtilities::fileSystemTypeForInt(int type, int withIsDmg)
{
    if (withIsDmg != 0)
        return QStringLiteral("Disk Image");
    static const char *const names[] = {"FAT12", "FAT16", "FAT32", "NTFS", "EXT2",
                                        "EXT3",  "RAW",   "EXFAT", "HFS+", "Unknown"};
    if (type < 0 || type >= int(std::size(names)))
        return QStringLiteral("Disk");
    return QString::fromLatin1(names[type]);
}

QDateTime VQPublicUtilities::convertDateFromString(const QString &text)
{
    const QLocale locale;
    const QString format = locale.dateFormat(QLocale::LongFormat) + QLatin1Char(' ')
        + locale.timeFormat(QLocale::ShortFormat);
    return locale.toDateTime(text, format);
}

QString VQPublicUtilities::getIsFristLoad()
{
    const std::optional<QVariantMap> settings = readStringMessage();
    return settings ? settings->value(QStringLiteral("ISFrist")).toString() : QString();
}

void VQPublicUtilities::setIsFristLoad()
{
    writeStringMessageValue(QStringLiteral("ISFrist"), QStringLiteral("NO"));
}

QVariant VQPublicUtilities::getInstallVersion()
{
    const std::optional<QVariantMap> settings = readStringMessage();
    return settings ? settings->value(QStringLiteral("INSTALL_VERSION")) : QVariant();
}

int VQPublicUtilities::isZeltoVer()
{
    const std::optional<QVariantMap> settings = readStringMessage();
    return settings && settings->contains(QStringLiteral("Zelto")) ? 1 : 0;
}

QString VQPublicUtilities::getUpDataTimeStr()
{
    const std::optional<QVariantMap> settings = readStringMessage();
    return settings ? settings->value(QStringLiteral("upDataTimeStr")).toString() : QString();
}

void VQPublicUtilities::writeUpDataTimeStr(const QString &text)
{
    writeStringMessageValue(QStringLiteral("upDataTimeStr"), text);
}
