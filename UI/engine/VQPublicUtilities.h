#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QVariantMap>
#include <optional>

// The main program's small services: product name, erasure-method name, system version, network
// probe, size texts, file-system names, and the few keys of the settings list "StringMessage" that
// the main program reads and writes. Class methods only; nothing is kept between calls.
class VQPublicUtilities
{
public:
    VQPublicUtilities() = delete;

    // The settings list in the main bundle's resources, read whole on every call; nothing when the
    // file is missing or broken.
    static QString stringMessagePath();
    static std::optional<QVariantMap> readStringMessage();
    // Sets one key and writes the whole list back atomically. A list that cannot be read is left
    // alone (the write is lost rather than replacing the file with a one-key list).
    static bool writeStringMessageValue(const QString &key, const QVariant &value);

    static QString getProductName();
    // The name of the erasure method chosen by the user default "EraserTimes" (the pass count).
    static QString getEraserTimes();
    static QString eraserTimesNameForCount(int count);

    // major x 100 + minor, e.g. 12.0 gives 1200 and 22.04 gives 2204.
    static int getSystemVersion();
    // The running system's release from os-release's VERSION_ID; 10.0.0 when it cannot be read.
    // Any pointer may be null.
    static void getSystemVersionMajor(quint32 *major, quint32 *minor, quint32 *bugFix);
    // Tests point the release file elsewhere; an empty path restores the system's files.
    static void setOsReleasePathOverride(const QString &path);

    // 1 when the home page of the host of the link "IniURL" answers a plain HTTP request within
    // five seconds, else 0. Blocks the calling thread; safe on any thread.
    static int isCanBeUseNetWork();
    // The probe itself: one GET of the given address, 1 when any answer came back in time.
    static int probeHomePage(const QUrl &homePage, int timeoutMs);
    // The plain-HTTP home page of the host named by an address; empty when it names no host.
    static QUrl homePageForUrl(const QUrl &url);

    static QString convertVolSpace(quint64 size);
    static QString longlongDiskSize(qint64 size);
    static QString longlongConvertVolSpace(qint64 size);
    static int isMoreThan2GB(qint64 size);
    static quint64 volSpaceFromString(const QString &text);
    static QString fileSystemTypeForInt(int type, int withIsDmg);
    // The text in the user's locale, long date and short time; an invalid date when it does not parse.
    static QDateTime convertDateFromString(const QString &text);

    static QString getIsFristLoad();
    static void setIsFristLoad();
    static QVariant getInstallVersion();
    static int isZeltoVer();
    static QString getUpDataTimeStr();
    static void writeUpDataTimeStr(const QString &text);
};
