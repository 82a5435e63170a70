#pragma once

#include "common/LoopImage.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport {

// What a person erases on a real file system, for a search of the raw device afterwards: a folder
// of 40 files erased whole, and a file erased from a folder that stays. Each of the 40 files has
// content, some have a short (kept in the inode) and a long (a block of its own) extended attribute
// value; the file in the kept folder has both. Everything is written home (unmount, mount) before
// the erasure, as it is for files that have been on the disk a while. A file that stays beside the
// erased one is the control: its name must still be found.
class ForensicScene
{
public:
    // The image is made at once; check ready() (error() says why not).
    // type: "ext4" (as made for a disk) or "xfs". With bareEntries, the erased folder also holds
    // what has nothing to overwrite (an empty file, a link, a sub-folder with an empty file in
    // it), and an empty file and a link are chosen beside the kept file; all named with the marker.
    ForensicScene(const QString &folder, const QString &type, bool bareEntries = false);

    bool ready() const { return m_ready; }
    QString error() const;

    // The file in the kept folder and the whole folder: what the person chose.
    QStringList chosen() const;
    // Every file, the kept one first; the erased folder comes after its files in a work list.
    QStringList files() const;
    QString erasedFolder() const { return m_erasedFolder; }

    // Searched on the unmounted image.
    struct Traces
    {
        LoopImage::Copies content, names, values, control;
    };
    Traces search();
    static std::string describe(const Traces &traces);
    // Searches, prints the counts under the label, and expects no copy of content, names or
    // values: anywhere on ext4, outside the log on XFS (which writes its log over in its own time).
    // The control must be found, or the search proves nothing.
    void expectNothingLeft(const std::string &label, const QString &type);

private:
    LoopImage m_image;
    QByteArray m_content;
    QByteArray m_name;
    QByteArray m_value;
    QByteArray m_control;
    QString m_erasedFolder;
    QString m_keptFile;
    QStringList m_keptBare;
    QStringList m_files;
    QString m_error;
    bool m_ready = false;
};

} // namespace testsupport
