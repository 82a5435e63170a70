#include "platform/NativePath.h"

#include <gtest/gtest.h>

#include <QFile>

TEST(NativePath, EveryByteSurvivesTheTripThroughText)
{
    const QList<QByteArray> names = {
        "/tmp/plain.txt",
        "/tmp/Bewerbung-M\xFCller.txt", // Latin-1, as older systems wrote it
        "/tmp/\xC3\xA9t\xC3\xA9",       // valid UTF-8 stays
        "/tmp/\xF0\x9F\x93\x81 folder", // beyond the basic plane
        "/tmp/\xC3",                    // a sequence cut short
        "/tmp/\xE0\x80\xAF",            // an overlong "/": never a slash
        "/tmp/\xED\xB3\xBC",            // an encoded surrogate
        "/tmp/\xF4\x90\x80\x80",        // above U+10FFFF
        "/tmp/\x80\xFF\xFE",
    };
    for (const QByteArray &bytes : names) {
        const QString text = NativePath::decode(bytes);
        EXPECT_EQ(NativePath::encode(text), std::optional<QByteArray>(bytes)) << bytes.toHex().constData();
        EXPECT_EQ(text.count(QLatin1Char('/')), 2) << bytes.toHex().constData();
    }
    EXPECT_EQ(NativePath::decode("/tmp/\xC3\xA9"), QString::fromUtf8("/tmp/\xC3\xA9"));
    EXPECT_EQ(NativePath::decode("M\xFC"), QStringLiteral("M") + QChar(0xDCFC));
    // What Qt's own conversion does with the same name: another file.
    EXPECT_NE(QFile::encodeName(QFile::decodeName("/tmp/M\xFCller")), QByteArray("/tmp/M\xFCller"));
}

TEST(NativePath, TextThatNoPathCanHoldIsRefused)
{
    EXPECT_FALSE(NativePath::encode(QStringLiteral("/tmp/a") + QChar(0) + QStringLiteral("b")));
    EXPECT_FALSE(NativePath::encode(QStringLiteral("/tmp/") + QChar(0xD800)));
    EXPECT_FALSE(NativePath::encode(QStringLiteral("/tmp/") + QChar(0xDC41)))
        << "stands for no byte above 0x7F";
    EXPECT_EQ(NativePath::encodeOrEmpty(QStringLiteral("/tmp/") + QChar(0xD800)), QByteArray());
    EXPECT_EQ(NativePath::encode(QString::fromUtf8("/tmp/\xC3\xA9")),
              std::optional<QByteArray>("/tmp/\xC3\xA9"));
}
