#include "FileListAdder.h"

#include "RootFolder.h"
#include "SolidStateCache.h"
#include "platform/Log.h"
#include "platform/NativePath.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QSet>
#include <QStorageInfo>

#include <sys/stat.h>

namespace {

FileListAdder::FileSystemTypeSource &fileSystemTypeSource()
{
    static FileListAdder::FileSystemTypeSource source;
    return source;
}

// The item itself as it stands on disk: a link is a link, whatever it points to.
bool examineItem(const QString &path, struct stat &info)
{
    const std::optional<QByteArray> bytes = NativePath::encode(path);
    return bytes && ::lstat(bytes->constData(), &info) == 0;
}

} // namespace

FileListAdder::Outcome FileListAdder::add(FileObjList &list, const QStringList &paths)
{
    if (paths.isEmpty())
        return {};
    if (const std::optional<NTFSVolume::Mount> ntfs = ntfsVolumeForPath(paths.first()))
        return {Outcome::OnNTFS, ntfs->readOnly};
    if (!addPaths(list, paths))
        return {Outcome::RefusedRoot, false};
    return {};
}

bool FileListAdder::addPaths(FileObjList &list, const QStringList &paths)
{
    // One look-up per path however long the list: the same exact string comparison as before.
    QSet<QString> listed;
    listed.reserve(list.size() + paths.size());
    for (const FileObjPtr &item : list)
        listed.insert(item->url());
    SolidStateCache solidState;
    for (const QString &path : paths) {
        // However "/" is written or reached, it would hand the whole system to the eraser.
        if (RootFolder::isRootPath(path))
            return false;
        if (listed.contains(path))
            continue;
        listed.insert(path);
        struct stat disk
        {
        };
        const bool exists = examineItem(path, disk);
        const bool isDir = exists && S_ISDIR(disk.st_mode);
        FileObjPtr item = buildItem(path, isDir, exists ? &disk : nullptr, solidState);
        if (isDir)
            item->setSize(0);
        list.append(item);
    }
    return true;
}

FileObjPtr FileListAdder::buildFileObj(const QString &path, bool isDir)
{
    struct stat disk
    {
    };
    const bool exists = examineItem(path, disk);
    SolidStateCache solidState;
    return buildItem(path, isDir, exists ? &disk : nullptr, solidState);
}

FileObjPtr FileListAdder::buildItem(const QString &path, bool isDir, const struct stat *disk,
                                    SolidStateCache &solidState)
{
    auto item = std::make_shared<FileObj>();
    const QFileInfo info(path);
    item->setName(info.fileName());
    item->setUrl(path);
    item->setSize(disk ? qint64(disk->st_size) : 0);
    item->setIcon(iconFor(info, isDir));
    item->setType(isDir ? QStringLiteral("Folder") : info.suffix());
    item->setIsDir(isDir);
    item->setIsSelect(true);
    item->setIsSymbolicLink(disk && S_ISLNK(disk->st_mode));
    item->setIsSSD(disk && solidState.isSolidStateDevice(disk->st_dev));
    return item;
}

QIcon FileListAdder::iconFor(const QFileInfo &info, bool isDir)
{
    static QFileIconProvider provider;
    if (isDir) {
        static const QIcon folder = provider.icon(QFileIconProvider::Folder);
        return folder;
    }
    if (info.suffix() == QStringLiteral("app"))
        return provider.icon(info);
    // One look-up per type, not per item: long lists share a few extensions.
    static QHash<QString, QIcon> byType;
    const QString suffix = info.suffix().toLower();
    const auto known = byType.constFind(suffix);
    if (known != byType.constEnd())
        return *known;
    static QMimeDatabase mimes;
    const QMimeType type =
        mimes.mimeTypeForFile(QStringLiteral("x.") + suffix, QMimeDatabase::MatchExtension);
    const QIcon icon = QIcon::fromTheme(type.iconName(), provider.icon(QFileIconProvider::File));
    byType.insert(suffix, icon);
    return icon;
}

void FileListAdder::setFileSystemTypeSource(FileSystemTypeSource source)
{
    fileSystemTypeSource() = std::move(source);
}

QString FileListAdder::fileSystemTypeForPath(const QString &path)
{
    if (fileSystemTypeSource())
        return fileSystemTypeSource()(path);
    const QStorageInfo storage(path);
    return storage.isValid() ? QString::fromLatin1(storage.fileSystemType()) : QString();
}

std::optional<NTFSVolume::Mount> FileListAdder::ntfsVolumeForPath(const QString &path)
{
    // A type given by the seam is all there is to know; the real mount also brings its device
    // (ntfs-3g's "fuseblk" names no file system) and whether it is read-only.
    const NTFSVolume::Mount mount = fileSystemTypeSource()
                                        ? NTFSVolume::Mount{fileSystemTypeSource()(path), QString(), false}
                                        : NTFSVolume::mountOf(path);
    if (!NTFSVolume::isNTFS(mount))
        return std::nullopt;
    return mount;
}

void FileListAdder::logVolumeOf(const QString &path)
{
    const QStorageInfo storage(path);
    const QString type = fileSystemTypeForPath(path);
    platform::logf("Result:%i Volume: %s, Removable:%i, W:%i, Unmountable:%i, Desc:%s, type:%s",
                   int(!type.isEmpty()), qUtf8Printable(path), 0, int(!storage.isReadOnly()),
                   int(storage.isValid() && storage.rootPath() != QStringLiteral("/")),
                   qUtf8Printable(storage.displayName()), qUtf8Printable(type));
}
