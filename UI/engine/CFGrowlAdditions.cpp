#include "CFGrowlAdditions.h"

#include "platform/Bundle.h"
#include "platform/Log.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QMutex>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QXmlStreamReader>
#include <QtEndian>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

// Families as they appear in the portable address layout.
constexpr quint8 kFamilyIPv4 = 2;
constexpr quint8 kFamilyIPv6 = 30;
constexpr int kIPv4Length = 16; // length, family, port, 4 address bytes, 8 zero bytes
constexpr int kIPv6Length = 28; // length, family, port, flow, 16 address bytes, scope
constexpr qint64 kCopyBufferSize = 5242880;
constexpr int kMaxNameUnits = 255;
// Status of an item whose icon the theme cannot supply (no image under any of its names).
constexpr long kNoIconStatus = -ENOENT;

QString localPath(const QUrl &url)
{
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

QString describe(const QUrl &url)
{
    return url.toString();
}

struct FileCloser
{
    void operator()(FILE *file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// The whole of an open file, or nothing when a read fails part-way.
std::optional<QByteArray> readWhole(FILE *file)
{
    QByteArray bytes;
    char chunk[65536];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file);
        bytes.append(chunk, static_cast<qsizetype>(got));
        if (got < sizeof chunk)
            break;
    }
    if (std::ferror(file))
        return std::nullopt;
    return bytes;
}

QMutex g_iconMutex;
IconImageSource g_iconSource;

QStringList themeRoots()
{
    QStringList roots{QDir::homePath() + QStringLiteral("/.icons")};
    roots += QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                       QStandardPaths::LocateDirectory);
    if (!roots.contains(QStringLiteral("/usr/share/icons")))
        roots << QStringLiteral("/usr/share/icons");
    return roots;
}

// Every image the installed icon themes hold under the name, one per size folder.
QList<QImage> themeImages(const QString &iconName)
{
    QList<QImage> images;
    for (const QString &theme : {QStringLiteral("Adwaita"), QStringLiteral("hicolor")}) {
        for (const QString &root : themeRoots()) {
            const QDir themeDir(root + QLatin1Char('/') + theme);
            if (!themeDir.exists())
                continue;
            for (const QString &sizeDir : themeDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                const QDir sized(themeDir.filePath(sizeDir));
                for (const QString &context : sized.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                    const QString png = sized.filePath(context + QLatin1Char('/') + iconName + QStringLiteral(".png"));
                    if (QFileInfo::exists(png)) {
                        QImage image(png);
                        if (!image.isNull())
                            images << image;
                    }
                }
            }
            if (!images.isEmpty())
                return images;
        }
    }
    return images;
}

// Element type of a PNG image of the given edge length in an icon family; none for other sizes.
const char *iconFamilyType(int edge)
{
    switch (edge) {
    case 16: return "icp4";
    case 32: return "icp5";
    case 64: return "icp6";
    case 128: return "ic07";
    case 256: return "ic08";
    case 512: return "ic09";
    case 1024: return "ic10";
    default: return nullptr;
    }
}

// An icon family of the images, each scaled to the nearest size the format knows.
QByteArray iconFamily(const QList<QImage> &images)
{
    std::map<int, QImage> bySize;
    for (const QImage &image : images) {
        int edge = 16;
        const int longest = std::max(image.width(), image.height());
        while (edge < longest && edge < 1024)
            edge *= 2;
        if (!bySize.count(edge) || std::max(bySize[edge].width(), bySize[edge].height()) < longest)
            bySize[edge] = image;
    }
    QByteArray body;
    for (const auto &[edge, image] : bySize) {
        const QImage fitted = (image.width() == edge && image.height() == edge)
            ? image
            : image.scaled(edge, edge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const QByteArray png = pngDataForImage(fitted);
        body.append(iconFamilyType(edge), 4);
        char length[4];
        qToBigEndian<quint32>(static_cast<quint32>(png.size() + 8), length);
        body.append(length, 4);
        body.append(png);
    }
    if (body.isEmpty())
        return body;
    QByteArray family("icns");
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(body.size() + 8), length);
    family.append(length, 4);
    family.append(body);
    return family;
}

