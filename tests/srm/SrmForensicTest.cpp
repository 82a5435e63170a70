// Whether erased content can be found on the device afterwards: a small image on a loop device (ext4
// as made for a disk, with its journal; XFS), files with unique markers, the tool (or a plain rm for
// contrast), then a search of the raw image. Needs root and loop devices; skipped with a message
// elsewhere.
#include "FileHelpers.h"
#include "common/ForensicScene.h"
#include "common/LoopImage.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

#include <sys/xattr.h>
#include <unistd.h>

namespace {

using testsupport::ForensicScene;
using testsupport::LoopImage;

const char *const kMethods[] = {"-fsvrz", "-fEvrz", "-fmvrz", "-fvrz"};

QByteArray newMarker()
{
    return "NULLWELL-MARKER-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
}

// Writes the marker file, erases it with the command, and answers whether the marker is still in
// the image (or an error text through skip). With prepare the file starts empty and prepare puts
// the marker where it wants it: content written and then cut off could reach the disk first (the
// machine writes dirty pages back whenever it likes) and stay in blocks no eraser can reach.
bool markerSurvives(const QStringList &command, QString &skip, const QStringList &mkfsOptions = {},
                    const std::function<bool(const QString &path, const QByteArray &marker)> &prepare = {})
{
    QTemporaryDir folder;
    LoopImage image(folder.path(), mkfsOptions);
    if (!image.mounted()) {
        skip = QStringLiteral("loop-mounted ext4 not available: ") + image.error();
        return false;
    }
    const QByteArray marker = newMarker();
    const QString path = image.mountPoint() + QStringLiteral("/marked.txt");
    writeFile(path, prepare ? QByteArray() : QByteArray(marker + '\n').repeated(2000));
    if (prepare && !prepare(path, marker)) {
        skip = QStringLiteral("cannot prepare the file");
        return true;
    }
    ::sync();

    QStringList arguments = command.mid(1);
    arguments << path;
    QString error;
    LoopImage::run(command.first(), arguments, &error);
    if (QFile::exists(path)) {
        skip = QStringLiteral("the file was not removed: ") + error;
        return true;
    }
    if (!image.unmount()) {
        skip = QStringLiteral("cannot unmount the image");
        return true;
    }
    return image.rawImage().contains(marker);
}

} // namespace

TEST(SrmForensic, NoCopyOfTheContentIsLeftOnTheDeviceWhileAPlainRemoveLeavesIt)
{
    const QString unavailable = LoopImage::unavailableReason();
    if (!unavailable.isEmpty())
        GTEST_SKIP() << unavailable.toStdString();

    QString skip;
    const bool afterRm = markerSurvives({QStringLiteral("rm"), QStringLiteral("-f")}, skip);
    if (!skip.isEmpty())
        GTEST_SKIP() << skip.toStdString();
    EXPECT_TRUE(afterRm) << "the contrast case: rm leaves the content on the device";

    for (const char *flags : kMethods) {
        QString problem;
        const bool survives =
            markerSurvives({QStringLiteral(NULLWELL_RESOURCES "/srm"), QString::fromLatin1(flags)}, problem);
        EXPECT_TRUE(problem.isEmpty()) << flags << ": " << problem.toStdString();
        EXPECT_FALSE(survives) << flags;
    }
}

TEST(SrmForensic, ExtendedAttributeValuesAreNotLeftOnTheDevice)
{
    const QString unavailable = LoopImage::unavailableReason();
    if (!unavailable.isEmpty())
        GTEST_SKIP() << unavailable.toStdString();
    // The file system as made for a disk: with its journal, which takes the overwritten values
    // first, and 4 KiB blocks. The options stay empty on purpose.
    const QStringList noJournal;
    // A short value lives inside the inode, a long one in a block of its own.
    const auto addAttributes = [](const QString &path, const QByteArray &marker) {
        const QByteArray name = QFile::encodeName(path);
        QByteArray longValue;
        while (longValue.size() < 700)
            longValue += "long-" + marker;
        const QByteArray shortValue = "short-" + marker;
        return ::setxattr(name.constData(), "user.short", shortValue.constData(),
                          std::size_t(shortValue.size()), 0) == 0 &&
               ::setxattr(name.constData(), "user.long", longValue.constData(), std::size_t(longValue.size()),
                          0) == 0;
    };

    QString skip;
    const bool afterRm =
        markerSurvives({QStringLiteral("rm"), QStringLiteral("-f")}, skip, noJournal, addAttributes);
    if (!skip.isEmpty())
        GTEST_SKIP() << skip.toStdString();
    EXPECT_TRUE(afterRm) << "the contrast case: rm leaves the attribute values on the device";

    const bool afterSrm =
        markerSurvives({QStringLiteral(NULLWELL_RESOURCES "/srm"), QStringLiteral("-fsvrz")}, skip, noJournal,
                       addAttributes);
    EXPECT_TRUE(skip.isEmpty()) << skip.toStdString();
    EXPECT_FALSE(afterSrm);
}

// The whole of what an erasure leaves, through the tool alone: content, names and attribute values,
// inside the journal and out, for a folder erased whole and a file erased from a folder that stays.
TEST(SrmForensic, NoContentNameOrAttributeValueOfErasedFilesIsLeftOnTheDevice)
{
    for (const QString &kind : {QStringLiteral("ext4"), QStringLiteral("xfs")}) {
        const std::string fileSystem = kind.toStdString();
        if (const QString why = LoopImage::unavailableReason(kind); !why.isEmpty()) {
            std::printf("[ SKIPPED  ] %s: %s\n", fileSystem.c_str(), why.toLocal8Bit().constData());
            continue;
        }
        {
            QTemporaryDir folder;
            ForensicScene scene(folder.path(), kind);
            ASSERT_TRUE(scene.ready()) << fileSystem << ": " << scene.error().toStdString();
            ASSERT_TRUE(
                LoopImage::run(QStringLiteral("rm"), QStringList{QStringLiteral("-rf")} << scene.chosen()));
            const ForensicScene::Traces traces = scene.search();
            std::printf("%s, rm: %s\n", fileSystem.c_str(), ForensicScene::describe(traces).c_str());
            EXPECT_GT(traces.content.outside, 0) << fileSystem << ": the contrast case";
            EXPECT_GT(traces.values.outside, 0) << fileSystem << ": the contrast case";
        }
        for (const char *flags : kMethods) {
            QTemporaryDir folder;
            ForensicScene scene(folder.path(), kind);
            ASSERT_TRUE(scene.ready()) << fileSystem << ": " << scene.error().toStdString();
            QString error;
            EXPECT_TRUE(LoopImage::run(QStringLiteral(NULLWELL_RESOURCES "/srm"),
                                       QStringList{QString::fromLatin1(flags)} << scene.chosen(), &error))
                << fileSystem << " " << flags << ": " << error.toStdString();
            scene.expectNothingLeft(fileSystem + " " + flags, kind);
        }
    }
}
