#pragma once

#include <QByteArray>
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
    ~AnchoredPath();
    AnchoredPath(const AnchoredPath &) = delete;
    AnchoredPath &operator=(const AnchoredPath &) = delete;

    // Whether the holding folder is open; otherwise error() says why.
    bool isOpen() const { return m_folderFd >= 0; }
    int error() const { return m_error; }
    // One line for the log: the path and why the last call failed.
    QString failureText() const;
    int folderFd() const { return m_folderFd; }
    const char *leaf() const { return m_leaf.constData(); }

    // The entry itself, never what a link names. False with error() set.
    bool examine(struct stat &info);
    // Removes a non-folder entry (a link goes, its target stays) or an empty folder, then checks
    // that the name is gone.
    bool removeEntry(bool isFolder);
    // Whether nothing is left under the name. A path that cannot be walked is not known to be gone.
    bool isGone();
    // The entry opened as a folder, not following a link; -1 with error() set.
    int openFolder();
    // Opens the entry for writing without following a link or blocking on a FIFO; -1 with error()
    // set.
    int openForWriting();
    // Owner read and write, on the entry itself.
    bool makeOwnerWritable();

    static bool isGone(const QString &path);

private:
    bool fail(int error);

    int m_folderFd = -1;
    int m_error = 0;
    QString m_path;
    QByteArray m_leaf;
    QString m_reason; // why the walk refused the path, when it did
};
