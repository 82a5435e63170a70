#pragma once

#include "FileObj.h"

#include <QByteArray>
#include <QSet>

#include <sys/types.h>

// Turns the items a person chose into the flat list the erasure worker goes through: every entry
// below a chosen folder, each folder's contents before the folder, the chosen item itself last.
//
// It erases exactly what was chosen: entries are examined without following links, so a link,
// chosen or found, is listed as the link itself (with its own size) and its target is never
// reached; a loop of links cannot occur. It never leaves the chosen folder's file system: a mount
// point found inside (another file system, or a bind mount of this one) is listed with a refusal,
// so the worker leaves it alone and the run reports it failed. The root folder is never entered.
//
// It touches no widget and keeps no state between calls, so it may run on any thread; the chosen
// records are only read, and the records it makes are new.
class WorkListBuilder
{
public:
    // How mount points are recognised: the kernel marks the root of every mount (Linux 5.8 and
    // later), or, before that, their paths are looked up in this process's mount table.
    enum class MountPoints { Marked, ByTable };

    // Uses the marks when the kernel gives them.
    WorkListBuilder();
    explicit WorkListBuilder(MountPoints mountPoints);

    // The work list for the chosen items, in their order.
    FileObjList build(const FileObjList &chosen) const;
    // Appends what lies below the folder, children before their folder, but not the folder itself.
    // Nothing is appended when the folder cannot be opened as a folder without following a link.
    void expandFolder(const FileObjPtr &folder, FileObjList &workList) const;

    // The reason a mount point found inside a chosen folder is left alone.
    static QString mountPointRefusal(const QString &path);

private:
    bool isRoot(dev_t device, ino_t inode) const { return device == m_rootDevice && inode == m_rootInode; }

    dev_t m_rootDevice = 0;
    ino_t m_rootInode = 0;
    MountPoints m_mountPointSource = MountPoints::Marked;
    QSet<QByteArray> m_mountPointPaths;
};
