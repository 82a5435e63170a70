#include "PassWriter.h"
#include "FileHelpers.h"
#include "RandomStream.h"
#include "ChaCha20.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <set>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace srm;

namespace {

QByteArray readAt(int fd, off_t offset, std::size_t length)
{
    QByteArray data(qsizetype(length), '\0');
    const ssize_t got = ::pread(fd, data.data(), length, offset);
    data.resize(got < 0 ? 0 : qsizetype(got));
    return data;
}

int openFile(const QString &path, int flags = O_RDWR | O_CREAT)
{
    return ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0600);
}

} // namespace

TEST(PassWriter, OnlyTheDataOfASparseFileIsWrittenAndItsHolesStayHoles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sparse"));
    // 64 GiB of which 3 pieces hold data: more than the disk may have, so writing the holes fails.
    constexpr off_t kLength = 64ll << 30;
    const struct
    {
        off_t offset;
        std::size_t length;
    } pieces[] = {{0, 8192}, {(32ll << 30) + 4096, 3 * 1024 * 1024 + 4096}, {kLength - 100, 100}};
    const int fd = openFile(path);
    ASSERT_GE(fd, 0);
    for (const auto &piece : pieces)
        ASSERT_EQ(
            ::pwrite(fd, QByteArray(qsizetype(piece.length), 'M').constData(), piece.length, piece.offset),
            ssize_t(piece.length));
    ::fsync(fd);
    struct stat before
    {
    };
    ::fstat(fd, &before);

    PassWriter writer(passesFor(Method::Single, false));
    ASSERT_TRUE(writer.overwrite(fd, "sparse")) << writer.reason();
    struct stat after
    {
    };
    ::fstat(fd, &after);
    EXPECT_EQ(after.st_size, kLength);
    EXPECT_LE(after.st_blocks, before.st_blocks + 64) << "the holes were written";
    for (const auto &piece : pieces) {
        const QByteArray data = readAt(fd, piece.offset, piece.length);
        EXPECT_FALSE(data.contains(QByteArray(16, 'M'))) << piece.offset;
        EXPECT_EQ(data.indexOf(QByteArray(64, '\0')), -1) << "random data at " << piece.offset;
    }

    // A three-byte pattern keeps its phase with the file offset, in every extent and across the
    // 3 MiB buffer boundary.
    const Pass triple = passesFor(Method::Gutmann, false)[28]; // 0x6D 0xB6 0xDB
    ASSERT_EQ(triple.patternLength, 3u);
    writer.setPasses({triple});
    ASSERT_TRUE(writer.overwrite(fd, "sparse")) << writer.reason();
    for (const auto &piece : pieces) {
        const QByteArray data = readAt(fd, piece.offset, piece.length);
        ASSERT_EQ(std::size_t(data.size()), piece.length);
        bool phaseKept = true;
        for (std::size_t i = 0; i < piece.length && phaseKept; ++i)
            phaseKept =
                static_cast<unsigned char>(data[qsizetype(i)]) == triple.pattern[(piece.offset + i) % 3];
        EXPECT_TRUE(phaseKept) << piece.offset;
    }
    ::close(fd);
}

TEST(PassWriter, PassesRunInOrderAndZerosComeLast)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pattern"));
    constexpr std::size_t kLength = 3 * 1024 * 1024 + 10;
    writeFile(path, QByteArray(int(kLength), 'A'));

    const int fd = openFile(path, O_WRONLY);
    PassWriter gutmann(passesFor(Method::Gutmann, false));
    ASSERT_TRUE(gutmann.overwrite(fd, "pattern"));
    // The last pass of the 35 is random: nothing of the 'A's can be left.
    EXPECT_EQ(readFile(path).indexOf(QByteArray(16, 'A')), -1);
    PassWriter withZeros(passesFor(Method::ThreePass, true));
    ASSERT_TRUE(withZeros.overwrite(fd, "pattern"));
    ::close(fd);
    EXPECT_EQ(readFile(path), QByteArray(int(kLength), '\0'));
}