// A sockaddr of the host's own layout from the portable one; false when the data is too short.
bool toSocketAddress(const QByteArray &data, sockaddr_storage *address, socklen_t *length)
{
    std::memset(address, 0, sizeof *address);
    if (data.size() < 2)
        return false;
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    if (bytes[1] == kFamilyIPv4 && data.size() >= 8) {
        auto *in = reinterpret_cast<sockaddr_in *>(address);
        in->sin_family = AF_INET;
        std::memcpy(&in->sin_port, bytes + 2, 2);
        std::memcpy(&in->sin_addr, bytes + 4, 4);
        *length = sizeof(sockaddr_in);
        return true;
    }
    if (bytes[1] == kFamilyIPv6 && data.size() >= 24) {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(address);
        in6->sin6_family = AF_INET6;
        std::memcpy(&in6->sin6_port, bytes + 2, 2);
        std::memcpy(&in6->sin6_flowinfo, bytes + 4, 4);
        std::memcpy(&in6->sin6_addr, bytes + 8, 16);
        if (data.size() >= kIPv6Length)
            std::memcpy(&in6->sin6_scope_id, bytes + 24, 4);
        *length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

QString pathOrNote(const QString &path, const char *what)
{
    if (QFileInfo::exists(path))
        return path;
    return QStringLiteral("(could not get path for %1: FSRefMakePath returned %2)").arg(QLatin1String(what)).arg(-ENOENT);
}

long errnoStatus()
{
    return errno ? -static_cast<long>(errno) : -EIO;
}

// The extended attributes of the file: its forks beside the data.
std::optional<QStringList> extendedAttributeNames(const QByteArray &path, long *status)
{
    const ssize_t size = ::llistxattr(path.constData(), nullptr, 0);
    if (size < 0) {
        if (errno == ENOTSUP)
            return QStringList();
        *status = errnoStatus();
        return std::nullopt;
    }
    QByteArray names(size, '\0');
    const ssize_t got = ::llistxattr(path.constData(), names.data(), names.size());
    if (got < 0) {
        *status = errnoStatus();
        return std::nullopt;
    }
    QStringList list;
    for (const QByteArray &name : names.left(got).split('\0')) {
        if (!name.isEmpty())
            list << QString::fromUtf8(name);
    }
    return list;
}

} // namespace

std::optional<QByteArray> createFileSystemRepresentationOfString(const QString &string)
{
    if (string.contains(QChar(0)))
        return std::nullopt;
    return QFile::encodeName(string);
}

QString createStringWithDate(const QDateTime &date)
{
    const QLocale locale;
    // The locale's short time form with seconds: the medium style of a date-and-time stamp.
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    if (!timeFormat.contains(QLatin1Char('s'))) {
        const qsizetype minutes = timeFormat.lastIndexOf(QStringLiteral("mm"));
        if (minutes >= 0)
            timeFormat.insert(minutes + 2, QStringLiteral(":ss"));
    }
    // The locale's long date without the weekday and with the month abbreviated.
    QString dateFormat = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("d{4}[^dMyG]*"));
    dateFormat.remove(weekday);
    dateFormat.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    const QDateTime local = date.toLocalTime();
    return locale.toString(local.date(), dateFormat.trimmed()) + QLatin1Char(' ')
        + locale.toString(local.time(), timeFormat);
}

std::optional<QString> createStringWithContentsOfFile(const QString &path, QStringConverter::Encoding encoding)
{
    const std::optional<QByteArray> nativePath = createFileSystemRepresentationOfString(path);
    if (!nativePath)
        return std::nullopt;
    FilePtr file(std::fopen(nativePath->constData(), "rb"));
    if (!file)
        return std::nullopt;
    const std::optional<QByteArray> bytes = readWhole(file.get());
    if (!bytes)
        return std::nullopt;
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(*bytes);
    const bool hasMark = marked && bytes->size() >= 2
        && (bytes->startsWith("\xEF\xBB\xBF") || bytes->startsWith("\xFF\xFE") || bytes->startsWith("\xFE\xFF"));
    QStringDecoder decoder(hasMark ? *marked : encoding);
    QString text = decoder.decode(*bytes);
    return text;
}

QString createStringWithStringAndCharacterAndString(const QString &a, char16_t c, const QString &b)
{
    QString result = a;
    if (c != 0xFFFF)
        result.append(QChar(c));
    result.append(b);
    return result;
}

