#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// File names on Linux are bytes, not text. A name that is not valid UTF-8 (written by another
// system, or by a program in another locale) still names a file a person may want gone, and
// QFile::encodeName/decodeName turn its stray bytes into replacement characters that name nothing
// or something else. These two carry every byte: valid UTF-8 reads as usual, and each byte that is
// not part of it becomes the lone surrogate U+DC80..U+DCFF and turns back into that same byte.
class NativePath
{
public:
    static QString decode(const QByteArray &bytes);
    // The exact bytes, or nothing when the text holds what no path can: a NUL, or a lone surrogate
    // that does not stand for a byte.
    static std::optional<QByteArray> encode(const QString &path);
    // For calls that must not fail on text alone: the bytes, or an empty array (which names
    // nothing, so the call fails with ENOENT instead of reaching another file).
    static QByteArray encodeOrEmpty(const QString &path);
};