TEST(PassWriter, LargeFilesInARowGetRandomDataThatNeverRepeats)
{
    // Enough for the random data to come from the producer thread, which keeps its blocks ready
    // from one file to the next: no page of either file may repeat another.
    QTemporaryDir dir;
    constexpr std::size_t kLength = RandomStream::kStreamThreshold + 3 * 4096 + 17;
    PassWriter writer(passesFor(Method::Single, false));
    std::set<QByteArray> starts;
    std::size_t pages = 0;
    for (const char *name : {"first", "second"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        writeFile(path, QByteArray(int(kLength), 'A'));
        const int fd = openFile(path, O_WRONLY);
        ASSERT_TRUE(writer.overwrite(fd, name)) << writer.reason();
        ::close(fd);
        const QByteArray data = readFile(path);
        ASSERT_EQ(std::size_t(data.size()), kLength);
        for (qsizetype page = 0; page + 32 <= data.size(); page += 4096, ++pages)
            starts.insert(data.mid(page, 32));
    }
    EXPECT_EQ(starts.size(), pages) << "a block of random data was written twice";
}

TEST(PassWriter, DataAddedDuringThePassesIsOverwrittenTooAndAFileThatNeverSettlesFails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("growing"));
    const int fd = openFile(path);
    ASSERT_EQ(::pwrite(fd, QByteArray(20000, 'O').constData(), 20000, 0), 20000);
    const int writerFd = openFile(path, O_WRONLY);
    const QByteArray added(5000, 'N');
    PassWriter writer(passesFor(Method::ThreePass, false));
    // After the first pass: the file grows, and a hole far out gets data.
    writer.setPassHook([&](std::size_t pass) {
        if (pass != 0)
            return;
        ASSERT_EQ(::pwrite(writerFd, added.constData(), std::size_t(added.size()), 20000), added.size());
        ASSERT_EQ(::pwrite(writerFd, added.constData(), std::size_t(added.size()), 1 << 20), added.size());
    });
    ASSERT_TRUE(writer.overwrite(fd, "growing")) << writer.reason();
    const QByteArray content = readFile(path);
    EXPECT_EQ(content.size(), (1 << 20) + added.size());
    EXPECT_FALSE(content.contains("NNNNNNNN"));
    EXPECT_FALSE(content.contains("OOOOOOOO"));
    // The last pass of this method is 0xFF, so every byte of data ends as 0xFF.
    EXPECT_EQ(content.left(25000), QByteArray(25000, char(0xFF)));

    // A writer that never stops: the erase gives up, and says so, rather than pretend.
    off_t end = (1 << 20) + added.size();
    writer.setPassHook([&](std::size_t) {
        ASSERT_EQ(::pwrite(writerFd, added.constData(), std::size_t(added.size()), end), added.size());
        end += added.size();
    });
    EXPECT_FALSE(writer.overwrite(fd, "growing"));
    EXPECT_NE(writer.reason().find("new data"), std::string::npos) << writer.reason();
    ::close(writerFd);
    ::close(fd);
}

TEST(PassWriter, WhatIsLeftOfExtentsAfterTheWrittenOnesAreTakenAway)
{
    using E = PassWriter::Extent;
    EXPECT_EQ(PassWriter::subtract({{0, 100}}, {}), (std::vector<E>{{0, 100}}));
    EXPECT_EQ(PassWriter::subtract({{0, 100}}, {{0, 100}}), std::vector<E>{});
    EXPECT_EQ(PassWriter::subtract({{0, 100}, {200, 300}}, {{50, 60}, {90, 250}}),
              (std::vector<E>{{0, 50}, {60, 90}, {250, 300}}));
    EXPECT_EQ(PassWriter::subtract({{10, 20}, {30, 40}}, {{0, 5}, {15, 35}, {38, 100}}),
              (std::vector<E>{{10, 15}, {35, 38}}));
}

