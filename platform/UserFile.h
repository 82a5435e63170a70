#pragma once

#include "platform/InvokingUser.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/types.h>

// Files of the person we act for. A process that is root on someone's behalf must not let that
// person steer its writes through a link, so below the person's home (or below "/" elsewhere)
// every folder and the file itself are opened without following links, each step relative to the
// one before; a link on the way is refused with a log line. What is written is handed to the
// person through its open descriptor, and folders made on the way belong to them.
// Without such a person (a process of its own user) files are read and written as usual.
class UserFile
{
public:
    struct Options
    {
        // Missing folders on the way are made (mode 0700, owned by the person).
        bool createFolders = false;
        mode_t mode = 0600;
        // The file is made by a child that has become the person, so it lands only where they
        // may write themselves (a place the person chose, not one of ours).
        bool withOwnersRights = false;
    };

    // Replaces the file at the absolute path as a whole or leaves it as it was; false (with a log
    // line) when it could not. For the person of InvokingUser::find() when there is one.
    static bool writeAtomically(const QString &path, const QByteArray &bytes, const Options &options);
    static bool writeAtomically(const InvokingUser &owner, const QString &path, const QByteArray &bytes,
                                const Options &options);

    // The content of a regular file no larger than maxSize; nothing when it is missing, is not a
    // regular file, is larger, or lies behind a link. For a person, also nothing (with a log line)
    // when the file is not theirs or has more than one name; such a file is never replaced either.
    static std::optional<QByteArray> read(const QString &path, qint64 maxSize);
    static std::optional<QByteArray> read(const InvokingUser &owner, const QString &path, qint64 maxSize);
};
