#include "SecureEraser.h"
#include "RandomStream.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace srm;

namespace {

SrmOptions optionsFor(Method method, bool zero)
{
    SrmOptions options;
    options.method = method;
    options.zeroPass = zero;
    options.force = true;
    return options;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

TEST(SecureEraser, EveryPassCoversTheWholeLengthOfASparseFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sparse"));
    constexpr off_t kLength = 7 * 1024 * 1024 + 123; // several buffers and a ragged end
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "MARK", 4, kLength - 4), 4); // everything before it is a hole
    SecureEraser eraser(optionsFor(Method::Single, false), stdout, stderr);
    ASSERT_TRUE(eraser.overwriteDescriptor(fd, std::uint64_t(kLength), "sparse"));
    ::close(fd);

    const QByteArray content = readAll(path);
    ASSERT_EQ(content.size(), kLength);
    EXPECT_FALSE(content.endsWith("MARK"));
    // Random data has no run of 64 zero bytes anywhere that a hole would have left.
    EXPECT_EQ(content.indexOf(QByteArray(64, '\0')), -1);
    struct stat info
    {
    };
    ::stat(QFile::encodeName(path).constData(), &info);
    EXPECT_GE(info.st_blocks * 512, kLength) << "the holes were written";
}

TEST(SecureEraser, ThreeBytePatternsRunOnAcrossBufferBoundariesAndZerosComeLast)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pattern"));
    constexpr std::size_t kLength = 3 * 1024 * 1024 + 10;
    QFile seed(path);
    seed.open(QIODevice::WriteOnly);
    seed.write(QByteArray(int(kLength), 'A'));
    seed.close();

    SrmOptions options = optionsFor(Method::Gutmann, false);
    SecureEraser eraser(options, stdout, stderr);
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
    ASSERT_TRUE(eraser.overwriteDescriptor(fd, kLength, "pattern"));
    ::close(fd);
    // The last pass of the 35 is random: nothing of the 'A's can be left.
    EXPECT_EQ(readAll(path).indexOf(QByteArray(16, 'A')), -1);

    SecureEraser withZeros(optionsFor(Method::ThreePass, true), stdout, stderr);
    const int again = ::open(QFile::encodeName(path).constData(), O_WRONLY);
    ASSERT_TRUE(withZeros.overwriteDescriptor(again, kLength, "pattern"));
    ::close(again);
    EXPECT_EQ(readAll(path), QByteArray(int(kLength), '\0'));

    // A three-byte pass written alone keeps its phase across the 3 MiB buffer boundary.
    std::vector<Pass> gutmann = passesFor(Method::Gutmann, false);
    const Pass triple = gutmann[28]; // 0x6D 0xB6 0xDB
    ASSERT_EQ(triple.patternLength, 3u);
    SrmOptions single = optionsFor(Method::SevenPass, false);
    SecureEraser patternEraser(single, stdout, stderr);
    patternEraser.setPasses({triple});
    const int third = ::open(QFile::encodeName(path).constData(), O_WRONLY);
    ASSERT_TRUE(patternEraser.overwriteDescriptor(third, kLength, "pattern"));
    ::close(third);
    const QByteArray content = readAll(path);
    bool phaseKept = true;
    for (std::size_t i = 0; i < kLength && phaseKept; ++i)
        phaseKept = static_cast<unsigned char>(content[qsizetype(i)]) == triple.pattern[i % 3];
    EXPECT_TRUE(phaseKept);
}

TEST(RandomStream, LargeAndSmallRequestsGiveFreshUnbiasedBytes)
{
    RandomStream stream;
    std::vector<unsigned char> a(2 * 1024 * 1024);
    std::vector<unsigned char> b(a.size());
    ASSERT_TRUE(stream.fill(a.data(), a.size()));
    ASSERT_TRUE(stream.fill(b.data(), b.size()));
    EXPECT_NE(a, b);
    // Every byte value appears close to 1/256 of the time.
    std::vector<std::size_t> counts(256);
    for (unsigned char byte : a)
        ++counts[byte];
    const double expected = double(a.size()) / 256.0;
    for (std::size_t value = 0; value < 256; ++value)
        EXPECT_NEAR(double(counts[value]), expected, expected * 0.1) << value;
    if (!stream.usesKeyStream())
        std::printf("note: the crypto library is not available; the kernel served every request\n");

    unsigned char small1[32] = {};
    unsigned char small2[32] = {};
    ASSERT_TRUE(stream.fill(small1, sizeof small1));
    ASSERT_TRUE(RandomStream::fillFromKernel(small2, sizeof small2));
    EXPECT_NE(std::memcmp(small1, small2, sizeof small1), 0);

    // Two streams never share a key.
    RandomStream other;
    std::vector<unsigned char> c(a.size());
    ASSERT_TRUE(other.fill(c.data(), c.size()));
    EXPECT_NE(a, c);
}
