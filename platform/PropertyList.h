#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// Property-list files (XML or binary) as Qt value trees: dictionaries are QVariantMap, arrays
// QVariantList, strings QString, integers qlonglong, reals double, booleans bool, data QByteArray
// and dates QDateTime.
class PropertyList
{
public:
    enum class Format { Xml, Binary };

    // The whole file, or an invalid QVariant when it is missing, unreadable or not a property list.
    static QVariant read(const QString &path);
    // The file's top-level dictionary; nothing when the file is missing, broken or holds no dictionary.
    static std::optional<QVariantMap> readDictionary(const QString &path);
    // Parses bytes of either format; an invalid QVariant when they are not a property list.
    static QVariant fromData(const QByteArray &data);
    static QByteArray toData(const QVariant &value, Format format = Format::Xml);
    // Writes the whole tree to a temporary file beside the target and renames it over the target,
    // so readers see the old file or the new one, never half of it. False when nothing was written.
    static bool write(const QString &path, const QVariant &value, Format format = Format::Xml);
};
