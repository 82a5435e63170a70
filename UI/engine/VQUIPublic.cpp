#include "VQUIPublic.h"

#include "IFilesystemNode.h"
#include "platform/NotificationCenter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QThread>

#include <ctime>

namespace {

constexpr quint64 kIntervalsPerSecond = 10000000ULL;
constexpr qint64 kSecondsFrom1601To1970 = 11644473600LL;

QString fromUtf8OrEmpty(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

qint64 convertWindowsTimeToUnixTime(_FILETIME fileTime)
{
    return static_cast<qint64>(fileTime.value / kIntervalsPerSecond) - kSecondsFrom1601To1970;
}

QString VQUIPublic::FormatFileTimeToString(_FILETIME fileTime)
{
    // Taken as signed: a time before 1970 is shown as that date rather than wrapping around to
    // a date hundreds of billions of years away.
    const QDateTime when = QDateTime::fromSecsSinceEpoch(convertWindowsTimeToUnixTime(fileTime)).toLocalTime();
    const QLocale locale;
    return locale.toString(when.date(), QLocale::LongFormat) + QLatin1Char(' ')
        + locale.toString(when.time(), QLocale::ShortFormat);
}

void VQUIPublic::GetYearAndMonthByFileTime(int *year, int *month, _FILETIME fileTime)
{
    const time_t seconds = static_cast<time_t>(convertWindowsTimeToUnixTime(fileTime));
    tm parts{};
    if (!localtime_r(&seconds, &parts))
        return;
    if (year)
        *year = parts.tm_year + 1900;
    if (month)
        *month = parts.tm_mon + 1;
}

const void *VQUIPublic::postingObject()
{
    static const char tag = 0;
    return &tag;
}

void VQUIPublic::NotifyMainThreadByPostKey(const QString &name, std::function<void()> work)
{
    // A thread per request, like a fresh queue per request: a slow job never holds up another.
    QThread *thread = QThread::create([name, work = std::move(work)] {
        if (work)
            work();
        NotifyMainThread(name);
    });
    if (QCoreApplication *app = QCoreApplication::instance()) {
        thread->moveToThread(app->thread());
        QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    }
    thread->start();
}

void VQUIPublic::NotifyMainThread(const QString &name)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, [name] { NotifyMainThreadCB(name); }, Qt::QueuedConnection);
}

void VQUIPublic::NotifyMainThreadCB(const QString &name)
{
    NotificationCenter::defaultCenter().postNotification(name, postingObject());
}

bool VQUIPublic::IsStringInString(const char *needle, const char *haystack)
{
    if (!needle || !*needle)
        return true;
    if (!haystack)
        return false;
    return QString::fromUtf8(haystack).contains(QString::fromUtf8(needle), Qt::CaseInsensitive);
}

bool VQUIPublic::IsStringInFileNode(const char *needle, IFileNode *node)
{
    if (!needle || !*needle)
        return true;
    if (!node)
        return false;
    if (node->IsFolder() == 0)
        return IsStringInString(needle, node->GetName());
    for (IFileNode *child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (IsStringInFileNode(needle, child))
            return true;
    }
    return false;
}

bool VQUIPublic::IsStringInFileNodeVector(const char *needle, const std::vector<IFileNode *> *nodes)
{
    if (!needle || !*needle)
        return true;
    if (!nodes)
        return false;
    for (IFileNode *node : *nodes) {
        if (node && IsStringInString(needle, node->GetName()))
            return true;
    }
    return false;
}

QString VQUIPublic::GetPathByFileNode(IFileNode *node)
{
    QString path;
    if (!node)
        return path;
    for (IFileNode *current = node; current; current = current->GetParent()) {
        QString contribution;
        if (current->GetParent())
            contribution = fromUtf8OrEmpty(current->GetName());
        else if (auto *root = dynamic_cast<IFilesystemNode *>(current))
            contribution = fromUtf8OrEmpty(root->GetRootName());
        // A plain node at the top stands for an unnamed root: it adds only the leading slash.
        path = QLatin1Char('/') + contribution + path;
    }
    return path;
}

QString VQUIPublic::GetFileSystemStrByType(int type)
{
    switch (type) {
    case 31: return QStringLiteral("HFS+_");
    case 32: return QStringLiteral("Fat_");
    case 33: return QStringLiteral("ExFat_");
    case 34: return QStringLiteral("RAW_");
    default: return QString();
    }
}
