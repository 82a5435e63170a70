#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <vector>

class IFileNode;

// A Windows file time: 100-nanosecond intervals since 1 January 1601, UTC.
struct _FILETIME
{
    quint64 value = 0;
};

// Seconds since 1 January 1970 (UTC); the fraction of a second is dropped. Times before 1970 are
// negative.
qint64 convertWindowsTimeToUnixTime(_FILETIME fileTime);

// Helpers for readers of foreign file systems and for work that reports back to the main thread.
class VQUIPublic
{
public:
    VQUIPublic() = delete;

    static QString FormatFileTimeToString(_FILETIME fileTime);
    // Stores the local four-digit year and the month 1 to 12 into whichever pointer is given.
    static void GetYearAndMonthByFileTime(int *year, int *month, _FILETIME fileTime);

    // Runs the work on a worker thread of its own and, once it has returned, posts the named
    // notification on the main thread (object: postingObject()). Returns at once.
    static void NotifyMainThreadByPostKey(const QString &name, std::function<void()> work);
    // Has the main thread post the notification later; does not wait.
    static void NotifyMainThread(const QString &name);
    static void NotifyMainThreadCB(const QString &name);
    // The object the notifications above are posted with.
    static const void *postingObject();

    // Case-insensitive; an absent or empty needle is found everywhere, even in an absent haystack.
    static bool IsStringInString(const char *needle, const char *haystack);
    // Searches the names of the files below the node (a folder's own name is never tested).
    static bool IsStringInFileNode(const char *needle, IFileNode *node);
    // Tests the names of the nodes themselves, in order.
    static bool IsStringInFileNodeVector(const char *needle, const std::vector<IFileNode *> *nodes);
    // "/root/folder/file" for a node below a file-system root.
    static QString GetPathByFileNode(IFileNode *node);
    static QString GetFileSystemStrByType(int type);
};
