#include "FileObj.h"

#include "NSFileManagerUtils.h"

#include "platform/NativePath.h"

#include <sys/stat.h>

void FileObj::setIsSymbolicLink()
{
    m_isSymbolicLink = isFileSymbolicLink(m_url);
}

void FileObj::setIsSSD()
{
    m_isSSD = NSFileManagerUtils::isSolidState(NativePath::encodeOrEmpty(m_url).constData());
}

bool FileObj::isFileSymbolicLink(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat info {};
    if (::lstat(NativePath::encodeOrEmpty(path).constData(), &info) != 0)
        return false;
    return S_ISLNK(info.st_mode);
}
