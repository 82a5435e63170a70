#include "FileObj.h"

#include "NSFileManagerUtils.h"

#include <QFile>

#include <sys/stat.h>

void FileObj::setIsSymbolicLink()
{
    m_isSymbolicLink = isFileSymbolicLink(m_url);
}

void FileObj::setIsSSD()
{
    m_isSSD = NSFileManagerUtils::isSolidState(QFile::encodeName(m_url).constData());
}

bool FileObj::isFileSymbolicLink(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISLNK(info.st_mode);
}
