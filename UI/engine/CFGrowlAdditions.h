#pragma once

#include "platform/PropertyList.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringConverter>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <optional>

// Small file, process, address and icon helpers. Results are plain values: an empty optional (or
// an invalid QVariant) is "nothing", and the caller owns whatever it gets. Failures write the one
// log line given with each function; some are silent.

// Strings and files.
// The string's bytes as the file system wants them; nothing for a string that cannot name a file
// (it holds a NUL character).
std::optional<QByteArray> createFileSystemRepresentationOfString(const QString &string);
// Medium date and medium time (with seconds) of the current locale.
QString createStringWithDate(const QDateTime &date);
// The whole file decoded in the encoding, unless it starts with a byte-order mark, which wins.
std::optional<QString> createStringWithContentsOfFile(const QString &path, QStringConverter::Encoding encoding);
// a, then c, then b; a null string counts as empty and c = 0xFFFF means no character.
QString createStringWithStringAndCharacterAndString(const QString &a, char16_t c, const QString &b);
// The string in the encoding, NUL-terminated.
QByteArray copyCString(const QString &string, QStringConverter::Encoding encoding);
std::optional<QByteArray> readFile(const char *path);

// The running process, folders and applications.
std::optional<QString> copyCurrentProcessName();
// The program's bundle folder when it runs from one, else its executable.
std::optional<QUrl> copyCurrentProcessURL();
std::optional<QString> copyCurrentProcessPath();
// The temporary folder, made if it is missing.
std::optional<QUrl> copyTemporaryFolderURL();
std::optional<QString> copyTemporaryFolderPath();
// The desktop entry of the application of that name (file name or displayed name).
std::optional<QUrl> copyURLForApplication(const QString &applicationName);

// Socket addresses in the portable layout: length byte, family byte (2 = IPv4, 30 = IPv6), port
// in network order, then the family's own fields.
QString createStringWithAddressData(const QByteArray &addressData);
std::optional<QString> createHostNameForAddressData(const QByteArray &addressData);

// Icons: an icon family ('icns') of PNG images of every size the icon theme has for the item.
std::optional<QByteArray> copyIconDataForPath(const QString &path);
std::optional<QByteArray> copyIconDataForURL(const QUrl &url);
// The largest image of icon data (an icon family or any single image); a null image otherwise.
QImage imageFromIconData(const QByteArray &iconData);
// The image as PNG data.
QByteArray pngDataForImage(const QImage &image);
// Where icon images come from: the images (of any sizes) for a named theme icon.
using IconImageSource = std::function<QList<QImage>(const QString &iconName)>;
// Replaces the icon-theme look-up (tests); an empty source restores it. Returns the previous one.
IconImageSource setIconImageSource(IconImageSource source);
// The theme icon names that stand for the item at the path, best first.
QStringList iconNamesForPath(const QString &path);
// The theme images for the first of the names that has any.
QList<QImage> iconImagesForNames(const QStringList &iconNames);

// Directories, copying and property lists. A file is addressed by its path (or file URL).
std::optional<QUrl> createURLByMakingDirectoryAtURLWithName(const std::optional<QUrl> &parent,
                                                            const std::optional<QString> &name);
std::optional<QUrl> createURLByCopyingFileFromURLToDirectoryURL(const QUrl &file, const QUrl &directory);
// Copies every fork of the file (its data and each extended attribute) into the directory under
// its own name; 0 or an error status (a negative errno).
long GrowlCopyObjectSync(const QString &source, const QString &destinationDirectory, QString *newFile);
// One fork: an empty fork name is the file's data, any other an extended attribute of that name.
long copyFork(const QString &forkName, const QString &source, const QString &destinationDirectory,
              const QString &destinationName, QString *newFile);

enum class PropertyListMutability { Immutable, MutableContainers, MutableContainersAndLeaves };
QVariant createPropertyListFromURL(const std::optional<QUrl> &url, PropertyListMutability mutability,
                                   PropertyList::Format *format, QString *errorString);