TEST(RandomStream, TheKeyStreamIsChaCha20)
{
    // The block function's example (RFC 8439, 2.3.2) as the first of four blocks side by side.
    unsigned char key[32];
    for (int i = 0; i < 32; ++i)
        key[i] = static_cast<unsigned char>(i);
    const unsigned char nonce[12] = {0, 0, 0, 0x09, 0, 0, 0, 0x4a, 0, 0, 0, 0};
    ChaCha20 cipher(key, nonce, 1);
    unsigned char out[ChaCha20::kFourBlocks];
    cipher.nextFourBlocks(out);
    const std::uint32_t expected[16] = {0xe4e7f110, 0x15593bd1, 0x1fdd0f50, 0xc47120a3, 0xc7f4d1c7, 0x0368c033,
                                        0x9aaa2204, 0x4e6cd4c3, 0x466482d2, 0x09aa9f07, 0x05d7c214, 0xa2028bd9,
                                        0xd19c12b5, 0xb94e16de, 0xe883d0cb, 0x4e3c50a2};
    for (int word = 0; word < 16; ++word) {
        std::uint32_t value = 0;
        std::memcpy(&value, out + 16 * word, sizeof value);
        EXPECT_EQ(value, expected[word]) << word;
    }
    // The other three blocks are the next counters': the fourth's first word differs, and the next
    // call goes on from the fifth.
    std::uint32_t first = 0;
    std::uint32_t fourth = 0;
    std::memcpy(&fourth, out + 12, sizeof fourth);
    EXPECT_NE(fourth, expected[0]);
    ChaCha20 fromFive(key, nonce, 5);
    unsigned char next[ChaCha20::kFourBlocks];
    unsigned char five[ChaCha20::kFourBlocks];
    cipher.nextFourBlocks(next);
    fromFive.nextFourBlocks(five);
    EXPECT_EQ(std::memcmp(next, five, sizeof next), 0);
    std::memcpy(&first, next, sizeof first);
    EXPECT_NE(first, expected[0]);

    // Eight blocks at once (wide registers where the processor has them) are the next two fours.
    ChaCha20 wide(key, nonce, 1);
    ChaCha20 narrow(key, nonce, 1);
    unsigned char eight[2 * ChaCha20::kFourBlocks];
    unsigned char twoFours[2 * ChaCha20::kFourBlocks];
    for (int call = 0; call < 2; ++call) {
        wide.nextEightBlocks(eight);
        narrow.nextFourBlocks(twoFours);
        narrow.nextFourBlocks(twoFours + ChaCha20::kFourBlocks);
        EXPECT_EQ(std::memcmp(eight, twoFours, sizeof eight), 0) << call;
    }
}

TEST(RandomStream, LargeAndSmallRequestsGiveFreshUnbiasedBytes)
{
    RandomStream stream;
    stream.expectVolume(RandomStream::kStreamThreshold);
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
    EXPECT_TRUE(stream.usesKeyStream());

    unsigned char small1[32] = {};
    unsigned char small2[32] = {};
    stream.expectVolume(sizeof small1);
    ASSERT_TRUE(stream.fill(small1, sizeof small1));
    ASSERT_TRUE(RandomStream::fillFromKernel(small2, sizeof small2));
    EXPECT_NE(std::memcmp(small1, small2, sizeof small1), 0);

    // Two streams never share a key; a stream never asked for much never starts one.
    RandomStream other;
    other.expectVolume(RandomStream::kStreamThreshold);
    std::vector<unsigned char> c(a.size());
    ASSERT_TRUE(other.fill(c.data(), c.size()));
    EXPECT_NE(a, c);
    RandomStream modest;
    modest.expectVolume(RandomStream::kStreamThreshold - 1);
    ASSERT_TRUE(modest.fill(c.data(), c.size()));
    EXPECT_FALSE(modest.usesKeyStream());
}
