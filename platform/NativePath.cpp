#include "NativePath.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// The length of the well-formed UTF-8 sequence at i (RFC 3629: no overlong forms, no surrogates,
// nothing above U+10FFFF), or 0 when the byte there does not start one.
int sequenceLength(const unsigned char *s, qsizetype i, qsizetype n, char32_t *codePoint)
{
    const unsigned char lead = s[i];
    int length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > n)
        return 0;
    for (int k = 1; k < length; ++k) {
        const unsigned char next = s[i + k];
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

} // namespace

QString NativePath::decode(const QByteArray &bytes)
{
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    for (qsizetype i = 0; i < n;) {
        if (s[i] < 0x80) {
            out.append(QChar(char16_t(s[i])));
            ++i;
            continue;
        }
        char32_t c = 0;
        const int length = sequenceLength(s, i, n, &c);
        if (length == 0) {
            out.append(QChar(char16_t(kEscapeBase + s[i])));
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(c)));
            out.append(QChar(QChar::lowSurrogate(c)));
        } else {
            out.append(QChar(char16_t(c)));
        }
        i += length;
    }
    return out;
}

std::optional<QByteArray> NativePath::encode(const QString &path)
{
    QByteArray out;
    out.reserve(path.size());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = path.at(i).unicode();
        if (unit == 0)
            return std::nullopt;
        if (QChar::isHighSurrogate(unit)) {
            if (i + 1 < n && QChar::isLowSurrogate(path.at(i + 1).unicode())) {
                appendUtf8(out, QChar::surrogateToUcs4(unit, path.at(i + 1).unicode()));
                ++i;
                continue;
            }
            return std::nullopt;
        }
        if (QChar::isLowSurrogate(unit)) {
            if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
                out.append(char(unit - kEscapeBase));
                continue;
            }
            return std::nullopt;
        }
        appendUtf8(out, unit);
    }
    return out;
}

QByteArray NativePath::encodeOrEmpty(const QString &path)
{
    return encode(path).value_or(QByteArray());
}
