#pragma once

// A copy of the built bundle for the window benchmarks, so nothing they write lands in the build tree.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>

namespace benchbundle {

inline bool copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir() && !it.fileInfo().isSymLink()) {
            QDir().mkpath(target);
        } else if (!QFile::copy(source, target)) {
            return false;
        }
    }
    return true;
}

} // namespace benchbundle
