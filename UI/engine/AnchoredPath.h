#pragma once

#include "base/Descriptor.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/stat.h>

// The folder that holds an item, opened one component at a time from "/" without following a
// single link, and the item's own name in it. What is done through it (examine, remove, open)
// lands on that folder's entry and nowhere else, even when some folder on the way was swapped for
// a link after the path was written down: the walk then stops with ELOOP.
class AnchoredPath
{
public:
    explicit AnchoredPath(const QString &path);
    AnchoredPath(const AnchoredPath &) = delete;
    AnchoredPath &operator=(const AnchoredPath &) = delete;

    // Whether the holding folder is open; otherwise error() says why.
    bool isOpen() const { return m_folder.valid(); }
    int error() const { return m_error; }
    // One line for the log: the path and why the last call failed.
    QString failureText() const;
    int folderFd() const { return m_folder.get(); }
    const char *leaf() const { return m_leaf.constData(); }

    // The entry itself, never what a link names. False with error() set; ENOTDIR when the path
    // ended in a slash (which asks for a folder) and the entry is not one.
    bool examine(struct stat &info);
    // Why nothing may be written where the entry lies (a system file system such as sysfs or
    // efivarfs), or empty when it may; judged without opening the entry for anything.
    QString systemFileSystemReason();
    // Removes a non-folder entry (a link goes, its target stays) or an empty folder, then checks
    // that the name is gone.
    bool removeEntry(bool isFolder);
    // Whether nothing is left under the name. A path that cannot be walked is not known to be gone.
    bool isGone();
    // The entry opened as a folder, not following a link; not valid with error() set.
    base::Descriptor openFolder();
    // Opens the entry for writing without following a link or blocking on a FIFO; not valid with
    // error() set.
    base::Descriptor openForWriting();
    // Owner read and write, on the entry itself.
    bool makeOwnerWritable();

    static bool isGone(const QString &path);

private:
    bool fail(int error);
    // Opens the folder the parts lead to from "/", following no link; not valid with error() set.
    base::Descriptor walk(const QList<QByteArray> &parts);

    base::Descriptor m_folder;
    int m_error = 0;
    QString m_path;
    QByteArray m_leaf;
    QString m_reason; // why the walk refused the path, when it did
    bool m_mustBeFolder = false;
};