QByteArray copyCString(const QString &string, QStringConverter::Encoding encoding)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(string);
}

std::optional<QByteArray> readFile(const char *path)
{
    if (!path)
        return std::nullopt;
    FilePtr file(std::fopen(path, "r"));
    if (!file)
        return std::nullopt;
    return readWhole(file.get());
}

std::optional<QString> copyCurrentProcessName()
{
    QFile comm(QStringLiteral("/proc/self/comm"));
    if (!comm.open(QIODevice::ReadOnly)) {
        platform::logf("in copyCurrentProcessName in CFGrowlAdditions: Could not get process name because CopyProcessName returned %li",
                       errnoStatus());
        return std::nullopt;
    }
    return QString::fromUtf8(comm.readAll()).trimmed();
}

std::optional<QUrl> copyCurrentProcessURL()
{
    char target[4096];
    const ssize_t length = ::readlink("/proc/self/exe", target, sizeof target - 1);
    if (length < 0) {
        platform::logf("in copyCurrentProcessURL in CFGrowlAdditions: Could not get application location, because GetProcessBundleLocation returned %li\n",
                       errnoStatus());
        return std::nullopt;
    }
    const QString executable = QFile::decodeName(QByteArray(target, static_cast<qsizetype>(length)));
    const QString bundle = Bundle::bundlePathForExecutable(executable);
    if (bundle.endsWith(QStringLiteral(".app")) && QFileInfo(bundle).isDir())
        return QUrl::fromLocalFile(bundle);
    return QUrl::fromLocalFile(executable);
}

std::optional<QString> copyCurrentProcessPath()
{
    const std::optional<QUrl> url = copyCurrentProcessURL();
    if (!url)
        return std::nullopt;
    return url->toLocalFile();
}

std::optional<QUrl> copyTemporaryFolderURL()
{
    // TMPDIR as the person set it, even when the folder has yet to be made.
    const QString fromEnvironment = qEnvironmentVariable("TMPDIR");
    const QString path = QDir::cleanPath(fromEnvironment.isEmpty() ? QStringLiteral("/tmp") : fromEnvironment);
    errno = 0;
    if (!QDir().mkpath(path) || !QFileInfo(path).isDir()) {
        platform::logf("in copyTemporaryFolderPath in CFGrowlAdditions: Could not locate temporary folder because FSFindFolder returned %li",
                       errnoStatus());
        return std::nullopt;
    }
    QUrl url = QUrl::fromLocalFile(QDir(path).absolutePath() + QLatin1Char('/'));
    return url;
}

std::optional<QString> copyTemporaryFolderPath()
{
    const std::optional<QUrl> url = copyTemporaryFolderURL();
    if (!url)
        return std::nullopt;
    QString path = url->toLocalFile();
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

std::optional<QUrl> copyURLForApplication(const QString &applicationName)
{
    QString wanted = applicationName;
    if (wanted.endsWith(QStringLiteral(".app")))
        wanted.chop(4);
    if (wanted.isEmpty())
        return std::nullopt;
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString entry = it.next();
            if (it.fileInfo().completeBaseName().compare(wanted, Qt::CaseInsensitive) == 0)
                return QUrl::fromLocalFile(entry);
            QSettings desktop(entry, QSettings::IniFormat);
            desktop.beginGroup(QStringLiteral("Desktop Entry"));
            if (desktop.value(QStringLiteral("Name")).toString().compare(wanted, Qt::CaseInsensitive) == 0)
                return QUrl::fromLocalFile(entry);
        }
    }
    return std::nullopt;
}

QString createStringWithAddressData(const QByteArray &addressData)
{
    const quint8 family = addressData.size() >= 2 ? static_cast<quint8>(addressData.at(1)) : 0;
    const auto *bytes = reinterpret_cast<const unsigned char *>(addressData.constData());
    char text[40];
    if (family == kFamilyIPv4) {
        // A short buffer would be read past its end; it cannot be shown, like a bad address.
        if (addressData.size() < 8 || !inet_ntop(AF_INET, bytes + 4, text, sizeof text))
            return QStringLiteral("IPv4 un-ntopable");
        return QStringLiteral("%1:%2").arg(QString::fromLatin1(text)).arg(qFromBigEndian<quint16>(bytes + 2));
    }
    if (family == kFamilyIPv6) {
        if (addressData.size() < 24 || !inet_ntop(AF_INET6, bytes + 8, text, sizeof text))
            return QStringLiteral("IPv6 un-ntopable");
        return QStringLiteral("[%1]:%2").arg(QString::fromLatin1(text)).arg(qFromBigEndian<quint16>(bytes + 2));
    }
    return QStringLiteral("neither IPv6 nor IPv4");
}

std::optional<QString> createHostNameForAddressData(const QByteArray &addressData)
{
    sockaddr_storage address;
    socklen_t length = 0;
    if (!toSocketAddress(addressData, &address, &length))
        return std::nullopt;
    char host[1025];
    if (::getnameinfo(reinterpret_cast<sockaddr *>(&address), length, host, sizeof host, nullptr, 0, NI_NAMEREQD) != 0)
        return std::nullopt;
    return QString::fromLatin1(host);
}

QByteArray pngDataForImage(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

IconImageSource setIconImageSource(IconImageSource source)
{
    QMutexLocker lock(&g_iconMutex);
    std::swap(g_iconSource, source);
    return source;
}

QStringList iconNamesForPath(const QString &path)
{
    QStringList names;
    const QFileInfo info(path);
    if (info.isDir()) {
        const QStorageInfo storage(path);
        if (storage.isValid() && QFileInfo(storage.rootPath()).canonicalFilePath() == info.canonicalFilePath()) {
            if (storage.device().startsWith("/dev/"))
                names << QStringLiteral("drive-removable-media");
            names << QStringLiteral("drive-harddisk");
        }
        names << QStringLiteral("folder");
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    names << type.iconName() << type.genericIconName();
    if (!info.isDir())
        names << QStringLiteral("text-x-generic");
    names.removeDuplicates();
    return names;
}

QList<QImage> iconImagesForNames(const QStringList &iconNames)
{
    IconImageSource source;
    {
        QMutexLocker lock(&g_iconMutex);
        source = g_iconSource;
    }
    for (const QString &name : iconNames) {
        const QList<QImage> images = source ? source(name) : themeImages(name);
        if (!images.isEmpty())
            return images;
    }
    return {};
}

std::optional<QByteArray> copyIconDataForPath(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    return copyIconDataForURL(QUrl::fromLocalFile(path));
}

std::optional<QByteArray> copyIconDataForURL(const QUrl &url)
{
    const QString path = localPath(url);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return std::nullopt;
    QList<QImage> images = iconImagesForNames(iconNamesForPath(path));
    if (images.isEmpty()) {
        platform::logf("in copyIconDataForURL in CFGrowlAdditions: could not get icon for %s: GetIconRefFromFileInfo returned %li\n",
                       qUtf8Printable(describe(url)), kNoIconStatus);
        return std::nullopt;
    }
    images.erase(std::remove_if(images.begin(), images.end(), [](const QImage &image) { return image.isNull(); }),
                 images.end());
    const QByteArray family = iconFamily(images);
    if (family.isEmpty()) {
        platform::logf("in copyIconDataForURL in CFGrowlAdditions: could not get icon for %s: IconRefToIconFamily returned %li\n",
                       qUtf8Printable(describe(url)), kNoIconStatus);
        return std::nullopt;
    }
    return family;
}

QImage imageFromIconData(const QByteArray &iconData)
{
    if (!iconData.startsWith("icns"))
        return QImage::fromData(iconData);
    QImage best;
    qsizetype offset = 8;
    const qsizetype end = std::min<qsizetype>(iconData.size(), qFromBigEndian<quint32>(iconData.constData() + 4));
    while (offset + 8 <= end) {
        const quint32 length = qFromBigEndian<quint32>(iconData.constData() + offset + 4);
        if (length < 8 || offset + length > end)
            break;
        const QImage image = QImage::fromData(iconData.mid(offset + 8, length - 8));
        if (!image.isNull() && image.width() > best.width())
            best = image;
        offset += length;
    }
    return best;
}

std::optional<QUrl> createURLByMakingDirectoryAtURLWithName(const std::optional<QUrl> &parentURL,
                                                            const std::optional<QString> &nameArg)
{
    std::optional<QString> parent = parentURL ? std::optional<QString>(localPath(*parentURL)) : std::nullopt;
    std::optional<QString> name = nameArg;
    if (!parent) {
        char cwd[1024];
        if (::getcwd(cwd, sizeof cwd))
            parent = QFile::decodeName(cwd);
        if (parent && !name)
            return QUrl::fromLocalFile(*parent + QLatin1Char('/'));
    } else if (!name) {
        QString directory = *parent;
        while (directory.size() > 1 && directory.endsWith(QLatin1Char('/')))
            directory.chop(1);
        const QFileInfo info(directory);
        name = info.fileName();
        parent = info.path();
    }
    if (!parent || parent->isEmpty()) {
        platform::log(QStringLiteral("in createURLByMakingDirectoryAtURLWithName in CFGrowlAdditions: parent directory URL is NULL (please tell the Growl developers)\n"));
        return std::nullopt;
    }
    if (!name || name->isEmpty()) {
        platform::log(QStringLiteral("in createURLByMakingDirectoryAtURLWithName in CFGrowlAdditions: name of directory to create is NULL (please tell the Growl developers)\n"));
        return std::nullopt;
    }
    if (!QFileInfo(*parent).isDir()) {
        platform::log(QStringLiteral("in createURLByMakingDirectoryAtURLWithName in CFGrowlAdditions: could not create FSRef for parent directory at %1 (please tell the Growl developers)\n")
                          .arg(QUrl::fromLocalFile(*parent).toString()));
        return std::nullopt;
    }

    // The name must name one entry of the parent: a slash or a dot name would reach elsewhere,
    // and a name longer than a file name may be cannot be made.
    long status = 0;
    const QString target = QDir(*parent).filePath(*name);
    if (name->contains(QLatin1Char('/')) || *name == QStringLiteral(".") || *name == QStringLiteral(".."))
        status = -EINVAL;
    else if (name->size() > kMaxNameUnits)
        status = -ENAMETOOLONG;
    else if (::mkdir(QFile::encodeName(target).constData(), 0777) != 0) {
        status = errnoStatus();
        // An existing folder of that name is the one asked for; an existing file is not a folder.
        if (status == -EEXIST)
            status = QFileInfo(target).isDir() ? 0 : -ENOTDIR;
    }
    if (status != 0) {
        platform::log(QStringLiteral("in createURLByMakingDirectoryAtURLWithName in CFGrowlAdditions: could not create directory '%1' in parent directory at %2: FSCreateDirectoryUnicode returned %3 (please tell the Growl developers)")
                          .arg(*name, QUrl::fromLocalFile(*parent).toString())
                          .arg(status));
        return std::nullopt;
    }
    platform::logf("PBCreateDirectoryUnicodeSync or PBMakeFSRefUnicodeSync returned %li; calling CFURLCreateFromFSRef", status);
    const QUrl url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath() + QLatin1Char('/'));
    platform::log(QStringLiteral("CFURLCreateFromFSRef returned %1").arg(url.toString()));
    return url;
}

std::optional<QUrl> createURLByCopyingFileFromURLToDirectoryURL(const QUrl &file, const QUrl &directory)
{
    const QString source = localPath(file);
    if (source.isEmpty() || !QFileInfo::exists(source)) {
        platform::log(QStringLiteral("in createURLByCopyingFileFromURLToDirectoryURL in CFGrowlAdditions: CFURLGetFSRef failed with source URL %1").arg(describe(file)));
        return std::nullopt;
    }
    const QString destination = localPath(directory);
    if (destination.isEmpty() || !QFileInfo::exists(destination)) {
        platform::log(QStringLiteral("in createURLByCopyingFileFromURLToDirectoryURL in CFGrowlAdditions: CFURLGetFSRef failed with destination URL %1").arg(describe(directory)));
        return std::nullopt;
    }
    QString newFile;
    const long status = GrowlCopyObjectSync(source, destination, &newFile);
    if (status != 0) {
        platform::log(QStringLiteral("in createURLByCopyingFileFromURLToDirectoryURL in CFGrowlAdditions: CopyObjectSync returned %1 for source URL %2")
                          .arg(status)
                          .arg(describe(file)));
        return std::nullopt;
    }
    return QUrl::fromLocalFile(newFile);
}

long GrowlCopyObjectSync(const QString &source, const QString &destinationDirectory, QString *newFile)
{
    constexpr long kEndOfForks = -1417;
    long status = 0;
    // The data fork first, then every extended attribute, like an iteration over the file's forks.
    QStringList forks{QString()};
    const std::optional<QStringList> attributes = extendedAttributeNames(QFile::encodeName(source), &status);
    if (attributes)
        forks += *attributes;
    else
        forks.clear();
    long result = 0;
    for (qsizetype index = 0;; ++index) {
        const long step = index < forks.size() ? 0 : (attributes ? kEndOfForks : status);
        platform::logf("PBIterateForksSync returned %li", step);
        if (step == kEndOfForks)
            break;
        if (step != 0) {
            platform::logf("in GrowlCopyObjectSync in CFGrowlAdditions: PBIterateForksSync returned %li", step);
            return step;
        }
        result = copyFork(forks.at(index), source, destinationDirectory, QString(), newFile);
        if (result != 0)
            return result;
    }
    return result;
}

long copyFork(const QString &forkName, const QString &source, const QString &destinationDirectory,
              const QString &destinationName, QString *newFile)
{
    const QByteArray sourcePath = QFile::encodeName(source);
    const QString sourceText = pathOrNote(source, "source file");
    const bool dataFork = forkName.isEmpty();
    const QByteArray attribute = forkName.toUtf8();

    // Open the source fork.
    int sourceFd = -1;
    QByteArray attributeValue;
    long status = 0;
    if (dataFork) {
        sourceFd = ::open(sourcePath.constData(), O_RDONLY | O_CLOEXEC);
        if (sourceFd < 0)
            status = errnoStatus();
    } else {
        const ssize_t size = ::lgetxattr(sourcePath.constData(), attribute.constData(), nullptr, 0);
        if (size >= 0) {
            attributeValue.resize(size);
            const ssize_t got = ::lgetxattr(sourcePath.constData(), attribute.constData(), attributeValue.data(), size);
            if (got < 0)
                status = errnoStatus();
            else
                attributeValue.truncate(got);
        } else {
            status = errnoStatus();
        }
    }
    if (status != 0) {
        platform::logf("in copyFork in CFGrowlAdditions: PBOpenForkSync (source: %s) returned %li", qUtf8Printable(sourceText), status);
        return status;
    }
    auto closeSource = [&]() -> long {
        if (sourceFd >= 0 && ::close(sourceFd) != 0)
            return errnoStatus();
        sourceFd = -1;
        return 0;
    };

    // The settable catalog information: permissions and times.
    struct stat sourceInfo {};
    if (::stat(sourcePath.constData(), &sourceInfo) != 0) {
        status = errnoStatus();
        platform::logf("in copyFork in CFGrowlAdditions: PBGetCatalogInfoSync (source: %s) returned %li", qUtf8Printable(sourceText), status);
        closeSource();
        return status;
    }
    const QString name = destinationName.isEmpty() ? QFileInfo(source).fileName() : destinationName;
    const QString destination = QDir(destinationDirectory).filePath(name);
    const QByteArray destinationPath = QFile::encodeName(destination);

    // Find or make the destination file.
    const char *failedCall = nullptr;
    struct stat existing {};
    if (::lstat(destinationPath.constData(), &existing) != 0 && errno != ENOENT) {
        status = errnoStatus();
        failedCall = "PBMakeFSRefUnicodeSync";
    } else {
        const int fd = ::open(destinationPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, sourceInfo.st_mode & 07777);
        if (fd >= 0) {
            ::close(fd);
        } else if (errno != EEXIST) {
            status = errnoStatus();
            failedCall = "PBCreateFileUnicodeSync";
        }
    }
    if (failedCall) {
        platform::logf("in copyFork in CFGrowlAdditions: %s (destination: %s/%s) returned %li", failedCall,
                       qUtf8Printable(pathOrNote(destinationDirectory, "destination directory")), qUtf8Printable(name), status);
        closeSource();
        return status;
    }
    if (newFile)
        *newFile = destination;

    // Open the same fork of the destination.
    int destinationFd = -1;
    if (dataFork) {
        destinationFd = ::open(destinationPath.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        status = destinationFd < 0 ? errnoStatus() : 0;
    }
    platform::logf("in copyFork in CFGrowlAdditions: PBOpenForkSync (dest) returned %li", status);
    const QString destinationText = pathOrNote(destination, "dest file");
    if (status != 0) {
        platform::logf("in copyFork in CFGrowlAdditions: PBOpenForkSync (destination: %s) returned %li", qUtf8Printable(destinationText), status);
        closeSource();
        return status;
    }

    if (dataFork) {
        QByteArray buffer;
        try {
            buffer.resize(kCopyBufferSize);
        } catch (const std::bad_alloc &) {
            buffer.clear();
        }
        while (status == 0 && !buffer.isEmpty()) {
            const ssize_t got = ::read(sourceFd, buffer.data(), buffer.size());
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                status = errnoStatus();
                platform::logf("in copyFork in CFGrowlAdditions: PBReadForkSync (source: %s) returned %li", qUtf8Printable(sourceText), status);
                break;
            }
            if (got == 0)
                break;
            for (ssize_t written = 0; written < got;) {
                const ssize_t put = ::write(destinationFd, buffer.constData() + written, got - written);
                if (put < 0) {
                    if (errno == EINTR)
                        continue;
                    status = errnoStatus();
                    platform::logf("in copyFork in CFGrowlAdditions: PBWriteForkSync (destination: %s) returned %li", qUtf8Printable(destinationText), status);
                    break;
                }
                written += put;
            }
        }
    } else if (::lsetxattr(destinationPath.constData(), attribute.constData(), attributeValue.constData(),
                           attributeValue.size(), 0) != 0) {
        status = errnoStatus();
        platform::logf("in copyFork in CFGrowlAdditions: PBWriteForkSync (destination: %s) returned %li", qUtf8Printable(destinationText), status);
    }

    if (destinationFd >= 0) {
        // Keep the source's times on the copy, as its catalog information travels with it.
        const timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
        ::futimens(destinationFd, times);
        if (::close(destinationFd) != 0) {
            const long closeStatus = errnoStatus();
            platform::logf("in copyFork in CFGrowlAdditions: PBCloseForkSync (destination: %s) returned %li", qUtf8Printable(destinationText), closeStatus);
            if (status == 0)
                status = closeStatus;
        }
    }
    const long closeStatus = closeSource();
    if (closeStatus != 0) {
        platform::logf("in copyFork in CFGrowlAdditions: PBCloseForkSync (source: %s) returned %li", qUtf8Printable(sourceText), closeStatus);
        if (status == 0)
            status = closeStatus;
    }
    return status;
}

QVariant createPropertyListFromURL(const std::optional<QUrl> &url, PropertyListMutability,
                                   PropertyList::Format *format, QString *errorString)
{
    if (!url || url->isEmpty()) {
        platform::log(QStringLiteral("in createPropertyListFromURL in CFGrowlAdditions: cannot read from a NULL URL"));
        return QVariant();
    }
    const QString path = localPath(*url);
    if (path.isEmpty()) {
        platform::log(QStringLiteral("in createPropertyListFromURL in CFGrowlAdditions: could not create stream for reading from URL %1").arg(describe(*url)));
        return QVariant();
    }
    QFile stream(path);
    if (!stream.open(QIODevice::ReadOnly)) {
        platform::log(QStringLiteral("in createPropertyListFromURL in CFGrowlAdditions: could not open stream for reading from URL %1").arg(describe(*url)));
        return QVariant();
    }
    const QByteArray bytes = stream.readAll();
    stream.close();
    const QVariant value = PropertyList::fromData(bytes);
    if (!value.isValid()) {
        QString error;
        if (bytes.isEmpty()) {
            error = QStringLiteral("stream had too few bytes");
        } else if (bytes.startsWith("bplist")) {
            error = QStringLiteral("malformed binary property list");
        } else {
            QXmlStreamReader reader(bytes);
            while (!reader.atEnd())
                reader.readNext();
            error = reader.hasError()
                ? QStringLiteral("%1 at line %2").arg(reader.errorString()).arg(reader.lineNumber())
                : QStringLiteral("no property list found");
        }
        if (errorString)
            *errorString = error;
        platform::log(QStringLiteral("in createPropertyListFromURL in CFGrowlAdditions: could not read property list from URL %1 (error string: %2)")
                          .arg(describe(*url), error));
        return QVariant();
    }
    if (format)
        *format = bytes.startsWith("bplist") ? PropertyList::Format::Binary : PropertyList::Format::Xml;
    return value;
}
